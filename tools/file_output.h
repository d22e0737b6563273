#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "tools/documents.h"

namespace velmora::cli {

/// Writes what the run asks for to `options.outputFile` (which must be given):
/// the text `writeText` writes to a stream, or, for `--format xlsx` and
/// `pdf`, the workbook or the report of the scenario of `resolved` (Insights
/// with the one answer asked, else its monthly figures). The engine announces
/// its projections on `announce`. The file is replaced only once it is
/// whole. Returns the problem as one line naming `--output` and the file, or
/// nothing.
[[nodiscard]] std::optional<std::string> writeOutputFile(
    const Options& options, const ResolvedScenario& resolved, std::ostream& announce,
    const std::function<void(std::ostream&)>& writeText);

}  // namespace velmora::cli
