#include "engine/projection/plan_events.h"

#include <algorithm>

namespace velmora {

namespace {

PlanEvent& eventAt(std::vector<PlanEvent>& events, std::int64_t month) {
    const auto at = std::find_if(events.begin(), events.end(),
                                 [month](const PlanEvent& event) { return event.month == month; });
    if (at != events.end()) {
        return *at;
    }
    return events.emplace_back(PlanEvent{.month = month});
}

}  // namespace

std::vector<PlanEvent> planEvents(const Plan& plan, std::int64_t months) {
    std::vector<PlanEvent> events;
    // Growth up to M0 alone never grew anything, so nothing stops.
    if (plan.hasGrowth() && plan.growthUntil && *plan.growthUntil >= 1 &&
        *plan.growthUntil + 1 < months) {
        eventAt(events, *plan.growthUntil + 1).growthStops = true;
    }
    for (const PlanChange& change : plan.changes) {
        if (change.month >= 1 && change.month < months) {
            eventAt(events, change.month).changes.push_back(change);
        }
    }
    std::sort(events.begin(), events.end(),
              [](const PlanEvent& a, const PlanEvent& b) { return a.month < b.month; });
    for (PlanEvent& event : events) {
        std::sort(event.changes.begin(), event.changes.end(),
                  [](const PlanChange& a, const PlanChange& b) { return a.input < b.input; });
    }
    return events;
}

}  // namespace velmora
