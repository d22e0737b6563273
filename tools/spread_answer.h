#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "tools/cli.h"

namespace velmora::cli {

/// Reads `--range NAME=LOW:HIGH` into `options.ranges`, or says what is wrong:
/// not that form, a NAME that cannot take a range (the months among them), an
/// end that is not a finite number, a low end above the high end, or a second
/// range on the same input.
[[nodiscard]] std::optional<std::string> addRange(std::string_view text, Options& options);

/// Reads `--simulate N`: a whole number of draws from 1 to `maximumDraws`.
[[nodiscard]] std::optional<std::string> setDraws(std::string_view text, Options& options);

/// Reads `--seed S`: a whole number from 0 to 2^64 - 1.
[[nodiscard]] std::optional<std::string> setSeed(std::string_view text, Options& options);

/// Why `options.ranges` cannot be drawn around `values` (a value outside its
/// range), as one line naming `--range`, or nothing.
[[nodiscard]] std::optional<std::string> rangesRefused(const Options& options,
                                                       const ScenarioValues& values);

/// The spread of the outcomes of `values` over `options.draws` draws from
/// `options.ranges` with `options.seed`, in `options.format`: the JSON object
/// with the percentiles of every month and of the summary figures, a CSV row
/// per month, or the summary and the months as aligned text.
void writeSpread(const Options& options, const ScenarioValues& values, std::ostream& out);

}  // namespace velmora::cli
