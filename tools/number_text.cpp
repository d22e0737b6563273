#include "tools/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace velmora::cli {

namespace {

std::string fixedText(double value, int fractionDigits, std::string_view symbol) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-∞" : "∞";
    }
    // The largest double has 309 integer digits.
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, fractionDigits);
    std::string_view digits(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));

    std::string text;
    text.reserve(digits.size() + digits.size() / 3 + symbol.size() + 1);
    if (digits.front() == '-') {
        text += '-';
        digits.remove_prefix(1);
    }
    text += symbol;
    const std::size_t point = std::min(digits.find('.'), digits.size());
    for (std::size_t i = 0; i < point; ++i) {
        if (i > 0 && (point - i) % 3 == 0) {
            text += ',';
        }
        text += digits[i];
    }
    text += digits.substr(point);
    return text;
}

}  // namespace

std::string groupedNumber(double value, int fractionDigits) {
    return fixedText(value, fractionDigits, "");
}

std::string currency(double value, int fractionDigits) {
    return fixedText(value, fractionDigits, "$");
}

std::size_t displayWidth(std::string_view text) {
    std::size_t width = 0;
    for (const char c : text) {
        // UTF-8 continuation bytes look like 10xxxxxx.
        if ((static_cast<unsigned char>(c) & 0xC0U) != 0x80U) {
            ++width;
        }
    }
    return width;
}

}  // namespace velmora::cli
