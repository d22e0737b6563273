#pragma once

#include <cstddef>
#include <stop_token>
#include <vector>

#include "engine/calibration/cohort_table.h"

namespace velmora {

/// What a retention model's likelihood reads of a table: how many subscribers
/// left at each renewal, and how many were still there when their cohort was
/// last observed (right-censored).
struct RetentionCounts {
    std::vector<double> left;    ///< `left[t - 1]`: left at renewal t
    std::vector<double> stayed;  ///< `stayed[t]`: still there after renewal t, last seen then
};

/// The counts of `table`, its cohorts cut after `renewals` renewals as if not
/// observed further.
[[nodiscard]] RetentionCounts retentionCounts(const CohortTable& table, std::size_t renewals);

/// The shifted-beta-geometric model of retention (Fader and Hardie, "How to
/// project customer retention", 2007): each subscriber leaves at each renewal
/// with her own probability, beta-distributed over subscribers with parameters
/// alpha and beta. The share still there after t renewals is
/// S(t) = S(t - 1) (beta + t - 1) / (alpha + beta + t - 1), S(0) = 1, and the
/// share leaving at renewal t is P(t) = S(t - 1) alpha / (alpha + beta + t - 1);
/// the same as P(1) = alpha / (alpha + beta),
/// P(t) = P(t - 1) (beta + t - 2) / (alpha + beta + t - 1), S(t) = S(t - 1) - P(t),
/// computed without the cancellation of the difference.
struct ShiftedBetaGeometric {
    double alpha = 1;
    double beta = 1;

    /// S(t).
    [[nodiscard]] double survival(std::size_t renewals) const;
    /// The share of those there before renewal t that stay: S(t) / S(t - 1).
    [[nodiscard]] double retention(std::size_t renewal) const;
    /// The log-likelihood of `counts`: each subscriber who left at renewal t
    /// adds ln P(t), each one last seen after renewal t adds ln S(t).
    [[nodiscard]] double logLikelihood(const RetentionCounts& counts) const;
};

/// The maximum-likelihood fit of the model to `counts`, searched over the
/// logarithms of alpha and beta from e^-25 to e^25. Data that no subscriber
/// left gives the largest beta; data as steady as a constant rate, the largest
/// scale. Thread-safe; a few microseconds for sixty renewals.
[[nodiscard]] ShiftedBetaGeometric fitShiftedBetaGeometric(const RetentionCounts& counts);

}  // namespace velmora
