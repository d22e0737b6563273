#include <gtest/gtest.h>

#include "engine/projection/lifetime_value.h"

namespace velmora {
namespace {

ScenarioValues flatRates(double trialRetention, double rate) {
    ScenarioValues values;
    values.trialRetention = trialRetention;
    values.rt1 = values.rt2 = values.rt3 = values.rt4 = values.rt5 = values.rt6 = rate;
    values.rtPlus = rate;
    return values;
}

TEST(LifetimeValue, SumsOneFewerPaymentsThanMonthsWithTheLateShareFromTheThirteenth) {
    EXPECT_DOUBLE_EQ(lifetimeValuePerTrial(8, flatRates(0.5, 1), 10, 0.85, 0.85), 29.75);
    struct Case {
        std::int64_t months;
        double expected;  // all rates 1, price 1, shares 0.85 and 0.7
    };
    const Case cases[] = {
        {-5, 0},
        {0, 0},
        {1, 0},
        {2, 0.85},
        {8, 7 * 0.85},
        {13, 12 * 0.85},
        {14, 12 * 0.85 + 0.7},
        {24, 12 * 0.85 + 11 * 0.7},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(lifetimeValuePerTrial(c.months, flatRates(1, 1), 1, 0.85, 0.7), c.expected,
                    1e-12)
            << c.months;
    }
}

TEST(LifetimeValue, PaymentsCarryTheRenewalsBeforeThem) {
    ScenarioValues values = flatRates(1, 1);
    values.rt1 = 0.5;
    values.rt2 = 0.5;
    values.rtPlus = 0;  // a horizon of 8 ends before the last rate counts
    const double cumulative[] = {0, 0, 1, 1.5, 1.75, 2, 2.25, 2.5, 2.75, 2.75};
    for (std::int64_t months = 0; months <= 9; ++months) {
        EXPECT_DOUBLE_EQ(lifetimeValuePerTrial(months, values, 1, 1, 1), cumulative[months])
            << months;
    }
}

}  // namespace
}  // namespace velmora
