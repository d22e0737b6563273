#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "engine/projection/calculation.h"
#include "engine/projection/closed_form.h"
#include "engine/projection/monthly_projection.h"
#include "engine/table/table_figures.h"
#include "support/projected.h"
#include "support/reference_projection.h"
#include "support/same_figures.h"

namespace velmora {
namespace {

struct PlanKind {
    const char* name;
    Plan plan;
};

std::vector<PlanKind> planKinds() {
    const std::array<double, 12> seasons = {0.5, 0.8, 1, 1.2, 1.5, 0, 1.1, 1, 0.9, 1.3, 2, 0.7};
    const PlanChange everyKind[] = {
        {PlanInput::DailyNewSubs, 3, 40},    {PlanInput::DailyNewSubs, 6, 250},
        {PlanInput::Price, 2, 4.5},          {PlanInput::Price, 5, 0.99},
        {PlanInput::TrialRetention, 4, 0.3}, {PlanInput::TrialRetention, 8, 0.75},
        {PlanInput::CostPerTrial, 2, 3}};
    return {
        {"growth", {.growthPercent = 5}},
        {"growth with a stop", {.growthPercent = 5, .growthUntil = 4}},
        {"seasons", {.startMonth = CalendarMonth{2027, 11}, .seasonality = seasons}},
        {"daily trials change", {.changes = {everyKind[0], everyKind[1]}}},
        {"price changes for everyone", {.changes = {everyKind[2], everyKind[3]}}},
        {"trial retention changes", {.changes = {everyKind[4], everyKind[5]}}},
        {"cost changes", {.changes = {everyKind[6]}}},
        {"price changes for new subscribers",
         {.priceChangesApply = PriceChangesApply::NewSubscribers,
          .changes = {everyKind[2], everyKind[3]}}},
        {"all together",
         {.growthPercent = -3,
          .growthUntil = 9,
          .startMonth = CalendarMonth{2026, 3},
          .seasonality = seasons,
          .priceChangesApply = PriceChangesApply::NewSubscribers,
          .changes = {std::begin(everyKind), std::end(everyKind)}}},
    };
}

/// Every plan kind over months of 28, 30, 31 and 365 days, with and without
/// starting subscribers; the long months, slow to simulate plainly, with
/// every other kind.
std::vector<ScenarioValues> plannedScenarios() {
    std::vector<ScenarioValues> scenarios;
    for (const std::int64_t monthDuration : {28, 30, 31, 365}) {
        for (const double starting : {0.0, 2e6}) {
            const std::vector<PlanKind> kinds = planKinds();
            for (std::size_t k = 0; k < kinds.size(); ++k) {
                if (monthDuration == 365 && (k + (starting > 0 ? 1 : 0)) % 2 == 1) {
                    continue;
                }
                const PlanKind& kind = kinds[k];
                ScenarioValues& values = scenarios.emplace_back();
                values.monthDuration = monthDuration;
                values.monthsToProject = monthDuration == 365 ? 7 : 26;
                values.startingSubs = starting;
                values.plan = kind.plan;
                if (k + 1 == kinds.size() && starting > 0) {
                    values.laterRates = {0.97, 0.6, 0.99};  // the old cohorts join later
                }
            }
        }
    }
    return scenarios;
}

std::string describe(const ScenarioValues& values) {
    return values.currentKey() + " md " + std::to_string(values.monthDuration);
}

TEST(PlannedProjection, AgreesWithThePlainSimulation) {
    for (const ScenarioValues& values : plannedScenarios()) {
        SCOPED_TRACE(describe(values));
        UuidGenerator ids(3);
        const ProjectionLists engine = projectScenario(values, ids);
        const ProjectionLists plain = reference::project(values, ids);
        ASSERT_EQ(firstDifference(engine.snapshots, plain.snapshots), std::nullopt);
        ASSERT_EQ(firstDifference(engine.monthlySnapshots, plain.monthlySnapshots), std::nullopt);
        ASSERT_EQ(engine.monthlyProceeds.size(), plain.monthlyProceeds.size());
        const bool byStart = pricesByStart(values);
        for (std::size_t m = 0; m < plain.monthlyProceeds.size(); ++m) {
            if (byStart) {
                ASSERT_TRUE(relativelyNear(engine.monthlyProceeds[m], plain.monthlyProceeds[m]))
                    << "month " << m << ": " << engine.monthlyProceeds[m] << " for "
                    << plain.monthlyProceeds[m];
            } else {
                ASSERT_TRUE(sameNumber(engine.monthlyProceeds[m], plain.monthlyProceeds[m]))
                    << "month " << m;
            }
        }

        // The months alone, bit for bit those of the days.
        const std::vector<double> months = monthlyActives(values);
        ASSERT_EQ(months.size(), engine.monthlySnapshots.size());
        for (std::size_t m = 0; m < months.size(); ++m) {
            ASSERT_TRUE(sameNumber(months[m], engine.monthlySnapshots[m].active)) << "month " << m;
        }
        EXPECT_TRUE(sameNumber(*lastMonthActive(values), months.back()));
    }
}

TEST(PlannedProjection, ClosedFormAgreesWithTheDays) {
    const std::vector<ScenarioValues> scenarios = plannedScenarios();
    for (const ScenarioValues& values : scenarios) {
        SCOPED_TRACE(describe(values));
        const std::vector<double> exact = monthlyActives(values);
        const std::vector<double> exactProceeds = monthlyProceedsOf(values, exact);
        const MonthlyFigures closed = closedFormFigures(values);
        ASSERT_EQ(closed.active.size(), exact.size());
        for (std::size_t m = 0; m < exact.size(); ++m) {
            ASSERT_TRUE(relativelyNear(closed.active[m], exact[m]))
                << "month " << m << ": " << closed.active[m] << " for " << exact[m];
            ASSERT_TRUE(relativelyNear(closed.proceeds[m], exactProceeds[m])) << "month " << m;
        }
        EXPECT_EQ(closedFormLastActive(values), closed.active.back());
    }

    // Side by side with scenarios without a plan, each keeps its own figures.
    for (const std::int64_t monthDuration : {28, 365}) {
        std::vector<ScenarioValues> mixed;
        for (const ScenarioValues& values : scenarios) {
            if (values.monthDuration == monthDuration) {
                mixed.push_back(values);
                mixed.push_back(values);
                mixed.back().plan.reset();
            }
        }
        MonthlyRecurrence recurrence(mixed, monthDuration);
        std::vector<double> actives(mixed.size());
        recurrence.skip();
        recurrence.next(actives);
        for (std::size_t i = 0; i < mixed.size(); ++i) {
            EXPECT_EQ(actives[i], closedFormFigures(mixed[i]).active[1]) << describe(mixed[i]);
        }
    }
}

TEST(PlannedProjection, WithoutEffectEveryFigureIsAsWithoutAPlan) {
    const Plan noEffect[] = {Plan{}, Plan{.growthPercent = 0},
                             Plan{.changes = {{PlanInput::CostPerTrial, 2, 7}}},
                             Plan{.priceChangesApply = PriceChangesApply::NewSubscribers}};
    for (const double starting : {0.0, 5000.0}) {
        ScenarioValues plain;
        plain.startingSubs = starting;
        UuidGenerator ids(1);
        const ProjectionLists expected = projectScenario(plain, ids);
        const MonthlyFigures expectedClosed = closedFormFigures(plain);
        for (const Plan& plan : noEffect) {
            ScenarioValues values = plain;
            values.plan = plan;
            UuidGenerator again(1);
            const ProjectionLists lists = projectScenario(values, again);
            ASSERT_EQ(firstDifference(lists.snapshots, expected.snapshots), std::nullopt);
            EXPECT_EQ(lists.monthlyProceeds, expected.monthlyProceeds);
            EXPECT_EQ(closedFormFigures(values).active, expectedClosed.active);
            EXPECT_EQ(closedFormFigures(values).proceeds, expectedClosed.proceeds);
        }
        for (std::size_t m = 0; m < expected.monthlySnapshots.size(); ++m) {
            EXPECT_EQ(expected.monthlyProceeds[m],
                      monthlyProceeds(expected.monthlySnapshots[m].active, plain.price));
        }
    }
}

TEST(PlannedProjection, ChainsOfEachMonthsBirthsCountInTheDaysMemory) {
    ScenarioValues values{.monthDuration = 1, .monthsToProject = 20000};
    EXPECT_TRUE(quickDays(*projectionSize(values)));
    values.plan = Plan{.growthPercent = 1};
    EXPECT_FALSE(quickDays(*projectionSize(values))) << "20,000 chains of 10,000 counts";
}

TEST(PlannedProjection, WorkedExample) {
    // Two-day months, cohorts renewing at 0.5: a new level from M1 and a
    // doubled price from M2 for new subscribers only.
    ScenarioValues values;
    values.monthDuration = 2;
    values.monthsToProject = 3;
    values.dailyNewSubs = 10;
    values.trialRetention = 1;
    values.rt1 = values.rt2 = values.rt3 = values.rt4 = values.rt5 = values.rt6 = 0.5;
    values.rtPlus = 0.5;
    values.price = 1;
    values.plan = Plan{.priceChangesApply = PriceChangesApply::NewSubscribers,
                       .changes = {{PlanInput::DailyNewSubs, 1, 20}, {PlanInput::Price, 2, 2}}};
    UuidGenerator ids;
    const ProjectionLists lists = projectScenario(values, ids);
    const double active[] = {10, 20, 5 + 10 + 20, 5 + 5 + 20 + 20, 2.5 + 5 + 10 + 20 + 20};
    for (std::size_t day = 0; day < std::size(active); ++day) {
        EXPECT_EQ(lists.snapshots[day].active, active[day]) << "day " << day;
    }
    // M2: the M0 cohorts (2.5 + 5) and M1 cohorts (10 + 20) at 1, the new one at 2.
    EXPECT_DOUBLE_EQ(lists.monthlyProceeds[2], (2.5 + 5 + 10 + 20 + 2 * 20) * 0.85);
    values.monthDuration = 0;  // no month: nothing to price
    EXPECT_TRUE(project(values, ProjectionDetail::Months)->monthlyProceeds.empty());
    values.monthDuration = 2;
    values.plan->priceChangesApply = PriceChangesApply::Everyone;
    UuidGenerator again;
    EXPECT_EQ(projectScenario(values, again).monthlyProceeds[2],
              (2.5 + 5 + 10 + 20 + 20) * 2 * 0.85);
}

}  // namespace
}  // namespace velmora
