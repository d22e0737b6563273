#pragma once

#include <cstddef>
#include <string>

namespace velmora {

/// Room `writeShortest` may need.
inline constexpr std::size_t shortestCapacity = 32;

/// Writes the shortest text that reads back as exactly `value` ("0.59",
/// "1e+20", "-0"), or "nan", "inf", "-inf", to `first`, which has room for at
/// least `shortestCapacity` characters. Returns the end of what it wrote.
char* writeShortest(char* first, double value);

/// `writeShortest` as a string.
[[nodiscard]] std::string shortest(double value);

}  // namespace velmora
