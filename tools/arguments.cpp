#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <ostream>

#include "engine/calculation.h"
#include "tools/cli.h"
#include "tools/number_text.h"

namespace velmora::cli {

namespace {

struct NumberFlag {
    std::string_view name;
    double ScenarioValues::*field;
    std::string_view help;
};

constexpr std::array<NumberFlag, 12> numberFlags{{
    {"--months", &ScenarioValues::monthsToProject, "months to project (fraction cut off)"},
    {"--daily-trials", &ScenarioValues::dailyNewSubs, "free trials started each day"},
    {"--starting-subscribers", &ScenarioValues::startingSubs, "paying subscribers on day 0"},
    {"--price", &ScenarioValues::price, "dollars per subscriber and month"},
    {"--trial-retention", &ScenarioValues::trialRetention, "share of trials that start paying"},
    {"--rt1", &ScenarioValues::rt1, "share staying at the 1st monthly renewal"},
    {"--rt2", &ScenarioValues::rt2, "share staying at the 2nd renewal"},
    {"--rt3", &ScenarioValues::rt3, "share staying at the 3rd renewal"},
    {"--rt4", &ScenarioValues::rt4, "share staying at the 4th renewal"},
    {"--rt5", &ScenarioValues::rt5, "share staying at the 5th renewal"},
    {"--rt6", &ScenarioValues::rt6, "share staying at the 6th renewal"},
    {"--rest", &ScenarioValues::rtPlus, "share staying at renewals 7, 8, ..."},
}};

constexpr std::string_view monthDurationFlag = "--month-duration";
constexpr std::string_view formatFlag = "--format";
constexpr std::size_t monthDurationIndex = numberFlags.size();
constexpr std::size_t formatIndex = numberFlags.size() + 1;
constexpr std::size_t flagCount = numberFlags.size() + 2;

std::optional<std::size_t> flagIndex(std::string_view name) {
    for (std::size_t i = 0; i < numberFlags.size(); ++i) {
        if (numberFlags[i].name == name) {
            return i;
        }
    }
    if (name == monthDurationFlag) {
        return monthDurationIndex;
    }
    if (name == formatFlag) {
        return formatIndex;
    }
    return std::nullopt;
}

// Echoed text must keep the message on one line whatever the user typed.
std::string quoted(std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string result = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            result += '\\';
            result += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            result += "\\x";
            result += hex[byte >> 4];
            result += hex[byte & 0xF];
        } else {
            result += c;
        }
    }
    return result + '"';
}

// What is wrong with `text` as a number, or nothing once `value` is set.
std::optional<std::string> parseNumber(std::string_view text, double& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error == std::errc::result_out_of_range && stop == end) {
        return quoted(text) + " is out of range";
    }
    if (error != std::errc{} || stop != end) {
        return quoted(text) + " is not a number";
    }
    if (!std::isfinite(value)) {
        return quoted(text) + " is not a finite number";
    }
    return std::nullopt;
}

std::optional<std::string> parseDays(std::string_view text, std::int64_t& days) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, days);
    if (error == std::errc::result_out_of_range && stop == end) {
        return quoted(text) + " is out of range";
    }
    if (error != std::errc{} || stop != end) {
        return quoted(text) + " is not a whole number of days";
    }
    if (days < 0) {
        return quoted(text) + " is negative; a month has 0 or more days";
    }
    return std::nullopt;
}

std::optional<std::string> parseFormat(std::string_view text, OutputFormat& format) {
    if (text == "table") {
        format = OutputFormat::Table;
    } else if (text == "csv") {
        format = OutputFormat::Csv;
    } else if (text == "json") {
        format = OutputFormat::Json;
    } else {
        return quoted(text) + " is not one of table, csv, json";
    }
    return std::nullopt;
}

std::optional<std::string> apply(std::size_t index, std::string_view value, Options& options) {
    if (index == monthDurationIndex) {
        return parseDays(value, options.values.monthDuration);
    }
    if (index == formatIndex) {
        return parseFormat(value, options.format);
    }
    return parseNumber(value, options.values.*numberFlags[index].field);
}

std::string counted(std::int64_t count, std::string_view unit) {
    std::string text = groupedNumber(static_cast<double>(count), 0) + ' ';
    text += unit;
    if (count != 1) {
        text += 's';
    }
    return text;
}

// "4.5", "4.25", "12": at most three significant digits, no trailing zeros.
std::string roundedText(double value) {
    std::string text = groupedNumber(value, value < 10 ? 2 : value < 100 ? 1 : 0);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.ends_with('.')) {
            text.pop_back();
        }
    }
    return text;
}

std::string byteText(double bytes) {
    static constexpr std::array<std::string_view, 9> units{"bytes", "KiB", "MiB", "GiB", "TiB",
                                                           "PiB",   "EiB", "ZiB", "YiB"};
    std::size_t unit = 0;
    while (bytes >= 1024 && unit + 1 < units.size()) {
        bytes /= 1024;
        ++unit;
    }
    return roundedText(bytes) + ' ' + std::string(units[unit]);
}

// "4.5e10": no "+" that reads like a sum.
std::string scientificText(double value) {
    const int exponent = static_cast<int>(std::floor(std::log10(value)));
    return roundedText(value / std::pow(10.0, exponent)) + 'e' + std::to_string(exponent);
}

}  // namespace

std::optional<std::string> projectionTooLarge(const ScenarioValues& values) {
    const auto size = projectionSize(values);
    if (!size) {
        // The engine projects nothing for day counts beyond 64 bits; asking for
        // that many is a mistake worth reporting, not an empty result.
        if (values.monthsToProject > -1 && values.monthDuration > 0) {
            return "--months: " + shortest(values.monthsToProject) + " months of " +
                   counted(values.monthDuration, "day") + " is far beyond the limit of " +
                   byteText(maxProjectionBytes);
        }
        return std::nullopt;
    }
    const std::string extent = "--months: " + counted(size->months, "month") + " of " +
                               counted(size->monthDuration, "day");
    if (size->estimatedBytes() > maxProjectionBytes) {
        return extent + " would need about " + byteText(size->estimatedBytes()) +
               "; the limit is " + byteText(maxProjectionBytes);
    }
    if (size->cohortDays > maxCohortDays) {
        return extent + " would take about " + scientificText(size->cohortDays) +
               " cohort-days of work; the limit is " + scientificText(maxCohortDays);
    }
    return std::nullopt;
}

ParseResult parseArguments(std::span<const std::string_view> arguments) {
    Options options;
    std::array<bool, flagCount> seen{};
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
        if (name == "--help" || name == "--version") {
            return UsageError{std::string(name) + ": takes no value"};
        }
        const auto index = flagIndex(name);
        if (!index) {
            return UsageError{std::string(name) + ": unknown flag (see --help)"};
        }
        std::string_view value;
        if (equals != std::string_view::npos) {
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
        if (auto problem = apply(*index, value, options)) {
            return UsageError{std::string(name) + ": " + *problem};
        }
    }
    if (auto problem = projectionTooLarge(options.values)) {
        return UsageError{std::move(*problem)};
    }
    return options;
}

void writeUsage(std::ostream& out) {
    const ScenarioValues defaults;
    out << "Usage: velmora-project [--flag value | --flag=value]...\n"
           "\n"
           "Projects the subscribers and proceeds of a free-trial subscription business\n"
           "and prints them to standard output.\n"
           "\n"
           "Flags, each at most once (default in brackets):\n";
    const auto line = [&out](std::string_view flag, std::string_view help, std::string def) {
        std::string left = "  " + std::string(flag);
        left.resize(std::max<std::size_t>(left.size() + 2, 30), ' ');
        out << left << help << " [" << def << "]\n";
    };
    for (const NumberFlag& flag : numberFlags) {
        line(std::string(flag.name) + " N", flag.help, shortest(defaults.*flag.field));
    }
    line(std::string(monthDurationFlag) + " DAYS", "days in a month, a whole number >= 0",
         std::to_string(defaults.monthDuration));
    line(std::string(formatFlag) + " table|csv|json", "what to print", "table");
    out << "  --help, -h                  print this text\n"
           "  --version                   print the version\n"
           "\n"
           "Rates and shares are fractions: 0.65 means 65 %. Numbers take \".\" as the\n"
           "decimal point whatever the locale; any finite number is accepted, and\n"
           "--months -1 or less projects nothing.\n"
           "\n"
           "A projection may hold at most "
        << byteText(maxProjectionBytes) << " of results and take at most "
        << scientificText(maxCohortDays)
        << "\n"
           "cohort-days of work; 600 months of 30 days with 5,000 starting subscribers\n"
           "take about 50 MiB.\n"
           "\n"
           "table: the last month's figures, then one row per month.\n"
           "csv:   month,active,change,proceeds,annualized; one row per month.\n"
           "json:  the inputs, the lifetime value of one trial, and every daily and\n"
           "       monthly snapshot with its cohorts.\n"
           "\n"
           "Exit status: 0 on success, 2 on bad input (one line on standard error),\n"
           "1 when the output cannot be written.\n";
}

}  // namespace velmora::cli
