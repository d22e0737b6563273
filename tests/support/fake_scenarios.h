#pragma once

#include <memory>
#include <vector>

#include "inputs/subscription_inputs.h"
#include "support/fake_timer.h"
#include "ui/common/scenario_factory.h"

namespace velmora {

/// Makes a page's scenarios wait on fake timers, so that a test (or a
/// benchmark) lets the 100 ms pass when it chooses, without waiting for it.
class FakeScenarios {
public:
    ScenarioFactory factory() {
        return [this](QObject* parent, const ScenarioValues& initial) {
            auto timer = std::make_unique<FakeTimer>();
            timers_.push_back(timer.get());
            return new SubscriptionInputs(initial, std::move(timer), parent);
        };
    }
    /// Runs what is posted, lets the wait pass for every scenario, and runs
    /// what follows from it.
    void elapse() {
        drain();
        for (FakeTimer* timer : timers_) {
            timer->advance(SubscriptionInputs::recalculationDelay);
        }
        drain();
    }

private:
    std::vector<FakeTimer*> timers_;  // owned by their scenarios
};

}  // namespace velmora
