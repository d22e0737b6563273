#pragma once

#include <cstdint>

#include "engine/projection/scenario.h"

namespace velmora {

/// What one trial is expected to bring in over `months`: the `months` - 1
/// monthly payments of the subscription it may turn into, each weighted by the
/// share of converted trials still paying, times `price`, times `earlyShare` for
/// payments 1 to 12 and `lateShare` from payment 13 on. Payment k + 2 carries
/// the first k + 1 renewal rates; every payment after the seventh adds the
/// next later rate while there is one, then `rtPlus`.
/// A horizon of 1 or less has no payment and is worth 0. The trial starts in M0:
/// when its plan changes the price for everyone, payment k + 1 is at the price
/// of month k (`price` until the first change); for new subscribers only, it
/// pays `price` throughout, as without a plan.
[[nodiscard]] double lifetimeValuePerTrial(std::int64_t months, const ScenarioValues& inputs,
                                           double price, double earlyShare, double lateShare);

}  // namespace velmora
