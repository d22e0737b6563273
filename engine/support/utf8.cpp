#include "engine/support/utf8.h"

#include <algorithm>

namespace velmora {

std::size_t invalidUtf8Offset(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // The second byte's range excludes overlong forms, surrogates and code
        // points above U+10FFFF.
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead < 0xC2 || lead > 0xF4) {
            return i;
        }
        if (lead == 0xE0) {
            low = 0xA0;
        } else if (lead == 0xED) {
            high = 0x9F;
        } else if (lead == 0xF0) {
            low = 0x90;
        } else if (lead == 0xF4) {
            high = 0x8F;
        }
        const std::size_t length = sequenceLength(lead);
        if (text.size() - i < length) {
            return i;
        }
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if (second < low || second > high ||
            !std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i + 2),
                         text.begin() + static_cast<std::ptrdiff_t>(i + length), isContinuation)) {
            return i;
        }
        i += length;
    }
    return std::string_view::npos;
}

}  // namespace velmora
