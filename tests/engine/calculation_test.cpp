#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "engine/calculation.h"
#include "support/reference_projection.h"

namespace velmora {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

bool sameNumber(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) ||
           std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

::testing::AssertionResult sameFigures(const std::vector<SubscriptionSnapshot>& actual,
                                       const std::vector<SubscriptionSnapshot>& expected) {
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure()
               << actual.size() << " snapshots, expected " << expected.size();
    }
    for (std::size_t i = 0; i < actual.size(); ++i) {
        const auto& a = actual[i];
        const auto& e = expected[i];
        if (a.epoch != e.epoch || !sameNumber(a.active, e.active) ||
            a.cohorts.size() != e.cohorts.size()) {
            return ::testing::AssertionFailure()
                   << "snapshot " << i << ": epoch " << a.epoch << " active " << a.active << " ("
                   << a.cohorts.size() << " cohorts), expected epoch " << e.epoch << " active "
                   << e.active << " (" << e.cohorts.size() << " cohorts)";
        }
        for (std::size_t j = 0; j < a.cohorts.size(); ++j) {
            const auto& ac = a.cohorts[j];
            const auto& ec = e.cohorts[j];
            if (ac.epoch != ec.epoch || ac.cohort != ec.cohort || !sameNumber(ac.count, ec.count)) {
                return ::testing::AssertionFailure()
                       << "snapshot " << i << " cohort " << j << ": " << ac.epoch << "/"
                       << ac.cohort.text() << "/" << ac.count << ", expected " << ec.epoch << "/"
                       << ec.cohort.text() << "/" << ec.count;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

struct Expected {
    std::string label;
    double count;
};

void expectBreakdown(const SubscriptionSnapshot& snapshot, std::int64_t month,
                     const std::vector<Expected>& expected) {
    ASSERT_EQ(snapshot.cohorts.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(snapshot.cohorts[i].epoch, month) << i;
        EXPECT_EQ(snapshot.cohorts[i].cohort.text(), expected[i].label) << i;
        EXPECT_DOUBLE_EQ(snapshot.cohorts[i].count, expected[i].count) << i;
    }
}

ProjectionLists project(const ScenarioValues& values) {
    UuidGenerator ids;
    return projectScenario(values, ids);
}

TEST(Projection, WorkedExampleWithoutStartingSubscribers) {
    ScenarioValues values;
    values.monthDuration = 2;
    values.monthsToProject = 2;
    values.dailyNewSubs = 10;
    values.trialRetention = 0.5;
    values.rt1 = 0.8;
    const ProjectionLists lists = project(values);

    ASSERT_EQ(lists.snapshots.size(), 4u);
    const double active[] = {5, 10, 14, 18};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(lists.snapshots[i].epoch, static_cast<std::int64_t>(i));
        EXPECT_EQ(lists.snapshots[i].active, active[i]);
    }
    expectBreakdown(lists.snapshots[0], 0, {{"0", 5}});
    EXPECT_TRUE(lists.snapshots[1].cohorts.empty());
    expectBreakdown(lists.snapshots[2], 1, {{"0", 4}, {"0", 5}, {"1", 5}});
    EXPECT_TRUE(lists.snapshots[3].cohorts.empty());

    ASSERT_EQ(lists.monthlySnapshots.size(), 2u);
    EXPECT_EQ(lists.monthlySnapshots[0].epoch, 0);
    EXPECT_EQ(lists.monthlySnapshots[0].active, 5);
    EXPECT_EQ(lists.monthlySnapshots[1].epoch, 1);
    EXPECT_EQ(lists.monthlySnapshots[1].active, 14);
    EXPECT_TRUE(lists.monthlySnapshots[1].cohorts.empty());
}

TEST(Projection, WorkedExampleWithStartingSubscribers) {
    ScenarioValues values;
    values.monthDuration = 2;
    values.monthsToProject = 1;
    values.dailyNewSubs = 10;
    values.trialRetention = 0.5;
    values.rt1 = 0.8;
    values.rt2 = values.rt3 = values.rt4 = values.rt5 = values.rt6 = 0.5;
    values.rtPlus = 0.9;
    values.startingSubs = 100;
    const ProjectionLists lists = project(values);

    ASSERT_EQ(lists.snapshots.size(), 2u);
    EXPECT_DOUBLE_EQ(lists.snapshots[0].active, 100);
    expectBreakdown(lists.snapshots[0], 0,
                    {{"-7", 0.225},
                     {"-7", 33.525},
                     {"-7", 37.25},
                     {"-6", 0.45},
                     {"-6", 0.25},
                     {"-5", 0.9},
                     {"-5", 0.5},
                     {"-4", 1.8},
                     {"-4", 1},
                     {"-3", 3.6},
                     {"-3", 2},
                     {"-2", 4.5},
                     {"-2", 4},
                     {"-1", 5},
                     {"0", 5}});
    EXPECT_DOUBLE_EQ(lists.snapshots[1].active, 100);
    EXPECT_TRUE(lists.snapshots[1].cohorts.empty());
    ASSERT_EQ(lists.monthlySnapshots.size(), 1u);
    EXPECT_DOUBLE_EQ(lists.monthlySnapshots[0].active, 100);
}

TEST(Projection, ListLengthsFollowWholeMonthsAndMonthLength) {
    struct Case {
        double months;
        std::int64_t monthDuration;
        double startingSubs;
        std::size_t days;
        std::size_t monthly;
    };
    const Case cases[] = {
        {36, 30, 0, 1080, 36},
        {2.9, 30, 0, 60, 2},
        {0.5, 30, 0, 0, 0},
        {-0.5, 30, 0, 0, 0},
        {0, 30, 500, 0, 0},
        {3, 0, 500, 0, 0},
        {3, 0, 0, 0, 0},
        {3, 1, 500, 3, 3},
        // Outside what can be projected: empty, never a crash.
        {nan, 30, 0, 0, 0},
        {inf, 30, 0, 0, 0},
        {-inf, 30, 0, 0, 0},
        {-1, 30, 0, 0, 0},
        {-7.5, 30, 100, 0, 0},
        {3, -30, 100, 0, 0},
        {3, -30, 0, 0, 0},
        {1e300, 30, 0, 0, 0},
        {9.3e18, 1, 0, 0, 0},
        {4e18, 4, 0, 0, 0},
        {1, std::numeric_limits<std::int64_t>::max(), 5, 0, 0},
    };
    for (const Case& c : cases) {
        ScenarioValues values;
        values.monthsToProject = c.months;
        values.monthDuration = c.monthDuration;
        values.startingSubs = c.startingSubs;
        const auto size = projectionSize(values);
        if (c.days == 0 && size) {
            EXPECT_EQ(size->epochs, 0) << c.months << " x " << c.monthDuration;
            continue;  // a projectable size of zero days; never build a huge one
        }
        const ProjectionLists lists = project(values);
        EXPECT_EQ(lists.snapshots.size(), c.days) << c.months << " x " << c.monthDuration;
        EXPECT_EQ(lists.monthlySnapshots.size(), c.monthly) << c.months << " x " << c.monthDuration;
    }
}

TEST(Projection, OutOfLimitValuesHaveNoSizeAndProjectToNothing) {
    const std::pair<double, std::int64_t> outside[] = {
        {nan, 30}, {inf, 30}, {-1, 30}, {-2.5, 30}, {1e19, 30}, {4e18, 4}, {3, -1},
    };
    for (const auto& [months, monthDuration] : outside) {
        ScenarioValues values;
        values.monthsToProject = months;
        values.monthDuration = monthDuration;
        EXPECT_FALSE(projectionSize(values)) << months << " x " << monthDuration;
        EXPECT_TRUE(project(values).snapshots.empty());
    }
}

TEST(Projection, MonthlySnapshotsRepeatFirstDaysWithTheirOwnIds) {
    ScenarioValues values;
    values.startingSubs = 5000;
    values.monthsToProject = 4;
    const ProjectionLists lists = project(values);
    ASSERT_EQ(lists.monthlySnapshots.size(), 4u);
    std::set<std::string> ids;
    for (const auto& month : lists.monthlySnapshots) {
        const auto& day = lists.snapshots[static_cast<std::size_t>(month.epoch * 30)];
        EXPECT_EQ(month.active, day.active);
        EXPECT_TRUE(month.cohorts.empty());
        EXPECT_NE(month.id, day.id);
        // The breakdown has one record per cohort alive and adds up to the day's count.
        EXPECT_EQ(day.cohorts.size(), static_cast<std::size_t>(7 * 30 + day.epoch + 1));
        double sum = 0;
        for (const auto& cohort : day.cohorts) {
            sum += cohort.count;
            ids.insert(cohort.id.toString());
        }
        EXPECT_NEAR(sum, day.active, 1e-9 * day.active);
    }
    for (const auto& day : lists.snapshots) {
        ids.insert(day.id.toString());
    }
    std::size_t records = lists.snapshots.size();
    for (const auto& month : lists.monthlySnapshots) {
        records += lists.snapshots[static_cast<std::size_t>(month.epoch * 30)].cohorts.size();
    }
    EXPECT_EQ(ids.size(), records) << "every record has an id of its own";
}

TEST(Projection, StartingSubscribersBelowTheSeededGroupsGiveANegativeRest) {
    ScenarioValues values;
    values.monthDuration = 2;
    values.monthsToProject = 1;
    values.dailyNewSubs = 10;
    values.trialRetention = 0.5;
    values.startingSubs = 1;
    const ProjectionLists lists = project(values);
    ASSERT_EQ(lists.snapshots.size(), 2u);
    const auto& breakdown = lists.snapshots[0].cohorts;
    ASSERT_FALSE(breakdown.empty());
    EXPECT_EQ(breakdown.front().cohort.text(), "-7");
    EXPECT_LT(breakdown[1].count, 0) << "the rest group is not clamped";
    // The day-0 count: 1 starting subscriber (renewed in part at rtPlus) plus today's 5.
    EXPECT_LT(lists.snapshots[0].active, 6.5);
}

TEST(Projection, CohortsRenewMonthlyAndTakeTheLastRateFromTheSeventhRenewal) {
    ScenarioValues values;
    values.monthDuration = 1;  // one cohort a day, renewing every day
    values.monthsToProject = 10;
    values.dailyNewSubs = 1;
    values.trialRetention = 1;
    values.rt1 = 2, values.rt2 = 3, values.rt3 = 5, values.rt4 = 7;
    values.rt5 = 11, values.rt6 = 13, values.rtPlus = 17;
    const ProjectionLists lists = project(values);
    // On day 9 the cohort born on day 0 has renewed nine times.
    const auto& first = lists.snapshots[9].cohorts.front();
    EXPECT_EQ(first.cohort.text(), "0");
    EXPECT_EQ(first.count, 2.0 * 3 * 5 * 7 * 11 * 13 * 17 * 17 * 17);
    EXPECT_EQ(lists.snapshots[9].cohorts.back().count, 1) << "born today, not yet renewed";
}

TEST(Projection, SeededCohortsAlwaysRenewAtTheLastRate) {
    ScenarioValues values;
    values.monthDuration = 1;
    values.monthsToProject = 1;
    values.dailyNewSubs = 1;
    values.trialRetention = 1;
    values.rt1 = 0.5;
    values.rtPlus = 2;
    values.startingSubs = 10;
    const ProjectionLists lists = project(values);
    // Every seeded cohort renews at rtPlus on day 0, also the youngest, which
    // stands for subscribers in their first month.
    const auto& breakdown = lists.snapshots[0].cohorts;
    ASSERT_EQ(breakdown.size(), 8u);
    EXPECT_EQ(breakdown[6].cohort.text(), "-2");
    EXPECT_EQ(breakdown[6].count, 2);
    EXPECT_EQ(breakdown[0].cohort.text(), "-7");
    EXPECT_EQ(breakdown[0].count, 0.5 * 0.84 * 0.87 * 0.89 * 0.90 * 2);
}

TEST(Projection, AgreesBitForBitWithThePlainSimulation) {
    std::mt19937_64 random(20261206);
    const double specialRates[] = {0, 1, 1.25, -0.3, nan, 0.999, 2, 0.5};
    const auto pick = [&](auto& list) {
        return list[std::uniform_int_distribution<std::size_t>(0, std::size(list) - 1)(random)];
    };
    const auto chance = [&](double p) { return std::bernoulli_distribution(p)(random); };
    const auto uniform = [&](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };

    for (int scenario = 0; scenario < 160; ++scenario) {
        ScenarioValues values;
        values.monthDuration = std::uniform_int_distribution<std::int64_t>(1, 40)(random);
        const std::int64_t monthLimit = std::max<std::int64_t>(1, 1200 / values.monthDuration);
        values.monthsToProject = static_cast<double>(std::uniform_int_distribution<std::int64_t>(
                                     0, std::min<std::int64_t>(40, monthLimit))(random)) +
                                 (chance(0.3) ? uniform(0, 0.99) : 0);
        values.dailyNewSubs = chance(0.1) ? pick(specialRates) : uniform(0, 500);
        values.trialRetention = chance(0.2) ? pick(specialRates) : uniform(0, 1);
        for (double* rate : {&values.rt1, &values.rt2, &values.rt3, &values.rt4, &values.rt5,
                             &values.rt6, &values.rtPlus}) {
            *rate = chance(0.25) ? pick(specialRates) : uniform(0.3, 1);
        }
        const double starting[] = {0, 0, 1, 50, 5000, 123456.789, -10, nan};
        values.startingSubs = pick(starting);

        UuidGenerator ids(static_cast<std::uint64_t>(scenario));
        const ProjectionLists engine = projectScenario(values, ids);
        const ProjectionLists plain = reference::project(values, ids);
        SCOPED_TRACE(values.currentKey() + " md " + std::to_string(values.monthDuration));
        ASSERT_TRUE(sameFigures(engine.snapshots, plain.snapshots));
        ASSERT_TRUE(sameFigures(engine.monthlySnapshots, plain.monthlySnapshots));
    }
}

TEST(Projection, NanInputsRunThroughAsNanCounts) {
    ScenarioValues values;
    values.monthsToProject = 2;
    values.rt1 = nan;
    const ProjectionLists lists = project(values);
    EXPECT_FALSE(std::isnan(lists.snapshots[29].active));
    EXPECT_TRUE(std::isnan(lists.snapshots[30].active)) << "the first renewal brings the NaN in";

    values.startingSubs = nan;  // skips the seeding, like 0
    values.rt1 = 0.65;
    EXPECT_EQ(project(values).snapshots[0].cohorts.size(), 1u);
}

class CountingScenario final : public ScenarioSource {
public:
    explicit CountingScenario(std::ostringstream& out) : out_(out) {}
    ScenarioValues scenarioValues() const override {
        seenBeforeReading = out_.str();
        ScenarioValues values;
        values.monthsToProject = months;
        return values;
    }
    double months = 2;
    mutable std::string seenBeforeReading;

private:
    std::ostringstream& out_;
};

TEST(SubscriptionCalculation, AnnouncesEachBuildBeforeReadingAndKeepsItsScenario) {
    std::ostringstream out;
    CountingScenario scenario(out);
    const SubscriptionCalculation first(scenario, out);
    EXPECT_EQ(scenario.seenBeforeReading, "Calculated\n");
    EXPECT_EQ(first.inputs, &scenario);
    EXPECT_EQ(first.snapshots.size(), 60u);

    scenario.months = 0.5;
    const SubscriptionCalculation empty(scenario, out);
    EXPECT_EQ(out.str(), "Calculated\nCalculated\n") << "also printed for an empty result";
    EXPECT_TRUE(empty.snapshots.empty());
    EXPECT_DOUBLE_EQ(first.inputs->scenarioValues().monthsToProject, 0.5)
        << "reads through the projection see the scenario as it is now";
}

TEST(SubscriptionCalculation, RebuildsGiveEqualNumbersButNewIds) {
    const FixedScenario scenario{ScenarioValues{}};
    std::ostringstream out;
    const SubscriptionCalculation a(scenario, out);
    const SubscriptionCalculation b(scenario, out);
    EXPECT_TRUE(sameFigures(a.snapshots, b.snapshots));
    EXPECT_NE(a.snapshots[0], b.snapshots[0]);
    EXPECT_NE(a.snapshots[0].cohorts[0], b.snapshots[0].cohorts[0]);
}

}  // namespace
}  // namespace velmora
