#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::cli {

/// `text` safe to show on one line of a terminal: control characters, bytes
/// that are not UTF-8 and C1 controls as "\x1b", so nothing typed can break the
/// line or reach the terminal as an escape sequence. With `quotesToo`, `"` and
/// `\` are escaped as well, so the result can stand between quotes unambiguously.
[[nodiscard]] std::string escaped(std::string_view text, bool quotesToo = true);

/// `text` escaped and in double quotes: "a\x0ab".
[[nodiscard]] std::string quoted(std::string_view text);

/// Reads `text` as a number with "." as the decimal point into `value`; returns
/// what is wrong with it instead. Any number a double can hold is accepted, and
/// one too small for a double reads as 0 (keeping its sign); larger ones, the
/// infinities and NaN are refused.
[[nodiscard]] std::optional<std::string> parseNumber(std::string_view text, double& value);

/// Reads `text` as a whole number from `low` to `high` into `value`; false when
/// it is not one. The one rule for every count a flag takes: decimal digits
/// alone, so "1e3", "2.0", "+7" and "-0" are refused rather than read or cut.
[[nodiscard]] bool parseWhole(std::string_view text, std::uint64_t low, std::uint64_t high,
                              std::uint64_t& value);

/// Reads `text` as a whole number of days, 1 or more, into `days`; returns what
/// is wrong with it instead.
[[nodiscard]] std::optional<std::string> parseDays(std::string_view text, std::int64_t& days);

}  // namespace velmora::cli
