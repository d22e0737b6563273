#pragma once

#include <functional>

#include <QObject>

#include "inputs/subscription_inputs.h"

namespace velmora {

/// Makes the scenarios a page owns, as children of `parent`, starting from
/// `initial`. Pages use the default one; tests pass one whose scenarios wait on
/// a clock they control.
using ScenarioFactory =
    std::function<SubscriptionInputs*(QObject* parent, const ScenarioValues& initial)>;

/// Scenarios that rebuild on a Qt timer.
[[nodiscard]] inline ScenarioFactory defaultScenarios() {
    return [](QObject* parent, const ScenarioValues& initial) {
        return new SubscriptionInputs(initial, std::make_unique<QtRecalculationTimer>(), parent);
    };
}

}  // namespace velmora
