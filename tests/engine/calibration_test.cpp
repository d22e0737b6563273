#include <cmath>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "engine/calibration/calibration_csv.h"
#include "engine/calibration/calibration_ranges.h"
#include "engine/support/shortest_text.h"

namespace velmora {
namespace {

CohortTable table(const std::string& text) {
    auto read = readCohortTable(text);
    EXPECT_TRUE(std::holds_alternative<CohortTable>(read)) << std::get<TableProblem>(read).text();
    return std::get<CohortTable>(read);
}

// Fader and Hardie's two published survival curves, per 1,000 customers over
// twelve years.
const std::string published =
    "segment,0,1,2,3,4,5,6,7,8,9,10,11,12\n"
    "regular,1000,631,468,382,326,289,262,241,223,207,194,183,173\n"
    "high end,1000,869,743,653,593,551,517,491,468,445,427,409,394\n";

CohortTable onlyRow(std::size_t row) {
    CohortTable both = table(published);
    return CohortTable{{both.cohorts[row]}};
}

// Cohorts of the model's exact expected counts: cohort i of 1,000 + 100 i
// subscribers, observed for `renewals` - i renewals.
CohortTable drawnExactly(const ShiftedBetaGeometric& model, std::size_t renewals) {
    CohortTable drawn;
    for (std::size_t i = 0; i < renewals; ++i) {
        CohortRow& row = drawn.cohorts.emplace_back();
        for (std::size_t k = 0; k + i <= renewals; ++k) {
            row.counts.push_back(static_cast<double>(1000 + 100 * i) * model.survival(k));
        }
    }
    return drawn;
}

TEST(Calibration, PoolsExactlyTheCohortsObservedAtEachRenewal) {
    const std::string base = "c,0,1,2\nA,100,50,25\nB,300,240\n";
    struct Case {
        std::string text;
        std::vector<double> rates;
    };
    const Case cases[] = {
        {base, {0.725, 0.5}},
        {base + "not yet renewed,1000\n", {0.725, 0.5}},
        {base + "renewed once,200,100\n", {0.65, 0.5}},
        {"c,0,1,2\n%,100%,50%,25%\n", {0.5, 0.5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(pooledRates(table(c.text), 6), c.rates);
        const auto fitted = std::get<Calibration>(calibrate(table(c.text), {}));
        EXPECT_EQ(fitted.rates.rates[1], c.rates[1]);
        EXPECT_TRUE(fitted.rates.observed[1]);
        EXPECT_FALSE(fitted.rates.observed[2]) << "from the model: no cohort was renewed thrice";
        EXPECT_EQ(fitted.rates.rates[2], fitted.model.retention(3));
    }
    // |0.6 - 0.5| / 0.5 and |0.3 - 0.25| / 0.25; a cohort of no one and a cell of 0 say nothing.
    const auto error = survivalError(table("c,0,1,2\na,100,50,25\nb,0,0\nc,10,0\n"),
                                     std::vector<double>{1, 0.6, 0.3}, 1, 2);
    EXPECT_DOUBLE_EQ(error.error, 0.2);
    EXPECT_EQ(error.cells, 2u);
}

TEST(Calibration, FindsTheMaximumOfTheCensoredLikelihood) {
    // The published fits to the first seven years.
    for (const auto& [row, alpha, beta] : {std::tuple{0, 0.704, 1.182}, {1, 0.668, 3.806}}) {
        const auto fit = fitShiftedBetaGeometric(retentionCounts(onlyRow(row), 7));
        EXPECT_NEAR(fit.alpha, alpha, 5e-4);
        EXPECT_NEAR(fit.beta, beta, 5e-4);
    }
    // Cohorts cut at different renewals, against every point of a grid.
    CohortTable censored = table(published);
    censored.cohorts[1].counts.resize(6);
    censored.cohorts.push_back(drawnExactly({2, 5}, 9).cohorts[8]);
    const RetentionCounts counts = retentionCounts(censored, 12);
    const ShiftedBetaGeometric fit = fitShiftedBetaGeometric(counts);
    const double best = fit.logLikelihood(counts);
    double gridBest = -INFINITY;
    ShiftedBetaGeometric gridFit;
    for (double a = -2.5; a <= 2.5; a += 0.01) {
        for (double b = -2.5; b <= 2.5; b += 0.01) {
            const ShiftedBetaGeometric point{std::exp(a), std::exp(b)};
            if (const double ll = point.logLikelihood(counts); ll > gridBest) {
                gridBest = ll;
                gridFit = point;
            }
        }
    }
    EXPECT_GE(best, gridBest);
    EXPECT_NEAR(std::log(fit.alpha), std::log(gridFit.alpha), 0.01);
    EXPECT_NEAR(std::log(fit.beta), std::log(gridFit.beta), 0.01);
}

TEST(Calibration, BacktestsForecastTheHiddenRenewals) {
    // Drawn from the model itself: the model fits and forecasts exactly.
    const ShiftedBetaGeometric truth{0.7, 1.3};
    const auto exact = std::get<Calibration>(calibrate(drawnExactly(truth, 24), {24, {}}));
    EXPECT_NEAR(exact.model.alpha, truth.alpha, 1e-5);
    EXPECT_NEAR(exact.model.beta, truth.beta, 1e-5);
    EXPECT_LT(exact.fit.model.error, 1e-6);
    ASSERT_TRUE(exact.backtest);
    EXPECT_EQ(exact.backtest->holdout, 6u) << "a quarter of the longest row";
    EXPECT_EQ(exact.backtest->errors.model.cells, 21u);
    EXPECT_LT(exact.backtest->errors.model.error, 1e-6);
    EXPECT_LT(exact.backtest->errors.projection.error, 0.05);
    // The published curves, fitted on seven years and judged on the other five:
    // the projections from the fitted values, the constant's and the curve's,
    // forecast as well as the model.
    for (const std::size_t row : {0, 1}) {
        const auto fitted = std::get<Calibration>(calibrate(onlyRow(row), {12, 5}));
        EXPECT_EQ(fitted.backtest->fittedRenewals, 7u);
        EXPECT_LE(fitted.backtest->errors.projection.error, fitted.backtest->errors.model.error);
        EXPECT_LE(fitted.backtest->errors.curve.error, fitted.backtest->errors.model.error);
        EXPECT_LT(fitted.backtest->errors.projection.error, 0.025);
    }
    EXPECT_EQ(std::get<std::string>(calibrate(onlyRow(0), {36, 12})),
              "a holdout of 12 renewals leaves none to fit: the longest row has 12 renewals");
}

TEST(Calibration, OneRenewalCannotTellTheLaterRates) {
    // Its likelihood depends on alpha / (alpha + beta) alone: rt1 is fitted, the
    // later rates and the model are not, and a scenario keeps its own.
    struct Case {
        std::string text;
        double rt1;
    };
    const Case cases[] = {
        {"c,0,1\nc1,1000,700\n", 0.7},
        {"c,0,1\na,100,60\nb,50,30\n", 0.6},
        {"c,0,1,2\nall gone,100,0,0\nb,100,50\n", 0.25},  // no one at a second renewal
    };
    const ScenarioValues today;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto fitted = std::get<Calibration>(calibrate(table(c.text), {36, {}}));
        EXPECT_FALSE(fitted.rates.later);
        EXPECT_EQ(fitted.rates.rates[0], c.rt1);
        EXPECT_TRUE(std::isnan(fitted.rates.rates[1]) && std::isnan(fitted.rates.rtPlus));
        EXPECT_TRUE(std::isnan(fitted.model.alpha) && std::isnan(fitted.model.beta));
        EXPECT_FALSE(fitted.backtest);
        EXPECT_TRUE(std::isfinite(fitted.fit.projection.error));
        ScenarioValues expected = today;
        expected.rt1 = c.rt1;
        EXPECT_EQ(fitted.appliedTo(today), expected);
    }
    // Nor can a backtest whose fitted part has one renewal: none unless asked, refused if asked.
    const CohortTable two = table("c,0,1,2\na,100,60,50\nb,80,50\n");
    EXPECT_EQ(defaultHoldout(two), 0u);
    EXPECT_TRUE(std::get<Calibration>(calibrate(two, {})).rates.later);
    EXPECT_FALSE(std::get<Calibration>(calibrate(two, {})).backtest);
    EXPECT_EQ(std::get<std::string>(calibrate(two, {36, 1})),
              "a holdout of 1 renewal leaves the fit one renewal's rate, and the later rates "
              "cannot be fitted from one renewal");
    EXPECT_EQ(defaultHoldout(table(published)), 3u);
}

TEST(Calibration, FitsTrialsAndDailyTrialsFromTheirColumns) {
    const auto fitted = std::get<Calibration>(
        calibrate(table("c,0,1,trials,days\nold,50,40,100,30\na,60,30,120,31\nb,90,,300,28\n"
                        "c,40,20,100,31\nno days,10,,100\n"),
                  {}));
    EXPECT_DOUBLE_EQ(*fitted.trialRetention, 250.0 / 720);
    EXPECT_EQ(fitted.dailyCohorts, 3u);
    EXPECT_DOUBLE_EQ(*fitted.dailyNewSubs, (300.0 + 100 + 120) / (28 + 31 + 31));
    const ScenarioValues applied = fitted.appliedTo({});
    EXPECT_EQ(applied.rt1, fitted.rates.rates[0]);
    EXPECT_EQ(applied.rtPlus, ScenarioValues{}.rtPlus) << "one renewal: kept";
    EXPECT_EQ(applied.dailyNewSubs, *fitted.dailyNewSubs);
    EXPECT_EQ(applied.price, ScenarioValues{}.price);
}

TEST(CalibrationRanges, BootstrapsTheCohortsWithASeededGenerator) {
    SplitMix64 random(0);
    EXPECT_EQ(random.next(), 0xE220A8397B1DCDAFULL);
    const CohortTable noisy = table(
        "c,0,1,2,3\na,1000,600,500,450\nb,800,560,450\nc,900,500,410,380\nd,1200,780\n"
        "e,700,430,350,300\n");
    const auto ranges = calibrationRanges(noisy, {}, 7);
    ASSERT_TRUE(ranges);
    EXPECT_EQ(ranges->draws, 200u);
    const auto fitted = std::get<Calibration>(calibrate(noisy, {}));
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_LT(ranges->rates[k]->low, fitted.rates.rates[k]);
        EXPECT_GT(ranges->rates[k]->high, fitted.rates.rates[k]);
    }
    EXPECT_EQ(calibrationRanges(noisy, {}, 7)->rtPlus->low, ranges->rtPlus->low);
    // The 10th and 90th percentiles of rt1 over the draws of seed 7.
    EXPECT_DOUBLE_EQ(ranges->rates[0]->low, 0.59978723404255319);
    EXPECT_DOUBLE_EQ(ranges->rates[0]->high, 0.64785829307568443);
    EXPECT_FALSE(ranges->trialRetention);
    EXPECT_FALSE(calibrationRanges(onlyRow(0), {}));
}

TEST(CalibrationCsv, WritesEachFittedValueWithItsOwnRangeAndLabelsWhole) {
    const CohortTable held = table("c,0,1,2\n\"north, web\",100,50,25\nB,300,240\n");
    const auto fitted = std::get<Calibration>(calibrate(held, {}));
    CalibrationRanges ranges;
    for (std::size_t k = 0; k < 6; ++k) {
        ranges.rates[k] = FittedRange{0.1 * static_cast<double>(k), 0.5};
    }
    ranges.rtPlus = FittedRange{0.75, 0.875};
    const auto values = fittedValues(fitted, &ranges, ScenarioValues{});
    // rt1 and rt2 were observed; rt3 to rt6 no cohort reached, so they are the model's.
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(values[k].fromModel, k >= 2) << "rt" << k + 1;
    }
    EXPECT_FALSE(values[6].fromModel);
    EXPECT_FALSE(values[6].range) << "the bootstrap's rtPlus is the constant's, not the curve's";
    Calibration constant = fitted;
    constant.recommended = LaterChoice::Constant;
    EXPECT_DOUBLE_EQ(fittedValues(constant, &ranges, {})[6].range->low, 0.75);
    EXPECT_DOUBLE_EQ(values[5].range->low, 0.5);

    std::ostringstream out;
    writeCalibrationCsv(&held, &fitted, &ranges, ScenarioValues{}, out);
    const std::string csv = out.str();
    EXPECT_NE(csv.find("\n\"north, web\",100,50,25\n"), std::string::npos) << csv;
    const double rtPlus = fitted.ratesOf(fitted.recommended).rtPlus;
    EXPECT_NE(csv.find("\nrtPlus," + shortest(rtPlus) + ",,,0.95\n"), std::string::npos) << csv;
    // Both choices of later rates, and the curve's rates from renewal 7 to the horizon's eve.
    EXPECT_NE(csv.find("\nrecommended,curve\ncurveRtPlus," + shortest(fitted.curve.rtPlus) +
                       "\ncurveFitError," + shortest(fitted.fit.curve.error) +
                       "\ncurveBacktestError,\nconstantRtPlus," + shortest(fitted.rates.rtPlus) +
                       "\nconstantFitError," + shortest(fitted.fit.projection.error) +
                       "\nconstantBacktestError,\n\nrenewal,laterRate\n7," +
                       shortest(fitted.curve.laterRates[0]) + "\n"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\n35," + shortest(fitted.curve.laterRates[28]) + "\n\ncohort,"),
              std::string::npos);
}

}  // namespace
}  // namespace velmora
