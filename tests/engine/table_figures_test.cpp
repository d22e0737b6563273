#include <cmath>
#include <limits>
#include <sstream>

#include <gtest/gtest.h>

#include "engine/table_figures.h"

namespace velmora {
namespace {

std::vector<SubscriptionSnapshot> months(std::initializer_list<double> actives) {
    UuidGenerator ids(3);
    std::vector<SubscriptionSnapshot> list;
    std::int64_t month = 0;
    for (double active : actives) {
        list.emplace_back(ids, month++, active, CohortList{});
    }
    return list;
}

TEST(TableFigures, ProceedsAndAnnualizedOfTwoThousandSubscribersAtOneNinetyNine) {
    EXPECT_DOUBLE_EQ(monthlyProceeds(2000, 1.99), 3383);
    EXPECT_DOUBLE_EQ(annualized(3383), 3383.0 / 30 * 365);
}

TEST(TableFigures, ChangeIsDashFirstThenSignedDeltaAndMissingForNaN) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto rows = monthlyRows(months({100, 100, 90, nan, 50}), 2);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].changeKind, ChangeKind::First);
    EXPECT_EQ(rows[1].changeKind, ChangeKind::Delta);
    EXPECT_EQ(rows[1].change, 0);
    EXPECT_EQ(rows[2].change, -10);
    EXPECT_EQ(rows[3].changeKind, ChangeKind::Missing);
    EXPECT_EQ(rows[4].changeKind, ChangeKind::Delta) << "still computed against the NaN month";
    EXPECT_TRUE(std::isnan(rows[4].change));
    EXPECT_EQ(rows[2].month, 2);
    EXPECT_DOUBLE_EQ(rows[0].proceeds, 170);
    EXPECT_DOUBLE_EQ(rows[0].annualized, 170.0 / 30 * 365);
}

TEST(TableFigures, SummaryDescribesTheLastMonthAndMatchesItsRow) {
    ScenarioValues values;
    values.monthsToProject = 12;
    const FixedScenario scenario(values);
    std::ostringstream out;
    const SubscriptionCalculation projection(scenario, out);
    const auto summary = summarize(projection, 2.5);
    ASSERT_TRUE(summary);
    const auto rows = monthlyRows(projection.monthlySnapshots, 2.5);
    EXPECT_EQ(summary->subscribers, projection.monthlySnapshots.back().active);
    EXPECT_EQ(summary->monthlyProceeds, rows.back().proceeds);
    EXPECT_EQ(summary->annualProceeds, rows.back().annualized);
    EXPECT_GT(summary->lifetimeValue, 0);

    values.monthsToProject = 0;
    const FixedScenario none(values);
    EXPECT_FALSE(summarize(SubscriptionCalculation(none, out), 2.5));
}

}  // namespace
}  // namespace velmora
