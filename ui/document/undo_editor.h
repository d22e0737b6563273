#pragma once

#include <QObject>

#include "ui/common/scenario_editor.h"
#include "ui/document/edit_commands.h"

class QUndoCommand;
class QUndoStack;

namespace velmora {

/// Sends the views' edits to a window's undo history as commands, which the
/// history then writes through the scenarios' setters. Each committed edit is
/// one step. The steps of a run (a slider dragged, or stepped by keys) are
/// one step until the run ends: the view ends it (the drag is released, the
/// slider loses focus), and anything else that moves the history (another
/// edit, undo, redo, a save, clearing) ends it too.
class UndoEditor final : public QObject, public ScenarioEditor {
    Q_OBJECT

public:
    /// Pushes onto `history`, whose child this becomes; each command shows
    /// the page of its scenario through `reveal` when it is done or undone.
    UndoEditor(QUndoStack* history, Reveal reveal);

    void setValue(SubscriptionInputs& scenario, Field field, double value) override;
    void step(SubscriptionInputs& scenario, Field field, double value) override;
    void endRun() override { run_ = nullptr; }
    void setChartType(SubscriptionInputs& scenario, ChartType shown, ChartType chosen,
                      std::function<void(ChartType)> apply) override;
    void setValues(SubscriptionInputs& scenario, std::span<const std::pair<Field, double>> values,
                   const QString& title,
                   const std::optional<std::vector<Range>>& ranges = std::nullopt,
                   const std::optional<std::vector<double>>& laterRates = std::nullopt) override;
    void edit(const QString& title, std::function<void()> redo,
              std::function<void()> undo) override;

    /// Whether a run is going on, its step at the top of the history.
    [[nodiscard]] bool isRunOpen() const { return run_ != nullptr; }

private:
    QUndoStack* history_;
    Reveal reveal_;
    /// The step the open run's positions merge into; it is the top of the history.
    const QUndoCommand* run_ = nullptr;
    bool stepping_ = false;
};

}  // namespace velmora
