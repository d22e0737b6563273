#include "inputs/subscription_inputs.h"

#include <iostream>

namespace velmora {

SubscriptionInputs::SubscriptionInputs(QObject* parent)
    : SubscriptionInputs(std::make_unique<QtRecalculationTimer>(), parent) {}

SubscriptionInputs::SubscriptionInputs(std::unique_ptr<RecalculationTimer> timer, QObject* parent)
    : SubscriptionInputs(ScenarioValues{}, std::move(timer), parent) {}

SubscriptionInputs::SubscriptionInputs(const ScenarioValues& initial,
                                       std::unique_ptr<RecalculationTimer> timer, QObject* parent)
    : QObject(parent), values_(initial), timer_(std::move(timer)) {
    projectionKey_ = currentKey();
    projection_ = std::make_shared<const SubscriptionCalculation>(*this, std::cout);
    // Posted, not called: the check must see the value the write is about to store.
    changeSink_ = connect(this, &SubscriptionInputs::objectWillChange, this, [this] {
        QMetaObject::invokeMethod(this, &SubscriptionInputs::scheduleRecalculation,
                                  Qt::QueuedConnection);
    });
}

// Destroying the timer cancels a pending wait, and Qt discards the posted calls
// of a destroyed object, so nothing runs against a scenario that is gone.
SubscriptionInputs::~SubscriptionInputs() {
    disconnect(changeSink_);
}

double ScenarioValues::*SubscriptionInputs::member(Field field) {
    static constexpr double ScenarioValues::*members[] = {
        &ScenarioValues::monthsToProject,
        &ScenarioValues::dailyNewSubs,
        &ScenarioValues::startingSubs,
        &ScenarioValues::price,
        &ScenarioValues::trialRetention,
        &ScenarioValues::rt1,
        &ScenarioValues::rt2,
        &ScenarioValues::rt3,
        &ScenarioValues::rt4,
        &ScenarioValues::rt5,
        &ScenarioValues::rt6,
        &ScenarioValues::rtPlus,
        &ScenarioValues::costPerTrial,
    };
    return members[static_cast<std::size_t>(field)];
}

void SubscriptionInputs::scheduleRecalculation() {
    timer_->cancel();
    if (projectionKey_ && *projectionKey_ == currentKey() && restingRanges_ == ranges_) {
        return;
    }
    timer_->start(recalculationDelay, [this] {
        QMetaObject::invokeMethod(this, &SubscriptionInputs::recalculate, Qt::QueuedConnection);
    });
}

void SubscriptionInputs::recalculate() {
    restingRanges_ = ranges_;
    // New ranges alone leave the exact projection as it was.
    if (!projectionKey_ || *projectionKey_ != currentKey()) {
        projectionKey_ = currentKey();
        projection_ = std::make_shared<const SubscriptionCalculation>(*this, std::cout);
    }
    emit objectWillChange();
}

}  // namespace velmora
