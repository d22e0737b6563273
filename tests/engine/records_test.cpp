#include <limits>
#include <set>

#include <gtest/gtest.h>

#include "engine/projection/records.h"

namespace velmora {
namespace {

TEST(Uuid, DrawsDistinctVersionFourIdsAndWritesThemInGroups) {
    UuidGenerator ids;
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        const Uuid id = ids.next();
        EXPECT_EQ(id.version(), 4);
        EXPECT_EQ(id.low >> 62, 0b10u) << "RFC 4122 variant";
        seen.insert(id.toString());
    }
    EXPECT_EQ(seen.size(), 1000u);
    EXPECT_NE(UuidGenerator().next(), UuidGenerator().next()) << "seeded from the system";
    EXPECT_EQ((Uuid{0x0123456789abcdefULL, 0xfedcba9876543210ULL}.toString()),
              "01234567-89ab-cdef-fedc-ba9876543210");
}

TEST(CohortLabel, StartsOnANegativeMonthBoundaryBelongToTheMonthBefore) {
    const std::tuple<std::int64_t, std::int64_t, std::string> cases[] = {
        {0, 30, "0"},    {29, 30, "0"},   {30, 30, "1"},   {-1, 30, "-1"},   {-29, 30, "-1"},
        {-30, 30, "-2"}, {-59, 30, "-2"}, {-60, 30, "-3"}, {-180, 30, "-7"}, {-209, 30, "-7"},
        {-1, 1, "-2"},   {5, 1, "5"},     {-2, 2, "-2"},
    };
    for (const auto& [start, monthDuration, label] : cases) {
        EXPECT_EQ(CohortLabel::forStartEpoch(start, monthDuration).text(), label) << start;
    }
}

TEST(Records, EqualityComparesIdAndEveryFieldWithFloatingPointRules) {
    UuidGenerator ids(7);
    const SubscriptionCohort a(ids, 3, CohortLabel(-1), 12.5);
    const SubscriptionCohort b(ids, 3, CohortLabel(0), 2);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(a, SubscriptionCohort(a));
    EXPECT_NE(a, SubscriptionCohort(ids, 3, CohortLabel(-1), 12.5)) << "made anew: new id";
    EXPECT_NE(a, SubscriptionCohort(a.id, 4, a.cohort, 12.5));
    EXPECT_NE(a, SubscriptionCohort(a.id, 3, CohortLabel(1), 12.5));
    EXPECT_NE(SubscriptionCohort(a.id, 3, a.cohort, nan),
              SubscriptionCohort(a.id, 3, a.cohort, nan));
    EXPECT_EQ(SubscriptionCohort(a.id, 3, a.cohort, -0.0),
              SubscriptionCohort(a.id, 3, a.cohort, 0.0));

    const SubscriptionSnapshot snapshot(ids, 0, 3, {a, b});
    EXPECT_EQ(SubscriptionSnapshot(snapshot), snapshot);
    EXPECT_NE(SubscriptionSnapshot(ids, 0, 3, {a, b}), snapshot) << "made anew: new id";
    EXPECT_NE(SubscriptionSnapshot(snapshot.id, 0, 3, {b, a}), snapshot) << "order matters";
    EXPECT_NE(SubscriptionSnapshot(snapshot.id, 0, 3, {a}), snapshot) << "length matters";
    EXPECT_NE(SubscriptionSnapshot(snapshot.id, 0, 3, {a, a}), snapshot) << "the last record too";
    EXPECT_EQ(SubscriptionSnapshot(snapshot.id, 0, 3, {a, b}), snapshot);
    const SubscriptionSnapshot nanActive(ids, 0, nan, {});
    EXPECT_NE(nanActive, SubscriptionSnapshot(nanActive));
}

}  // namespace
}  // namespace velmora
