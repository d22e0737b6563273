#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "engine/decisions/metrics.h"
#include "engine/decisions/settle_point.h"
#include "engine/projection/monthly_projection.h"

namespace velmora {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();
using Kind = SettlePoint::Kind;
using Edit = void (*)(ScenarioValues&);

TEST(SettlePoint, IsWhereAProjectionOfThousandsOfMonthsArrives) {
    const Edit cases[] = {
        [](ScenarioValues&) {},
        [](ScenarioValues& v) { v.startingSubs = 100000; },  // decay away
        [](ScenarioValues& v) { v.startingSubs = 3; },       // fewer than the seeded groups hold
        [](ScenarioValues& v) { v.startingSubs = nan; },     // not seeded, as in the projection
        [](ScenarioValues& v) { v.startingSubs = 5000, v.rt3 = 0; },
        [](ScenarioValues& v) {
            v.rt1 = v.rt2 = v.rt3 = v.rt4 = v.rt5 = v.rt6 = 1, v.rtPlus = 0.9;
        },
        [](ScenarioValues& v) { v.trialRetention = 1, v.rtPlus = 0; },
        [](ScenarioValues& v) { v.startingSubs = 5000, v.rt4 = 0, v.rtPlus = 1; },  // they stay
        [](ScenarioValues& v) { v.rt4 = 0, v.rtPlus = 2; },  // nobody renews at 2
        [](ScenarioValues& v) { v.startingSubs = 5000, v.trialRetention = 0; },  // settles at 0
    };
    for (const Edit edit : cases) {
        ScenarioValues values;
        edit(values);
        SCOPED_TRACE(values.currentKey());
        const SettlePoint point = settlePoint(values, {});
        ASSERT_EQ(point.kind, Kind::Settles) << point.reason;
        values.monthsToProject = 4000;
        const double projected = *lastMonthActive(values);
        const double proceeds = *metricValue(Metric::MonthlyProceeds, values);
        if (point.subscribers == 0) {
            EXPECT_NEAR(projected, 0, 1e-9);
            continue;
        }
        EXPECT_NEAR(point.subscribers / projected, 1, 1e-3) << projected;
        EXPECT_NEAR(point.monthlyProceeds / proceeds, 1, 1e-3) << proceeds;
    }
}

TEST(SettlePoint, SaysWhenItGrowsOrCannotBeComputed) {
    const std::pair<Edit, Kind> cases[] = {
        {[](ScenarioValues& v) { v.rtPlus = 1; }, Kind::GrowsWithoutBound},
        {[](ScenarioValues& v) { v.rtPlus = 1.2; }, Kind::GrowsWithoutBound},
        {[](ScenarioValues& v) { v.dailyNewSubs = 0, v.startingSubs = 100, v.rtPlus = 1.01; },
         Kind::GrowsWithoutBound},
        {[](ScenarioValues& v) { v.trialRetention = nan; }, Kind::CannotCompute},
        {[](ScenarioValues& v) { v.rt2 = -0.1; }, Kind::CannotCompute},
        {[](ScenarioValues& v) { v.rtPlus = inf; }, Kind::CannotCompute},
        {[](ScenarioValues& v) { v.startingSubs = inf; }, Kind::CannotCompute},
        {[](ScenarioValues& v) { v.dailyNewSubs = -1; }, Kind::CannotCompute},
        {[](ScenarioValues& v) { v.dailyNewSubs = 1e308; }, Kind::CannotCompute},
        {[](ScenarioValues& v) { v.price = nan; }, Kind::CannotCompute},
        {[](ScenarioValues& v) { v.monthDuration = 0; }, Kind::CannotCompute},
    };
    for (const auto& [edit, kind] : cases) {
        ScenarioValues values;
        edit(values);
        const SettlePoint point = settlePoint(values, {});
        EXPECT_EQ(point.kind, kind) << values.currentKey();
        EXPECT_FALSE(point.reason.empty());
    }
}

TEST(SettlePoint, SettleMonthIsTheFirstWithinTenPercentFromEitherSide) {
    // One converting trial a day, every rate a half: 2 paid months, 2 subscribers.
    ScenarioValues values{1, 36, 1, 0, 10, 1, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5};
    const double actives[] = {1, nan, 1.79, 1.8, 1.5, 1.9};
    const SettlePoint point = settlePoint(values, actives);
    EXPECT_EQ(point.subscribers, 2);
    EXPECT_DOUBLE_EQ(point.monthlyProceeds, 17);
    EXPECT_EQ(point.month90, 3);
    EXPECT_EQ(settlePoint(values, std::span(actives, 3)).month90, std::nullopt);
    const double shrinking[] = {5, 3, 2.3, 2.19};  // |2.19 - 2| <= 0.2 < |2.3 - 2|
    EXPECT_EQ(settlePoint(values, shrinking).month90, 3);
    const double overshot[] = {1, 2.3, 2.19};  // beyond the level and back within
    EXPECT_EQ(settlePoint(values, overshot).month90, 2);
    ScenarioValues seeded;  // 100,000 starting subscribers shrink towards 18,407
    seeded.startingSubs = 100000;
    seeded.monthsToProject = 120;
    const std::vector<double> projected = monthlyActives(seeded);
    const auto month = settlePoint(seeded, projected).month90;
    ASSERT_TRUE(month);
    EXPECT_GT(*month, 0);
    EXPECT_LE(projected[static_cast<std::size_t>(*month)], 1.1 * 18406.61122967999);
    EXPECT_GT(projected[static_cast<std::size_t>(*month) - 1], 1.1 * 18406.61122967999);
    values.trialRetention = 0;
    EXPECT_EQ(settlePoint(values, actives).month90, std::nullopt) << "nothing to reach at 0";
}

}  // namespace
}  // namespace velmora
