#pragma once

#include <cstdint>
#include <vector>

#include "engine/projection/plan.h"

namespace velmora {

/// What a plan changes at the start of one month.
struct PlanEvent {
    std::int64_t month = 0;
    bool growthStops = false;  ///< the first month that no longer grows
    std::vector<PlanChange> changes =
        {};  ///< the inputs changed there, in the order of `PlanInput`

    friend bool operator==(const PlanEvent&, const PlanEvent&) = default;
};

/// The months at which `plan` changes something, in order, below `months`:
/// each change's month, and the month after `growthUntil` for a plan that
/// grows (or shrinks) and stops at M1 or later. Seasons move every month and
/// are no event.
[[nodiscard]] std::vector<PlanEvent> planEvents(const Plan& plan, std::int64_t months);

}  // namespace velmora
