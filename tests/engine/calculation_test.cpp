#include <limits>
#include <random>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "engine/projection/calculation.h"
#include "support/reference_projection.h"
#include "support/same_figures.h"

namespace velmora {
namespace {

const double nan = processorNaN();  // see there why no other NaN
constexpr double inf = std::numeric_limits<double>::infinity();

/// "label:count" of every breakdown record, in order.
std::string breakdown(const SubscriptionSnapshot& snapshot) {
    std::ostringstream text;
    text.precision(10);
    for (const SubscriptionCohort cohort : snapshot.cohorts) {
        text << (text.tellp() > 0 ? " " : "") << cohort.cohort.text() << ':' << cohort.count;
    }
    return text.str();
}

ProjectionLists project(const ScenarioValues& values) {
    UuidGenerator ids;
    return projectScenario(values, ids);
}

ScenarioValues smallScenario(std::int64_t monthDuration, double months, double startingSubs) {
    ScenarioValues values;
    values.monthDuration = monthDuration;
    values.monthsToProject = months;
    values.dailyNewSubs = 10;
    values.trialRetention = 0.5;
    values.rt1 = 0.8;
    values.startingSubs = startingSubs;
    return values;
}

TEST(Projection, WorkedExampleWithoutStartingSubscribers) {
    const ProjectionLists lists = project(smallScenario(2, 2, 0));
    ASSERT_EQ(lists.snapshots.size(), 4u);
    const double active[] = {5, 10, 14, 18};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(lists.snapshots[i].epoch, static_cast<std::int64_t>(i));
        EXPECT_EQ(lists.snapshots[i].active, active[i]);
    }
    EXPECT_EQ(breakdown(lists.snapshots[0]), "0:5");
    EXPECT_EQ(breakdown(lists.snapshots[1]), "");
    EXPECT_EQ(breakdown(lists.snapshots[2]), "0:4 0:5 1:5");
    EXPECT_EQ(lists.snapshots[2].cohorts[0].epoch, 1) << "records carry the month number";
    EXPECT_EQ(breakdown(lists.snapshots[3]), "");
    ASSERT_EQ(lists.monthlySnapshots.size(), 2u);
    EXPECT_EQ(lists.monthlySnapshots[1].epoch, 1);
    EXPECT_EQ(lists.monthlySnapshots[1].active, 14);
    EXPECT_TRUE(lists.monthlySnapshots[0].cohorts.empty());
}

TEST(Projection, WorkedExampleWithStartingSubscribers) {
    ScenarioValues values = smallScenario(2, 1, 100);
    values.rt2 = values.rt3 = values.rt4 = values.rt5 = values.rt6 = 0.5;
    values.rtPlus = 0.9;
    const ProjectionLists lists = project(values);
    ASSERT_EQ(lists.snapshots.size(), 2u);
    EXPECT_DOUBLE_EQ(lists.snapshots[0].active, 100);
    EXPECT_EQ(breakdown(lists.snapshots[0]),
              "-7:0.225 -7:33.525 -7:37.25 -6:0.45 -6:0.25 -5:0.9 -5:0.5 -4:1.8 -4:1 "
              "-3:3.6 -3:2 -2:4.5 -2:4 -1:5 0:5");
    EXPECT_DOUBLE_EQ(lists.snapshots[1].active, 100);
    ASSERT_EQ(lists.monthlySnapshots.size(), 1u);
    EXPECT_DOUBLE_EQ(lists.monthlySnapshots[0].active, 100);
}

TEST(Projection, WholeMonthsAreProjectedAndOutOfLimitValuesGiveNothing) {
    constexpr auto maxDays = std::numeric_limits<std::int64_t>::max();
    struct Case {
        double months;
        std::int64_t monthDuration;
        double startingSubs;
        bool projectable;
        std::size_t days;
    };
    const Case cases[] = {
        {36, 30, 0, true, 1080},  {2.9, 30, 0, true, 60}, {0.5, 30, 0, true, 0},
        {-0.5, 30, 0, true, 0},   {0, 30, 500, true, 0},  {3, 0, 500, true, 0},
        {3, 1, 500, true, 3},     {nan, 30, 0, false, 0}, {inf, 30, 0, false, 0},
        {-inf, 30, 0, false, 0},  {-1, 30, 0, false, 0},  {-7.5, 30, 100, false, 0},
        {3, -30, 100, false, 0},  {3, -30, 0, false, 0},  {1e300, 30, 0, false, 0},
        {9.3e18, 1, 0, false, 0}, {4e18, 4, 0, false, 0}, {1, maxDays, 5, false, 0},
    };
    for (const Case& c : cases) {
        ScenarioValues values = smallScenario(c.monthDuration, c.months, c.startingSubs);
        SCOPED_TRACE(std::to_string(c.months) + " months of " + std::to_string(c.monthDuration));
        EXPECT_EQ(projectionSize(values).has_value(), c.projectable);
        const ProjectionLists lists = project(values);
        EXPECT_EQ(lists.snapshots.size(), c.days);
        EXPECT_EQ(lists.monthlySnapshots.size(),
                  c.days / std::max<std::int64_t>(c.monthDuration, 1));
    }
}

TEST(Projection, EveryRecordHasItsOwnIdAndReadsInBulkFromAnyPosition) {
    ScenarioValues values;
    values.startingSubs = 5000;
    values.monthsToProject = 4;
    const ProjectionLists lists = project(values);
    std::set<std::string> ids;
    std::size_t records = 0;
    for (const auto& month : lists.monthlySnapshots) {
        const CohortList& breakdown =
            lists.snapshots[static_cast<std::size_t>(month.epoch * 30)].cohorts;
        ids.insert(month.id.toString());
        for (const SubscriptionCohort cohort : breakdown) {
            ids.insert(cohort.id.toString());
            EXPECT_EQ(cohort.id.version(), 4);
        }
        records += breakdown.size() + 1;
        EXPECT_EQ(breakdown[3].id, breakdown[3].id) << "a record reads the same every time";
        // Read in bulk from any position, the records keep all but their ids.
        for (const std::size_t first : {0, 1, 209, 215, 239}) {
            std::vector<CohortCount> counts(breakdown.size() - std::min(first, breakdown.size()));
            breakdown.readCounts(first, counts);
            for (std::size_t i = 0; i < counts.size(); ++i) {
                ASSERT_EQ(counts[i].cohort, breakdown[first + i].cohort) << first + i;
                ASSERT_EQ(counts[i].count, breakdown[first + i].count) << first + i;
            }
        }
    }
    EXPECT_EQ(ids.size(), records);
}

TEST(Projection, RenewalRatesFollowTheCohortsAgeButSeededCohortsAlwaysUseTheLast) {
    ScenarioValues values;
    values.monthDuration = 1;  // a cohort a day, each renewing every day
    values.monthsToProject = 10;
    values.dailyNewSubs = 1;
    values.trialRetention = 1;
    values.rt1 = 2, values.rt2 = 3, values.rt3 = 5, values.rt4 = 7;
    values.rt5 = 11, values.rt6 = 13, values.rtPlus = 17;
    const auto born = project(values).snapshots[9].cohorts;
    EXPECT_EQ(born.front().count, 2.0 * 3 * 5 * 7 * 11 * 13 * 17 * 17 * 17) << "nine renewals";
    EXPECT_EQ(born.back().count, 1) << "born today, not yet renewed";

    values.startingSubs = 1000;
    values.monthsToProject = 1;
    // The youngest seeded cohort (label -2 with one-day months) stands for
    // subscribers in their first month, and still renews at rtPlus.
    const auto seeded = project(values).snapshots[0].cohorts;
    ASSERT_EQ(seeded.size(), 8u);
    EXPECT_EQ(seeded[6].cohort.text(), "-2");
    EXPECT_EQ(seeded[6].count, 17);
    EXPECT_LT(project(smallScenario(2, 1, 1)).snapshots[0].cohorts[1].count, 0)
        << "fewer starting subscribers than the seeded groups hold: a negative rest, unclamped";
}

TEST(Projection, AgreesBitForBitWithThePlainSimulation) {
    std::mt19937_64 random(20261206);
    const double specialRates[] = {0, 1, 1.25, -0.3, nan, 0.999, 2, 0.5};
    const double starting[] = {0, 0, 1, 50, 5000, 123456.789, -10, nan};
    const auto pick = [&](const auto& list) {
        return list[std::uniform_int_distribution<std::size_t>(0, std::size(list) - 1)(random)];
    };
    const auto chance = [&](double p) { return std::bernoulli_distribution(p)(random); };
    const auto uniform = [&](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };

    for (int scenario = 0; scenario < 160; ++scenario) {
        ScenarioValues values;
        values.monthDuration = std::uniform_int_distribution<std::int64_t>(1, 40)(random);
        const auto wholeMonths = std::uniform_int_distribution<int>(0, 40)(random);
        values.monthsToProject = wholeMonths + (chance(0.3) ? uniform(0, 0.99) : 0);
        values.dailyNewSubs = chance(0.1) ? pick(specialRates) : uniform(0, 500);
        values.trialRetention = chance(0.2) ? pick(specialRates) : uniform(0, 1);
        for (double* rate : {&values.rt1, &values.rt2, &values.rt3, &values.rt4, &values.rt5,
                             &values.rt6, &values.rtPlus}) {
            *rate = chance(0.25) ? pick(specialRates) : uniform(0.3, 1);
        }
        values.startingSubs = pick(starting);
        if (scenario == 0) {  // a NaN rate meets the NaN of inf * 0 (found by the fuzzer)
            values = smallScenario(30, 1, 100);
            values.dailyNewSubs = inf;
            values.rt1 = 0;
            values.rtPlus = nan;
        }

        UuidGenerator ids(static_cast<std::uint64_t>(scenario));
        const ProjectionLists engine = projectScenario(values, ids);
        const ProjectionLists plain = reference::project(values, ids);
        SCOPED_TRACE(values.currentKey() + " md " + std::to_string(values.monthDuration));
        ASSERT_EQ(firstDifference(engine.snapshots, plain.snapshots), std::nullopt);
        ASSERT_EQ(firstDifference(engine.monthlySnapshots, plain.monthlySnapshots), std::nullopt);
    }
}

/// Records what was announced by the time the projection reads its values.
class WatchedScenario final : public ScenarioSource {
public:
    explicit WatchedScenario(std::ostringstream& out) : out_(out) {}
    ScenarioValues scenarioValues() const override {
        seenBeforeReading = out_.str();
        return smallScenario(30, months, 0);
    }
    double months = 2;
    mutable std::string seenBeforeReading;

private:
    std::ostringstream& out_;
};

TEST(SubscriptionCalculation, AnnouncesEachBuildFirstAndReadsTheScenarioAsItIsNow) {
    std::ostringstream out;
    WatchedScenario scenario(out);
    const SubscriptionCalculation first(scenario, out);
    EXPECT_EQ(scenario.seenBeforeReading, "Calculated\n");
    const SubscriptionCalculation again(scenario, out);
    EXPECT_EQ(firstDifference(first.snapshots, again.snapshots), std::nullopt);
    EXPECT_NE(first.snapshots[0], again.snapshots[0]) << "every build draws new ids";

    scenario.months = 0.5;
    const SubscriptionCalculation empty(scenario, out);
    EXPECT_EQ(out.str(), "Calculated\nCalculated\nCalculated\n") << "also for an empty result";
    EXPECT_TRUE(empty.snapshots.empty());
    EXPECT_EQ(first.inputs, &scenario);
    EXPECT_DOUBLE_EQ(first.inputs->scenarioValues().monthsToProject, 0.5);

    // The months alone: the same figures, no day, announced all the same.
    scenario.months = 2;
    const SubscriptionCalculation months(scenario, out, ProjectionDetail::Months);
    EXPECT_EQ(out.str(), "Calculated\nCalculated\nCalculated\nCalculated\n");
    EXPECT_FALSE(months.hasDays());
    EXPECT_TRUE(months.snapshots.empty());
    ASSERT_EQ(months.monthlySnapshots.size(), first.monthlySnapshots.size());
    for (std::size_t month = 0; month < months.monthlySnapshots.size(); ++month) {
        EXPECT_EQ(months.monthlySnapshots[month].epoch, first.monthlySnapshots[month].epoch);
        EXPECT_EQ(months.monthlySnapshots[month].active, first.monthlySnapshots[month].active);
    }
}

TEST(Projection, TellsItsProgressEveryMonthAndStopsWhenTold) {
    const ScenarioValues values = smallScenario(3, 4, 20);
    for (const std::int64_t stopAt : {0, 2, 4}) {
        std::vector<std::pair<std::int64_t, std::int64_t>> told;
        UuidGenerator ids;
        const auto lists = projectScenario(values, ids, [&](std::int64_t built, std::int64_t all) {
            told.emplace_back(built, all);
            return built != stopAt;
        });
        const std::int64_t last = stopAt == 0 ? 4 : stopAt;
        ASSERT_EQ(told.size(), static_cast<std::size_t>(last)) << stopAt;
        EXPECT_EQ(told.front().first, 1);
        EXPECT_EQ(told.front().second, 4);
        EXPECT_EQ(told.back().first, last);
        EXPECT_EQ(lists.has_value(), stopAt == 0) << stopAt;
        if (lists) {
            EXPECT_EQ(firstDifference(lists->snapshots, project(values).snapshots), std::nullopt);
        }
    }
}

}  // namespace
}  // namespace velmora
