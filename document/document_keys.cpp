#include "document/document_keys.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "document/cohort_table_json.h"
#include "document/document_fields.h"
#include "document/plan_json.h"
#include "document/ranges_json.h"
#include "engine/support/shortest_text.h"

namespace velmora::document_format {

namespace {

using json::Value;
using Problem = std::optional<std::string>;

// "costPerTrial": written always, as it has been since it came, so that a file
// saved again keeps its text.
const OptionalKey costPerTrial{
    costPerTrialKey,
    KeyScope::Scenario,
    [](const ScenarioDocument&, std::size_t) { return true; },
    [](QByteArray& out, const ScenarioDocument& document, std::size_t at) {
        out += shortest(scenarioAt(document, at).costPerTrial);
    },
    [](const Value& value, const std::string& path, ScenarioDocument& document,
       std::size_t at) -> Problem {
        if (value.kind != Value::Kind::Number) {
            return path + ": expected a number, found " + std::string(json::kindName(value.kind));
        }
        if (Problem problem = valueProblem(costPerTrialKey, value.number, value.numberText)) {
            return path + ": " + *problem;
        }
        scenarioAt(document, at).costPerTrial = value.number;
        return std::nullopt;
    },
    [](const ScenarioDocument& document, std::size_t at) -> Problem {
        const double cost = scenarioAt(document, at).costPerTrial;
        if (Problem problem = valueProblem(costPerTrialKey, cost, shortest(cost))) {
            return std::string(costPerTrialKey) + ": " + *problem;
        }
        return std::nullopt;
    },
};

/// Why `rates`, each written as `text(i)`, cannot be a scenario's later
/// rates, naming the member after `path` ("basic.laterRates[2]: ..."), or none.
template <typename Text>
Problem laterRatesProblem(const std::string& path, std::size_t count, const Text& text,
                          const std::vector<double>& rates) {
    if (count > ScenarioValues::maxLaterRates) {
        return path + ": expected at most 1200 rates, found " + std::to_string(count);
    }
    for (std::size_t i = 0; i < rates.size(); ++i) {
        if (!std::isfinite(rates[i])) {
            return path + "[" + std::to_string(i) + "]: expected a finite number, found " +
                   std::string(text(i));
        }
    }
    return std::nullopt;
}

// "laterRates": written only when there are some, so that a scenario without
// them keeps the text it had before they came.
const OptionalKey laterRates{
    laterRatesKey,
    KeyScope::Scenario,
    [](const ScenarioDocument& document, std::size_t at) {
        return !scenarioAt(document, at).laterRates.empty();
    },
    [](QByteArray& out, const ScenarioDocument& document, std::size_t at) {
        const std::vector<double>& rates = scenarioAt(document, at).laterRates;
        out += '[';
        for (std::size_t i = 0; i < rates.size(); ++i) {
            out += i == 0 ? "" : ", ";
            out += shortest(rates[i]);
        }
        out += ']';
    },
    [](const Value& value, const std::string& path, ScenarioDocument& document,
       std::size_t at) -> Problem {
        if (value.kind != Value::Kind::Array) {
            return path + ": expected an array of numbers, found " +
                   std::string(json::kindName(value.kind));
        }
        std::vector<double> rates;
        rates.reserve(std::min(value.items.size(), ScenarioValues::maxLaterRates));
        for (std::size_t i = 0; i < value.items.size() && i < ScenarioValues::maxLaterRates; ++i) {
            const Value& item = value.items[i];
            if (item.kind != Value::Kind::Number) {
                return path + "[" + std::to_string(i) + "]: expected a number, found " +
                       std::string(json::kindName(item.kind));
            }
            rates.push_back(item.number);
        }
        const auto text = [&](std::size_t i) { return value.items[i].numberText; };
        if (Problem problem = laterRatesProblem(path, value.items.size(), text, rates)) {
            return problem;
        }
        scenarioAt(document, at).laterRates = std::move(rates);
        return std::nullopt;
    },
    [](const ScenarioDocument& document, std::size_t at) -> Problem {
        const std::vector<double>& rates = scenarioAt(document, at).laterRates;
        const auto text = [&](std::size_t i) { return shortest(rates[i]); };
        return laterRatesProblem(std::string(laterRatesKey), rates.size(), text, rates);
    },
};

const OptionalKey ranges{
    "ranges",
    KeyScope::Scenario,
    [](const ScenarioDocument& document, std::size_t at) {
        return !rangesAt(document, at).empty();
    },
    [](QByteArray& out, const ScenarioDocument& document, std::size_t at) {
        appendRanges(out, rangesAt(document, at));
    },
    [](const Value& value, const std::string& path, ScenarioDocument& document, std::size_t at) {
        return readRangesValue(value, path, rangesAt(document, at));
    },
    [](const ScenarioDocument& document, std::size_t at) -> Problem {
        if (Problem problem = rangesProblem(rangesAt(document, at))) {
            return "ranges." + *problem;
        }
        return std::nullopt;
    },
};

// "plan": written only when the scenario has one, so that a scenario without
// one keeps the text it had before plans came.
const OptionalKey plan{
    "plan",
    KeyScope::Scenario,
    [](const ScenarioDocument& document, std::size_t at) {
        return scenarioAt(document, at).plan.has_value();
    },
    [](QByteArray& out, const ScenarioDocument& document, std::size_t at) {
        appendPlan(out, *scenarioAt(document, at).plan);
    },
    [](const Value& value, const std::string& path, ScenarioDocument& document, std::size_t at) {
        return readPlanValue(value, path, scenarioAt(document, at).plan);
    },
    [](const ScenarioDocument& document, std::size_t at) -> Problem {
        const std::optional<Plan>& held = scenarioAt(document, at).plan;
        return held ? planDocumentProblem(*held) : std::nullopt;
    },
};

const OptionalKey cohortTable{
    "cohortTable",
    KeyScope::Document,
    [](const ScenarioDocument& document, std::size_t) { return document.cohortTable.has_value(); },
    [](QByteArray& out, const ScenarioDocument& document, std::size_t) {
        appendCohortTable(out, *document.cohortTable);
    },
    [](const Value& value, const std::string&, ScenarioDocument& document, std::size_t) {
        return readCohortTableValue(value, document.cohortTable);
    },
    [](const ScenarioDocument& document, std::size_t) -> Problem {
        const auto& table = document.cohortTable;
        if (!table) {
            return std::nullopt;
        }
        if (const auto what = cohortTableProblem(*table)) {
            return "cohortTable: " + what->message;
        }
        if (!fitsInDocument(*table)) {
            return "cohortTable: too large for the 1 MiB a document may hold";
        }
        return std::nullopt;
    },
};

const std::array<OptionalKey, 5> table{costPerTrial, laterRates, ranges, plan, cohortTable};

}  // namespace

ScenarioValues& scenarioAt(ScenarioDocument& document, std::size_t at) {
    return at == 0 ? document.basic : document.comparison.at(at - 1);
}

const ScenarioValues& scenarioAt(const ScenarioDocument& document, std::size_t at) {
    return at == 0 ? document.basic : document.comparison.at(at - 1);
}

std::vector<Range>& rangesAt(ScenarioDocument& document, std::size_t at) {
    return at == 0 ? document.basicRanges : document.comparisonRanges.at(at - 1);
}

const std::vector<Range>& rangesAt(const ScenarioDocument& document, std::size_t at) {
    return at == 0 ? document.basicRanges : document.comparisonRanges.at(at - 1);
}

std::string scenarioPath(std::size_t at) {
    return at == 0 ? std::string("basic") : "comparison." + std::string(comparisonKeys.at(at - 1));
}

std::span<const OptionalKey> optionalKeys() {
    return table;
}

std::vector<std::string_view> optionalKeyNames(KeyScope scope) {
    std::vector<std::string_view> names;
    for (const OptionalKey& key : table) {
        if (key.scope == scope) {
            names.push_back(key.name);
        }
    }
    return names;
}

}  // namespace velmora::document_format
