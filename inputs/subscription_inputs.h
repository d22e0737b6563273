#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include <QFuture>
#include <QObject>
#include <QPromise>

#include "engine/projection/calculation.h"
#include "engine/projection/scenario.h"
#include "engine/spread/ranges.h"
#include "inputs/recalculation_timer.h"

template <typename T>
class QFutureWatcher;

namespace velmora {

/// One editable scenario with the projection of its values.
///
/// Every write of a field announces `objectWillChange` first, also when the
/// value is unchanged, and only then stores the value, so a handler of the
/// announcement still reads the old value. The scenario keeps its projection
/// current by itself: 100 ms after the last write that changed `currentKey`, it
/// rebuilds the projection and announces once more. Writes that leave the key
/// as it was lead to no rebuild. Use on the thread that made it only.
///
/// A projection whose days are not quick to build (see `quickDays`) is stored
/// in two steps: its monthly figures at once, then, built on another thread
/// while the event loop runs on, its days, announced like any new projection.
/// A newer rebuild, or the scenario's end, stops a build of days still running.
///
/// The scenario also holds the ranges of its inputs. A write of the ranges is
/// announced as a field's is and waits as long, but rebuilds no projection:
/// once the values and the ranges rest, the scenario announces again, with
/// `isRecalculationPending` false, for the views that simulate their spread.
class SubscriptionInputs final : public QObject, public ScenarioSource {
    Q_OBJECT

public:
    /// The floating-point fields the user edits: those of the key in its
    /// order, then the cost of a trial, which no projection reads.
    enum class Field {
        MonthsToProject,
        DailyNewSubs,
        StartingSubs,
        Price,
        TrialRetention,
        Rt1,
        Rt2,
        Rt3,
        Rt4,
        Rt5,
        Rt6,
        RtPlus,
        CostPerTrial,
    };

    static constexpr std::chrono::milliseconds recalculationDelay{100};

    /// Runs a build of days somewhere, handing `job` a started promise to
    /// report its progress to, and returns that promise's future, finished
    /// once the job has run. By default the job runs on Qt's thread pool;
    /// tests pass a runner that keeps it to run when they say.
    using BuildRunner =
        std::function<QFuture<void>(std::function<void(QPromise<void>& promise)> job)>;
    /// Whether the days of a projection of that size are built through the runner.
    using OffThread = std::function<bool(const ProjectionSize& size)>;

    /// A scenario with the default values and their projection, already built.
    explicit SubscriptionInputs(QObject* parent = nullptr);
    /// The same, waiting for rebuilds on `timer` instead of a Qt timer.
    explicit SubscriptionInputs(std::unique_ptr<RecalculationTimer> timer,
                                QObject* parent = nullptr);
    /// A scenario that starts from `initial` (an opened document's values, say)
    /// and builds their projection at once: the defaults are never projected.
    SubscriptionInputs(const ScenarioValues& initial, std::unique_ptr<RecalculationTimer> timer,
                       QObject* parent = nullptr);
    ~SubscriptionInputs() override;

    [[nodiscard]] std::int64_t monthDuration() const { return values_.monthDuration; }
    [[nodiscard]] double monthsToProject() const { return values_.monthsToProject; }
    [[nodiscard]] double dailyNewSubs() const { return values_.dailyNewSubs; }
    [[nodiscard]] double startingSubs() const { return values_.startingSubs; }
    [[nodiscard]] double price() const { return values_.price; }
    [[nodiscard]] double trialRetention() const { return values_.trialRetention; }
    [[nodiscard]] double rt1() const { return values_.rt1; }
    [[nodiscard]] double rt2() const { return values_.rt2; }
    [[nodiscard]] double rt3() const { return values_.rt3; }
    [[nodiscard]] double rt4() const { return values_.rt4; }
    [[nodiscard]] double rt5() const { return values_.rt5; }
    [[nodiscard]] double rt6() const { return values_.rt6; }
    [[nodiscard]] double rtPlus() const { return values_.rtPlus; }
    [[nodiscard]] double costPerTrial() const { return values_.costPerTrial; }
    [[nodiscard]] double value(Field field) const { return values_.*member(field); }

    void setMonthDuration(std::int64_t days) { publish(values_.monthDuration, days); }
    void setMonthsToProject(double v) { setValue(Field::MonthsToProject, v); }
    void setDailyNewSubs(double v) { setValue(Field::DailyNewSubs, v); }
    void setStartingSubs(double v) { setValue(Field::StartingSubs, v); }
    void setPrice(double v) { setValue(Field::Price, v); }
    void setTrialRetention(double v) { setValue(Field::TrialRetention, v); }
    void setRt1(double v) { setValue(Field::Rt1, v); }
    void setRt2(double v) { setValue(Field::Rt2, v); }
    void setRt3(double v) { setValue(Field::Rt3, v); }
    void setRt4(double v) { setValue(Field::Rt4, v); }
    void setRt5(double v) { setValue(Field::Rt5, v); }
    void setRt6(double v) { setValue(Field::Rt6, v); }
    void setRtPlus(double v) { setValue(Field::RtPlus, v); }
    /// Announced as every write is, but the key stays: no projection is rebuilt.
    void setCostPerTrial(double v) { setValue(Field::CostPerTrial, v); }
    /// Stores `v` unchecked: any number is a value the scenario holds.
    void setValue(Field field, double v) { publish(values_.*member(field), v); }
    /// The later renewal rates (see `ScenarioValues::laterRates`), stored unchecked.
    [[nodiscard]] const std::vector<double>& laterRates() const { return values_.laterRates; }
    void setLaterRates(std::vector<double> rates) { publish(values_.laterRates, std::move(rates)); }
    /// How the inputs change over the months (see `ScenarioValues::plan`), stored unchecked.
    [[nodiscard]] const std::optional<Plan>& plan() const { return values_.plan; }
    void setPlan(std::optional<Plan> plan) { publish(values_.plan, std::move(plan)); }

    /// The ranges of the inputs, in `rangedInputs` order; a value may lie
    /// outside its range.
    [[nodiscard]] const std::vector<Range>& ranges() const { return ranges_; }
    void setRanges(std::vector<Range> ranges) { publish(ranges_, std::move(ranges)); }

    /// `rt1` to `rt6`, then `rtPlus`, as they are now.
    [[nodiscard]] std::array<double, ScenarioValues::rateCount> retentionRates() const {
        return values_.retentionRates();
    }
    /// The key of the current values (see `ScenarioValues::currentKey`).
    [[nodiscard]] std::string currentKey() const { return values_.currentKey(); }
    /// The key of the values the stored projection was built from.
    [[nodiscard]] const std::optional<std::string>& projectionKey() const { return projectionKey_; }
    /// The stored projection; views read it and never build one.
    [[nodiscard]] std::shared_ptr<const SubscriptionCalculation> projection() const {
        return projection_;
    }
    /// Whether a rebuild is being waited for.
    [[nodiscard]] bool isRecalculationPending() const { return timer_->isActive(); }
    /// The share of the days built, from 0 to 1, while the stored projection
    /// waits for its days; nothing when it has them.
    [[nodiscard]] std::optional<double> dayProgress() const { return dayProgress_; }
    /// Builds the days of the projections that `offThread` picks through
    /// `runner` from the next rebuild on; the others' at once, as before.
    void setDayBuilds(BuildRunner runner, OffThread offThread);

    [[nodiscard]] ScenarioValues scenarioValues() const override { return values_; }

signals:
    /// Sent before every write of a field is stored, and after a new
    /// projection is stored.
    void objectWillChange();
    /// Sent as the days of the stored projection are built, when their build
    /// starts and when it ends: `dayProgress` has changed.
    void dayProgressChanged();

private:
    static double ScenarioValues::*member(Field field);

    template <typename T>
    void publish(T& field, T v) {
        emit objectWillChange();
        field = std::move(v);
    }

    void scheduleRecalculation();
    void recalculate();
    void rebuild();
    void stopDays();

    ScenarioValues values_;
    std::unique_ptr<RecalculationTimer> timer_;
    std::optional<std::string> projectionKey_;
    std::shared_ptr<const SubscriptionCalculation> projection_;
    std::vector<Range> ranges_;
    std::vector<Range> restingRanges_;  ///< the ranges when the values last came to rest
    QMetaObject::Connection changeSink_;
    BuildRunner runner_;
    OffThread offThread_;
    std::stop_source dayStop_;
    QFutureWatcher<void>* dayWatcher_ = nullptr;
    std::optional<double> dayProgress_;
};

}  // namespace velmora
