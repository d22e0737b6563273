#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <vector>

#include "engine/projection/records.h"
#include "engine/projection/scenario.h"

namespace velmora {

/// The extent of a projection, known before it is built.
struct ProjectionSize {
    std::int64_t monthDuration = 0;  ///< days per month
    std::int64_t months = 0;         ///< whole months projected
    std::int64_t epochs = 0;         ///< days simulated: months x monthDuration
    std::int64_t seededCohorts = 0;  ///< cohorts standing for the starting subscribers
    double cohortRecords = 0;        ///< breakdown records over all months
    double cohortDays = 0;           ///< cohort updates the simulation performs
    /// Under a plan, the links of the chains of each month's births kept for
    /// the breakdown (about months^2 / 2); without one they are a few per month.
    double planChainLinks = 0;

    /// Memory the finished projection occupies, approximately.
    [[nodiscard]] double estimatedBytes() const;
};

/// The size of the projection of `values`, or nothing when the values lie
/// outside what can be projected at all: a number of months that is not finite
/// or is -1 or less, a negative month length, or a day count beyond 64 bits.
/// Such values project to empty lists.
[[nodiscard]] std::optional<ProjectionSize> projectionSize(const ScenarioValues& values);

/// The two lists of a projection.
struct ProjectionLists {
    /// One snapshot per day; the first day of each month carries the breakdown
    /// of every cohort, ordered by label.
    std::vector<SubscriptionSnapshot> snapshots;
    /// One snapshot per month (the first day's count), without breakdown.
    std::vector<SubscriptionSnapshot> monthlySnapshots;
    /// The proceeds of each month, by the plan's price rule (`monthlyProceedsOf`).
    std::vector<double> monthlyProceeds;
};

/// Simulates the cohorts of `values` day by day. Every count is bit-identical
/// to adding up all live cohorts of each day in the order they were created.
[[nodiscard]] ProjectionLists projectScenario(const ScenarioValues& values, UuidGenerator& ids);

/// Told after each month of a day-by-day build the months built and the months
/// in all; returns false to stop the build there. May be called on any thread.
using BuildProgress = std::function<bool(std::int64_t built, std::int64_t months)>;

/// `projectScenario`, telling `progress` of every month built; nothing when
/// `progress` stopped it.
[[nodiscard]] std::optional<ProjectionLists> projectScenario(const ScenarioValues& values,
                                                             UuidGenerator& ids,
                                                             const BuildProgress& progress);

/// How much of a projection is built.
enum class ProjectionDetail {
    /// The monthly snapshots alone, bit for bit those of the days, in time
    /// proportional to the cohort-months: `snapshots` stays empty.
    Months,
    /// Every day as well, the first day of each month with its cohorts.
    Days,
};

/// The projection of one scenario, built completely by its constructor.
struct SubscriptionCalculation {
    /// Writes the line "Calculated" to `announce` (flushed) before anything
    /// else, then projects the scenario's current values to `detail`.
    SubscriptionCalculation(const ScenarioSource& inputs, std::ostream& announce,
                            ProjectionDetail detail = ProjectionDetail::Days);
    /// The projection of `inputs` from `lists` built elsewhere, a worker thread
    /// say, from values `inputs` held, with months of `monthDuration` days.
    /// Announces nothing.
    SubscriptionCalculation(const ScenarioSource& inputs, std::int64_t monthDuration,
                            ProjectionLists lists);

    /// The scenario this was built from; not owned. Reads through it see the
    /// scenario's current values, which may be newer than the projection.
    const ScenarioSource* inputs;
    /// Days per month of this projection, whatever the scenario says now.
    std::int64_t monthDuration;
    ProjectionDetail detail;
    std::vector<SubscriptionSnapshot> snapshots;  ///< every day; none with `Months`
    std::vector<SubscriptionSnapshot> monthlySnapshots;
    /// The proceeds of each month, by the plan's price rule (`monthlyProceedsOf`).
    std::vector<double> monthlyProceeds;

    /// Whether the days are there: always so with `Days`, even when there are none.
    [[nodiscard]] bool hasDays() const { return detail == ProjectionDetail::Days; }
};

/// Whether the day-by-day projection of `size` is quick to build where someone
/// waits for it: about a second of work and a few hundred MiB at most.
[[nodiscard]] bool quickDays(const ProjectionSize& size);

}  // namespace velmora
