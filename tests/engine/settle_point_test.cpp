#include <array>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "engine/metrics.h"
#include "engine/monthly_projection.h"
#include "engine/settle_point.h"

namespace velmora {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();
using Kind = SettlePoint::Kind;

ScenarioValues scenario(double startingSubs, double trialRetention, std::array<double, 7> rates) {
    ScenarioValues values;
    values.startingSubs = startingSubs;
    values.trialRetention = trialRetention;
    double* fields[] = {&values.rt1, &values.rt2, &values.rt3,   &values.rt4,
                        &values.rt5, &values.rt6, &values.rtPlus};
    for (std::size_t i = 0; i < rates.size(); ++i) {
        *fields[i] = rates[i];
    }
    return values;
}

constexpr std::array<double, 7> usual = {0.65, 0.84, 0.87, 0.89, 0.90, 0.91, 0.95};

TEST(SettlePoint, IsWhereAProjectionOfThousandsOfMonthsArrives) {
    const ScenarioValues cases[] = {
        scenario(0, 0.59, usual),
        scenario(100000, 0.59, usual),  // decay away
        scenario(3, 0.59, usual),       // fewer than the seeded groups hold
        scenario(nan, 0.59, usual),     // not seeded, as in the projection
        scenario(5000, 0.59, {0.65, 0.84, 0, 0.89, 0.9, 0.91, 0.95}),
        scenario(0, 0.59, {1, 1, 1, 1, 1, 1, 0.9}),
        scenario(0, 1, {0.65, 0.84, 0.87, 0.89, 0.9, 0.91, 0}),
        scenario(5000, 0.59, {0.65, 0.84, 0.87, 0, 0.9, 0.91, 1}),  // starting ones stay
        scenario(0, 0.59, {0.65, 0.84, 0.87, 0, 0.9, 0.91, 2}),     // nobody renews at 2
        scenario(5000, 0, usual),                                   // settles at 0
    };
    for (ScenarioValues values : cases) {
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
    struct Case {
        ScenarioValues values;
        Kind kind;
    };
    std::vector<Case> cases = {
        {scenario(0, 0.59, {0.65, 0.84, 0.87, 0.89, 0.9, 0.91, 1}), Kind::GrowsWithoutBound},
        {scenario(0, 0.59, {0.65, 0.84, 0.87, 0.89, 0.9, 0.91, 1.2}), Kind::GrowsWithoutBound},
        {scenario(100, 0, {0, 0, 0, 0, 0, 0, 1.01}), Kind::GrowsWithoutBound},
        {scenario(0, nan, usual), Kind::CannotCompute},
        {scenario(0, 0.59, {0.65, -0.1, 0.87, 0.89, 0.9, 0.91, 0.95}), Kind::CannotCompute},
        {scenario(0, 0.59, {0.65, 0.84, 0.87, 0.89, 0.9, 0.91, inf}), Kind::CannotCompute},
        {scenario(inf, 0.59, usual), Kind::CannotCompute},
    };
    for (auto [field, value] : {std::pair{&ScenarioValues::dailyNewSubs, -1.0},
                                std::pair{&ScenarioValues::dailyNewSubs, 1e308},
                                std::pair{&ScenarioValues::price, nan}}) {
        cases.push_back({scenario(0, 0.59, usual), Kind::CannotCompute});
        cases.back().values.*field = value;
    }
    cases.push_back({scenario(0, 0.59, usual), Kind::CannotCompute});
    cases.back().values.monthDuration = 0;
    for (const Case& c : cases) {
        const SettlePoint point = settlePoint(c.values, {});
        EXPECT_EQ(point.kind, c.kind) << c.values.currentKey();
        EXPECT_FALSE(point.reason.empty());
    }
}

TEST(SettlePoint, NinetyPercentMonthIsTheFirstToReachIt) {
    // One trial a day, converting; every rate a half: 2 paid months, 2 subscribers.
    ScenarioValues values = scenario(0, 1, {0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5});
    values.dailyNewSubs = 1;
    values.monthDuration = 1;
    values.price = 10;
    const double actives[] = {1, nan, 1.79, 1.8, 1.5, 1.9};
    const SettlePoint point = settlePoint(values, actives);
    EXPECT_EQ(point.subscribers, 2);
    EXPECT_DOUBLE_EQ(point.monthlyProceeds, 17);
    EXPECT_EQ(point.month90, 3);
    EXPECT_EQ(settlePoint(values, std::span(actives, 3)).month90, std::nullopt);
    values.trialRetention = 0;
    EXPECT_EQ(settlePoint(values, actives).month90, std::nullopt) << "nothing to reach at 0";
}

}  // namespace
}  // namespace velmora
