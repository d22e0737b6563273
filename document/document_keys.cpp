#include "document/document_keys.h"

#include <array>

#include "document/cohort_table_json.h"
#include "document/document_fields.h"
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

const std::array<OptionalKey, 3> table{costPerTrial, ranges, cohortTable};

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
