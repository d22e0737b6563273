#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "tools/documents.h"

namespace velmora::cli {

/// The name of standard output as `--output`'s file.
inline constexpr std::string_view standardOutput = "-";

/// "--output: the same file as --scenario" (or --save) when the output would
/// replace the document read or saved, however the two names are spelled.
[[nodiscard]] std::optional<std::string> outputClash(const Options& options);

/// The refusal of an `--output` file that exists and is not a regular file
/// (a folder, a pipe, a device), which is never replaced, or nothing.
[[nodiscard]] std::optional<std::string> outputRefused(const Options& options);

/// Writes what the run asks for to `options.outputFile` (which must be given):
/// the text `writeText` writes to a stream, or, for `--format xlsx` and
/// `pdf`, the workbook or the report of the scenario of `resolved` (Insights
/// with the one answer asked, else its monthly figures). The file `-` is
/// `out`. The engine announces its projections on `announce`. The file is
/// replaced only once it is whole and synced; a failure leaves it as it was.
/// Returns the problem as one line naming `--output`, the file and the
/// system's reason, or nothing.
[[nodiscard]] std::optional<std::string> writeOutputFile(
    const Options& options, const ResolvedScenario& resolved, std::ostream& out,
    std::ostream& announce, const std::function<void(std::ostream&)>& writeText);

}  // namespace velmora::cli
