#pragma once

#include <QColor>
#include <QWidget>

#include "ui/common/scenario_editor.h"

namespace velmora {

class InputsView;
class SubscriptionInputs;
class TableView;

/// One scenario of the comparison page: its form above its table, inside a
/// rounded outline in the scenario's colour, the colour of its line in the chart.
class ScenarioColumn final : public QWidget {
    Q_OBJECT

public:
    /// The least height of the table with its summary: four months in view.
    static constexpr int tableHeight = 202;
    static constexpr qreal outlineRadius = 16;
    static constexpr qreal outlineWidth = 3;

    /// Shows `inputs`, sending the user's edits to `editor` (none: written directly).
    ScenarioColumn(SubscriptionInputs* inputs, QColor colour, const QString& name,
                   QWidget* parent = nullptr, ScenarioEditor* editor = nullptr);

    [[nodiscard]] SubscriptionInputs* inputs() const { return inputs_; }
    [[nodiscard]] QColor colour() const { return colour_; }
    [[nodiscard]] InputsView* form() const { return form_; }
    [[nodiscard]] TableView* table() const { return table_; }

    /// Shows the scenario's projection, or no table while it has none.
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SubscriptionInputs* inputs_;
    QColor colour_;
    InputsView* form_;
    TableView* table_;
};

}  // namespace velmora
