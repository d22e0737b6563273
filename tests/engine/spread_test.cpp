#include <algorithm>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "engine/closed_form.h"
#include "engine/lifetime_value.h"
#include "engine/sampling.h"
#include "engine/settle_point.h"
#include "engine/simulation.h"
#include "engine/table_figures.h"
#include "support/same_figures.h"

namespace velmora {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

bool samePercentiles(const Percentiles& a, const Percentiles& b) {
    return sameNumber(a.p10, b.p10) && sameNumber(a.p50, b.p50) && sameNumber(a.p90, b.p90);
}

bool sameSpread(const Spread& a, const Spread& b) {
    bool same = a.months.size() == b.months.size() && a.figures.size() == b.figures.size();
    for (std::size_t m = 0; same && m < a.months.size(); ++m) {
        same = samePercentiles(a.months[m].active, b.months[m].active) &&
               samePercentiles(a.months[m].monthlyProceeds, b.months[m].monthlyProceeds);
    }
    for (std::size_t i = 0; same && i < a.figures.size(); ++i) {
        same = a.figures[i].has_value() == b.figures[i].has_value() &&
               (!a.figures[i] || samePercentiles(*a.figures[i], *b.figures[i]));
    }
    return same;
}

TEST(Sampling, GivesThePublishedNumbersOfItsGenerators) {
    EXPECT_EQ(SplitMix64(0).next(), 0xe220a8397b1dcdafu);
    SampleGenerator generator(1);
    EXPECT_EQ(generator.next(), 0xb3f2af6d0fc710c5u);
    EXPECT_EQ(generator.next(), 0x853b559647364ceau);
    EXPECT_EQ(generator.uniform(), 0x1.25f12eac10548p-1);
}

TEST(Sampling, TriangularQuantilesLieWhereTheDistributionPutsThem) {
    struct Case {
        double low, mode, high, u, expected;
    };
    const Case cases[] = {
        {1, 2, 4, 0, 1},
        {1, 2, 4, 1.0 / 3, 2},             // the mode holds a third of the weight below it
        {1, 2, 4, 0.5, 4 - std::sqrt(3)},  // (4 - x)^2 / 6 = 1/2
        {1, 2, 4, 0.1, 1 + std::sqrt(0.3)},
        {0, 0, 1, 0.75, 0.5},  // peak at the low end
        {0, 1, 1, 0.25, 0.5},  // peak at the high end
        {3, 3, 3, 0.9, 3},     // zero width
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(triangularQuantile(c.low, c.mode, c.high, c.u), c.expected, 1e-15)
            << c.low << " " << c.mode << " " << c.high << " at " << c.u;
    }
}

TEST(Percentiles, InterpolateBetweenOrderStatistics) {
    struct Case {
        std::vector<double> sample;
        Percentiles expected;
    };
    const Case cases[] = {
        {{5}, {5, 5, 5}},
        {{3, 1, 2}, {1.2, 2, 2.8}},
        {{10, 0}, {1, 5, 9}},
        {{4, -0.0, 1, 2, 3, 0}, {0, 1.5, 3.5}},
        {{1, nan, 3, 2}, {1.3, 2.5, nan}},       // not-a-number sorts last
        {{-inf, 1, 2, inf, 3}, {-inf, 2, inf}},  // x(0) + 0.4 x(1): 0.6 -inf + 0.4 x 1
        {{inf, inf, inf}, {inf, inf, inf}},
    };
    for (const Case& c : cases) {
        const Percentiles got = percentiles(c.sample);
        const Percentiles& want = c.expected;
        for (const auto& [g, w] :
             {std::pair{got.p10, want.p10}, {got.p50, want.p50}, {got.p90, want.p90}}) {
            EXPECT_TRUE(sameNumber(g, w) || (std::isnan(g) && std::isnan(w)))
                << g << " for " << w << " of " << c.sample.size() << " values";
        }
    }
}

TEST(Percentiles, SelectTheOrderStatisticsOfLargeSamples) {
    SampleGenerator generator(7);
    using Shape = double (*)(double u, std::size_t i);
    const Shape shapes[] = {
        [](double u, std::size_t) { return u; },
        [](double u, std::size_t) { return std::pow(10.0, 300 * u - 150); },  // heavy tail
        [](double u, std::size_t) { return -std::pow(u, 20); },
        [](double u, std::size_t i) {  // ties, and zeros of both signs
            const double tie = std::floor(u * 3) - 1;
            return tie == 0 && i % 2 == 1 ? -0.0 : tie;
        },
        [](double, std::size_t) { return 42.0; },
        [](double u, std::size_t i) { return i % 97 == 0 ? (i % 2 ? inf : nan) : u; },
        [](double u, std::size_t i) { return i == 0 ? 1e300 : u; },  // one far outlier
    };
    for (const std::size_t size : {4097u, 10000u}) {
        for (const Shape shape : shapes) {
            std::vector<double> sample(size);
            for (std::size_t i = 0; i < size; ++i) {
                sample[i] = shape(generator.uniform(), i);
            }
            SelectionScratch scratch;
            const PercentileBounds bounds = percentileBounds(sample, scratch);
            std::sort(sample.begin(), sample.end(),
                      [](double a, double b) { return a < b || (b != b && a == a); });
            for (std::size_t i = 0; i < shownPercents.size(); ++i) {
                const std::size_t k = (size - 1) * shownPercents[i] / 100;
                for (const auto& [got, want] :
                     {std::pair{bounds.lower[i], sample[k]}, {bounds.upper[i], sample[k + 1]}}) {
                    EXPECT_TRUE(got == want || (std::isnan(got) && std::isnan(want)))
                        << got << " for " << want << " at " << k;
                }
            }
        }
    }
}

TEST(Spread, EqualsTheClosedFormOfEveryDraw) {
    ScenarioValues values;
    values.monthsToProject = 40;
    values.startingSubs = 900;
    const std::vector<Range> ranges = {{Input::DailyNewSubs, 50, 180},
                                       {Input::Rt1, 0.5, 0.8},
                                       {Input::RtPlus, 0.9, 1.02},
                                       {Input::StartingSubs, -100, 5000}};
    std::vector<ScenarioValues> unpriced;
    for (const bool priceRanged : {false, true}) {
        std::vector<Range> withPrice = ranges;
        if (priceRanged) {
            withPrice.push_back({Input::Price, 0.99, 4.99});
        }
        const SpreadSettings settings{5000, 3, 2};
        const Spread spread = *simulateSpread(values, withPrice, settings);
        const auto draws = drawScenarios(values, withPrice, 5000, 3);
        // A range more leaves the draws of the other inputs as they were.
        for (std::size_t i = 0; priceRanged && i < draws.size(); ++i) {
            ScenarioValues draw = draws[i];
            draw.price = values.price;
            ASSERT_EQ(draw, unpriced[i]) << i;
        }
        unpriced = draws;
        std::vector<MonthlyFigures> figures;
        for (const ScenarioValues& draw : draws) {
            figures.push_back(closedFormFigures(draw));
        }
        ASSERT_EQ(spread.months.size(), 40u);
        std::vector<double> active(draws.size());
        std::vector<double> proceeds(draws.size());
        for (std::size_t m = 0; m < 40; ++m) {
            for (std::size_t i = 0; i < draws.size(); ++i) {
                active[i] = figures[i].active[m];
                proceeds[i] = figures[i].proceeds[m];
            }
            EXPECT_TRUE(samePercentiles(spread.months[m].active, percentiles(active))) << m;
            EXPECT_TRUE(samePercentiles(spread.months[m].monthlyProceeds, percentiles(proceeds)))
                << m;
        }
        for (double& p : proceeds) {
            p = annualized(p);
        }
        EXPECT_TRUE(
            samePercentiles(*spread.figure(SpreadFigure::AnnualProceeds), percentiles(proceeds)));
    }
}

TEST(Spread, OfRangesOfZeroWidthIsTheProjectionItself) {
    ScenarioValues values;
    values.startingSubs = 2500;
    values.monthsToProject = 24.5;
    std::vector<Range> ranges;
    for (const Input input : rangedInputs) {
        const double value = inputValue(values, input);
        ranges.push_back({input, value, value});
    }
    const MonthlyFigures figures = closedFormFigures(values);
    const auto point = settlePoint(values, {});
    for (const std::size_t ranged : {std::size_t{0}, ranges.size()}) {
        const Spread spread = *simulateSpread(values, std::span(ranges).first(ranged), {300, 9, 1});
        ASSERT_EQ(spread.months.size(), 24u);
        for (std::size_t m = 0; m < 24; ++m) {
            const double active = figures.active[m];
            const double proceeds = figures.proceeds[m];
            EXPECT_TRUE(samePercentiles(spread.months[m].active, {active, active, active}));
            EXPECT_TRUE(
                samePercentiles(spread.months[m].monthlyProceeds, {proceeds, proceeds, proceeds}));
        }
        const double annual = annualized(figures.proceeds.back());
        const double lifetime = shownLifetimeValue(values, values.price);
        const std::pair<SpreadFigure, double> expected[] = {
            {SpreadFigure::Subscribers, figures.active.back()},
            {SpreadFigure::MonthlyProceeds, figures.proceeds.back()},
            {SpreadFigure::AnnualProceeds, annual},
            {SpreadFigure::LifetimeValue, lifetime},
            {SpreadFigure::SettleSubscribers, point.subscribers}};
        for (const auto& [figure, value] : expected) {
            EXPECT_TRUE(samePercentiles(*spread.figure(figure), {value, value, value}))
                << spreadFigureName(figure);
        }
    }
}

TEST(Spread, OfThePriceAloneFollowsTheTriangularDistribution) {
    ScenarioValues values;
    const double low = 0.99, mode = values.price, high = 4.99;
    const std::int64_t draws = 10000;
    const Spread spread =
        *simulateSpread(values, std::vector<Range>{{Input::Price, low, high}}, {draws, 11, 0});
    const MonthlyFigures figures = closedFormFigures(values);
    // Proceeds and the lifetime value are linear in the price.
    const auto lifetime = [&](double price) { return shownLifetimeValue(values, price); };
    const Percentiles lifetimes = *spread.figure(SpreadFigure::LifetimeValue);
    for (std::size_t m = 0; m <= spread.months.size(); ++m) {
        const bool inMonths = m < spread.months.size();
        const Percentiles& spreadOf = inMonths ? spread.months[m].monthlyProceeds : lifetimes;
        const auto figure = [&](double price) {
            return inMonths ? monthlyProceeds(figures.active[m], price) : lifetime(price);
        };
        if (inMonths) {
            const double active = figures.active[m];
            EXPECT_TRUE(samePercentiles(spread.months[m].active, {active, active, active}));
        }
        const double got[] = {spreadOf.p10, spreadOf.p50, spreadOf.p90};
        for (std::size_t i = 0; i < 3; ++i) {
            // The sample's q-quantile lies about sqrt(q (1 - q) / N) / f(x_q)
            // from the distribution's x_q, f its density: allow four times that.
            const double q = shownPercents[i] / 100.0;
            const double price = triangularQuantile(low, mode, high, q);
            const double density = price < mode
                                       ? 2 * (price - low) / ((high - low) * (mode - low))
                                       : 2 * (high - price) / ((high - low) * (high - mode));
            const double error = 4 * std::sqrt(q * (1 - q) / draws) / density;
            EXPECT_NEAR(got[i], figure(price), figure(error))
                << "month " << m << " percent " << shownPercents[i];
        }
    }
}

TEST(Spread, RepeatsItselfForOneSeedWhateverTheThreads) {
    ScenarioValues values;
    values.monthsToProject = 30;
    const std::vector<Range> ranges = {
        {Input::TrialRetention, 0.4, 0.7}, {Input::Price, 1, 3}, {Input::Rt6, 0.85, 0.95}};
    const Spread once = *simulateSpread(values, ranges, {800, 5, 1});
    for (const unsigned threads : {1u, 2u, 3u, 64u}) {
        EXPECT_TRUE(sameSpread(once, *simulateSpread(values, ranges, {800, 5, threads})));
    }
    EXPECT_FALSE(sameSpread(once, *simulateSpread(values, ranges, {800, 6, 1})));
    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_FALSE(simulateSpread(values, ranges, {800, 5, 2}, stopped.get_token()));
}

TEST(Spread, RefusesWhatCannotBeDrawn) {
    const ScenarioValues values;
    struct Case {
        std::vector<Range> ranges;
        std::int64_t draws;
        const char* problem;
    };
    const Case cases[] = {
        {{}, 0, "The number of draws must lie from 1 to 100,000."},
        {{}, 100001, "The number of draws must lie from 1 to 100,000."},
        {{{Input::Price, 3, 1}},
         10,
         "The range of price runs from 3 to 1: its low end lies above its high end."},
        {{{Input::Rt1, 0.7, 0.9}}, 10, "The rt1 of 0.65 lies outside its range of 0.7 to 0.9."},
        {{{Input::Rt1, 0.6, 0.7}, {Input::Rt1, 0.5, 0.7}}, 10, "Only one range can be set on rt1."},
        {{{Input::DailyNewSubs, 0, inf}},
         10,
         "The range of dailyNewSubs must run between two finite numbers."},
    };
    for (const Case& c : cases) {
        const SpreadSettings settings{c.draws, 1, 1};
        EXPECT_EQ(spreadProblem(values, c.ranges, settings).value_or(""), c.problem);
        EXPECT_THROW((void)simulateSpread(values, c.ranges, settings), std::invalid_argument);
    }
    EXPECT_FALSE(spreadProblem(values, {}, {maximumDraws, 1, 1}));
}

}  // namespace
}  // namespace velmora
