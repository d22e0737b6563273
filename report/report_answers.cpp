#include <cmath>

#include "report/blocks.h"
#include "report/report_charts.h"
#include "report/report_sections.h"
#include "report/value_rows.h"

namespace velmora::report {

namespace {

QString monthsText(double months, const Figures& figures) {
    return figures.count(months) +
           (months == 1 ? QStringLiteral(" month") : QStringLiteral(" months"));
}

QString ratioText(double ratio, const Figures& figures) {
    return (std::isfinite(ratio) ? figures.locale().toString(ratio, 'f', 1)
                                 : figures.value(ratio)) +
           QStringLiteral(" ×");
}

/// `value` of `metric` as the summary writes it.
QString metricText(Metric metric, double value, const Figures& figures) {
    switch (metric) {
        case Metric::Subscribers:
            return figures.count(value) + QStringLiteral(" subscribers");
        case Metric::MonthlyProceeds:
            return figures.money(value) + QStringLiteral(" monthly");
        case Metric::AnnualProceeds:
            return figures.money(value) + QStringLiteral(" annually");
        case Metric::PaybackMonths:
            return std::isinf(value) ? QStringLiteral("never pays back")
                                     : QStringLiteral("pays back in ") + monthsText(value, figures);
        case Metric::LifetimeValueToCost:
            return ratioText(value, figures) + QStringLiteral(" lifetime value to cost");
        case Metric::BreakEvenMonth:
            return std::isinf(value) ? QStringLiteral("no break-even within the months projected")
                                     : QStringLiteral("break-even in M") + figures.count(value);
        case Metric::CashNeeded:
            return figures.money(value) + QStringLiteral(" cash needed");
        case Metric::LifetimeValue:
            break;
    }
    return figures.cents(value) + QStringLiteral(" 24mo LTV per trial");
}

/// A goal's target: the deadlines are "within" and "by" a month.
QString goalText(Metric metric, double target, const Figures& figures) {
    switch (metric) {
        case Metric::PaybackMonths:
            return QStringLiteral("payback within ") + monthsText(target, figures);
        case Metric::BreakEvenMonth:
            return QStringLiteral("break-even by M") + figures.count(target);
        default:
            break;
    }
    return metricText(metric, target, figures);
}

QString signedText(Metric metric, double change, const Figures& figures) {
    switch (metric) {
        case Metric::Subscribers:
        case Metric::PaybackMonths:
        case Metric::BreakEvenMonth:
            return figures.signedCount(change);
        case Metric::LifetimeValue:
            return figures.signedCents(change);
        case Metric::LifetimeValueToCost:
            return (change >= 0 ? QStringLiteral("+") : QString()) + ratioText(change, figures);
        default:
            return figures.signedMoney(change);
    }
}

QString inputText(Input input, double value, const Figures& figures) {
    return input == Input::Price || input == Input::CostPerTrial ? figures.cents(value)
                                                                 : figures.value(value);
}

void addSettle(PageLayout& layout, const SettlePoint& settle, const Figures& figures) {
    addHeading(layout, QStringLiteral("Where it settles"));
    if (settle.kind != SettlePoint::Kind::Settles) {
        addLines(layout, {QString::fromStdString(settle.reason)});
        return;
    }
    addLines(layout,
             {figures.count(settle.subscribers) + QStringLiteral(" subscribers when settled"),
              figures.money(settle.monthlyProceeds) + QStringLiteral(" monthly when settled"),
              settle.month90
                  ? QStringLiteral("First month at 90% of that: ") + Figures::month(*settle.month90)
                  : QStringLiteral("No projected month reaches 90% of that.")});
}

void addGoal(PageLayout& layout, const GoalAnswer& answer, const Figures& figures) {
    addHeading(layout, QStringLiteral("What it takes"));
    const Goal& goal = answer.goal;
    const GoalSeekResult& found = answer.result;
    QStringList lines{
        QStringLiteral("To reach %1 by changing %2:")
            .arg(goalText(goal.metric, goal.target, figures), inputTitle(goal.input))};
    if (found.outcome != GoalSeekResult::Outcome::CannotCompute &&
        found.outcome != GoalSeekResult::Outcome::Cancelled) {
        lines << QStringLiteral("%1 %2 gives %3")
                     .arg(inputTitle(goal.input), inputText(goal.input, found.value, figures),
                          metricText(goal.metric, found.achieved, figures));
    }
    lines << (found.reached() ? QStringLiteral("Reaches the target.")
                              : QString::fromStdString(found.reason));
    addLines(layout, lines);
}

void addSensitivity(PageLayout& layout, const Sensitivity& moved, const Figures& figures) {
    addHeading(layout, QStringLiteral("Which input matters most"));
    addLines(layout, {QStringLiteral("%1 with the inputs as they are; each count, the price and "
                                     "the cost at 90% and at 110% of itself, each share with its "
                                     "churn (1 − share) at 90% and 110%, never past 0 or 1:")
                          .arg(metricText(moved.metric, moved.base, figures))});
    std::vector<std::vector<Cell>> rows;
    for (const SensitivityBar& bar : moved.bars) {
        rows.push_back({{inputTitle(bar.input)},
                        {inputText(bar.input, bar.downValue, figures) +
                         (bar.downCapped ? QStringLiteral(" (capped)") : QString())},
                        {inputText(bar.input, bar.upValue, figures) +
                         (bar.upCapped ? QStringLiteral(" (capped)") : QString())},
                        {signedText(moved.metric, bar.down, figures)},
                        {signedText(moved.metric, bar.up, figures)}});
    }
    addTable(layout,
             {{QStringLiteral("Input"), 2.2, false},
              {QStringLiteral("Value down"), 1.5},
              {QStringLiteral("Value up"), 1.8},
              {QStringLiteral("Change down"), 1.6},
              {QStringLiteral("Change up"), 1.6}},
             rows);
    layout.addGap(8);
    addTornado(layout, moved, figures);
}

void addEconomics(PageLayout& layout, const Economics& money, double cost, const Figures& figures) {
    addHeading(layout, QStringLiteral("Costs and cash"));
    const CashTurn& turn = money.cash.turn;
    const Payback& payback = money.payback;
    addLines(
        layout,
        {QStringLiteral("Cost per trial %1; acquisition spend %2 a month")
             .arg(figures.cents(cost), figures.money(money.cash.monthlySpend)),
         payback.months ? QStringLiteral("A trial pays back in ") +
                              monthsText(static_cast<double>(*payback.months), figures)
                        : QStringLiteral("A trial never pays back: %1 short over its whole "
                                         "lifetime")
                              .arg(figures.cents(payback.shortfall)),
         ratioText(money.lifetimeValueToCost, figures) + QStringLiteral(" lifetime value to cost"),
         turn.breakEvenMonth
             ? QStringLiteral("Break-even in ") + Figures::month(*turn.breakEvenMonth)
             : QStringLiteral("No break-even within the months projected"),
         turn.cashNeeded > 0 && turn.cashNeededMonth
             ? QStringLiteral("Cash needed %1, lowest at %2")
                   .arg(figures.money(turn.cashNeeded), Figures::month(*turn.cashNeededMonth))
             : QStringLiteral("Cash needed %1: the cumulative net never falls below zero")
                   .arg(figures.money(0))});
    MonthChart chart;
    chart.title = QStringLiteral("Cash curve");
    chart.yTitle = QStringLiteral("Cumulative net");
    chart.money = true;
    std::vector<QPointF> points;
    for (std::size_t month = 0; month < money.cash.cumulativeNet.size(); ++month) {
        points.emplace_back(static_cast<double>(month), money.cash.cumulativeNet[month]);
    }
    chart.lines.push_back({QStringLiteral("Cumulative net"), QColor(0x4E, 0x79, 0xA7), points});
    layout.addGap(8);
    addChart(layout, std::move(chart), 200, figures);
}

}  // namespace

void addAnswers(PageLayout& layout, const InsightAnswers& answers, const Figures& figures) {
    if (answers.settle) {
        addSettle(layout, *answers.settle, figures);
        layout.addGap(8);
    }
    if (answers.goal) {
        addGoal(layout, *answers.goal, figures);
        layout.addGap(8);
    }
    if (answers.economics) {
        addEconomics(layout, *answers.economics, answers.costPerTrial, figures);
        layout.addGap(8);
    }
    if (answers.sensitivity) {
        addSensitivity(layout, *answers.sensitivity, figures);
    }
}

}  // namespace velmora::report
