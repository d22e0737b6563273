#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "engine/projection/scenario.h"

namespace velmora {

/// Where a scenario's subscribers head if it ran forever.
struct SettlePoint {
    enum class Kind {
        Settles,            ///< the figures below hold
        GrowsWithoutBound,  ///< the later rate keeps a share of 1 or more; see `reason`
        CannotCompute,      ///< an input makes the question meaningless; see `reason`
    };
    Kind kind = Kind::CannotCompute;
    double subscribers = 0;      ///< the active subscribers approached
    double monthlyProceeds = 0;  ///< the proceeds of a month with that many
    /// The first month, counted from 0, of the given list whose active
    /// subscribers come within 10% of `subscribers`, from below or from above
    /// (a business shrinking towards its level); nothing when none does, and
    /// always nothing when the scenario settles at 0 (there is nothing to reach).
    std::optional<std::int64_t> month90;
    std::string reason;  ///< a sentence saying why, unless it settles
};

/// Where the scenario of `values` settles. Every day n = dailyNewSubs x
/// trialRetention trials convert, and a trial that converts pays
/// L = 1 + rt1 + rt1 rt2 + ... + rt1...rt6 + rt1...rt6 rtPlus / (1 - rtPlus)
/// months on average (with later rates r7, r8, ..., rN the terms run on to
/// rt1...rt6 r7...rN before the rtPlus tail, which starts after renewal N: the
/// state settles only once the last listed renewal is passed); each month
/// lasts `monthDuration` days, so the projection
/// approaches n x monthDuration x L subscribers. Starting subscribers all renew
/// at rtPlus: below 1 they decay away and do not change the figure; at exactly
/// 1 they stay and add to it; above it they grow. As in the projection, they
/// count only when above 0.
///
/// Grows without bound when rtPlus is 1 or more and either converted trials
/// reach the renewals after the listed ones (n > 0 and no listed rate is 0) or, above 1,
/// there are starting subscribers. Cannot be computed when the month length is
/// below 1 day; when the trials, the trial retention or a rate is negative or
/// not a finite number (a later rate too); when the starting subscribers or the price are not
/// finite; or when the figure is too large for a number.
///
/// Under a plan it settles where the values of the month after which nothing
/// changes (growth stopped, the last change past) settle, and `month90` is
/// searched from that month on. Growth without end grows without bound, or,
/// shrinking, leaves no trials. With seasons it cannot be computed: the
/// trials rise and fall every year, and so do the subscribers.
///
/// `monthlyActives` are the first-day counts of a projection of the scenario
/// (for example its monthly snapshots), searched for `month90`. Thread-safe.
[[nodiscard]] SettlePoint settlePoint(const ScenarioValues& values,
                                      std::span<const double> monthlyActives);

}  // namespace velmora
