#include <cmath>
#include <limits>
#include <set>

#include <gtest/gtest.h>

#include "engine/records.h"

namespace velmora {
namespace {

TEST(Uuid, RandomIdsAreVersionFourAndDistinct) {
    UuidGenerator ids;
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        const Uuid id = ids.next();
        EXPECT_EQ(id.version(), 4);
        EXPECT_EQ((id.low >> 62), 0b10u) << "RFC 4122 variant";
        const std::string text = id.toString();
        ASSERT_EQ(text.size(), 36u);
        EXPECT_EQ(text[14], '4');
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 1000u);
    // Two generators seeded from the system do not repeat each other.
    EXPECT_NE(UuidGenerator().next(), UuidGenerator().next());
}

TEST(Uuid, TextIsGroupedLowerCaseHex) {
    const Uuid id{0x0123456789abcdefULL, 0xfedcba9876543210ULL};
    EXPECT_EQ(id.toString(), "01234567-89ab-cdef-fedc-ba9876543210");
}

TEST(CohortLabel, BoundariesFollowTheMonthBeforeOnNegativeStarts) {
    struct Case {
        std::int64_t startEpoch;
        std::int64_t monthDuration;
        std::string label;
    };
    const Case cases[] = {
        {0, 30, "0"},    {29, 30, "0"},   {30, 30, "1"},    {59, 30, "1"},
        {-1, 30, "-1"},  {-29, 30, "-1"}, {-30, 30, "-2"},  {-59, 30, "-2"},
        {-60, 30, "-3"}, {-89, 30, "-3"}, {-180, 30, "-7"}, {-209, 30, "-7"},
        {-1, 1, "-2"},   {-7, 1, "-8"},   {5, 1, "5"},      {-2, 2, "-2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CohortLabel::forStartEpoch(c.startEpoch, c.monthDuration).text(), c.label)
            << c.startEpoch << " / " << c.monthDuration;
    }
}

TEST(SubscriptionCohort, EqualityComparesEveryFieldWithFloatingPointRules) {
    UuidGenerator ids(7);
    const SubscriptionCohort base(ids, 3, CohortLabel(-1), 12.5);
    const double nan = std::numeric_limits<double>::quiet_NaN();

    EXPECT_EQ(base, SubscriptionCohort(base));
    EXPECT_NE(base, SubscriptionCohort(ids, 3, CohortLabel(-1), 12.5)) << "fresh id";

    struct Case {
        const char* what;
        SubscriptionCohort other;
        bool equal;
    };
    const Case cases[] = {
        {"other epoch", {base.id, 4, base.cohort, 12.5}, false},
        {"other label", {base.id, 3, CohortLabel(1), 12.5}, false},
        {"other count", {base.id, 3, base.cohort, 12.0}, false},
        {"same fields", {base.id, 3, base.cohort, 12.5}, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(base == c.other, c.equal) << c.what;
    }
    const SubscriptionCohort notANumber(base.id, 3, base.cohort, nan);
    EXPECT_NE(notANumber, SubscriptionCohort(notANumber)) << "NaN is never equal";
    EXPECT_EQ(SubscriptionCohort(base.id, 3, base.cohort, -0.0),
              SubscriptionCohort(base.id, 3, base.cohort, 0.0));
}

TEST(SubscriptionSnapshot, EqualityNeedsSameIdAndSameCohortsInOrder) {
    UuidGenerator ids(11);
    const SubscriptionCohort a(ids, 0, CohortLabel(-1), 1);
    const SubscriptionCohort b(ids, 0, CohortLabel(0), 2);
    const SubscriptionSnapshot snapshot(ids, 0, 3, {a, b});

    const SubscriptionSnapshot copy = snapshot;
    EXPECT_EQ(copy, snapshot);
    EXPECT_NE(SubscriptionSnapshot(ids, 0, 3, {a, b}), snapshot) << "made anew: new id";
    EXPECT_NE(SubscriptionSnapshot(snapshot.id, 0, 3, {b, a}), snapshot) << "order matters";
    EXPECT_NE(SubscriptionSnapshot(snapshot.id, 0, 3, {a}), snapshot) << "length matters";
    EXPECT_EQ(SubscriptionSnapshot(snapshot.id, 0, 3, {a, b}), snapshot);

    const SubscriptionSnapshot nanActive(ids, 0, std::nan(""), {});
    EXPECT_NE(nanActive, SubscriptionSnapshot(nanActive));
}

}  // namespace
}  // namespace velmora
