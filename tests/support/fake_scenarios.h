#pragma once

#include <memory>
#include <utility>
#include <vector>

#include <QPointer>

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
            FakeTimer* kept = timer.get();
            auto* scenario = new SubscriptionInputs(initial, std::move(timer), parent);
            timers_.emplace_back(scenario, kept);
            return scenario;
        };
    }
    /// Runs what is posted, lets the wait pass for every scenario, and runs
    /// what follows from it.
    void elapse() {
        drain();
        // A closed window's scenarios are gone, and their timers with them.
        std::erase_if(timers_, [](const auto& held) { return held.first.isNull(); });
        for (const auto& [scenario, timer] : timers_) {
            timer->advance(SubscriptionInputs::recalculationDelay);
        }
        drain();
    }

private:
    std::vector<std::pair<QPointer<SubscriptionInputs>, FakeTimer*>> timers_;  // owned by the first
};

}  // namespace velmora
