#include "tools/flags.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "engine/calibration/calibration.h"
#include "engine/support/shortest_text.h"
#include "tools/flag_values.h"
#include "tools/plan_flags.h"
#include "tools/spread_answer.h"

namespace velmora::cli {

namespace {

Problem parseValue(std::string_view text, double& value) {
    return parseNumber(text, value);
}

Problem parseValue(std::string_view text, std::int64_t& value) {
    return parseDays(text, value);
}

std::string valueText(double value) {
    return shortest(value);
}

std::string valueText(std::int64_t value) {
    return std::to_string(value);
}

template <auto field>
constexpr Flag scenarioFlag(std::string_view name, std::string_view metavar,
                            std::string_view help) {
    return {name,
            metavar,
            help,
            [] { return valueText(ScenarioValues{}.*field); },
            [](std::string_view text, Options& options) {
                return parseValue(text, options.values.*field);
            },
            [](const ScenarioValues& from, ScenarioValues& to) { to.*field = from.*field; }};
}

template <std::size_t count>
std::string oneOf(const std::array<std::string_view, count>& names) {
    std::string text;
    for (const std::string_view name : names) {
        text += text.empty() ? "" : ", ";
        text += name;
    }
    return text;
}

// Sets `value` to the enumerator named `text` in `names`, or says what is wrong.
template <typename Enum, std::size_t count>
Problem pickEnum(const std::array<std::string_view, count>& names, std::string_view text,
                 Enum& value) {
    const auto found = std::find(names.begin(), names.end(), text);
    if (found == names.end()) {
        return quoted(text) + " is not one of " + oneOf(names);
    }
    value = static_cast<Enum>(found - names.begin());
    return std::nullopt;
}

constexpr std::array<std::string_view, 5> formatNames{"table", "csv", "json", "xlsx", "pdf"};
constexpr std::size_t textFormats = 3;
constexpr std::array<std::string_view, 4> pageNames{"basic", "baseline", "alternate1",
                                                    "alternate2"};

std::array<std::string_view, allMetrics.size()> metricNames() {
    std::array<std::string_view, allMetrics.size()> names;
    std::transform(allMetrics.begin(), allMetrics.end(), names.begin(), metricName);
    return names;
}

std::array<std::string_view, allInputs.size()> inputNames() {
    std::array<std::string_view, allInputs.size()> names;
    std::transform(allInputs.begin(), allInputs.end(), names.begin(), inputName);
    return names;
}

Problem fileName(std::string_view text, std::optional<std::string>& file) {
    if (text.empty()) {
        return "a file name is needed";
    }
    file = std::string(text);
    return std::nullopt;
}

Problem setGoal(std::string_view text, Options& options) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return quoted(text) + " is not METRIC=VALUE";
    }
    if (Problem problem = pickEnum(metricNames(), text.substr(0, equals), options.goal.metric)) {
        return problem;
    }
    options.question = Question::Goal;
    return parseNumber(text.substr(equals + 1), options.goal.target);
}

std::string none() {
    return "none";
}

// A whole number from `low` to `high`.
Problem wholeNumber(std::string_view text, std::size_t low, std::size_t high,
                    std::optional<std::size_t>& out) {
    std::uint64_t value = 0;
    if (!parseWhole(text, low, high, value)) {
        return quoted(text) + " is not a whole number from " + std::to_string(low) + " to " +
               std::to_string(high);
    }
    out = static_cast<std::size_t>(value);
    return std::nullopt;
}

Problem parseCost(std::string_view text, double& cost) {
    double value = 0;
    if (Problem problem = parseNumber(text, value)) {
        return problem;
    }
    if (value < 0) {
        return quoted(text) + " is negative; a cost is 0 or more";
    }
    cost = value;
    return std::nullopt;
}

// Shares for renewals 7, 8, ... separated by commas: "0.93,0.94".
Problem parseLaterRates(std::string_view text, std::vector<double>& rates) {
    std::vector<double> read;
    for (std::size_t entry = 1;; ++entry) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        if (item.empty()) {
            return "entry " + std::to_string(entry) + " is empty; give shares separated by commas";
        }
        if (read.size() == ScenarioValues::maxLaterRates) {
            return "more than 1,200 rates";
        }
        double rate = 0;
        if (Problem problem = parseNumber(item, rate)) {
            return "entry " + std::to_string(entry) + ": " + *problem;
        }
        read.push_back(rate);
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    rates = std::move(read);
    return std::nullopt;
}

constexpr Flag flags[] = {
    scenarioFlag<&ScenarioValues::monthsToProject>("--months", "N",
                                                   "months to project (fraction cut off)"),
    scenarioFlag<&ScenarioValues::dailyNewSubs>("--daily-trials", "N",
                                                "free trials started each day"),
    scenarioFlag<&ScenarioValues::startingSubs>("--starting-subscribers", "N",
                                                "paying subscribers on day 0"),
    scenarioFlag<&ScenarioValues::price>("--price", "N", "dollars per subscriber and month"),
    scenarioFlag<&ScenarioValues::trialRetention>("--trial-retention", "N",
                                                  "share of trials that start paying"),
    scenarioFlag<&ScenarioValues::rt1>("--rt1", "N", "share staying at the 1st monthly renewal"),
    scenarioFlag<&ScenarioValues::rt2>("--rt2", "N", "share staying at the 2nd renewal"),
    scenarioFlag<&ScenarioValues::rt3>("--rt3", "N", "share staying at the 3rd renewal"),
    scenarioFlag<&ScenarioValues::rt4>("--rt4", "N", "share staying at the 4th renewal"),
    scenarioFlag<&ScenarioValues::rt5>("--rt5", "N", "share staying at the 5th renewal"),
    scenarioFlag<&ScenarioValues::rt6>("--rt6", "N", "share staying at the 6th renewal"),
    scenarioFlag<&ScenarioValues::rtPlus>("--rest", "N",
                                          "share staying at every renewal past the later rates"),
    {"--later-rates", "LIST", "shares staying at renewals 7, 8, ... in turn, by commas", none,
     [](std::string_view text, Options& options) {
         return parseLaterRates(text, options.values.laterRates);
     },
     [](const ScenarioValues& from, ScenarioValues& to) { to.laterRates = from.laterRates; }},
    scenarioFlag<&ScenarioValues::monthDuration>("--month-duration", "DAYS",
                                                 "days in a month, a whole number >= 1"),
    {"--cost-per-trial", "N", "what winning one trial costs (0: not given)",
     [] { return valueText(ScenarioValues{}.costPerTrial); },
     [](std::string_view text, Options& options) {
         return parseCost(text, options.values.costPerTrial);
     },
     [](const ScenarioValues& from, ScenarioValues& to) { to.costPerTrial = from.costPerTrial; }},
    {"--trials-growth", "PCT", "monthly growth of the daily trials in percent, above -100", none,
     setTrialsGrowth, copyTrialsGrowth},
    {"--growth-until", "M", "the last month the trials grow", [] { return std::string("the end"); },
     setGrowthUntil, copyGrowthUntil, "--trials-growth"},
    {"--seasonality", "F1,...,F12", "factors of the daily trials, January to December", none,
     setSeasonality, copySeasonality, "--start-month"},
    {"--start-month", "YYYY-MM", "the calendar month of M0", none, setStartMonth, copyStartMonth},
    {"--change",
     "NAME@M=VALUE",
     "a new value of an input from month M on; repeat for each",
     none,
     addChange,
     copyChanges,
     {},
     false,
     true},
    {"--price-changes-apply", "all|new", "whom a change of price reaches",
     [] { return std::string("all"); }, setPriceRule, copyPriceRule},
    {"--scenario", "FILE", "start from a page of a .velmora document", none,
     [](std::string_view text, Options& options) { return fileName(text, options.scenarioFile); }},
    {"--page", "PAGE", "which scenario of FILE (see below)",
     [] { return std::string(pageNames[0]); },
     [](std::string_view text, Options& options) {
         return pickEnum(pageNames, text, options.page);
     },
     nullptr, "--scenario"},
    {"--save", "FILE", "write the scenario as a .velmora document", none,
     [](std::string_view text, Options& options) { return fileName(text, options.saveFile); }},
    {"--format", "FORMAT", "what to write: table, csv, json, xlsx, pdf",
     [] { return std::string(formatNames[0]); },
     [](std::string_view text, Options& options) {
         options.formatGiven = true;
         std::size_t picked = 0;
         if (Problem problem = pickEnum(formatNames, text, picked)) {
             return problem;
         }
         if (picked < textFormats) {
             options.format = static_cast<OutputFormat>(picked);
         } else {
             options.fileFormat = static_cast<FileFormat>(picked - textFormats);
         }
         return Problem{};
     }},
    {"--output", "FILE", "write to FILE instead of standard output", none,
     [](std::string_view text, Options& options) { return fileName(text, options.outputFile); }},
    {"--settle",
     "",
     "where the subscribers settle",
     [] { return std::string("off"); },
     [](std::string_view, Options& options) -> Problem {
         options.question = Question::Settle;
         return std::nullopt;
     },
     nullptr,
     {},
     true},
    {"--economics",
     "",
     "payback, cash needed and break-even of a trial's cost",
     [] { return std::string("off"); },
     [](std::string_view, Options& options) -> Problem {
         options.question = Question::Economics;
         return std::nullopt;
     },
     nullptr,
     {},
     true},
    {"--goal", "METRIC=VALUE", "what --solve-for must be for it", none, setGoal, nullptr,
     "--solve-for", true},
    {"--solve-for", "INPUT", "the input --goal changes", none,
     [](std::string_view text, Options& options) {
         return pickEnum(inputNames(), text, options.goal.input);
     },
     nullptr, "--goal"},
    {"--sensitivity",
     "METRIC",
     "each input's effect on METRIC",
     none,
     [](std::string_view text, Options& options) {
         options.question = Question::Sensitivity;
         return pickEnum(metricNames(), text, options.sensitivityMetric);
     },
     nullptr,
     {},
     true},
    {"--calibrate",
     "FILE",
     "fit the rates to a cohort table (CSV, TSV)",
     none,
     [](std::string_view text, Options& options) {
         options.question = Question::Calibrate;
         return fileName(text, options.calibrateFile);
     },
     nullptr,
     {},
     true},
    {"--horizon", "K", "the renewal rtPlus follows the model to",
     [] { return std::string("the months"); },
     [](std::string_view text, Options& options) {
         return wholeNumber(text, minHorizon, maxHorizon, options.horizon);
     },
     nullptr, "--calibrate"},
    {"--holdout", "K", "renewals the backtest hides",
     [] { return std::string("a quarter of the table"); },
     [](std::string_view text, Options& options) {
         return wholeNumber(text, 0, maxRenewals, options.holdout);
     },
     nullptr, "--calibrate"},
    {"--simulate",
     "N",
     "the spread of N projections drawn from --range",
     none,
     [](std::string_view text, Options& options) {
         options.question = Question::Simulate;
         return setDraws(text, options);
     },
     nullptr,
     {},
     true},
    {"--seed", "S", "the seed of --simulate's draws", [] { return std::string("1"); }, setSeed,
     nullptr, "--simulate"},
    {"--range", "NAME=LOW:HIGH", "where an input may lie; repeat for each input", none, addRange,
     nullptr, "--simulate", false, true},
};

}  // namespace

std::span<const Flag> allFlags() {
    return flags;
}

const Flag* findFlag(std::string_view name) {
    const auto found =
        std::ranges::find_if(flags, [name](const Flag& flag) { return flag.name == name; });
    return found == std::end(flags) ? nullptr : found;
}

std::string metricList() {
    return oneOf(metricNames());
}

}  // namespace velmora::cli
