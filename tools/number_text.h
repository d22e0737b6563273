#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/shortest_text.h"

namespace velmora::cli {

/// `value` rounded to nearest with `fractionDigits` (0 to 17) digits after the
/// point, in US-English style: "1,234", "-1,234.50". NaN and the infinities
/// read "NaN", "∞" and "-∞".
[[nodiscard]] std::string groupedNumber(double value, int fractionDigits);

/// Like `groupedNumber`, as dollars: "$1,234", "-$1,234.50".
[[nodiscard]] std::string currency(double value, int fractionDigits);

/// The number of terminal columns `text` (UTF-8) takes: one per code point.
[[nodiscard]] std::size_t displayWidth(std::string_view text);

}  // namespace velmora::cli
