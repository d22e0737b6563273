#include "ui/document/undo_editor.h"

#include <algorithm>

#include <QUndoStack>

#include "ui/document/edit_commands.h"

namespace velmora {

UndoEditor::UndoEditor(QUndoStack* history, Reveal reveal)
    : QObject(history), history_(history), reveal_(std::move(reveal)) {
    const auto endUnlessStepping = [this] {
        if (!stepping_) {
            endRun();
        }
    };
    connect(history, &QUndoStack::indexChanged, this, endUnlessStepping);
    connect(history, &QUndoStack::cleanChanged, this, endUnlessStepping);
}

void UndoEditor::setValue(SubscriptionInputs& scenario, Field field, double value) {
    if (!sameBits(scenario.value(field), value)) {
        history_->push(new FieldEditCommand(scenario, field, value, false, reveal_));
    }
}

void UndoEditor::step(SubscriptionInputs& scenario, Field field, double value) {
    if (sameBits(scenario.value(field), value)) {
        return;
    }
    const int before = history_->index();
    stepping_ = true;
    history_->push(new FieldEditCommand(scenario, field, value, isRunOpen(), reveal_));
    stepping_ = false;
    const int after = history_->index();
    if (after > before) {
        run_ = history_->command(after - 1);  // a new step, the run's from now on
    } else if (after < before) {
        run_ = nullptr;  // the run came back to where it began, and its step went
    }
}

void UndoEditor::setChartType(SubscriptionInputs& scenario, ChartType shown, ChartType chosen,
                              std::function<void(ChartType)> apply) {
    if (shown != chosen) {
        history_->push(new ChartTypeCommand(scenario, shown, chosen, std::move(apply), reveal_));
    }
}

void UndoEditor::setValues(SubscriptionInputs& scenario,
                           std::span<const std::pair<Field, double>> values, const QString& title,
                           const std::optional<std::vector<Range>>& ranges,
                           const std::optional<std::vector<double>>& laterRates) {
    const bool newRanges = ranges && *ranges != scenario.ranges();
    const bool newLaterRates =
        laterRates && !std::ranges::equal(*laterRates, scenario.laterRates(), sameBits);
    const bool changes = newRanges || newLaterRates ||
                         std::any_of(values.begin(), values.end(), [&](const auto& edit) {
                             return !sameBits(scenario.value(edit.first), edit.second);
                         });
    if (!changes) {
        return;
    }
    history_->beginMacro(title);
    for (const auto& [field, value] : values) {
        if (!sameBits(scenario.value(field), value)) {
            history_->push(new FieldEditCommand(scenario, field, value, false, reveal_));
        }
    }
    if (newRanges) {
        SubscriptionInputs* target = &scenario;
        history_->push(new ActionCommand(
            title, [target, after = *ranges] { target->setRanges(after); },
            [target, before = scenario.ranges()] { target->setRanges(before); }));
    }
    if (newLaterRates) {
        SubscriptionInputs* target = &scenario;
        history_->push(new ActionCommand(
            title, [target, after = *laterRates] { target->setLaterRates(after); },
            [target, before = scenario.laterRates()] { target->setLaterRates(before); }));
    }
    history_->endMacro();
}

void UndoEditor::edit(const QString& title, std::function<void()> redo,
                      std::function<void()> undo) {
    history_->push(new ActionCommand(title, std::move(redo), std::move(undo)));
}

}  // namespace velmora
