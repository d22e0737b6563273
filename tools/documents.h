#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "document/scenario_document.h"
#include "tools/cli.h"

namespace velmora::cli {

/// The scenario a run works on, and the document it stands in.
struct ResolvedScenario {
    /// The document of `--scenario`, or one of defaults, with the page the run
    /// works on set to `values`: what `--save` writes.
    ScenarioDocument document;
    ScenarioValues values;  ///< the page's values with the flags over them
    /// What `--simulate` draws from: each `--range`, then the page's ranges
    /// of the other inputs, widened to take `values` in as the window does.
    std::vector<Range> ranges;
};

/// Reads the document of `options.scenarioFile`, when given, and applies the
/// flags to its page, or to the defaults. A document that cannot be read is a
/// `UsageError` for `--scenario` with the reader's message.
[[nodiscard]] std::variant<ResolvedScenario, UsageError> resolveScenario(const Options& options);

/// Why `document` cannot be saved to `path` because of what it holds, as a
/// `UsageError` for `--save` with the document library's message; nothing
/// when it can. Touches no file.
[[nodiscard]] std::optional<UsageError> unsavable(const std::string& path,
                                                  const ScenarioDocument& document);

/// Saves `document` to `path` atomically; why it failed, as one line, or nothing.
[[nodiscard]] std::optional<std::string> save(const std::string& path,
                                              const ScenarioDocument& document);

}  // namespace velmora::cli
