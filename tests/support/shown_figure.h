#pragma once

#include <sstream>

#include "engine/decisions/metrics.h"
#include "engine/table/table_figures.h"

namespace velmora {

/// `metric` as the summary of the full projection of `values` shows it: the
/// independent check of the decision tools, which compute it without the full
/// projection. The projection must have a month.
inline double shownFigure(Metric metric, const ScenarioValues& values) {
    std::ostringstream discard;
    const FixedScenario scenario(values);
    const auto summary = summarize(SubscriptionCalculation(scenario, discard), values.price);
    const double figures[] = {summary->subscribers, summary->monthlyProceeds,
                              summary->annualProceeds, summary->lifetimeValue};
    return figures[static_cast<std::size_t>(metric)];
}

}  // namespace velmora
