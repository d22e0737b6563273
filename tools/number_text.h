#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora::cli {

/// `value` rounded to nearest with `fractionDigits` (0 to 17) digits after the
/// point, in US-English style: "1,234", "-1,234.50". NaN and the infinities
/// read "NaN", "∞" and "-∞".
[[nodiscard]] std::string groupedNumber(double value, int fractionDigits);

/// Like `groupedNumber`, as dollars: "$1,234", "-$1,234.50".
[[nodiscard]] std::string currency(double value, int fractionDigits);

/// Room `writeShortest` may need.
inline constexpr std::size_t shortestCapacity = 32;

/// Writes the shortest text that reads back as exactly `value` ("0.59",
/// "1e+20"), or "nan", "inf", "-inf", to `first`, which has room for at least
/// `shortestCapacity` characters. Returns the end of what it wrote.
char* writeShortest(char* first, double value);

/// `writeShortest` as a string.
[[nodiscard]] std::string shortest(double value);

/// The number of terminal columns `text` (UTF-8) takes: one per code point.
[[nodiscard]] std::size_t displayWidth(std::string_view text);

}  // namespace velmora::cli
