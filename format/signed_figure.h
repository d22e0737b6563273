#pragma once

#include <QString>

#include "format/number_format.h"

namespace velmora {

/// A change written as `formatter` writes figures, always with its sign:
/// "+$2,646", "-$8,983", "+0" (also for a change that rounds to zero).
[[nodiscard]] QString signedFigure(const NumberFormatter& formatter, double change);

/// `change` as a share of `base`, to one decimal and signed: "+7.9%",
/// "-12.0%"; empty when `base` is 0 or either is not a finite number.
[[nodiscard]] QString signedPercent(double change, double base, const QLocale& locale);

}  // namespace velmora
