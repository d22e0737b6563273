#pragma once

#include <initializer_list>
#include <iterator>
#include <memory>
#include <sstream>

#include "engine/projection/calculation.h"

namespace velmora {

/// The projection of `values` to `detail`, holding the fixed scenario it reads from.
inline std::shared_ptr<SubscriptionCalculation> project(
    const ScenarioValues& values = {}, ProjectionDetail detail = ProjectionDetail::Days) {
    struct Held {
        Held(const ScenarioValues& v, ProjectionDetail detail)
            : scenario(v), calculation(scenario, announce, detail) {}
        FixedScenario scenario;
        std::ostringstream announce;
        SubscriptionCalculation calculation;
    };
    auto held = std::make_shared<Held>(values, detail);
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
