#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "engine/decisions/economics.h"
#include "engine/decisions/sensitivity.h"
#include "engine/decisions/settle_point.h"
#include "engine/projection/closed_form.h"
#include "engine/projection/lifetime_value.h"
#include "engine/projection/monthly_projection.h"
#include "engine/spread/simulation.h"
#include "engine/table/table_figures.h"
#include "support/reference_projection.h"
#include "support/same_figures.h"

namespace velmora {
namespace {

/// Lists of later rates of length 0, 1, a few (with a 0 and one above 1) and
/// longer than any projection below.
std::vector<std::vector<double>> laterLists() {
    std::vector<double> longList;
    for (int i = 0; i < 40; ++i) {
        longList.push_back(0.9 + 0.002 * i);
    }
    return {{}, {0.5}, {0.97, 0.3, 1.05, 0.99}, {0.93, 0, 0.96}, longList};
}

/// rt1 ... rt6, the later rates, then rtPlus for ever: the rate of renewal k, written out.
double plainRate(const ScenarioValues& v, std::size_t k) {
    const double named[] = {v.rt1, v.rt2, v.rt3, v.rt4, v.rt5, v.rt6};
    if (k <= 6) {
        return named[k - 1];
    }
    return k - 7 < v.laterRates.size() ? v.laterRates[k - 7] : v.rtPlus;
}

/// The expected payments of one converted trial up to its `payments`-th.
double plainPayments(const ScenarioValues& v, std::size_t payments) {
    double sum = 0;
    double alive = 1;
    for (std::size_t p = 1; p <= payments; ++p) {
        sum += alive;
        alive *= plainRate(v, p);
    }
    return sum;
}

TEST(LaterRates, RateAtEachRenewalAndTheKey) {
    ScenarioValues values;
    const std::string plainKey = values.currentKey();
    values.laterRates = {0.96, 0.5};
    for (std::size_t k = 1; k <= 12; ++k) {
        EXPECT_EQ(values.rateAtRenewal(k), plainRate(values, k)) << k;
    }
    EXPECT_EQ(values.currentKey(), plainKey + ";later,0.96,0.5");
    values.laterRates.clear();
    EXPECT_EQ(values.currentKey(), plainKey) << "no later rates: the key of before, bit for bit";
}

TEST(LaterRates, ProjectionsFollowThemAsThePlainTranscriptionDoes) {
    for (const std::int64_t monthDuration : {1, 7, 30, 31}) {
        for (const double starting : {0.0, 1e6}) {
            for (const auto& later : laterLists()) {
                ScenarioValues values{.monthDuration = monthDuration,
                                      .monthsToProject = 14.5,
                                      .startingSubs = starting};
                values.laterRates = later;
                SCOPED_TRACE(values.currentKey() + " md " + std::to_string(monthDuration));
                UuidGenerator ids(3);
                const ProjectionLists engine = projectScenario(values, ids);
                const ProjectionLists plain = reference::project(values, ids);
                ASSERT_EQ(firstDifference(engine.snapshots, plain.snapshots), std::nullopt);
                ASSERT_EQ(firstDifference(engine.monthlySnapshots, plain.monthlySnapshots),
                          std::nullopt);

                const std::vector<double> months = monthlyActives(values);
                const MonthlyFigures closed = closedFormFigures(values);
                ASSERT_EQ(months.size(), 14u);
                ASSERT_EQ(closed.active.size(), 14u);
                for (std::size_t m = 0; m < months.size(); ++m) {
                    EXPECT_EQ(months[m], engine.monthlySnapshots[m].active) << m;
                    EXPECT_NEAR(closed.active[m], months[m], 1e-12 * months[m]) << m;
                }
                EXPECT_EQ(lastMonthActive(values), months.back());
                EXPECT_EQ(closedFormLastActive(values), closed.active.back());
            }
        }
    }
}

TEST(LaterRates, ScenariosSideBySideEachFollowTheirOwn) {
    // Lists of different lengths next to each other, the last of them twice,
    // and the list given for those without their own.
    const auto lists = laterLists();
    std::vector<ScenarioValues> scenarios(lists.size() + 2);
    for (std::size_t i = 0; i <= lists.size(); ++i) {
        scenarios[i].laterRates = lists[std::min(i, lists.size() - 1)];
    }
    const std::vector<double> shared = {0.2, 0.99};
    MonthlyRecurrence recurrence(scenarios, 30, shared);
    std::vector<double> actives(scenarios.size());
    scenarios[0].laterRates = shared;
    scenarios.back().laterRates = shared;
    std::vector<std::vector<double>> expected;
    for (ScenarioValues& values : scenarios) {
        values.monthsToProject = 50;
        expected.push_back(closedFormFigures(values).active);
    }
    for (std::size_t month = 0; month < 50; ++month) {
        recurrence.next(actives);
        for (std::size_t i = 0; i < scenarios.size(); ++i) {
            ASSERT_EQ(actives[i], expected[i][month]) << "scenario " << i << " month " << month;
        }
    }
}

TEST(LaterRates, LifetimeValueCountsEachPaymentAfterItsRenewal) {
    for (const auto& later : laterLists()) {
        ScenarioValues values;
        values.laterRates = later;
        for (const std::int64_t months : {1, 2, 7, 8, 9, 13, 24, 60}) {
            const double plain =
                months < 2 ? 0
                           : values.trialRetention * 2.5 *
                                 plainPayments(values, static_cast<std::size_t>(months - 1));
            EXPECT_NEAR(lifetimeValuePerTrial(months, values, 2.5, 1, 1), plain, 1e-12 * plain)
                << months << " months, " << later.size() << " later rates";
        }
    }
}

TEST(LaterRates, SettlesPastTheLastListedRenewal) {
    struct Row {
        std::vector<double> later;
        double rtPlus;
        SettlePoint::Kind kind;
        const char* past = "";  // the renewal all stay past, as the reason writes it
    };
    using Kind = SettlePoint::Kind;
    const Row rows[] = {
        {{0.97, 1.2, 0.99}, 0.95, Kind::Settles},  // a share above 1 for a while
        {{0.99, 0.98}, 1.0, Kind::GrowsWithoutBound, "past their 8th renewal"},
        {std::vector<double>(7, 0.99), 1.0, Kind::GrowsWithoutBound, "past their 13th renewal"},
        {std::vector<double>(15, 0.99), 1.0, Kind::GrowsWithoutBound, "past their 21st renewal"},
        {{0.99, 0}, 1.0, Kind::Settles},  // nobody reaches the renewals at 1
        {{0.99, -0.1}, 0.95, Kind::CannotCompute},
        {{0.99, std::nan("")}, 0.95, Kind::CannotCompute},
    };
    for (const Row& row : rows) {
        ScenarioValues values{.monthsToProject = 400, .rtPlus = row.rtPlus};
        values.laterRates = row.later;
        SCOPED_TRACE(values.currentKey());
        const std::vector<double> months = monthlyActives(values);
        const SettlePoint point = settlePoint(values, months);
        ASSERT_EQ(point.kind, row.kind) << point.reason;
        if (row.kind == Kind::GrowsWithoutBound) {
            EXPECT_NE(point.reason.find(row.past), std::string::npos) << point.reason;
        }
        if (row.kind != Kind::Settles) {
            continue;
        }
        // The projection heads there: its last month is close to it.
        const double n = values.dailyNewSubs * values.trialRetention;
        const double paid = plainPayments(values, 20000);
        EXPECT_NEAR(point.subscribers, n * 30 * paid, 1e-9 * point.subscribers);
        EXPECT_NEAR(months.back(), point.subscribers, 1e-6 * point.subscribers);
    }
}

TEST(LaterRates, PaybackAndLifetimeFollowThem) {
    ScenarioValues values{.price = 2, .trialRetention = 0.5, .rtPlus = 0.9};
    values.laterRates = {0.99, 0.99, 0.99, 0.99, 0.99};
    const double each = 2 * proceedsShare * 0.5;
    // Costs met at each of the payments around the later ones, then never.
    for (const std::size_t k : {6u, 7u, 8u, 12u, 13u, 20u}) {
        values.costPerTrial = each * plainPayments(values, k) - 1e-9;
        EXPECT_EQ(paybackOfTrial(values).months, static_cast<std::int64_t>(k));
    }
    const double whole = each * plainPayments(values, 20000);
    EXPECT_NEAR(wholeLifetimeValue(values), whole, 1e-12 * whole);
    values.costPerTrial = whole + 0.01;
    EXPECT_NEAR(paybackOfTrial(values).shortfall, 0.01, 1e-9);
    EXPECT_EQ(lifetimeValueToCost(values), shownLifetimeValue(values, 2) / values.costPerTrial);

    // Past the payments counted one by one: with rtPlus 1 every later payment
    // is the same, so L(k) = L(12) + (k - 12) x the share left after renewal 11.
    values.rtPlus = 1;
    const double alive = 0.65 * 0.84 * 0.87 * 0.89 * 0.90 * 0.91 * std::pow(0.99, 5);
    const std::int64_t k = 50'000;
    values.costPerTrial = each * (plainPayments(values, 12) + alive * (k - 12.5));
    EXPECT_EQ(paybackOfTrial(values).months, k);
}

TEST(LaterRates, SensitivityMovesThemTogetherAsOneBar) {
    ScenarioValues values{.monthsToProject = 60, .startingSubs = 500};
    const auto plain = sensitivity(values, Metric::Subscribers);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->bars.size(), allInputs.size()) << "no bar without later rates";

    values.laterRates = {0.97, 0.98, 0};
    const auto moved = sensitivity(values, Metric::Subscribers);
    ASSERT_TRUE(moved);
    ASSERT_EQ(moved->bars.size(), allInputs.size() + 1);
    const auto bar =
        std::find_if(moved->bars.begin(), moved->bars.end(),
                     [](const SensitivityBar& b) { return b.input == Input::LaterRates; });
    ASSERT_NE(bar, moved->bars.end());
    EXPECT_EQ(inputName(bar->input), "laterRates");
    EXPECT_TRUE(bar->churn);
    EXPECT_FALSE(bar->downCapped);
    EXPECT_TRUE(bar->upCapped) << "the rate of 0 would go below 0";
    EXPECT_DOUBLE_EQ(bar->downValue, 1 - 0.9 * 0.03);
    EXPECT_DOUBLE_EQ(bar->upValue, 1 - 1.1 * 0.03);
    const double base = *closedFormMetricValue(Metric::Subscribers, values);
    for (const auto& [factor, change] : {std::pair{0.9, bar->down}, std::pair{1.1, bar->up}}) {
        const auto churned = [factor](double rate) {
            return std::clamp(1 - factor * (1 - rate), 0.0, 1.0);
        };
        ScenarioValues each = values;
        each.laterRates = {churned(0.97), churned(0.98), churned(0)};
        EXPECT_DOUBLE_EQ(change, *closedFormMetricValue(Metric::Subscribers, each) - base);
    }
    EXPECT_GT(bar->down, 0);
    EXPECT_LT(bar->up, 0);
    EXPECT_EQ(inputFromName("laterRates"), std::nullopt) << "no goal seeks them";
}

TEST(LaterRates, SpreadKeepsThemAndTheOtherDrawsAsBefore) {
    ScenarioValues values{.monthsToProject = 48, .startingSubs = 2000};
    const std::vector<Range> ranges = {{Input::RtPlus, 0.9, 0.97}, {Input::Price, 1, 3}};
    const auto before = drawScenarios(values, ranges, 50, 7);
    values.laterRates = {0.5, 0.99};
    const auto after = drawScenarios(values, ranges, 50, 7);
    for (std::size_t i = 0; i < before.size(); ++i) {
        ScenarioValues same = after[i];
        EXPECT_EQ(same.laterRates, values.laterRates);
        same.laterRates.clear();
        EXPECT_EQ(same, before[i]);
    }
    // Without ranges every draw is the scenario itself.
    const auto spread = simulateSpread(values, {}, {.draws = 5, .seed = 1, .threads = 2});
    ASSERT_TRUE(spread);
    EXPECT_EQ(spread->months.back().active.p50, closedFormLastActive(values));
    EXPECT_EQ(spread->figure(SpreadFigure::LifetimeValue)->p50, shownLifetimeValue(values, 1.99));
    EXPECT_EQ(spread->figure(SpreadFigure::SettleSubscribers)->p50,
              settlePoint(values, {}).subscribers);
}

}  // namespace
}  // namespace velmora
