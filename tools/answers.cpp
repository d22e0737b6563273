#include "tools/answers.h"

#include <cmath>
#include <ostream>
#include <span>
#include <sstream>

#include "engine/decisions/economics.h"
#include "engine/decisions/sensitivity.h"
#include "engine/decisions/settle_point.h"
#include "engine/projection/calculation.h"
#include "engine/projection/monthly_projection.h"
#include "engine/projection/plan_months.h"
#include "engine/support/shortest_text.h"
#include "engine/table/table_csv.h"
#include "engine/table/table_figures.h"
#include "tools/number_text.h"
#include "tools/render.h"
#include "tools/spread_answer.h"

namespace velmora::cli {

namespace {

std::string jsonNumber(double value) {
    // Non-finite numbers have no JSON form; they are strings, as in the projection.
    return std::isfinite(value) ? shortest(value) : '"' + shortest(value) + '"';
}

std::string jsonString(std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string json = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20) {
            json += "\\u00";
            json += hex[byte >> 4];
            json += hex[byte & 0xF];
        } else {
            json += c;
        }
    }
    return json + '"';
}

std::string jsonBool(bool value) {
    return value ? "true" : "false";
}

// {"key": value, ...} from pairs of a key and a value in JSON.
std::string jsonObject(std::span<const std::pair<std::string_view, std::string>> members) {
    std::string json = "{";
    for (const auto& [key, value] : members) {
        json += json.size() > 1 ? ", " : "";
        json += jsonString(key) + ": " + value;
    }
    return json + '}';
}

// As the summary above the table, or the unit economics, show the metric.
std::string shown(Metric metric, double value) {
    switch (metric) {
        case Metric::Subscribers:
            return groupedNumber(value, 0);
        case Metric::MonthlyProceeds:
        case Metric::AnnualProceeds:
        case Metric::CashNeeded:
            return currency(value, 0);
        case Metric::PaybackMonths:
            return std::isinf(value) ? "never" : groupedNumber(value, 0);
        case Metric::BreakEvenMonth:
            return std::isinf(value) ? "none" : 'M' + groupedNumber(value, 0);
        case Metric::LifetimeValueToCost:
            return groupedNumber(value, 1) + " ×";
        case Metric::LifetimeValue:
            break;
    }
    return currency(value, 2);
}

std::string shownChange(Metric metric, double change) {
    return signedChange(change, [metric](double value) {
        switch (metric) {
            case Metric::PaybackMonths:
            case Metric::BreakEvenMonth:
                return groupedNumber(value, 0);
            case Metric::LifetimeValueToCost:
                return groupedNumber(value, 1);
            default:
                return shown(metric, value);
        }
    });
}

std::string_view label(Metric metric) {
    static constexpr std::array<std::string_view, allMetrics.size()> labels{
        "subscribers",
        "monthly",
        "annually",
        "24mo LTV per trial",
        "months to pay back a trial",
        "lifetime value to cost",
        "break-even month",
        "cash needed"};
    return labels[static_cast<std::size_t>(metric)];
}

void writeSettle(const SettlePoint& point, std::size_t months, OutputFormat format,
                 std::ostream& out) {
    const bool settles = point.kind == SettlePoint::Kind::Settles;
    const std::string month = point.month90 ? std::to_string(*point.month90) : "";
    switch (format) {
        case OutputFormat::Json:
            if (settles) {
                out << jsonObject({{{"settles", "true"},
                                    {"subscribers", jsonNumber(point.subscribers)},
                                    {"monthlyProceeds", jsonNumber(point.monthlyProceeds)},
                                    {"month90", point.month90 ? month : "null"}}});
            } else {
                const bool grows = point.kind == SettlePoint::Kind::GrowsWithoutBound;
                out << jsonObject({{{"settles", "false"},
                                    {"growsWithoutBound", jsonBool(grows)},
                                    {"reason", jsonString(point.reason)}}});
            }
            out << '\n';
            return;
        case OutputFormat::Csv:
            out << "settles,subscribers,monthlyProceeds,month90,reason\n";
            if (settles) {
                out << "true," << shortest(point.subscribers) << ','
                    << shortest(point.monthlyProceeds) << ',' << month << ",\n";
            } else {
                out << "false,,,," << csvField(point.reason) << '\n';
            }
            return;
        case OutputFormat::Table:
            break;
    }
    if (!settles) {
        out << (point.kind == SettlePoint::Kind::GrowsWithoutBound
                    ? "Does not settle. "
                    : "Cannot tell where it settles. ")
            << point.reason << '\n';
        return;
    }
    std::string monthLabel = "first month within 10% of that";
    if (!point.month90 && point.subscribers > 0) {
        monthLabel += ": none within the " + groupedInteger(static_cast<std::int64_t>(months)) +
                      " months projected";
    }
    writeFigures({{groupedNumber(point.subscribers, 0), "subscribers when settled"},
                  {currency(point.monthlyProceeds, 0), "monthly when settled"},
                  {point.month90 ? 'M' + month : "-", monthLabel}},
                 out);
}

void writeGoal(const Goal& goal, const GoalSeekResult& result, OutputFormat format,
               std::ostream& out) {
    using enum GoalSeekResult::Outcome;
    const std::string_view input = inputName(goal.input);
    const bool computed = result.outcome != CannotCompute;
    switch (format) {
        case OutputFormat::Json: {
            std::vector<std::pair<std::string_view, std::string>> members{
                {"input", jsonString(input)},
                {"value", jsonNumber(result.value)},
                {"reached", jsonBool(result.reached())}};
            if (computed) {
                members.emplace_back("achieved", jsonNumber(result.achieved));
            }
            if (!result.reached()) {
                members.emplace_back("reason", jsonString(result.reason));
            }
            out << jsonObject(members) << '\n';
            return;
        }
        case OutputFormat::Csv:
            out << "input,value,reached,achieved,reason\n"
                << input << ',' << shortest(result.value) << ',' << jsonBool(result.reached())
                << ',' << (computed ? shortest(result.achieved) : "") << ','
                << csvField(result.reason) << '\n';
            return;
        case OutputFormat::Table:
            break;
    }
    if (!computed) {
        out << "Cannot solve for " << input << ". " << result.reason << '\n';
        return;
    }
    writeFigures({{groupedExact(result.value), std::string(input)},
                  {shown(goal.metric, result.achieved), std::string(label(goal.metric))}},
                 out);
    std::string target = shown(goal.metric, goal.target) + ' ' + std::string(label(goal.metric));
    if (goal.metric == Metric::PaybackMonths) {
        target = "a payback within " + groupedNumber(goal.target, 0) + " months";
    } else if (goal.metric == Metric::BreakEvenMonth) {
        target = "a break-even by M" + groupedNumber(goal.target, 0);
    }
    if (result.reached()) {
        out << "Reaches the target of " << target << ".\n";
    } else {
        out << "Does not reach the target of " << target << ". " << result.reason << '\n';
    }
}

void writeSensitivity(Metric metric, const std::optional<Sensitivity>& result, OutputFormat format,
                      std::ostream& out) {
    constexpr std::string_view noMonth = "The projection has no month.";
    switch (format) {
        case OutputFormat::Json: {
            std::string inputs = "[";
            for (const SensitivityBar& bar :
                 result ? result->bars : std::vector<SensitivityBar>{}) {
                inputs += inputs.size() > 1 ? ",\n  " : "\n  ";
                inputs += jsonObject({{{"input", jsonString(inputName(bar.input))},
                                       {"down", jsonNumber(bar.down)},
                                       {"up", jsonNumber(bar.up)},
                                       {"downValue", jsonNumber(bar.downValue)},
                                       {"upValue", jsonNumber(bar.upValue)},
                                       {"moves", jsonString(bar.churn ? "churn" : "value")}}});
            }
            inputs += result ? "\n]" : "]";
            std::vector<std::pair<std::string_view, std::string>> members{
                {"metric", jsonString(metricName(metric))}};
            members.emplace_back(result ? "base" : "reason",
                                 result ? jsonNumber(result->base) : jsonString(noMonth));
            members.emplace_back("inputs", inputs);
            out << jsonObject(members) << '\n';
            return;
        }
        case OutputFormat::Csv:
            out << "input,downValue,upValue,down,up\n";
            for (const SensitivityBar& bar :
                 result ? result->bars : std::vector<SensitivityBar>{}) {
                out << inputName(bar.input) << ',' << shortest(bar.downValue) << ','
                    << shortest(bar.upValue) << ',' << shortest(bar.down) << ',' << shortest(bar.up)
                    << '\n';
            }
            return;
        case OutputFormat::Table:
            break;
    }
    if (!result) {
        out << "No sensitivity of " << metricName(metric) << ". " << noMonth << '\n';
        return;
    }
    out << shown(metric, result->base) << ' ' << label(metric)
        << " with the inputs as they are; shares move on their churn, 1 - share\n\n";
    std::vector<std::vector<std::string>> rows{{"Input", "At 90%", "At 110%"}};
    for (const SensitivityBar& bar : result->bars) {
        rows.push_back({std::string(inputName(bar.input)), shownChange(metric, bar.down),
                        shownChange(metric, bar.up)});
    }
    writeColumns(rows, out);
}

std::string jsonMonth(const std::optional<std::int64_t>& month) {
    return month ? std::to_string(*month) : "null";
}

std::string monthText(const std::optional<std::int64_t>& month) {
    return month ? "M" + groupedInteger(*month) : "-";
}

// The projection's CSV with the money of each month added to its line.
void writeCashCsv(const ScenarioValues& values, const CashFlow& flow, std::ostream& out) {
    std::ostringstream plain;
    const std::vector<SubscriptionSnapshot> months = monthlySnapshots(values);
    writeCsv(months, proceedsOf(values, months, values.price), values.monthDuration, plain);
    std::istringstream lines(plain.str());
    std::string line;
    std::getline(lines, line);
    out << line << ",cumulativeProceeds,spend,cumulativeNet\n";
    for (std::size_t month = 0; std::getline(lines, line); ++month) {
        out << line << ',' << shortest(flow.cumulativeProceeds[month]) << ','
            << shortest(flow.spend[month]) << ',' << shortest(flow.cumulativeNet[month]) << '\n';
    }
}

void writeEconomics(const ScenarioValues& values, OutputFormat format, std::ostream& out) {
    const std::vector<double> months = monthlyActives(values);
    const Economics figures = economics(values, months);
    const Payback& payback = figures.payback;
    const CashTurn& turn = figures.cash.turn;
    switch (format) {
        case OutputFormat::Json: {
            std::vector<std::pair<std::string_view, std::string>> members{
                {"costPerTrial", jsonNumber(values.costPerTrial)},
                {"paybackMonths", payback.distantMonths > 0 ? jsonNumber(payback.distantMonths)
                                                            : jsonMonth(payback.months)}};
            if (!std::isfinite(payback.count())) {
                members.emplace_back("paybackShortfall", jsonNumber(payback.shortfall));
            }
            members.insert(members.end(),
                           {{"lifetimeValueToCost", jsonNumber(figures.lifetimeValueToCost)},
                            {"monthlySpend", jsonNumber(figures.cash.monthlySpend)},
                            {"breakEvenMonth", jsonMonth(turn.breakEvenMonth)},
                            {"cashNeeded", jsonNumber(turn.cashNeeded)},
                            {"cashNeededMonth", jsonMonth(turn.cashNeededMonth)}});
            out << jsonObject(members) << '\n';
            return;
        }
        case OutputFormat::Csv:
            writeCashCsv(values, figures.cash, out);
            return;
        case OutputFormat::Table:
            break;
    }
    const std::string paybackFigure = payback.months ? groupedInteger(*payback.months)
                                      : payback.distantMonths > 0
                                          ? groupedExact(payback.distantMonths)
                                          : "never";
    const std::string paybackLabel =
        std::isfinite(payback.count())
            ? (payback.count() == 1 ? "month to pay back a trial" : "months to pay back a trial")
            : "pays back: its whole expected lifetime brings " + currency(payback.shortfall, 2) +
                  " less than it costs";
    std::string breakEvenLabel = "break-even month";
    if (!turn.breakEvenMonth) {
        breakEvenLabel += ": none within the " +
                          groupedInteger(static_cast<std::int64_t>(months.size())) +
                          " months projected";
    }
    writeFigures({{paybackFigure, paybackLabel},
                  {groupedNumber(figures.lifetimeValueToCost, 1) + " ×", "lifetime value to cost"},
                  {currency(figures.cash.monthlySpend, 0), "acquisition spend a month"},
                  {monthText(turn.breakEvenMonth), breakEvenLabel},
                  {currency(turn.cashNeeded, 0),
                   "cash needed, lowest at " + monthText(turn.cashNeededMonth)}},
                 out);
    out << '\n';
    std::vector<std::vector<std::string>> rows{
        {"Month", "Proceeds", "Cumulative", "Spend", "Cumulative net"}};
    const std::vector<double> proceeds = monthlyProceedsOf(values, months);
    for (std::size_t month = 0; month < months.size(); ++month) {
        rows.push_back({"M" + std::to_string(month), currency(proceeds[month], 0),
                        currency(figures.cash.cumulativeProceeds[month], 0),
                        currency(figures.cash.spend[month], 0),
                        currency(figures.cash.cumulativeNet[month], 0)});
    }
    writeColumns(rows, out);
}

}  // namespace

std::optional<std::string> missingCost(const Options& options, const ScenarioValues& values) {
    if (hasCost(values)) {
        return std::nullopt;
    }
    const std::string give = "; give --cost-per-trial N";
    switch (options.question) {
        case Question::Economics:
            return "--economics: the cost of a trial is not given" + give;
        case Question::Sensitivity:
            if (needsCost(options.sensitivityMetric)) {
                return "--sensitivity: " + std::string(metricName(options.sensitivityMetric)) +
                       " needs the cost of a trial" + give;
            }
            break;
        case Question::Goal:
            if (needsCost(options.goal.metric) && options.goal.input != Input::CostPerTrial) {
                return "--goal: " + std::string(metricName(options.goal.metric)) +
                       " needs the cost of a trial" + give + ", or --solve-for costPerTrial";
            }
            break;
        case Question::Projection:
        case Question::Settle:
        case Question::Calibrate:
        case Question::Simulate:
            break;
    }
    return std::nullopt;
}

void writeAnswer(const Options& options, const ScenarioValues& values, std::ostream& out) {
    switch (options.question) {
        case Question::Settle: {
            const std::vector<double> actives = monthlyActives(values);
            writeSettle(settlePoint(values, actives), actives.size(), options.format, out);
            return;
        }
        case Question::Goal:
            writeGoal(options.goal, seekGoal(values, options.goal), options.format, out);
            return;
        case Question::Sensitivity:
            writeSensitivity(options.sensitivityMetric,
                             sensitivity(values, options.sensitivityMetric), options.format, out);
            return;
        case Question::Economics:
            writeEconomics(values, options.format, out);
            return;
        case Question::Simulate:
            writeSpread(options, values, out);
            return;
        case Question::Projection:
        case Question::Calibrate:
            break;
    }
}

}  // namespace velmora::cli
