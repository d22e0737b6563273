#pragma once

#include <QString>

#include "format/number_format.h"

namespace velmora {

/// A change written as `formatter` writes figures, always with its sign: a
/// gain with "+" ("+$2,646"), a loss as the locale writes negative figures,
/// like the table ("($8,983)", "-8.983 €"), and a change that rounds to zero
/// as "+0", never with a minus sign.
[[nodiscard]] QString signedFigure(const NumberFormatter& formatter, double change);

/// `change` as a share of `base`, to one decimal and signed: "+7.9%",
/// "-12.0%", from 1e15 on in e-notation ("+1e+17%"); empty when `base` is 0
/// or either is not a finite number.
[[nodiscard]] QString signedPercent(double change, double base, const QLocale& locale);

}  // namespace velmora
