#include <algorithm>
#include <cmath>
#include <deque>
#include <iostream>
#include <sstream>

#include <QCoreApplication>
#include <QEventLoop>
#include <QPromise>
#include <QTimer>

#include <gtest/gtest.h>

#include "inputs/subscription_inputs.h"
#include "support/fake_timer.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
using Field = SubscriptionInputs::Field;

/// What is written to standard output while `act` runs: a scenario announces
/// every build of its projection there.
std::string printedBy(const std::function<void()>& act) {
    std::ostringstream out;
    std::streambuf* const standard = std::cout.rdbuf(out.rdbuf());
    act();
    std::cout.rdbuf(standard);
    return out.str();
}

class Refresh : public ::testing::Test {
protected:
    Refresh() : timer(new FakeTimer), inputs(std::unique_ptr<FakeTimer>(timer)) {
        QObject::connect(&inputs, &SubscriptionInputs::objectWillChange, &inputs,
                         [this] { ++announcements; });
    }

    /// Lets `span` pass with the event loop running.
    void advance(std::chrono::milliseconds span) {
        drain();
        timer->advance(span);
        drain();
    }
    /// What `edit` and the wait after it print.
    std::string printedByEdit(const std::function<void()>& edit) {
        return printedBy([&] {
            edit();
            advance(10s);
        });
    }
    const SubscriptionCalculation* projection() const { return inputs.projection().get(); }

    FakeTimer* timer;  // owned by `inputs`
    SubscriptionInputs inputs;
    int announcements = 0;
};

TEST_F(Refresh, ANewScenarioHasTheDefaultsAndTheirProjection) {
    EXPECT_EQ(inputs.monthDuration(), 30);
    EXPECT_EQ(inputs.currentKey(), "36,100,0,1.99,0.59,0.65,0.84,0.87,0.89,0.9,0.91,0.95,30");
    EXPECT_EQ(inputs.projectionKey(), inputs.currentKey());
    ASSERT_NE(projection(), nullptr);
    EXPECT_EQ(projection()->snapshots.size(), 36u * 30);
    EXPECT_EQ(projection()->inputs, &inputs);
    EXPECT_FALSE(inputs.isRecalculationPending());
}

TEST_F(Refresh, WritesAnnounceBeforeStoringEvenWhenUnchangedAndStoreUnchecked) {
    std::vector<double> seenDuringAnnouncement;
    QObject::connect(&inputs, &SubscriptionInputs::objectWillChange, &inputs,
                     [&] { seenDuringAnnouncement.push_back(inputs.price()); });
    inputs.setPrice(2.49);
    inputs.setPrice(2.49);
    EXPECT_EQ(seenDuringAnnouncement, (std::vector<double>{1.99, 2.49}));
    EXPECT_EQ(announcements, 2);

    double v = 1;  // every field, in key order
    for (Field field : {Field::MonthsToProject, Field::DailyNewSubs, Field::StartingSubs,
                        Field::Price, Field::TrialRetention, Field::Rt1, Field::Rt2, Field::Rt3,
                        Field::Rt4, Field::Rt5, Field::Rt6, Field::RtPlus}) {
        inputs.setValue(field, v++);
    }
    inputs.setMonthDuration(7);
    EXPECT_EQ(inputs.currentKey(), "1,2,3,4,5,6,7,8,9,10,11,12,7");
    inputs.setRt3(-95);
    EXPECT_EQ(inputs.retentionRates()[2], -95);
    EXPECT_EQ(inputs.rtPlus(), 12);
}

TEST_F(Refresh, ABurstOfWritesIsBuiltOnceFromTheLastValuesAndThenTheRefreshRests) {
    const auto before = inputs.projection();
    const std::string printed = printedBy([&] {
        for (int i = 1; i <= 10; ++i) {
            inputs.setMonthsToProject(36 + i);
            advance(50ms);
            EXPECT_EQ(inputs.projection(), before) << "write " << i;
        }
        advance(49ms);
        EXPECT_EQ(inputs.projection(), before);
        advance(1ms);
        advance(10s);
    });
    EXPECT_EQ(printed, "Calculated\n") << "one build";
    EXPECT_EQ(announcements, 11) << "ten writes, and the rebuild";
    EXPECT_EQ(projection()->monthlySnapshots.size(), 46u);
    EXPECT_EQ(inputs.projectionKey(), inputs.currentKey());
    EXPECT_FALSE(inputs.isRecalculationPending());
}

TEST_F(Refresh, WritesThatLeaveTheKeyAsItWasLeadToNoRebuild) {
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"same value", [&] { inputs.setPrice(1.99); }},
        {"months within the same whole month", [&] { inputs.setMonthsToProject(36.9); }},
        {"changed and changed back within the wait",
         [&] {
             inputs.setPrice(2.99);
             advance(50ms);
             EXPECT_TRUE(inputs.isRecalculationPending());
             inputs.setPrice(1.99);
         }},
    };
    const auto before = inputs.projection();
    for (const auto& [what, edit] : cases) {
        EXPECT_EQ(printedByEdit(edit), "") << what;
        EXPECT_EQ(inputs.projection(), before) << what;
        EXPECT_FALSE(inputs.isRecalculationPending()) << what;
    }
}

// The key once kept three decimals: edits below them were never projected.
TEST_F(Refresh, AnyChangeOfAValueTheProjectionReadsRebuildsItHoweverSmall) {
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"daily trials by 1e-13", [&] { inputs.setDailyNewSubs(100.0000000000001); }},
        {"price to the next double", [&] { inputs.setPrice(std::nextafter(1.99, 2.0)); }},
        {"a rate by 0.0004", [&] { inputs.setRt3(0.8704); }},
        {"into the next whole month", [&] { inputs.setMonthsToProject(37); }},
        {"month length", [&] { inputs.setMonthDuration(31); }},
        {"to not a number", [&] { inputs.setRt2(std::nan("")); }},
    };
    for (const auto& [what, edit] : cases) {
        const auto before = inputs.projection();
        EXPECT_EQ(printedByEdit(edit), "Calculated\n") << what;
        EXPECT_NE(inputs.projection(), before) << what;
        EXPECT_EQ(inputs.projectionKey(), inputs.currentKey()) << what;
    }
    EXPECT_EQ(printedByEdit([&] { inputs.setRt2(std::nan("")); }), "")
        << "not a number again is no change, though it equals nothing";
}

TEST_F(Refresh, ATinyEditOfALongProjectionShowsItsTrueFigures) {
    inputs.setMonthsToProject(600);
    inputs.setRtPlus(1);
    advance(10s);
    EXPECT_EQ(std::lround(projection()->monthlySnapshots.back().active), 369'594);
    inputs.setRtPlus(1.0004);
    advance(10s);
    EXPECT_EQ(std::lround(projection()->monthlySnapshots.back().active), 416'229);
}

TEST_F(Refresh, ARebuildReadsTheValuesAsTheyAreWhenItRuns) {
    inputs.setDailyNewSubs(10);
    drain();
    timer->advance(100ms);       // the rebuild is posted, not run yet...
    inputs.setDailyNewSubs(20);  // ...so it uses this value
    drain();
    EXPECT_DOUBLE_EQ(projection()->snapshots[0].active, 20 * 0.59);
    EXPECT_FALSE(inputs.isRecalculationPending());
}

/// A scenario that builds the days of every projection off its thread, by
/// jobs the test holds and runs when it says.
class DayBuilds : public Refresh {
protected:
    struct Held {
        std::function<void(QPromise<void>&)> job;
        QPromise<void> promise;
    };

    DayBuilds() { holdDays(inputs); }

    void holdDays(SubscriptionInputs& scenario) {
        scenario.setDayBuilds(
            [this](std::function<void(QPromise<void>&)> job) {
                Held& kept = held.emplace_back(Held{std::move(job), {}});
                kept.promise.start();
                return kept.promise.future();
            },
            [](const ProjectionSize&) { return true; });
    }
    /// Runs a held build to its end, or to where it stops, and lets its end come.
    static void release(Held& kept) {
        kept.job(kept.promise);
        kept.promise.finish();
        drain();
    }
    /// How far a held build went, in thousandths.
    static int reached(Held& kept) { return kept.promise.future().progressValue(); }

    std::deque<Held> held;
};

TEST_F(DayBuilds, TheMonthsShowAtOnceAndTheDaysWhenBuilt) {
    std::vector<std::optional<double>> progress;
    QObject::connect(&inputs, &SubscriptionInputs::dayProgressChanged, &inputs,
                     [&] { progress.push_back(inputs.dayProgress()); });
    EXPECT_EQ(printedByEdit([&] { inputs.setMonthsToProject(12); }), "Calculated\n");
    ASSERT_EQ(held.size(), 1u);
    EXPECT_FALSE(projection()->hasDays());
    EXPECT_EQ(projection()->monthlySnapshots.size(), 12u);
    EXPECT_EQ(inputs.dayProgress(), 0.0);
    const int announced = announcements;

    EXPECT_EQ(printedBy([&] { release(held[0]); }), "") << "one build, announced once";
    EXPECT_TRUE(projection()->hasDays());
    EXPECT_EQ(projection()->snapshots.size(), 12u * 30);
    EXPECT_EQ(projection()->inputs, &inputs);
    EXPECT_EQ(projection()->monthDuration, 30);
    EXPECT_EQ(inputs.projectionKey(), inputs.currentKey());
    EXPECT_EQ(announcements, announced + 1) << "the days come as a new projection";
    // The first month and the last are always told; the end, as nothing.
    ASSERT_GE(progress.size(), 4u);
    EXPECT_EQ(progress.front(), 0.0);
    EXPECT_NE(std::ranges::find(progress, 0.083), progress.end()) << "1 of 12 months";
    EXPECT_TRUE(std::ranges::is_sorted(progress.begin(), progress.end() - 1));
    EXPECT_EQ(progress[progress.size() - 2], 1.0);
    EXPECT_EQ(progress.back(), std::nullopt);
    EXPECT_EQ(inputs.dayProgress(), std::nullopt);
}

TEST_F(DayBuilds, ANewerEditOrTheScenariosEndStopsABuildOfDays) {
    inputs.setMonthsToProject(12);
    advance(10s);
    inputs.setMonthsToProject(13);
    advance(10s);
    ASSERT_EQ(held.size(), 2u);
    release(held[0]);
    EXPECT_EQ(reached(held[0]), 83) << "stopped after its first month of 12";
    EXPECT_FALSE(projection()->hasDays()) << "the older days never show";
    EXPECT_EQ(inputs.dayProgress(), 0.0);
    release(held[1]);
    EXPECT_EQ(reached(held[1]), 1000);
    EXPECT_EQ(projection()->snapshots.size(), 13u * 30);

    // A build that outlives its scenario stops at its next month and reads
    // nothing of it: under AddressSanitizer such a read fails here.
    auto* otherTimer = new FakeTimer;
    auto other = std::make_unique<SubscriptionInputs>(std::unique_ptr<FakeTimer>(otherTimer));
    holdDays(*other);
    other->setMonthsToProject(6);
    drain();
    otherTimer->advance(10s);
    drain();
    ASSERT_EQ(held.size(), 3u);
    other.reset();
    release(held[2]);
    EXPECT_EQ(reached(held[2]), 166) << "stopped after its first month of 6";
}

TEST(RefreshLifetime, ADeletedScenarioRunsNothingItHadPosted) {
    // Under AddressSanitizer a use of a deleted scenario fails here.
    auto withPostedCheck = std::make_unique<SubscriptionInputs>(std::make_unique<FakeTimer>());
    withPostedCheck->setPrice(5);
    withPostedCheck.reset();
    auto withRunningTimer = std::make_unique<SubscriptionInputs>();
    withRunningTimer->setPrice(5);
    drain();
    EXPECT_TRUE(withRunningTimer->isRecalculationPending());
    withRunningTimer.reset();
    drain();
}

TEST(RefreshQtTimer, TheRealTimerRebuildsOnceAfterTheWait) {
    SubscriptionInputs inputs;
    SubscriptionInputs other;
    const auto before = inputs.projection();
    inputs.setStartingSubs(5000);
    QEventLoop loop;
    QObject::connect(&inputs, &SubscriptionInputs::objectWillChange, &loop, &QEventLoop::quit);
    QTimer::singleShot(30s, &loop, [&] {
        ADD_FAILURE() << "no rebuild";
        loop.quit();
    });
    loop.exec();  // ends at the rebuild's announcement, however long the wait takes
    EXPECT_NE(inputs.projection(), before);
    EXPECT_EQ(inputs.projectionKey(), inputs.currentKey());
    EXPECT_EQ(other.startingSubs(), 0) << "scenarios share nothing";
}

/// Runs the event loop until a zero wait started now has passed: by then every
/// zero wait started before it has fired, as timers that fall due together fire
/// in the order they were started.
void passZeroWaits() {
    QTimer sentinel;
    sentinel.setSingleShot(true);
    sentinel.setTimerType(Qt::PreciseTimer);
    QEventLoop loop;
    QObject::connect(&sentinel, &QTimer::timeout, &loop, &QEventLoop::quit);
    sentinel.start(0);
    loop.exec();
}

TEST(RefreshQtTimer, ASecondStartReplacesTheWaitAndCancelStopsIt) {
    QtRecalculationTimer timer;
    std::vector<int> fired;
    timer.start(1h, [&] { fired.push_back(1); });
    timer.start(0ms, [&] { fired.push_back(2); });
    passZeroWaits();
    passZeroWaits();
    EXPECT_EQ(fired, std::vector<int>{2}) << "the zero wait replaced the long one, and fired once";
    EXPECT_FALSE(timer.isActive());

    timer.start(0ms, [&] { fired.push_back(3); });
    timer.cancel();
    EXPECT_FALSE(timer.isActive());
    passZeroWaits();
    EXPECT_EQ(fired, std::vector<int>{2}) << "cancelled";
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
