#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "engine/table_figures.h"
#include "support/projected.h"

namespace velmora {
namespace {

TEST(TableFigures, ProceedsAndAnnualizedOfTwoThousandSubscribersAtOneNinetyNine) {
    EXPECT_DOUBLE_EQ(monthlyProceeds(2000, 1.99), 3383);
    EXPECT_NEAR(annualized(3383), 41159.83, 0.005);
}

TEST(TableFigures, ChangeIsDashFirstThenSignedDeltaAndMissingForNaN) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto rows = monthlyRows(withMonths({100, 100, 90, nan, 50})->monthlySnapshots, 2);
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
    EXPECT_NEAR(rows[0].annualized, 2068.33, 0.005);
}

TEST(TableFigures, SummaryDescribesTheLastMonthAndMatchesItsRow) {
    const auto projection = project({.monthsToProject = 12});
    const auto summary = summarize(*projection, 2.5);
    ASSERT_TRUE(summary);
    const auto rows = monthlyRows(projection->monthlySnapshots, 2.5);
    EXPECT_EQ(summary->subscribers, projection->monthlySnapshots.back().active);
    EXPECT_EQ(summary->monthlyProceeds, rows.back().proceeds);
    EXPECT_EQ(summary->annualProceeds, rows.back().annualized);
    // 23 payments of a converted trial at 2.5, the store keeping 15 %.
    EXPECT_NEAR(summary->lifetimeValue, 9.407837327810308, 1e-12);
    EXPECT_FALSE(summarize(*project({.monthsToProject = 0}), 2.5));
}

}  // namespace
}  // namespace velmora
