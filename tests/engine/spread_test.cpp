#include <algorithm>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "engine/decisions/economics.h"
#include "engine/decisions/settle_point.h"
#include "engine/projection/closed_form.h"
#include "engine/spread/percentiles.h"
#include "engine/spread/ranges.h"
#include "engine/spread/simulation.h"
#include "engine/support/sampling.h"
#include "engine/table/table_figures.h"
#include "support/same_figures.h"

namespace velmora {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double max = std::numeric_limits<double>::max();

bool same(const Percentiles& a, const Percentiles& b) {
    const auto equal = [](double x, double y) { return sameNumber(x, y) || (x != x && y != y); };
    return equal(a.p10, b.p10) && equal(a.p50, b.p50) && equal(a.p90, b.p90);
}

TEST(Sampling, DrawsThePublishedNumbersAndTheTriangularsQuantiles) {
    EXPECT_EQ(SplitMix64(0).next(), 0xe220a8397b1dcdafu);
    SampleGenerator generator(1);
    EXPECT_EQ(generator.next(), 0xb3f2af6d0fc710c5u);
    EXPECT_EQ(generator.uniform(), 0x1.0a76ab2c8e6c9p-1);
    // low, mode, high, u and the value whose cumulative probability is u
    const std::array<double, 5> cases[] = {
        {1, 2, 4, 0, 1},
        {1, 2, 4, 1.0 / 3, 2},  // a third of the weight lies below 2
        {1, 2, 4, 0.5, 4 - std::sqrt(3)},
        {0, 0, 1, 0.75, 0.5},
        {3, 3, 3, 0.9, 3},
        // ranges whose width squared, or the width itself, overflows
        {1.99, 1.99, 1e155, 0.5, 1e155 - std::sqrt(0.5) * (1e155 - 1.99)},
        {-1e160, 0, 1e160, 0.75, 1e160 - std::sqrt(0.5) * 1e160},
        {-max, 0, max, 0.875, max / 2},
        {-max, -max, max, 0.4375, -max / 2}};
    for (const auto& [low, mode, high, u, value] : cases) {
        EXPECT_NEAR(triangularQuantile(low, mode, high, u), value,
                    1e-15 * std::max(1.0, std::abs(value)))
            << low << ' ' << mode << ' ' << high;
    }
}

TEST(Percentiles, InterpolateBetweenTheOrderStatisticsOfAnySample) {
    const std::pair<std::vector<double>, Percentiles> cases[] = {
        {{5}, {5, 5, 5}},
        {{3, 1, 2}, {1.2, 2, 2.8}},
        {{4, -0.0, 1, 2, 3, 0}, {0, 1.5, 3.5}},
        {{1, nan, 3, 2}, {1.3, 2.5, nan}},  // not-a-number sorts last
        {{-inf, 1, 2, inf, 3}, {-inf, 2, inf}},
    };
    for (const auto& [sample, expected] : cases) {
        EXPECT_TRUE(same(percentiles(sample), expected)) << sample.size() << " values";
    }
    // Thousands of values are binned first: a heavy tail, ties, infinities and
    // not-a-number, one far outlier.
    SampleGenerator generator(7);
    for (const auto shape : {+[](double u, std::size_t) { return std::pow(10.0, 300 * u - 150); },
                             +[](double u, std::size_t i) {
                                 return i % 97 == 0 ? (i % 2 ? inf : nan) : std::floor(u * 3);
                             },
                             +[](double u, std::size_t i) { return i == 0 ? 1e300 : -u; }}) {
        std::vector<double> sample(10000);
        for (std::size_t i = 0; i < sample.size(); ++i) {
            sample[i] = shape(generator.uniform(), i);
        }
        SelectionScratch scratch;
        const PercentileBounds bounds = percentileBounds(sample, scratch);
        std::sort(sample.begin(), sample.end(),
                  [](double a, double b) { return a < b || (b != b && a == a); });
        for (std::size_t i = 0; i < 3; ++i) {
            const std::size_t k = 9999 * shownPercents[i] / 100;
            EXPECT_TRUE(same(Percentiles{bounds.lower[i], bounds.upper[i], 0},
                             Percentiles{sample[k], sample[k + 1], 0}));
        }
    }
}

TEST(Spread, GivesThePercentilesOfTheClosedFormOfEveryDraw) {
    ScenarioValues values;
    values.monthsToProject = 40;
    values.startingSubs = 900;
    std::vector<Range> ranges = {{Input::DailyNewSubs, 50, 180},
                                 {Input::Rt1, 0.5, 0.8},
                                 {Input::RtPlus, 0.9, 1.02},
                                 {Input::StartingSubs, -100, 5000}};
    std::vector<ScenarioValues> unpriced;
    for (const bool priced : {false, true}) {  // one price, or proceeds of their own
        if (priced) {
            ranges.push_back({Input::Price, 0.99, 4.99});
        }
        const Spread spread = *simulateSpread(values, ranges, {5000, 3, 2});
        const auto draws = drawScenarios(values, ranges, 5000, 3);
        std::vector<std::vector<double>> active(40), proceeds(40);
        for (std::size_t i = 0; i < draws.size(); ++i) {
            const MonthlyFigures figures = closedFormFigures(draws[i]);
            for (std::size_t m = 0; m < 40; ++m) {
                active[m].push_back(figures.active[m]);
                proceeds[m].push_back(figures.proceeds[m]);
            }
            if (priced) {  // a range more leaves the draws of the other inputs as they were
                ScenarioValues draw = draws[i];
                draw.price = values.price;
                ASSERT_EQ(draw, unpriced[i]);
            }
        }
        for (std::size_t m = 0; m < 40; ++m) {
            EXPECT_TRUE(same(spread.months[m].active, percentiles(active[m]))) << m;
            EXPECT_TRUE(same(spread.months[m].monthlyProceeds, percentiles(proceeds[m]))) << m;
        }
        for (double& last : proceeds[39]) {
            last = annualized(last, values.monthDuration);
        }
        EXPECT_TRUE(same(*spread.figure(SpreadFigure::AnnualProceeds), percentiles(proceeds[39])));
        unpriced = draws;
    }
}

TEST(Spread, OfRangesOfZeroWidthIsTheProjectionItself) {
    ScenarioValues values;
    values.startingSubs = 2500;
    values.monthsToProject = 24.5;
    std::vector<Range> ranges;
    for (const Input input : rangedInputs) {
        ranges.push_back({input, inputValue(values, input), inputValue(values, input)});
    }
    const MonthlyFigures figures = closedFormFigures(values);
    const auto all = [](double x) { return Percentiles{x, x, x}; };
    for (const std::size_t ranged : {std::size_t{0}, ranges.size()}) {
        const Spread spread = *simulateSpread(values, std::span(ranges).first(ranged), {300, 9});
        ASSERT_EQ(spread.months.size(), 24u);
        for (std::size_t m = 0; m < 24; ++m) {
            EXPECT_TRUE(same(spread.months[m].active, all(figures.active[m])));
            EXPECT_TRUE(same(spread.months[m].monthlyProceeds, all(figures.proceeds[m])));
        }
        const std::pair<SpreadFigure, double> expected[] = {
            {SpreadFigure::Subscribers, figures.active.back()},
            {SpreadFigure::MonthlyProceeds, figures.proceeds.back()},
            {SpreadFigure::AnnualProceeds,
             annualized(figures.proceeds.back(), values.monthDuration)},
            {SpreadFigure::LifetimeValue, shownLifetimeValue(values, values.price)},
            {SpreadFigure::SettleSubscribers, settlePoint(values, {}).subscribers}};
        for (const auto& [figure, value] : expected) {
            EXPECT_TRUE(same(*spread.figure(figure), all(value))) << spreadFigureName(figure);
        }
        // Without a cost per trial the plan's money has no turn to spread.
        EXPECT_FALSE(spread.figure(SpreadFigure::BreakEvenMonth));
        EXPECT_FALSE(spread.figure(SpreadFigure::CashNeeded));
    }
}

TEST(Spread, OfTheCashTurnIsEachDrawsOwn) {
    // costPerTrial, months: break-even within the months, beyond them, never.
    const std::pair<double, double> cases[] = {{5, 36}, {40, 12.5}, {1e6, 24}};
    for (const auto& [cost, months] : cases) {
        ScenarioValues values;
        values.costPerTrial = cost;
        values.monthsToProject = months;
        std::vector<Range> ranges;
        for (const Input input : rangedInputs) {
            ranges.push_back({input, inputValue(values, input), inputValue(values, input)});
        }
        const CashTurn turn = cashTurn(values, closedFormFigures(values).active);
        const double month = turn.breakEvenMonth ? static_cast<double>(*turn.breakEvenMonth) : inf;
        const auto all = [](double x) { return Percentiles{x, x, x}; };
        for (const unsigned threads : {1u, 3u}) {
            const Spread spread = *simulateSpread(values, ranges, {301, 4, threads});
            EXPECT_TRUE(same(*spread.figure(SpreadFigure::BreakEvenMonth), all(month))) << cost;
            EXPECT_TRUE(same(*spread.figure(SpreadFigure::CashNeeded), all(turn.cashNeeded)))
                << cost;
        }
    }
    // Drawn for real: the percentiles of the draws' own turns, at any thread count.
    ScenarioValues values;
    values.costPerTrial = 8;
    const std::vector<Range> ranges = {{Input::TrialRetention, 0.2, 0.6}, {Input::Rt1, 0.5, 0.9}};
    std::vector<double> months, cash;
    for (const ScenarioValues& draw : drawScenarios(values, ranges, 2000, 3)) {
        const CashTurn turn = cashTurn(draw, closedFormFigures(draw).active);
        months.push_back(turn.breakEvenMonth ? static_cast<double>(*turn.breakEvenMonth) : inf);
        cash.push_back(turn.cashNeeded);
    }
    for (const unsigned threads : {1u, 2u}) {
        const Spread spread = *simulateSpread(values, ranges, {2000, 3, threads});
        EXPECT_TRUE(same(*spread.figure(SpreadFigure::BreakEvenMonth), percentiles(months)));
        EXPECT_TRUE(same(*spread.figure(SpreadFigure::CashNeeded), percentiles(cash)));
    }
}

TEST(Spread, OfThePriceAloneFollowsTheTriangularDistribution) {
    ScenarioValues values;
    const double low = 0.99, mode = values.price, high = 4.99;
    const std::int64_t draws = 10000;
    const Spread spread =
        *simulateSpread(values, std::vector<Range>{{Input::Price, low, high}}, {draws, 11});
    const MonthlyFigures figures = closedFormFigures(values);
    // The proceeds of every month and the lifetime value are linear in the price.
    for (std::size_t m = 0; m <= spread.months.size(); ++m) {
        const bool month = m < spread.months.size();
        const auto figure = [&](double price) {
            return month ? monthlyProceeds(figures.active[m], price)
                         : shownLifetimeValue(values, price);
        };
        const Percentiles got =
            month ? spread.months[m].monthlyProceeds : *spread.figure(SpreadFigure::LifetimeValue);
        for (const auto& [percent, value] :
             {std::pair{10, got.p10}, std::pair{50, got.p50}, std::pair{90, got.p90}}) {
            // The sample's q-quantile lies about sqrt(q (1 - q) / N) / f(x_q)
            // from the distribution's x_q, f its density: allow four times that.
            const double q = percent / 100.0;
            const double price = triangularQuantile(low, mode, high, q);
            const double density = price < mode
                                       ? 2 * (price - low) / ((high - low) * (mode - low))
                                       : 2 * (high - price) / ((high - low) * (high - mode));
            const double error = 4 * std::sqrt(q * (1 - q) / draws) / density;
            EXPECT_NEAR(value, figure(price), figure(error)) << "month " << m << " P" << percent;
        }
    }
}

TEST(Spread, RepeatsItselfForOneSeedWhateverTheThreadsAndStops) {
    ScenarioValues values;
    values.monthsToProject = 30;
    const std::vector<Range> ranges = {
        {Input::TrialRetention, 0.4, 0.7}, {Input::Price, 1, 3}, {Input::Rt6, 0.85, 0.95}};
    const Spread once = *simulateSpread(values, ranges, {800, 5, 1});
    for (const unsigned threads : {1u, 2u, 3u, 64u}) {
        EXPECT_EQ(once, *simulateSpread(values, ranges, {800, 5, threads}));
    }
    EXPECT_NE(once, *simulateSpread(values, ranges, {800, 6, 1}));
    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_FALSE(simulateSpread(values, ranges, {800, 5, 2}, stopped.get_token()));
}

TEST(Spread, RefusesWhatCannotBeDrawn) {
    const std::tuple<std::vector<Range>, std::int64_t, const char*> cases[] = {
        {{}, 0, "The number of draws must lie from 1 to 100,000."},
        {{}, maximumDraws + 1, "The number of draws must lie from 1 to 100,000."},
        {{{Input::Price, 3, 1}},
         10,
         "The range of price runs from 3 to 1: its low end lies above its high end."},
        {{{Input::Rt1, 0.7, 0.9}}, 10, "The rt1 of 0.65 lies outside its range of 0.7 to 0.9."},
        {{{Input::Rt1, 0.6, 0.7}, {Input::Rt1, 0.5, 0.7}}, 10, "Only one range can be set on rt1."},
        {{{Input::DailyNewSubs, 0, inf}},
         10,
         "The range of dailyNewSubs must run between two finite numbers."}};
    for (const auto& [ranges, draws, problem] : cases) {
        EXPECT_EQ(spreadProblem({}, ranges, {draws}).value_or(""), problem);
        EXPECT_THROW((void)simulateSpread({}, ranges, {draws}), std::invalid_argument);
    }
    EXPECT_FALSE(spreadProblem({}, {}, {maximumDraws}));
}

}  // namespace
}  // namespace velmora
