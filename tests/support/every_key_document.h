#pragma once

#include <functional>
#include <map>
#include <string_view>

#include <gtest/gtest.h>

#include "document/document_keys.h"
#include "document/scenario_document.h"

// A document with every key the format knows set, for the round trips through
// every path that reads or writes one.
namespace velmora {

/// A value for an optional key at scenario `at` (0 for a key of the
/// document), unlike its default and unlike the other scenarios'.
using KeySample = std::function<void(ScenarioDocument&, std::size_t at)>;

/// A sample for each optional key, by name. A key the format gains needs one
/// here: `everyKeyDocument` fails the test without it.
inline const std::map<std::string_view, KeySample>& keySamples() {
    static const std::map<std::string_view, KeySample> samples{
        {"costPerTrial",
         [](ScenarioDocument& d, std::size_t at) {
             document_format::scenarioAt(d, at).costPerTrial = 0.1 + 0.2 + double(at);
         }},
        {"laterRates",
         [](ScenarioDocument& d, std::size_t at) {
             document_format::scenarioAt(d, at).laterRates = {0.1 + 0.2 + 0.01 * double(at),
                                                              1.5e-300, 0.97};
         }},
        {"ranges",
         [](ScenarioDocument& d, std::size_t at) {
             document_format::rangesAt(d, at) = {{Input::Price, 5 + double(at), 9},
                                                 {Input::Rt1, 0.6, 0.7 + 0.01 * double(at)}};
         }},
        {"plan",
         [](ScenarioDocument& d, std::size_t at) {
             Plan plan;
             plan.growthPercent = 0.1 + 0.2 + double(at);
             plan.growthUntil = 12 + static_cast<std::int64_t>(at);
             plan.startMonth = CalendarMonth{2027, 1 + static_cast<int>(at)};
             plan.seasonality =
                 std::array<double, 12>{0.7, 0.8, 1, 1, 1.1, 1.2, 1.3, 1, 1, 1, 0.9, 1.5e-300};
             plan.priceChangesApply =
                 at % 2 == 0 ? PriceChangesApply::NewSubscribers : PriceChangesApply::Everyone;
             plan.changes = {{PlanInput::Price, 6, 2.99 + double(at)},
                             {PlanInput::DailyNewSubs, 3, 0.1 + 0.2},
                             {PlanInput::TrialRetention, 9, 0.5},
                             {PlanInput::CostPerTrial, 1, 1e-320}};
             document_format::scenarioAt(d, at).plan = plan;
         }},
        {"cohortTable",
         [](ScenarioDocument& d, std::size_t) {
             d.cohortTable = CohortTable{
                 {{"2025-01 é", {1000, 650.5, 420}, 1700, 31}, {"2025-02", {900, 600}}}};
         }},
    };
    return samples;
}

/// Every scenario's fields away from their defaults, and every optional key
/// of the format set through `keySamples`.
inline ScenarioDocument everyKeyDocument() {
    ScenarioDocument document;
    document.chartType = ChartType::Cohorts;
    for (std::size_t at = 0; at < document_format::scenarioCount; ++at) {
        ScenarioValues& values = document_format::scenarioAt(document, at);
        const double k = static_cast<double>(at);
        values.monthDuration = 28 + static_cast<std::int64_t>(at);
        values.monthsToProject = 12 + k;
        values.dailyNewSubs = 250.5 + k;
        values.startingSubs = 40 + k;
        values.price = 4.99 + k;
        values.trialRetention = 0.55 + 0.01 * k;
        values.rt1 = 0.61 + 0.01 * k;
        values.rt2 = 0.8 + 0.01 * k;
        values.rt3 = 0.85 + 0.01 * k;
        values.rt4 = 0.86 + 0.01 * k;
        values.rt5 = 0.88 + 0.01 * k;
        values.rt6 = 0.9 + 0.01 * k;
        values.rtPlus = 0.93 + 0.01 * k;
    }
    for (const document_format::OptionalKey& key : document_format::optionalKeys()) {
        const auto sample = keySamples().find(key.name);
        if (sample == keySamples().end()) {
            ADD_FAILURE() << "no sample for the key \"" << key.name << "\": add one to keySamples";
            continue;
        }
        const bool perScenario = key.scope == document_format::KeyScope::Scenario;
        for (std::size_t at = 0; at < (perScenario ? document_format::scenarioCount : 1); ++at) {
            sample->second(document, at);
        }
    }
    return document;
}

}  // namespace velmora
