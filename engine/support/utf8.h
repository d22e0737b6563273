#pragma once

#include <cstddef>
#include <string_view>

namespace velmora {

/// Whether `c` continues a UTF-8 sequence (10xxxxxx).
[[nodiscard]] constexpr bool isContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U;
}

/// The bytes of the UTF-8 sequence that a lead byte starts.
[[nodiscard]] constexpr std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xF0) {
        return 4;
    }
    return lead >= 0xE0 ? 3 : 2;
}

/// The offset of the first byte that is not part of well-formed UTF-8, or
/// `std::string_view::npos` when all of `text` is well formed.
[[nodiscard]] std::size_t invalidUtf8Offset(std::string_view text);

/// Whether `text` is well-formed UTF-8.
[[nodiscard]] inline bool isUtf8(std::string_view text) {
    return invalidUtf8Offset(text) == std::string_view::npos;
}

}  // namespace velmora
