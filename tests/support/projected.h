#pragma once

#include <initializer_list>
#include <iterator>
#include <memory>
#include <sstream>

#include "engine/projection/calculation.h"

namespace velmora {

/// The projection of `values`, holding the fixed scenario it reads from.
inline std::shared_ptr<SubscriptionCalculation> project(const ScenarioValues& values = {}) {
    struct Held {
        explicit Held(const ScenarioValues& v) : scenario(v), calculation(scenario, announce) {}
        FixedScenario scenario;
        std::ostringstream announce;
        SubscriptionCalculation calculation;
    };
    auto held = std::make_shared<Held>(values);
    return {held, &held->calculation};
}

/// A projection of the default scenario without days whose months count
/// exactly `actives`.
inline std::shared_ptr<SubscriptionCalculation> withMonths(std::initializer_list<double> actives) {
    auto projection = project({.monthsToProject = 0});
    UuidGenerator ids(7);
    for (const double active : actives) {
        projection->monthlySnapshots.emplace_back(ids, std::ssize(projection->monthlySnapshots),
                                                  active, CohortList{});
    }
    return projection;
}

}  // namespace velmora
