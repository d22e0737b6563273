#pragma once

#include <cstdint>
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
};

/// Simulates the cohorts of `values` day by day. Every count is bit-identical
/// to adding up all live cohorts of each day in the order they were created.
[[nodiscard]] ProjectionLists projectScenario(const ScenarioValues& values, UuidGenerator& ids);

/// The projection of one scenario, built completely by its constructor.
struct SubscriptionCalculation {
    /// Writes the line "Calculated" to `announce` (flushed) before anything
    /// else, then projects the scenario's current values.
    SubscriptionCalculation(const ScenarioSource& inputs, std::ostream& announce);

    /// The scenario this was built from; not owned. Reads through it see the
    /// scenario's current values, which may be newer than the projection.
    const ScenarioSource* inputs;
    /// Days per month of this projection, whatever the scenario says now.
    std::int64_t monthDuration;
    std::vector<SubscriptionSnapshot> snapshots;
    std::vector<SubscriptionSnapshot> monthlySnapshots;
};

}  // namespace velmora
