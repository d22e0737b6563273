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

/// Reads `text` as a whole number of days, 0 or more, into `days`; returns what
/// is wrong with it instead.
[[nodiscard]] std::optional<std::string> parseDays(std::string_view text, std::int64_t& days);

}  // namespace velmora::cli
