#include "ui/document/edit_commands.h"

#include <bit>
#include <cstdint>

#include <QCoreApplication>

#include "ui/common/field_titles.h"

namespace velmora {

bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

FieldEditCommand::FieldEditCommand(SubscriptionInputs& scenario, Field field, double value,
                                   bool continuesRun, Reveal reveal)
    : QUndoCommand(fieldTitle(field)),
      scenario_(&scenario),
      field_(field),
      before_(scenario.value(field)),
      after_(value),
      continuesRun_(continuesRun),
      reveal_(std::move(reveal)) {}

void FieldEditCommand::undo() {
    reveal_(*scenario_);
    scenario_->setValue(field_, before_);
}

void FieldEditCommand::redo() {
    reveal_(*scenario_);
    scenario_->setValue(field_, after_);
}

bool FieldEditCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const FieldEditCommand*>(other);
    if (!next->continuesRun_ || next->scenario_ != scenario_ || next->field_ != field_) {
        return false;
    }
    after_ = next->after_;
    setObsolete(sameBits(after_, before_));
    return true;
}

ChartTypeCommand::ChartTypeCommand(const SubscriptionInputs& scenario, ChartType before,
                                   ChartType after, std::function<void(ChartType)> apply,
                                   Reveal reveal)
    : QUndoCommand(QCoreApplication::translate("velmora", "Chart Type")),
      scenario_(&scenario),
      before_(before),
      after_(after),
      apply_(std::move(apply)),
      reveal_(std::move(reveal)) {}

void ChartTypeCommand::undo() {
    reveal_(*scenario_);
    apply_(before_);
}

void ChartTypeCommand::redo() {
    reveal_(*scenario_);
    apply_(after_);
}

}  // namespace velmora
