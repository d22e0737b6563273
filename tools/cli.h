#pragma once

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "engine/scenario.h"

namespace velmora::cli {

enum class OutputFormat { Table, Csv, Json };

/// What one run of the tool projects and how it prints it.
struct Options {
    ScenarioValues values;
    OutputFormat format = OutputFormat::Table;
};

struct HelpRequested {};
struct VersionRequested {};

/// Bad command-line input. `message` is one line that starts with the flag it
/// is about, e.g. `--price: "abc" is not a number`.
struct UsageError {
    std::string message;
};

using ParseResult = std::variant<Options, HelpRequested, VersionRequested, UsageError>;

/// The largest projection the tool builds: its results in memory, and the
/// cohort-days of work to compute them.
inline constexpr double maxProjectionBytes = 4.0 * 1024 * 1024 * 1024;
inline constexpr double maxCohortDays = 2e10;

/// Exit status for bad command-line input.
inline constexpr int exitUsage = 2;
/// Exit status when the output could not be written.
inline constexpr int exitOutputFailed = 1;

/// Reads the arguments that follow the program name. Flags are given as
/// `--flag value` or `--flag=value`, each at most once; `--help` or `--version`
/// anywhere a flag may stand asks for the usage text or the version.
[[nodiscard]] ParseResult parseArguments(std::span<const std::string_view> arguments);

/// Why the projection of `values` is too large to build, as a `UsageError`
/// message, or nothing when it is within the limits.
[[nodiscard]] std::optional<std::string> projectionTooLarge(const ScenarioValues& values);

/// The text `--help` prints.
void writeUsage(std::ostream& out);

/// The whole tool: parses `arguments`, writes the projection or the usage text
/// (or the version) to `out`, and problems to `err` (which also receives the engine's
/// announcement). Returns the exit status; on bad input `out` stays untouched.
int run(std::span<const std::string_view> arguments, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
