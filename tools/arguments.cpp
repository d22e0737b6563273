#include <algorithm>
#include <array>
#include <ostream>

#include "engine/shortest_text.h"
#include "tools/cli.h"
#include "tools/flag_values.h"
#include "tools/number_text.h"

namespace velmora::cli {

namespace {

using Problem = std::optional<std::string>;

// One flag: how --help shows it and what its value does to the options. The
// parser and the help text both read the table of them, so they cannot disagree.
struct Flag {
    std::string_view name;
    std::string_view metavar;  // empty for a switch, which takes no value
    std::string_view help;
    std::string (*defaultText)();
    Problem (*set)(std::string_view value, Options& options);
    // For a flag that sets a scenario field: copies that field.
    void (*copy)(const ScenarioValues& from, ScenarioValues& to) = nullptr;
};

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

constexpr std::array<std::string_view, 3> formatNames{"table", "csv", "json"};
constexpr std::array<std::string_view, 4> pageNames{"basic", "baseline", "alternate1",
                                                    "alternate2"};
constexpr std::array<std::string_view, 4> questionFlags{"", "--settle", "--goal", "--sensitivity"};

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

Problem ask(Options& options, Question question) {
    if (options.question != Question::Projection) {
        return "cannot be combined with " +
               std::string(questionFlags[static_cast<std::size_t>(options.question)]);
    }
    options.question = question;
    return std::nullopt;
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
    if (Problem problem = parseNumber(text.substr(equals + 1), options.goal.target)) {
        return problem;
    }
    return ask(options, Question::Goal);
}

std::string none() {
    return "none";
}

constexpr std::array<Flag, 21> flags{{
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
    scenarioFlag<&ScenarioValues::rtPlus>("--rest", "N", "share staying at renewals 7, 8, ..."),
    scenarioFlag<&ScenarioValues::monthDuration>("--month-duration", "DAYS",
                                                 "days in a month, a whole number >= 0"),
    {"--scenario", "FILE", "start from a page of a .velmora document", none,
     [](std::string_view text, Options& options) { return fileName(text, options.scenarioFile); }},
    {"--page", "PAGE", "which scenario of FILE (see below)",
     [] { return std::string(pageNames[0]); },
     [](std::string_view text, Options& options) {
         return pickEnum(pageNames, text, options.page);
     }},
    {"--save", "FILE", "write the scenario as a .velmora document", none,
     [](std::string_view text, Options& options) { return fileName(text, options.saveFile); }},
    {"--format", "FORMAT", "what to print: table, csv, json",
     [] { return std::string(formatNames[0]); },
     [](std::string_view text, Options& options) {
         options.formatGiven = true;
         return pickEnum(formatNames, text, options.format);
     }},
    {"--settle", "", "where the subscribers settle", [] { return std::string("off"); },
     [](std::string_view, Options& options) { return ask(options, Question::Settle); }},
    {"--goal", "METRIC=VALUE", "what --solve-for must be for it", none, setGoal},
    {"--solve-for", "INPUT", "the input --goal changes", none,
     [](std::string_view text, Options& options) {
         return pickEnum(inputNames(), text, options.goal.input);
     }},
    {"--sensitivity", "METRIC", "each input's effect on METRIC", none,
     [](std::string_view text, Options& options) {
         if (Problem problem = pickEnum(metricNames(), text, options.sensitivityMetric)) {
             return problem;
         }
         return ask(options, Question::Sensitivity);
     }},
}};

std::optional<std::size_t> flagIndex(std::string_view name) {
    const auto found = std::find_if(flags.begin(), flags.end(),
                                    [name](const Flag& flag) { return flag.name == name; });
    if (found == flags.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - flags.begin());
}

// What is wrong with flags that need one another, or nothing.
std::optional<std::string> missingPartner(const std::array<bool, flags.size()>& seen) {
    const auto given = [&seen](std::string_view name) { return seen[*flagIndex(name)]; };
    if (given("--page") && !given("--scenario")) {
        return "--page: needs --scenario FILE";
    }
    if (given("--goal") && !given("--solve-for")) {
        return "--goal: needs --solve-for INPUT";
    }
    if (given("--solve-for") && !given("--goal")) {
        return "--solve-for: needs --goal METRIC=VALUE";
    }
    return std::nullopt;
}

}  // namespace

ParseResult parseArguments(std::span<const std::string_view> arguments) {
    Options options;
    std::array<bool, flags.size()> seen{};
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            return HelpRequested{};
        }
        if (argument == "--version") {
            return VersionRequested{};
        }
        if (!argument.starts_with("--")) {
            return UsageError{quoted(argument) + ": unexpected argument; flags start with --"};
        }
        const std::size_t equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        const auto index = flagIndex(name);
        if (!index) {
            if (name == "--help" || name == "--version") {
                return UsageError{std::string(name) + ": takes no value"};
            }
            return UsageError{escaped(name) + ": unknown flag (see --help)"};
        }
        const Flag& flag = flags[*index];
        std::string_view value;
        if (flag.metavar.empty()) {
            if (equals != std::string_view::npos) {
                return UsageError{std::string(name) + ": takes no value"};
            }
        } else if (equals != std::string_view::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size() && !arguments[i + 1].starts_with("--")) {
            value = arguments[++i];
        } else {
            return UsageError{std::string(name) + ": missing value"};
        }
        // A flag given twice is more likely a slip (--rt1 for --rt2) than intended.
        if (seen[*index]) {
            return UsageError{std::string(name) + ": given more than once"};
        }
        seen[*index] = true;
        if (auto problem = flag.set(value, options)) {
            return UsageError{std::string(name) + ": " + *problem};
        }
        if (flag.copy != nullptr) {
            options.scenarioFlags.push_back(flag.name);
        }
    }
    if (auto problem = missingPartner(seen)) {
        return UsageError{std::move(*problem)};
    }
    return options;
}

ScenarioValues withFlags(ScenarioValues base, const Options& options) {
    for (const std::string_view name : options.scenarioFlags) {
        flags[*flagIndex(name)].copy(options.values, base);
    }
    return base;
}

void writeUsage(std::ostream& out) {
    out << "Usage: velmora-project [--flag value | --flag=value]...\n"
           "\n"
           "Projects the subscribers and proceeds of a free-trial subscription business\n"
           "and prints them to standard output, or answers a question about them.\n"
           "\n"
           "Flags, each at most once (default in brackets):\n";
    for (const Flag& flag : flags) {
        std::string left = "  " + std::string(flag.name);
        if (!flag.metavar.empty()) {
            left += ' ' + std::string(flag.metavar);
        }
        left.resize(std::max<std::size_t>(left.size() + 2, 30), ' ');
        out << left << flag.help;
        out << " [" << flag.defaultText() << "]\n";
    }
    out << "  --help, -h                  print this text\n"
           "  --version                   print the version\n"
           "\n"
           "Rates and shares are fractions: 0.65 means 65 %. Numbers take \".\" as the\n"
           "decimal point whatever the locale; any number up to about 1.8e308 in size is\n"
           "accepted (smaller than 5e-324 reads as 0), and --months -1 or less projects\n"
           "nothing.\n"
           "\n"
           "--scenario reads the page of FILE that --page picks (basic, baseline,\n"
           "alternate1 or alternate2); the scenario flags given beside it override its\n"
           "values. --save writes the scenario as the basic page of a new document, or\n"
           "with --scenario the whole document read with its page changed; --save alone\n"
           "prints nothing, with --format or a question it also prints.\n"
           "\n"
           "table: the last month's figures, then one row per month.\n"
           "csv:   month,active,change,proceeds,annualized; one row per month.\n"
           "json:  the inputs, the lifetime value of one trial, and every daily and\n"
           "       monthly snapshot with its cohorts.\n"
           "\n"
           "Questions, printed in the chosen format instead of the projection:\n"
           "  --settle: the subscribers and monthly proceeds the scenario approaches,\n"
           "    and the first month (from 0) at 90% of them; or why it does not settle.\n"
           "  --goal METRIC=VALUE --solve-for INPUT: the value of INPUT that brings METRIC\n"
           "    to VALUE, or the nearest when none in its range does (0 to 1 for shares).\n"
           "  --sensitivity METRIC: the change of METRIC with each input at 90% and at\n"
           "    110% of its value (shares at most 1), largest effect first.\n"
           "  METRIC: "
        << oneOf(metricNames())
        << "\n"
           "    (the last month's figures; lifetimeValue is one trial's over 24 months).\n"
           "  INPUT: dailyNewSubs, price, trialRetention, rt1 to rt6, rtPlus (--rest),\n"
           "    startingSubs.\n"
           "\n"
           "A projection may hold at most "
        << byteText(maxProjectionBytes) << ", write at most " << byteText(maxProjectionBytes)
        << " and take at most\n"
        << scientificText(maxCohortDays)
        << " cohort-days of work; 600 months of 30 days with 5,000 starting\n"
           "subscribers take about 50 MiB and write about 530 MiB of JSON. The questions\n"
           "keep to the same limits.\n"
           "\n"
           "Examples:\n"
           "  velmora-project --months 24 --daily-trials 250 --format csv\n"
           "  velmora-project --price 4.99 --save plan.velmora\n"
           "  velmora-project --scenario plan.velmora --page alternate1 --rt1 0.7\n"
           "  velmora-project --settle --format json\n"
           "  velmora-project --goal monthlyProceeds=50000 --solve-for dailyNewSubs\n"
           "  velmora-project --sensitivity subscribers --format csv\n"
           "\n"
           "Exit status: 0 on success; 2 on bad input, a document that cannot be read or\n"
           "a scenario a document cannot hold (one line on standard error, nothing on\n"
           "standard output); 1 when the output or the --save file cannot be written.\n";
}

}  // namespace velmora::cli
