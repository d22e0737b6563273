#include "ui/document/undo_editor.h"

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

}  // namespace velmora
