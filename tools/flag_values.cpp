#include "tools/flag_values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "engine/support/shortest_text.h"

namespace velmora::cli {

namespace {

// The length of the printable UTF-8 character that `text` starts with, or 0
// when it starts with a control character or a byte that begins none.
std::size_t printableLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text.front());
    if (lead >= 0x20 && lead < 0x7F) {
        return 1;
    }
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || text.size() < length) {
        return 0;
    }
    char32_t code = lead & (0x7FU >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0U) != 0x80U) {
            return 0;
        }
        code = (code << 6) | (next & 0x3FU);
    }
    constexpr char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool overlong = code < shortest[length];
    const bool c1Control = code < 0xA0;
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return overlong || c1Control || surrogate || code > 0x10FFFF ? 0 : length;
}

}  // namespace

std::string escaped(std::string_view text, bool quotesToo) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string result;
    while (!text.empty()) {
        const char c = text.front();
        std::size_t length = printableLength(text);
        if (quotesToo && (c == '"' || c == '\\')) {
            result += '\\';
            result += c;
        } else if (length > 0) {
            result += text.substr(0, length);
        } else {
            const auto byte = static_cast<unsigned char>(c);
            result += "\\x";
            result += hex[byte >> 4];
            result += hex[byte & 0xF];
            length = 1;
        }
        text.remove_prefix(length);
    }
    return result;
}

std::string quoted(std::string_view text) {
    return '"' + escaped(text) + '"';
}

std::optional<std::string> parseNumber(std::string_view text, double& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error == std::errc::result_out_of_range && stop == end) {
        // Too large, or too small for a double: the order of magnitude tells.
        if (decimalOrder(text).value_or(0) > 0) {
            return quoted(text) + " is out of range";
        }
        value = text.starts_with('-') ? -0.0 : 0.0;
        return std::nullopt;
    }
    if (error != std::errc{} || stop != end) {
        return quoted(text) + " is not a number";
    }
    if (!std::isfinite(value)) {
        return quoted(text) + " is not a finite number";
    }
    return std::nullopt;
}

bool parseWhole(std::string_view text, std::uint64_t low, std::uint64_t high,
                std::uint64_t& value) {
    if (text.empty() || !std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    std::uint64_t read = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), read);
    if (result.ec != std::errc{} || read < low || read > high) {
        return false;
    }
    value = read;
    return true;
}

std::optional<std::string> parseDays(std::string_view text, std::int64_t& days) {
    std::uint64_t whole = 0;
    if (!parseWhole(text, 1, std::numeric_limits<std::int64_t>::max(), whole)) {
        return quoted(text) + " is not a whole number of days, 1 or more";
    }
    days = static_cast<std::int64_t>(whole);
    return std::nullopt;
}

}  // namespace velmora::cli
