#include <cmath>

#include <gtest/gtest.h>

#include "engine/decisions/economics.h"
#include "engine/projection/monthly_projection.h"

namespace velmora {
namespace {

// Price 10 and trial retention 0.5: each expected payment brings
// c = 10 x 0.85 x 0.5 = 4.25. Every rate 0.5: L(k) = 1, 1.5, 1.75, 1.875, ... -> 2.
ScenarioValues halves(double cost) {
    ScenarioValues values{30, 4, 1, 0, 10, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5};
    values.costPerTrial = cost;
    return values;
}

TEST(Economics, PaybackIsTheFirstPaymentThatCoversTheCost) {
    ScenarioValues forever = halves(4.25 * 20'000);  // every rate 1: c x L(k) = 4.25 k
    forever.rt1 = forever.rt2 = forever.rt3 = forever.rt4 = forever.rt5 = forever.rt6 = 1;
    forever.rtPlus = 1;
    ScenarioValues firstLow = forever;  // L(k) = 1, 1.2, 1.4, ...: rt1 comes first
    firstLow.rt1 = 0.2;
    firstLow.costPerTrial = 5.5;
    const struct {
        ScenarioValues values;
        std::optional<std::int64_t> months;
        double shortfall;
    } cases[] = {
        {halves(0), 0, 0},       // no cost: nothing to pay back
        {halves(4.25), 1, 0},    // 4.25 x 1 >= 4.25
        {halves(7), 3, 0},       // 4.25 x 1.5 = 6.375 < 7 <= 4.25 x 1.75 = 7.4375
        {halves(8.6), {}, 0.1},  // the whole lifetime, 4.25 x 2 = 8.5, falls 0.1 short
        {forever, 20'000, 0},    // past the payments counted one by one: 4.25 x 20,000
        {firstLow, 3, 0},        // 4.25 x 1.2 = 5.1 < 5.5 <= 4.25 x 1.4 = 5.95
    };
    for (const auto& [values, months, shortfall] : cases) {
        SCOPED_TRACE(values.costPerTrial);
        const Payback payback = paybackOfTrial(values);
        EXPECT_EQ(payback.months, months);
        EXPECT_NEAR(payback.shortfall, shortfall, 1e-12);
    }
    // An endless lifetime pays back any cost: past 2^62 payments, and past the
    // 2^63 - 1 a count holds, as a double.
    for (const double payments : {7e18, 1e30}) {
        SCOPED_TRACE(payments);
        forever.costPerTrial = 4.25 * payments;
        const Payback late = paybackOfTrial(forever);
        EXPECT_EQ(late.months.has_value(), payments < 0x1p63);
        EXPECT_NEAR(late.count(), payments, payments * 1e-15);
        EXPECT_EQ(late.shortfall, 0);
    }
    EXPECT_EQ(wholeLifetimeValue(halves(1)), 8.5);
    EXPECT_EQ(wholeLifetimeValue(forever), INFINITY);
    // The 24-month value is c x L(23) = 4.25 x (2 - 2^-22); over a cost of 2.5.
    EXPECT_NEAR(lifetimeValueToCost(halves(2.5)), (8.5 - 4.25 / 4194304) / 2.5, 1e-12);
    EXPECT_FALSE(hasCost(halves(0)));
}

TEST(Economics, CashTurnsWhereTheCumulativeNetReachesZero) {
    // P(m) = active x 10 x 0.85; spend = 1 trial a day x 30 days x 40 = 1,200 a month.
    const struct {
        std::vector<double> actives;
        double cost;
        std::vector<double> net;
        std::optional<std::int64_t> breakEven;
        double cashNeeded;
        std::optional<std::int64_t> lowest;
    } cases[] = {
        // cumulative P 0, 850, 2,550, 5,100 less 1,200, 2,400, 3,600, 4,800
        {{0, 100, 200, 300}, 40, {-1200, -1550, -1050, 300}, 3, 1550, 1},
        // 850 - 1,200 x 0.5 = 250 already in M0
        {{100, 100}, 20, {250, 500}, 0, 0, 0},
        // nothing comes in: it never turns, and needs most at the end
        {{0, 0, 0}, 40, {-1200, -2400, -3600}, {}, 3600, 2},
        // no cost: the proceeds alone
        {{0, 100}, 0, {0, 850}, 0, 0, 0},
        {{}, 40, {}, {}, 0, {}},
        // proceeds past the largest double: even at once, with nothing needed
        {{1e308, 1e308}, 40, {INFINITY, INFINITY}, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.actives.size());
        const CashFlow flow = cashFlow(halves(c.cost), c.actives);
        EXPECT_EQ(flow.monthlySpend, 30 * c.cost);
        EXPECT_EQ(flow.cumulativeNet, c.net);
        EXPECT_EQ(flow.turn.breakEvenMonth, c.breakEven);
        EXPECT_EQ(flow.turn.cashNeeded, c.cashNeeded);
        EXPECT_EQ(flow.turn.cashNeededMonth, c.lowest);
        const CashTurn alone = cashTurn(halves(c.cost), c.actives);
        EXPECT_EQ(alone.breakEvenMonth, c.breakEven);
        EXPECT_EQ(alone.cashNeeded, c.cashNeeded);
    }
    const Economics none = economics(halves(0), monthlyActives(halves(0)));
    EXPECT_FALSE(none.costGiven);
    EXPECT_EQ(none.cash.cumulativeProceeds.size(), 4u);
}

}  // namespace
}  // namespace velmora
