#include "tools/spread_answer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <ostream>

#include "engine/spread/simulation.h"
#include "engine/support/shortest_text.h"
#include "tools/flag_values.h"
#include "tools/number_text.h"
#include "tools/render.h"

namespace velmora::cli {

namespace {

std::string rangedNames() {
    std::string names;
    for (const Input input : rangedInputs) {
        names += names.empty() ? "" : ", ";
        names += inputName(input);
    }
    return names;
}

// Non-finite numbers have no JSON form; they are strings, as in the projection.
std::string jsonNumber(double value) {
    return std::isfinite(value) ? shortest(value) : '"' + shortest(value) + '"';
}

std::string jsonPercentiles(const Percentiles& p) {
    return "{\"p10\": " + jsonNumber(p.p10) + ", \"p50\": " + jsonNumber(p.p50) +
           ", \"p90\": " + jsonNumber(p.p90) + '}';
}

void writeJson(const Spread& spread, std::span<const Range> ranges, std::ostream& out) {
    out << "{\"draws\": " << spread.draws << ", \"seed\": " << spread.seed << ", \"ranges\": [";
    for (const Range& range : ranges) {
        out << (&range == ranges.data() ? "" : ", ") << "{\"input\": \"" << inputName(range.input)
            << "\", \"low\": " << shortest(range.low) << ", \"high\": " << shortest(range.high)
            << '}';
    }
    out << "],\n\"months\": [";
    for (std::size_t month = 0; month < spread.months.size(); ++month) {
        out << (month == 0 ? "\n" : ",\n") << "  {\"month\": " << month
            << ", \"active\": " << jsonPercentiles(spread.months[month].active)
            << ", \"monthlyProceeds\": " << jsonPercentiles(spread.months[month].monthlyProceeds)
            << '}';
    }
    out << (spread.months.empty() ? "]" : "\n]");
    for (const SpreadFigure figure : allSpreadFigures) {
        const auto& percentiles = spread.figure(figure);
        out << ",\n\"" << spreadFigureName(figure)
            << "\": " << (percentiles ? jsonPercentiles(*percentiles) : "null");
    }
    out << "}\n";
}

void writeCsv(const Spread& spread, std::ostream& out) {
    out << "month,activeP10,activeP50,activeP90,"
           "monthlyProceedsP10,monthlyProceedsP50,monthlyProceedsP90\n";
    for (std::size_t month = 0; month < spread.months.size(); ++month) {
        const MonthSpread& m = spread.months[month];
        out << month;
        for (const Percentiles& p : {m.active, m.monthlyProceeds}) {
            out << ',' << shortest(p.p10) << ',' << shortest(p.p50) << ',' << shortest(p.p90);
        }
        out << '\n';
    }
}

std::vector<std::string> row(std::string first, const Percentiles& p, std::string (*text)(double)) {
    return {std::move(first), text(p.p10), text(p.p50), text(p.p90)};
}

std::string count(double value) {
    return groupedNumber(value, 0);
}

std::string dollars(double value) {
    return currency(value, 0);
}

std::string cents(double value) {
    return currency(value, 2);
}

std::string month(double value) {
    return std::isfinite(value) ? "M" + groupedNumber(value, 0) : "none";
}

auto textOf(SpreadFigure figure) -> std::string (*)(double) {
    switch (figure) {
        case SpreadFigure::Subscribers:
        case SpreadFigure::SettleSubscribers:
            return count;
        case SpreadFigure::LifetimeValue:
            return cents;
        case SpreadFigure::BreakEvenMonth:
            return month;
        case SpreadFigure::MonthlyProceeds:
        case SpreadFigure::AnnualProceeds:
        case SpreadFigure::CashNeeded:
            break;
    }
    return dollars;
}

void writeTable(const Spread& spread, std::span<const Range> ranges, std::ostream& out) {
    out << "Spread of " << groupedInteger(spread.draws) << (spread.draws == 1 ? " draw" : " draws")
        << ", seed " << spread.seed;
    for (const Range& range : ranges) {
        out << (&range == ranges.data() ? ": " : ", ") << inputName(range.input) << " from "
            << groupedExact(range.low) << " to " << groupedExact(range.high);
    }
    out << "\n\n";
    constexpr std::pair<SpreadFigure, std::string_view> labels[] = {
        {SpreadFigure::Subscribers, "subscribers"},
        {SpreadFigure::MonthlyProceeds, "monthly"},
        {SpreadFigure::AnnualProceeds, "annually"},
        {SpreadFigure::LifetimeValue, "24mo LTV per trial"},
        {SpreadFigure::SettleSubscribers, "subscribers when settled"},
        {SpreadFigure::BreakEvenMonth, "break-even month"},
        {SpreadFigure::CashNeeded, "cash needed"}};
    std::vector<std::vector<std::string>> rows{{"", "P10", "P50", "P90"}};
    for (const auto& [figure, label] : labels) {
        if (const auto& p = spread.figure(figure)) {
            rows.push_back(row(std::string(label), *p, textOf(figure)));
        }
    }
    writeColumns(rows, out);
    out << '\n';
    rows = {{"Month", "Active P10", "Active P50", "Active P90", "Monthly P10", "Monthly P50",
             "Monthly P90"}};
    for (std::size_t month = 0; month < spread.months.size(); ++month) {
        const MonthSpread& m = spread.months[month];
        std::vector<std::string> cells = row("M" + std::to_string(month), m.active, count);
        const std::vector<std::string> money = row({}, m.monthlyProceeds, dollars);
        cells.insert(cells.end(), money.begin() + 1, money.end());
        rows.push_back(std::move(cells));
    }
    writeColumns(rows, out);
}

}  // namespace

std::optional<std::string> addRange(std::string_view text, Options& options) {
    const std::size_t equals = text.find('=');
    const std::size_t colon = text.find(':', equals == std::string_view::npos ? 0 : equals);
    if (equals == std::string_view::npos || colon == std::string_view::npos) {
        return quoted(text) + " is not NAME=LOW:HIGH";
    }
    const std::string_view name = text.substr(0, equals);
    if (name == "months" || name == "monthsToProject" || name == "monthDuration") {
        return "the months cannot take a range";
    }
    const auto input = inputFromName(name);
    if (!input || std::ranges::find(rangedInputs, *input) == rangedInputs.end()) {
        return quoted(name) + " is not one of " + rangedNames();
    }
    if (std::ranges::any_of(options.ranges, [&](const Range& r) { return r.input == *input; })) {
        return std::string(name) + " is given a range twice";
    }
    Range range{*input, 0, 0};
    if (auto problem = parseNumber(text.substr(equals + 1, colon - equals - 1), range.low)) {
        return problem;
    }
    if (auto problem = parseNumber(text.substr(colon + 1), range.high)) {
        return problem;
    }
    if (range.low > range.high) {
        return std::string(name) + ": the low end " + shortest(range.low) +
               " lies above the high end " + shortest(range.high);
    }
    options.ranges.push_back(range);
    return std::nullopt;
}

std::optional<std::string> setDraws(std::string_view text, Options& options) {
    std::uint64_t draws = 0;
    if (!parseWhole(text, 1, maximumDraws, draws)) {
        return quoted(text) + " is not a whole number from 1 to " + groupedInteger(maximumDraws);
    }
    options.draws = static_cast<std::int64_t>(draws);
    return std::nullopt;
}

std::optional<std::string> setSeed(std::string_view text, Options& options) {
    constexpr std::uint64_t largest = std::numeric_limits<std::uint64_t>::max();
    if (!parseWhole(text, 0, largest, options.seed)) {
        return quoted(text) + " is not a whole number from 0 to " + std::to_string(largest);
    }
    return std::nullopt;
}

std::optional<std::string> rangesRefused(const Options& options, const ScenarioValues& values) {
    if (options.question != Question::Simulate) {
        return std::nullopt;
    }
    if (auto problem = rangeProblem(values, options.ranges)) {
        return "--range: " + *problem;
    }
    return std::nullopt;
}

void writeSpread(const Options& options, const ScenarioValues& values, std::ostream& out) {
    const SpreadSettings settings{options.draws, options.seed, 0};
    const Spread spread = simulateSpread(values, options.ranges, settings).value();
    switch (options.format) {
        case OutputFormat::Json:
            writeJson(spread, options.ranges, out);
            return;
        case OutputFormat::Csv:
            writeCsv(spread, out);
            return;
        case OutputFormat::Table:
            writeTable(spread, options.ranges, out);
            return;
    }
}

}  // namespace velmora::cli
