#include "engine/support/shortest_text.h"

#include <algorithm>
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

std::optional<std::int64_t> decimalOrder(std::string_view text) {
    const std::size_t e = std::min(text.find_first_of("eE"), text.size());
    const std::string_view mantissa = text.substr(0, e);
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    // The text's length is far below 2^62, so neither difference overflows.
    const auto point = static_cast<std::int64_t>(std::min(mantissa.find('.'), mantissa.size()));
    const auto lead = static_cast<std::int64_t>(first);
    const std::int64_t order = lead < point ? point - lead - 1 : point - lead;
    std::int64_t exponent = 0;
    if (e < text.size()) {
        std::string_view digits = text.substr(e + 1);
        const bool negative = digits.starts_with('-');
        if (negative || digits.starts_with('+')) {
            digits.remove_prefix(1);
        }
        constexpr std::int64_t huge = std::int64_t{1} << 40;
        const auto read = std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
        exponent = read.ec == std::errc{} ? std::min(exponent, huge) : huge;
        exponent = negative ? -exponent : exponent;
    }
    return order + exponent;
}

std::string shortest(double value) {
    std::array<char, shortestCapacity> buffer{};
    const char* end = writeShortest(buffer.data(), value);
    return {buffer.data(), static_cast<std::size_t>(end - buffer.data())};
}

}  // namespace velmora
