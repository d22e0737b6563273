#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "engine/table/table_figures.h"
#include "support/projected.h"

namespace velmora {
namespace {

TEST(TableFigures, ProceedsAndAnnualizedOfTwoThousandSubscribersAtOneNinetyNine) {
    EXPECT_DOUBLE_EQ(monthlyProceeds(2000, 1.99), 3383);
    // A year is 365 days, whatever the month's length.
    const struct {
        std::int64_t monthDuration;
        double year;
    } cases[] = {{30, 41159.83}, {7, 176399.29}, {365, 3383}, {1, 1234795}};
    for (const auto& [days, year] : cases) {
        EXPECT_NEAR(annualized(3383, days), year, 0.005) << days;
        const auto projection = project({.monthDuration = days, .monthsToProject = 3});
        const auto summary = summarize(*projection, 2.5);
        ASSERT_TRUE(summary);
        EXPECT_EQ(summary->annualProceeds,
                  summary->monthlyProceeds / static_cast<double>(days) * 365)
            << days;
    }
}

TEST(TableFigures, ChangeIsDashFirstThenSignedDeltaAndMissingForNaN) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto rows = monthlyRows(withMonths({100, 100, 90, nan, 50})->monthlySnapshots, 2, 30);
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
    const auto rows = monthlyRows(projection->monthlySnapshots, 2.5, 30);
    EXPECT_EQ(summary->subscribers, projection->monthlySnapshots.back().active);
    EXPECT_EQ(summary->monthlyProceeds, rows.back().proceeds);
    EXPECT_EQ(summary->annualProceeds, rows.back().annualized);
    // 23 payments of a converted trial at 2.5, the store keeping 15 %.
    EXPECT_NEAR(summary->lifetimeValue, 9.407837327810308, 1e-12);
    EXPECT_FALSE(summarize(*project({.monthsToProject = 0}), 2.5));
    // Any month of it, as the comparison of different horizons reads it.
    EXPECT_EQ(summarizeMonth(*projection, 2.5, 4)->subscribers,
              projection->monthlySnapshots[4].active);
    EXPECT_EQ(summarizeMonth(*projection, 2.5, 4)->monthlyProceeds, rows[4].proceeds);
    EXPECT_FALSE(summarizeMonth(*projection, 2.5, 12));
}

}  // namespace
}  // namespace velmora
