#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

/// Room `writeShortest` may need.
inline constexpr std::size_t shortestCapacity = 32;

/// Writes the shortest text that reads back as exactly `value` ("0.59",
/// "1e+20", "-0"), or "nan", "inf", "-inf", to `first`, which has room for at
/// least `shortestCapacity` characters. Returns the end of what it wrote.
char* writeShortest(char* first, double value);

/// `writeShortest` as a string.
[[nodiscard]] std::string shortest(double value);

/// The decimal order of magnitude of the number written `text` (an optional
/// sign, digits with an optional point, an optional exponent: what
/// std::from_chars reads): 2 for "123.4", -3 for "0.00123", 5 for "0.1e6".
/// Tells an overflow from an underflow when from_chars finds a number out of
/// range. An exponent beyond ±2^40 counts as ±2^40, so no text, however long
/// its digits or exponent, overflows the result. Nothing when no digit is
/// above 0.
[[nodiscard]] std::optional<std::int64_t> decimalOrder(std::string_view text);

}  // namespace velmora
