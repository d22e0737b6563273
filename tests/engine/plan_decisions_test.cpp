#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "engine/decisions/economics.h"
#include "engine/decisions/goal_seek.h"
#include "engine/decisions/settle_point.h"
#include "engine/projection/closed_form.h"
#include "engine/projection/monthly_projection.h"
#include "engine/spread/ranges.h"
#include "engine/spread/simulation.h"
#include "engine/table/table_figures.h"
#include "support/projected.h"
#include "support/reference_projection.h"
#include "support/same_figures.h"

namespace velmora {
namespace {

const PlanChange priceUp{PlanInput::Price, 3, 2.99};
const PlanChange priceDown{PlanInput::Price, 8, 0.99};

ScenarioValues withPlan(Plan plan, double months = 24) {
    ScenarioValues values;
    values.monthsToProject = months;
    values.startingSubs = 4000;
    values.costPerTrial = 2;
    values.plan = std::move(plan);
    return values;
}

Plan everyKind(PriceChangesApply rule) {
    return {.growthPercent = 4,
            .growthUntil = 6,
            .priceChangesApply = rule,
            .changes = {priceUp,
                        priceDown,
                        {PlanInput::DailyNewSubs, 2, 150},
                        {PlanInput::TrialRetention, 5, 0.4},
                        {PlanInput::CostPerTrial, 4, 3.5}}};
}

TEST(PlannedDecisions, LifetimeValueIsThatOfATrialStartedInM0) {
    const ScenarioValues plain = withPlan({});
    // Payment k + 1 in month k: the plain sum of each payment at its month's price.
    double everyone = 0;
    double alive = plain.trialRetention;
    const auto rates = plain.retentionRates();
    for (std::int64_t payment = 1; payment <= 23; ++payment) {
        const double price = payment > 8 ? 0.99 : payment > 3 ? 2.99 : plain.price;
        everyone += alive * price * 0.85;
        alive *= rates[static_cast<std::size_t>(std::min<std::int64_t>(payment, 7) - 1)];
    }
    const struct {
        const char* name;
        Plan plan;
        double value;
    } cases[] = {
        {"prices for everyone", everyKind(PriceChangesApply::Everyone), everyone},
        {"prices for new subscribers: M0's throughout",
         everyKind(PriceChangesApply::NewSubscribers), shownLifetimeValue(plain, plain.price)},
    };
    for (const auto& c : cases) {
        const ScenarioValues values = withPlan(c.plan);
        EXPECT_NEAR(shownLifetimeValue(values, values.price), c.value, 1e-12) << c.name;
        EXPECT_EQ(metricValue(Metric::LifetimeValue, values), shownLifetimeValue(values, 1.99))
            << c.name;
    }
}

TEST(PlannedDecisions, PaybackAndWholeLifetimeFollowThePrices) {
    // Every rate 0.5 and a trial retention of 0.5: payments 1, 0.5, 0.25, ... of
    // a converted trial; at 10, then 2 from M2 on, each expected payment brings
    // 4.25, 0.25 x 0.85, 0.125 x 0.85, ...
    ScenarioValues values{30, 4, 1, 0, 10, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5};
    values.plan = Plan{.changes = {{PlanInput::Price, 2, 2}}};
    const double whole = 4.25 + 2.125 + 2 * 0.85 * 0.5 * 0.25 * 2;  // the tail sums to twice
    const struct {
        double cost;
        std::optional<std::int64_t> months;
        double shortfall;
    } cases[] = {
        {6, 2, 0},                         // 4.25 + 2.125 = 6.375 >= 6
        {6.6, 4, 0},                       // 6.375 + 0.2125 < 6.6 <= 6.375 + 0.2125 + 0.10625
        {whole + 0.1, std::nullopt, 0.1},  // never
    };
    for (const auto& c : cases) {
        values.costPerTrial = c.cost;
        const Payback payback = paybackOfTrial(values);
        EXPECT_EQ(payback.months, c.months) << c.cost;
        EXPECT_NEAR(payback.shortfall, c.shortfall, 1e-12) << c.cost;
    }
    EXPECT_NEAR(wholeLifetimeValue(values), whole, 1e-12);

    // With every rate 1 a trial pays 2 x 0.85 x 0.5 = 0.85 a month from M2 on:
    // a cost reached long past the payments counted one by one.
    values.rt1 = values.rt2 = values.rt3 = values.rt4 = values.rt5 = values.rt6 = 1;
    values.rtPlus = 1;
    values.costPerTrial = 8.5 + 0.85 * 99'997.5;
    EXPECT_EQ(paybackOfTrial(values).months, 100'000);
}

TEST(PlannedDecisions, SummaryTableAndCashFollowTheMonths) {
    for (const PriceChangesApply rule :
         {PriceChangesApply::Everyone, PriceChangesApply::NewSubscribers}) {
        const ScenarioValues values = withPlan(everyKind(rule), 14);
        const auto projection = project(values);
        UuidGenerator ids;
        const ProjectionLists plain = reference::project(values, ids);
        const auto& proceeds = projection->monthlyProceeds;
        ASSERT_EQ(proceeds.size(), 14u);
        const auto summary = summarize(*projection, values.price);
        EXPECT_EQ(summary->monthlyProceeds, proceeds.back());
        EXPECT_EQ(summarizeMonth(*projection, values.price, 5)->monthlyProceeds, proceeds[5]);
        EXPECT_EQ(monthlyRows(projection->monthlySnapshots, proceeds, 30)[7].proceeds, proceeds[7]);
        EXPECT_EQ(metricValue(Metric::MonthlyProceeds, values), proceeds.back());
        EXPECT_TRUE(relativelyNear(*closedFormMetricValue(Metric::AnnualProceeds, values),
                                   annualized(proceeds.back(), 30)));

        // Each month's spend: its trials x its cost; the net, what came in less all spent.
        std::vector<double> actives;
        for (const SubscriptionSnapshot& month : projection->monthlySnapshots) {
            actives.push_back(month.active);
        }
        const CashFlow flow = cashFlow(values, actives);
        double in = 0;
        double out = 0;
        for (std::size_t m = 0; m < actives.size(); ++m) {
            const double trials =
                m == 0   ? 100
                : m == 1 ? 104
                         : 150 * std::pow(1.04, static_cast<double>(std::min<std::size_t>(m, 6)));
            const double spend = trials * 30 * (m >= 4 ? 3.5 : 2);
            EXPECT_TRUE(relativelyNear(flow.spend[m], spend)) << m;
            in += plain.monthlyProceeds[m];
            out += spend;
            EXPECT_TRUE(relativelyNear(flow.cumulativeProceeds[m], in)) << m;
            EXPECT_NEAR(flow.cumulativeNet[m], in - out, 1e-9) << m;
        }
        EXPECT_EQ(metricValue(Metric::CashNeeded, values), flow.turn.cashNeeded);
    }
}

TEST(PlannedDecisions, SettlesOnceNothingChangesAnyMore) {
    const std::array<double, 12> seasons = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1.5};
    ScenarioValues settled = withPlan({});
    settled.dailyNewSubs = 150 * std::pow(1.04, 6);
    settled.trialRetention = 0.4;
    settled.price = 0.99;
    const SettlePoint finalValues = settlePoint(settled, {});
    const struct {
        const char* name;
        Plan plan;
        SettlePoint::Kind kind;
        double subscribers;
        const char* reason;
    } cases[] = {
        {"every kind of change", everyKind(PriceChangesApply::Everyone), SettlePoint::Kind::Settles,
         finalValues.subscribers, ""},
        {"seasons",
         {.startMonth = CalendarMonth{2026, 1}, .seasonality = seasons},
         SettlePoint::Kind::CannotCompute,
         0,
         "Seasons move the daily trials up and down every year, so the subscribers rise and fall "
         "with them and never settle at one level."},
        {"growth without end",
         {.growthPercent = 1},
         SettlePoint::Kind::GrowsWithoutBound,
         0,
         "The daily trials grow every month without end, so the subscribers grow without bound."},
        {"shrinking without end", {.growthPercent = -1}, SettlePoint::Kind::Settles, 0, ""},
    };
    for (const auto& c : cases) {
        const ScenarioValues values = withPlan(c.plan, 120);
        const std::vector<double> months = monthlyActives(values);
        const SettlePoint point = settlePoint(values, months);
        EXPECT_EQ(point.kind, c.kind) << c.name;
        EXPECT_EQ(point.subscribers, c.subscribers) << c.name;
        EXPECT_EQ(point.reason, c.reason) << c.name;
    }
    // The month it comes within 10% is searched from the last change on.
    const ScenarioValues values = withPlan(everyKind(PriceChangesApply::Everyone), 120);
    const SettlePoint point = settlePoint(values, monthlyActives(values));
    ASSERT_TRUE(point.month90);
    EXPECT_GE(*point.month90, 8);
    EXPECT_EQ(point.monthlyProceeds, monthlyProceeds(point.subscribers, 0.99));
    // A price change moves no subscriber, yet the plan only rests once it is past.
    const ScenarioValues late = withPlan({.changes = {{PlanInput::Price, 100, 2.49}}}, 120);
    const SettlePoint lateRest = settlePoint(late, monthlyActives(late));
    ASSERT_TRUE(lateRest.month90);
    EXPECT_EQ(*lateRest.month90, 100);
}

TEST(PlannedDecisions, GoalSeekAndRangesMoveTheStartingValueAndKeepTheChanges) {
    const ScenarioValues values = withPlan(everyKind(PriceChangesApply::NewSubscribers), 36);
    // Daily trials before the first change: only M0 and M1 read them, and the
    // price before its first: only the cohorts started before M3 pay it.
    for (const auto& [input, metric] : {std::pair{Input::DailyNewSubs, Metric::Subscribers},
                                        std::pair{Input::Price, Metric::MonthlyProceeds}}) {
        const double target = std::round(*metricValue(metric, values) + 20);
        const GoalSeekResult found = seekGoal(values, {metric, target, input});
        ASSERT_TRUE(found.reached()) << found.reason;
        ScenarioValues applied = values;
        inputField(applied, input) = found.value;
        EXPECT_NEAR(*metricValue(metric, applied), target, 0.5);
        EXPECT_GT(found.value, inputValue(values, input));
        EXPECT_EQ(applied.plan, values.plan);
    }

    // A range on the trial retention draws M0's, the change at M5 stays.
    const Range range{Input::TrialRetention, 0.3, 0.8};
    const std::vector<ScenarioValues> draws = drawScenarios(values, {&range, 1}, 3, 7);
    const auto spread = simulateSpread(values, {&range, 1}, {.draws = 3, .seed = 7, .threads = 1});
    ASSERT_TRUE(spread);
    for (const std::size_t month : {0u, 4u, 20u}) {
        std::vector<double> proceeds;
        for (const ScenarioValues& draw : draws) {
            EXPECT_EQ(draw.plan, values.plan);
            proceeds.push_back(closedFormFigures(draw).proceeds[month]);
        }
        std::sort(proceeds.begin(), proceeds.end());
        EXPECT_EQ(spread->months[month].monthlyProceeds.p50, proceeds[1]) << month;
    }
}

}  // namespace
}  // namespace velmora
