#pragma once

#include <functional>

#include <QObject>

#include "inputs/subscription_inputs.h"

namespace velmora {

/// Makes the scenarios a page owns, as children of `parent`. Pages use the
/// default one; tests pass one whose scenarios wait on a clock they control.
using ScenarioFactory = std::function<SubscriptionInputs*(QObject* parent)>;

/// Scenarios with the default values that rebuild on a Qt timer.
[[nodiscard]] inline ScenarioFactory defaultScenarios() {
    return [](QObject* parent) { return new SubscriptionInputs(parent); };
}

}  // namespace velmora
