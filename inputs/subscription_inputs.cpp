#include "inputs/subscription_inputs.h"

#include <iostream>
#include <utility>

#include <QFutureWatcher>
#include <QThreadPool>

namespace velmora {

namespace {

SubscriptionInputs::BuildRunner threadPoolBuilds() {
    return [](std::function<void(QPromise<void>&)> job) {
        auto promise = std::make_shared<QPromise<void>>();
        promise->start();
        QFuture<void> future = promise->future();
        QThreadPool::globalInstance()->start([promise, job = std::move(job)] {
            job(*promise);
            promise->finish();
        });
        return future;
    };
}

bool slowDays(const ProjectionSize& size) {
    return !quickDays(size);
}

}  // namespace

SubscriptionInputs::SubscriptionInputs(QObject* parent)
    : SubscriptionInputs(std::make_unique<QtRecalculationTimer>(), parent) {}

SubscriptionInputs::SubscriptionInputs(std::unique_ptr<RecalculationTimer> timer, QObject* parent)
    : SubscriptionInputs(ScenarioValues{}, std::move(timer), parent) {}

SubscriptionInputs::SubscriptionInputs(const ScenarioValues& initial,
                                       std::unique_ptr<RecalculationTimer> timer, QObject* parent)
    : QObject(parent),
      values_(initial),
      timer_(std::move(timer)),
      runner_(threadPoolBuilds()),
      offThread_(slowDays) {
    rebuild();
    // Posted, not called: the check must see the value the write is about to store.
    changeSink_ = connect(this, &SubscriptionInputs::objectWillChange, this, [this] {
        QMetaObject::invokeMethod(this, &SubscriptionInputs::scheduleRecalculation,
                                  Qt::QueuedConnection);
    });
}

// Destroying the timer cancels a pending wait, and Qt discards the posted calls
// of a destroyed object, so nothing runs against a scenario that is gone. A
// build of days still running stops at its next month; it owns what it reads.
SubscriptionInputs::~SubscriptionInputs() {
    disconnect(changeSink_);
    dayStop_.request_stop();
}

void SubscriptionInputs::setDayBuilds(BuildRunner runner, OffThread offThread) {
    runner_ = std::move(runner);
    offThread_ = std::move(offThread);
}

double ScenarioValues::*SubscriptionInputs::member(Field field) {
    static constexpr double ScenarioValues::*members[] = {
        &ScenarioValues::monthsToProject,
        &ScenarioValues::dailyNewSubs,
        &ScenarioValues::startingSubs,
        &ScenarioValues::price,
        &ScenarioValues::trialRetention,
        &ScenarioValues::rt1,
        &ScenarioValues::rt2,
        &ScenarioValues::rt3,
        &ScenarioValues::rt4,
        &ScenarioValues::rt5,
        &ScenarioValues::rt6,
        &ScenarioValues::rtPlus,
        &ScenarioValues::costPerTrial,
    };
    return members[static_cast<std::size_t>(field)];
}

void SubscriptionInputs::scheduleRecalculation() {
    timer_->cancel();
    if (projectionKey_ && *projectionKey_ == currentKey() && restingRanges_ == ranges_) {
        return;
    }
    timer_->start(recalculationDelay, [this] {
        QMetaObject::invokeMethod(this, &SubscriptionInputs::recalculate, Qt::QueuedConnection);
    });
}

void SubscriptionInputs::recalculate() {
    restingRanges_ = ranges_;
    // New ranges alone leave the exact projection as it was.
    if (!projectionKey_ || *projectionKey_ != currentKey()) {
        rebuild();
    }
    emit objectWillChange();  // new ranges too: the views read them
}

void SubscriptionInputs::stopDays() {
    std::exchange(dayStop_, std::stop_source()).request_stop();
    // Its progress and its end, already posted or not, go with it.
    delete dayWatcher_;
    dayWatcher_ = nullptr;
    if (dayProgress_) {
        dayProgress_.reset();
        emit dayProgressChanged();
    }
}

void SubscriptionInputs::rebuild() {
    stopDays();
    projectionKey_ = currentKey();
    const ScenarioValues values = values_;
    const auto size = projectionSize(values);
    if (!size || size->epochs == 0 || !offThread_(*size)) {
        projection_ = std::make_shared<const SubscriptionCalculation>(*this, std::cout);
        return;
    }
    projection_ =
        std::make_shared<const SubscriptionCalculation>(*this, std::cout, ProjectionDetail::Months);
    constexpr int steps = 1000;
    auto built = std::make_shared<std::optional<ProjectionLists>>();
    auto* watcher = new QFutureWatcher<void>(this);
    dayWatcher_ = watcher;
    dayProgress_ = 0.0;
    connect(watcher, &QFutureWatcherBase::progressValueChanged, this, [this](int step) {
        dayProgress_ = static_cast<double>(step) / steps;
        emit dayProgressChanged();
    });
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, built, values] {
        dayWatcher_ = nullptr;
        watcher->deleteLater();
        dayProgress_.reset();
        if (*built) {
            projection_ = std::make_shared<const SubscriptionCalculation>(
                *this, values.monthDuration, std::move(**built));
        }
        emit dayProgressChanged();
        emit objectWillChange();
    });
    watcher->setFuture(
        runner_([values, built, stop = dayStop_.get_token()](QPromise<void>& promise) {
            promise.setProgressRange(0, steps);
            UuidGenerator ids;
            *built = projectScenario(values, ids, [&](std::int64_t done, std::int64_t months) {
                promise.setProgressValue(static_cast<int>(static_cast<double>(done) /
                                                          static_cast<double>(months) * steps));
                return !stop.stop_requested();
            });
        }));
    emit dayProgressChanged();
}

}  // namespace velmora
