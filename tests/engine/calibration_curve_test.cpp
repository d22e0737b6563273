#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/calibration/calibration.h"
#include "engine/projection/monthly_projection.h"

namespace velmora {
namespace {

using Survival = std::function<double(std::size_t)>;

Survival sbg(double alpha, double beta) {
    return [model = ShiftedBetaGeometric{alpha, beta}](std::size_t t) { return model.survival(t); };
}

// A share `first` of subscribers keeping `p` at every renewal, the rest `q`.
Survival twoKinds(double first, double p, double q) {
    return [=](std::size_t t) {
        const auto k = static_cast<double>(t);
        return first * std::pow(p, k) + (1 - first) * std::pow(q, k);
    };
}

// `cohorts` monthly cohorts of `size`, the law's exact expected counts, cohort
// i observed for `cohorts` - i renewals.
CohortTable exactTable(const Survival& survival, std::size_t cohorts, double size) {
    CohortTable table;
    for (std::size_t i = 0; i < cohorts; ++i) {
        CohortRow& row = table.cohorts.emplace_back();
        for (std::size_t k = 0; k + i <= cohorts; ++k) {
            row.counts.push_back(size * survival(k));
        }
    }
    return table;
}

// The scenario whose cohorts follow the law itself, renewal by renewal.
ScenarioValues trueLaw(const Survival& survival, std::size_t months) {
    ScenarioValues values;
    values.monthsToProject = static_cast<double>(months);
    const auto rate = [&](std::size_t k) { return survival(k) / survival(k - 1); };
    double* const named[] = {&values.rt1, &values.rt2, &values.rt3,
                             &values.rt4, &values.rt5, &values.rt6};
    for (std::size_t k = 1; k <= 6; ++k) {
        *named[k - 1] = rate(k);
    }
    for (std::size_t k = 7; k <= months; ++k) {
        values.laterRates.push_back(rate(k));
    }
    values.rtPlus = rate(months + 1);
    return values;
}

// The largest relative difference of any month's active subscribers.
double worstMonth(const ScenarioValues& fitted, const ScenarioValues& truth) {
    const auto a = monthlyActives(fitted);
    const auto b = monthlyActives(truth);
    double worst = 0;
    for (std::size_t m = 1; m < b.size(); ++m) {
        worst = std::max(worst, std::abs(a[m] - b[m]) / b[m]);
    }
    return worst;
}

TEST(CalibrationCurve, RecommendsTheChoiceThatForecastsBetterAndProjectsTheLaw) {
    // 24 monthly cohorts of a million drawn exactly from each law, fitted for
    // 36 months: the recommended choice projects every month near the law's own.
    constexpr auto curve = LaterChoice::Curve;
    constexpr auto constant = LaterChoice::Constant;
    struct Case {
        const char* name;
        Survival law;
        LaterChoice recommended;
        double within;  // of the law's active subscribers in every month
    };
    const Case cases[] = {
        {"sBG 0.704 1.182", sbg(0.704, 1.182), curve, 1e-4},
        {"sBG 0.668 3.806", sbg(0.668, 3.806), curve, 1e-4},
        {"sBG 2 5", sbg(2, 5), curve, 1e-4},
        // Mixes of two kinds: the model's decline, scaled to the table's level.
        {"0.3 at 0.6, 0.7 at 0.92", twoKinds(0.3, 0.6, 0.92), curve, 0.006},
        {"0.8 at 0.85, 0.2 at 0.98", twoKinds(0.8, 0.85, 0.98), curve, 0.006},
        {"half at 0.5, half at 0.95", twoKinds(0.5, 0.5, 0.95), curve, 0.008},
        {"half at 0.6, half at 0.99", twoKinds(0.5, 0.6, 0.99), curve, 0.006},
        {"0.8 at 0.8, 0.2 at 0.99", twoKinds(0.8, 0.8, 0.99), curve, 0.006},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto fitted = std::get<Calibration>(calibrate(exactTable(c.law, 24, 1e6), {36, {}}));
        ASSERT_TRUE(fitted.backtest);
        EXPECT_EQ(fitted.recommended, c.recommended) << fitted.backtest->errors.curve.error << " "
                                                     << fitted.backtest->errors.projection.error;
        const ScenarioValues truth = trueLaw(c.law, 36);
        ScenarioValues today = truth;
        today.laterRates = {0.5, 0.5};
        EXPECT_LT(worstMonth(fitted.appliedTo(today), truth), c.within);
        EXPECT_EQ(fitted.appliedTo(today), fitted.appliedTo(today, c.recommended));
        // Both choices keep rt1 to rt6; the constant lists no later rates.
        const ScenarioValues other =
            fitted.appliedTo(today, c.recommended == curve ? constant : curve);
        EXPECT_EQ(other.retentionRates()[5], fitted.appliedTo(today).retentionRates()[5]);
        EXPECT_EQ(fitted.appliedTo(today, constant).laterRates, std::vector<double>{});
        EXPECT_EQ(fitted.appliedTo(today, curve).laterRates.size(), 29u) << "renewals 7 to 35";
    }
}

// One cohort of `first` subscribers after renewal 6, whose renewals keep 0.9
// and 0.8 in turn up to the 7th, then 0.8.
CohortTable alternating(double first, std::size_t renewals) {
    CohortTable table{{CohortRow{}}};
    std::vector<double>& counts = table.cohorts[0].counts;
    counts.push_back(first / std::pow(0.72, 3));
    for (std::size_t k = 1; k <= renewals; ++k) {
        counts.push_back(counts.back() * (k % 2 == 1 && k <= 7 ? 0.9 : 0.8));
    }
    return table;
}

TEST(CalibrationCurve, TakesPooledRatesWhileEnoughSubscribersAreAtRisk) {
    struct Rule {
        double rate, atRisk;
        bool trusted;
    };
    // 0.9 needs 0.1 / (0.9 x 0.02^2) = 277.8 at risk; 0.99 needs 100, the floor.
    const Rule rules[] = {{0.9, 278, true},  {0.9, 277, false},  {0.8, 626, true},
                          {0.8, 624, false}, {0.99, 100, true},  {0.99, 99, false},
                          {1.0, 100, true},  {0.0, 1e12, false}, {1.01, 1e6, false},
                          {NAN, 1e6, false}};
    for (const Rule& r : rules) {
        EXPECT_EQ(trustedRate(r.rate, r.atRisk), r.trusted) << r.rate << " of " << r.atRisk;
    }
    // Renewal 7 keeps 0.9 of those after renewal 6, renewal 8 0.8 of 0.9 of them:
    // how many of the later rates are the table's own, the model's from there on.
    struct Case {
        double atSix;
        std::size_t pooled;
    };
    const Case cases[] = {{278, 1}, {277, 0}, {626 / 0.9, 2}, {624 / 0.9, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.atSix);
        const CohortTable table = alternating(c.atSix, 12);
        const auto fitted = std::get<Calibration>(calibrate(table, {20, 0}));
        const auto pooled = pooledRates(table, 12);
        EXPECT_EQ(subscribersAtRisk(table, 12)[6], table.cohorts[0].counts[6]);
        ASSERT_EQ(fitted.curve.laterRates.size(), 13u) << "renewals 7 to 19";
        for (std::size_t k = 7; k <= 19; ++k) {
            EXPECT_EQ(fitted.curve.rateAt(k),
                      k < 7 + c.pooled ? pooled[k - 1] : fitted.model.retention(k))
                << k;
        }
        EXPECT_EQ(fitted.curve.rtPlus, fitted.model.retention(20)) << "the model's at the horizon";
        EXPECT_EQ(fitted.curve.rates, fitted.rates.rates);
        EXPECT_EQ(fitted.recommended, LaterChoice::Curve) << "no backtest";
    }
    // Renewal 8 keeps too few to be trusted (0.5 of 900), so renewal 9, whose
    // 0.99 of 450 would be, is not taken either.
    const CohortTable dip{
        {CohortRow{"", {2000, 1800, 1600, 1400, 1200, 1100, 1000, 900, 450, 445.5}, {}, {}}}};
    EXPECT_FALSE(trustedRate(0.5, 900));
    EXPECT_TRUE(trustedRate(0.99, 450));
    const auto fitted = std::get<Calibration>(calibrate(dip, {12, 0}));
    EXPECT_EQ(fitted.curve.rateAt(7), 0.9);
    EXPECT_EQ(fitted.curve.rateAt(9), fitted.model.retention(9));
}

TEST(CalibrationCurve, OneRenewalKeepsTheScenariosLaterRates) {
    CohortTable table{{CohortRow{"a", {1000, 700}, {}, {}}}};
    const auto fitted = std::get<Calibration>(calibrate(table, {36, {}}));
    ScenarioValues today;
    today.laterRates = {0.97, 0.98};
    for (const LaterChoice choice : {LaterChoice::Curve, LaterChoice::Constant}) {
        const ScenarioValues applied = fitted.appliedTo(today, choice);
        EXPECT_EQ(applied.rt1, 0.7);
        EXPECT_EQ(applied.rt2, today.rt2);
        EXPECT_EQ(applied.rtPlus, today.rtPlus);
        EXPECT_EQ(applied.laterRates, today.laterRates);
    }
}

}  // namespace
}  // namespace velmora
