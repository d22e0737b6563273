#pragma once

#include <functional>

#include <QUndoCommand>

#include "document/scenario_document.h"
#include "inputs/subscription_inputs.h"

namespace velmora {

/// Whether `a` and `b` are the same number bit for bit: 0 and -0 differ, a
/// NaN equals itself.
[[nodiscard]] bool sameBits(double a, double b);

/// Brings the page of a scenario into view, so that an undone or redone edit
/// is seen where it happens.
using Reveal = std::function<void(const SubscriptionInputs&)>;

/// One edit of a field of a scenario, written through the scenario's setter
/// both ways. A command made to continue a run takes the place of the run's
/// last position when pushed onto it, so a drag is one step; a run that ends
/// where it began leaves no step.
class FieldEditCommand final : public QUndoCommand {
public:
    using Field = SubscriptionInputs::Field;

    /// Sets `field` of `scenario` to `value`; the current value is the one to
    /// go back to. `continuesRun`: merges into the field edit below it when
    /// that is of the same field of the same scenario.
    FieldEditCommand(SubscriptionInputs& scenario, Field field, double value, bool continuesRun,
                     Reveal reveal);

    void undo() override;
    void redo() override;
    [[nodiscard]] int id() const override { return mergeId; }
    bool mergeWith(const QUndoCommand* other) override;

    static constexpr int mergeId = 1;

private:
    SubscriptionInputs* scenario_;
    Field field_;
    double before_;
    double after_;
    bool continuesRun_;
    Reveal reveal_;
};

/// A switch of the chart type on the page of `scenario`, shown through `apply`.
class ChartTypeCommand final : public QUndoCommand {
public:
    ChartTypeCommand(const SubscriptionInputs& scenario, ChartType before, ChartType after,
                     std::function<void(ChartType)> apply, Reveal reveal);

    void undo() override;
    void redo() override;

private:
    const SubscriptionInputs* scenario_;
    ChartType before_;
    ChartType after_;
    std::function<void(ChartType)> apply_;
    Reveal reveal_;
};

/// An edit of something other than a scenario's field, made and taken back
/// by the functions it is given.
class ActionCommand final : public QUndoCommand {
public:
    ActionCommand(const QString& title, std::function<void()> redo, std::function<void()> undo)
        : QUndoCommand(title), redo_(std::move(redo)), undo_(std::move(undo)) {}

    void undo() override { undo_(); }
    void redo() override { redo_(); }

private:
    std::function<void()> redo_;
    std::function<void()> undo_;
};

}  // namespace velmora
