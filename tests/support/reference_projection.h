#pragma once

#include <cstdint>

#include "engine/projection/calculation.h"

namespace velmora::reference {

/// The projection computed the plain way: every day walks the whole cohort
/// list, renewing and summing, and every month's breakdown is sorted. Slow,
/// and obviously faithful; the engine must agree with it bit for bit. Under a
/// plan every day's cohort is that day's trials times the month's trial
/// retention, and each month's proceeds are its first day's subscribers times
/// the month's price, or, when price changes reach new subscribers only, the
/// sum of every cohort times the price of the month it started in.
ProjectionLists project(const ScenarioValues& values, UuidGenerator& ids);

}  // namespace velmora::reference
