#include "tools/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace velmora::cli {

namespace {

// "-1234.50" as "-$1,234.50": the sign, the symbol, then digits in groups of three.
std::string grouped(std::string_view digits, std::string_view symbol) {
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

/// `value` in e-notation to fifteen significant digits, trailing zeros
/// dropped: "-$5.9e+302".
std::string eNotation(double value, std::string_view symbol) {
    std::array<char, 40> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::abs(value),
                                      std::chars_format::scientific, 14);
    std::string_view digits(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
    const std::size_t mark = digits.find('e');
    std::string_view mantissa = digits.substr(0, mark);
    mantissa = mantissa.substr(0, mantissa.find_last_not_of('0') + 1);
    if (mantissa.ends_with('.')) {
        mantissa.remove_suffix(1);
    }
    std::string text = value < 0 ? "-" : "";
    text.append(symbol).append(mantissa).append(digits.substr(mark));
    return text;
}

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
    // From 1e15 on, counting a figure that rounds up to it, as the window
    // writes figures: past any column, and past the whole numbers a double holds.
    const std::size_t whole = std::min(digits.find('.'), digits.size()) - (value < 0 ? 1 : 0);
    if (whole > 15) {
        return eNotation(value, symbol);
    }
    // A value that rounds to zero is written as zero, as the window writes it, not "-$0".
    if (digits.starts_with('-') && digits.find_first_of("123456789") == std::string_view::npos) {
        digits.remove_prefix(1);
    }
    return grouped(digits, symbol);
}

}  // namespace

std::string groupedNumber(double value, int fractionDigits) {
    return fixedText(value, fractionDigits, "");
}

std::string currency(double value, int fractionDigits) {
    return fixedText(value, fractionDigits, "$");
}

std::string groupedInteger(std::int64_t value) {
    return grouped(std::to_string(value), "");
}

std::string groupedExact(double value) {
    const std::string text = shortest(value);
    if (!std::isfinite(value) || text.find('e') != std::string::npos) {
        return text;
    }
    return grouped(text, "");
}

namespace {

// "4.5", "4.25", "12": at most three significant digits, no trailing zeros.
std::string roundedText(double value) {
    std::string text = groupedNumber(value, value < 10 ? 2 : value < 100 ? 1 : 0);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.ends_with('.')) {
            text.pop_back();
        }
    }
    return text;
}

}  // namespace

std::string byteText(double bytes) {
    static constexpr std::array<std::string_view, 9> units{"bytes", "KiB", "MiB", "GiB", "TiB",
                                                           "PiB",   "EiB", "ZiB", "YiB"};
    std::size_t unit = 0;
    while (bytes >= 1024 && unit + 1 < units.size()) {
        bytes /= 1024;
        ++unit;
    }
    return roundedText(bytes) + ' ' + std::string(units[unit]);
}

std::string scientificText(double value) {
    const int exponent = static_cast<int>(std::floor(std::log10(value)));
    return roundedText(value / std::pow(10.0, exponent)) + 'e' + std::to_string(exponent);
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
