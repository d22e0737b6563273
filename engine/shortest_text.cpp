#include "engine/shortest_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace velmora {

namespace {

char* copy(char* first, std::string_view text) {
    std::memcpy(first, text.data(), text.size());
    return first + text.size();
}

}  // namespace

char* writeShortest(char* first, double value) {
    // to_chars would write "-nan" for a NaN with its sign bit set.
    if (std::isnan(value)) {
        return copy(first, "nan");
    }
    if (std::isinf(value)) {
        return copy(first, value < 0 ? "-inf" : "inf");
    }
    return std::to_chars(first, first + shortestCapacity, value).ptr;
}

std::string shortest(double value) {
    std::array<char, shortestCapacity> buffer{};
    const char* end = writeShortest(buffer.data(), value);
    return {buffer.data(), static_cast<std::size_t>(end - buffer.data())};
}

}  // namespace velmora
