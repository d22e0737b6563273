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

TEST(LifetimeValue, WorkedExampleAndFlatRates) {
    EXPECT_DOUBLE_EQ(lifetimeValuePerTrial(8, flatRates(0.5, 1), 10, 0.85, 0.85), 29.75);
    for (std::int64_t months : {8, 9, 12, 13, 24, 100}) {
        const double expected = static_cast<double>(months - 1) * 0.4 * 3;
        EXPECT_NEAR(lifetimeValuePerTrial(months, flatRates(0.4, 1), 3, 1, 1), expected,
                    1e-12 * expected)
            << months;
    }
}

TEST(LifetimeValue, FirstTwelvePaymentsUseTheEarlyShare) {
    // With all rates 1 every payment is worth the same; only the shares differ.
    const double value = lifetimeValuePerTrial(24, flatRates(1, 1), 1, 0.85, 0.7);
    EXPECT_DOUBLE_EQ(value, 12 * 0.85 + 11 * 0.7);
    EXPECT_DOUBLE_EQ(lifetimeValuePerTrial(13, flatRates(1, 1), 1, 0.85, 0.7), 12 * 0.85);
    EXPECT_DOUBLE_EQ(lifetimeValuePerTrial(14, flatRates(1, 1), 1, 0.85, 0.7), 12 * 0.85 + 0.7);
}

TEST(LifetimeValue, HorizonOfEightUsesTheSixRatesButNotTheLast) {
    ScenarioValues values = flatRates(1, 1);
    values.rtPlus = 0;
    EXPECT_DOUBLE_EQ(lifetimeValuePerTrial(8, values, 1, 1, 1), 7);
    EXPECT_DOUBLE_EQ(lifetimeValuePerTrial(9, values, 1, 1, 1), 7);
    values.rt6 = 0;
    EXPECT_DOUBLE_EQ(lifetimeValuePerTrial(8, values, 1, 1, 1), 6);
}

TEST(LifetimeValue, ShortHorizonsSumThePaymentsUpToThem) {
    ScenarioValues values;
    values.trialRetention = 1;
    values.rt1 = 0.5;
    values.rt2 = 0.5;
    const double payments[] = {1, 0.5, 0.25};
    double expected = 0;
    EXPECT_EQ(lifetimeValuePerTrial(-5, values, 1, 1, 1), 0);
    EXPECT_EQ(lifetimeValuePerTrial(0, values, 1, 1, 1), 0);
    EXPECT_EQ(lifetimeValuePerTrial(1, values, 1, 1, 1), 0);
    for (std::int64_t months = 2; months <= 4; ++months) {
        expected += payments[months - 2];
        EXPECT_DOUBLE_EQ(lifetimeValuePerTrial(months, values, 1, 1, 1), expected) << months;
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
