#include <bit>
#include <random>

#include <gtest/gtest.h>

#include "engine/lifetime_value.h"
#include "support/reference_projection.h"

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

TEST(LifetimeValue, AgreesBitForBitWithThePaymentByPaymentSum) {
    std::mt19937_64 random(24);
    std::uniform_real_distribution<double> unit(0, 1.2);
    for (int i = 0; i < 500; ++i) {
        ScenarioValues values;
        values.trialRetention = unit(random);
        for (double* rate : {&values.rt1, &values.rt2, &values.rt3, &values.rt4, &values.rt5,
                             &values.rt6, &values.rtPlus}) {
            *rate = unit(random);
        }
        const std::int64_t months = 8 + i % 60;
        const double price = unit(random) * 20;
        const double early = unit(random);
        const double late = unit(random);
        EXPECT_EQ(
            std::bit_cast<std::uint64_t>(lifetimeValuePerTrial(months, values, price, early, late)),
            std::bit_cast<std::uint64_t>(
                reference::lifetimeValuePerTrial(months, values, price, early, late)))
            << months;
    }
}

}  // namespace
}  // namespace velmora
