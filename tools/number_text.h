#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/support/shortest_text.h"

namespace velmora::cli {

/// `value` rounded to nearest with `fractionDigits` (0 to 17) digits after the
/// point, in US-English style: "1,234", "-1,234.50"; from 1e15 on (counting a
/// figure that rounds up to it) in e-notation to fifteen significant digits,
/// as the window writes it: "5.9e+302". NaN and the infinities read "NaN",
/// "∞" and "-∞".
[[nodiscard]] std::string groupedNumber(double value, int fractionDigits);

/// Like `groupedNumber`, as dollars: "$1,234", "-$1,234.50", "$5.9e+302".
[[nodiscard]] std::string currency(double value, int fractionDigits);

/// `value` with every digit, in US-English style: "9,223,372,036,854,775,807".
[[nodiscard]] std::string groupedInteger(std::int64_t value);

/// The shortest text that reads back as exactly `value`, its whole part
/// grouped when it has no exponent: "1,234.5678", "0.30000000000000004", "1e+300".
[[nodiscard]] std::string groupedExact(double value);

/// A size in bytes to three significant digits in binary units: "1.09 TiB".
[[nodiscard]] std::string byteText(double bytes);

/// A positive number to three significant digits as "4.5e10": no "+" that
/// reads like a sum.
[[nodiscard]] std::string scientificText(double value);

/// `text(change)` as a change: "+" before a gain and before a loss that `text`
/// writes as zero ("+$0", never "-$0"), as the window writes changes.
template <typename Text>
[[nodiscard]] std::string signedChange(double change, Text text) {
    const std::string magnitude = text(std::abs(change));
    if (std::isnan(change) || (change < 0 && magnitude != text(0.0))) {
        return text(change);
    }
    std::string sign = "+";  // appended: GCC 12 warns falsely (-Wrestrict) on `"+" + magnitude`
    return sign.append(magnitude);
}

/// The number of terminal columns `text` (UTF-8) takes: one per code point.
[[nodiscard]] std::size_t displayWidth(std::string_view text);

}  // namespace velmora::cli
