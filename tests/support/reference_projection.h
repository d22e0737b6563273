#pragma once

#include <cstdint>

#include "engine/projection/calculation.h"

namespace velmora::reference {

/// The projection computed the plain way: every day walks the whole cohort
/// list, renewing and summing, and every month's breakdown is sorted. Slow,
/// and obviously faithful; the engine must agree with it bit for bit.
ProjectionLists project(const ScenarioValues& values, UuidGenerator& ids);

}  // namespace velmora::reference
