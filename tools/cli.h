#pragma once

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/decisions/goal_seek.h"
#include "engine/decisions/metrics.h"
#include "engine/projection/scenario.h"
#include "engine/spread/ranges.h"

namespace velmora::cli {

enum class OutputFormat { Table, Csv, Json };

/// A format that is not text, written only to a file (`--output`).
enum class FileFormat { Xlsx, Pdf };

/// The scenario of a document that `--page` picks.
enum class Page { Basic, Baseline, Alternate1, Alternate2 };

/// What the tool answers: the projection, or one of the decision tools.
enum class Question { Projection, Settle, Goal, Sensitivity, Economics, Calibrate, Simulate };

/// What one run of the tool projects and how it prints it.
struct Options {
    ScenarioValues values;  ///< the scenario flags' values over the defaults
    OutputFormat format = OutputFormat::Table;
    /// `--format xlsx` or `pdf`: the workbook or the report, instead of `format`.
    std::optional<FileFormat> fileFormat{};
    bool formatGiven = false;
    std::optional<std::string> outputFile{};  ///< `--output`: written there, not to standard output
    /// The names of the scenario flags given ("--price"), which override the
    /// values of a document's page (see `withFlags`).
    std::vector<std::string_view> scenarioFlags{};
    std::optional<std::string> scenarioFile{};  ///< `--scenario`
    Page page = Page::Basic;                    ///< `--page`
    std::optional<std::string> saveFile{};      ///< `--save`
    Question question = Question::Projection;
    Goal goal{};  ///< `--goal` and `--solve-for`, for Question::Goal
    Metric sensitivityMetric = Metric::MonthlyProceeds;  ///< for Question::Sensitivity
    std::optional<std::string> calibrateFile{};          ///< `--calibrate`, for Question::Calibrate
    std::optional<std::size_t> horizon{};  ///< `--horizon`; none: the months projected
    std::optional<std::size_t> holdout{};  ///< `--holdout`; none: the backtest's default
    std::int64_t draws = 0;                ///< `--simulate N`, for Question::Simulate
    std::uint64_t seed = 1;                ///< `--seed`
    std::vector<Range> ranges{};           ///< `--range`, at most one per input

    /// Whether the run prints anything: `--save` alone only writes its file.
    [[nodiscard]] bool prints() const {
        return !saveFile || formatGiven || outputFile || question != Question::Projection;
    }
};

struct HelpRequested {};
struct VersionRequested {};

/// Bad command-line input. `message` is one line that starts with the flag it
/// is about, e.g. `--price: "abc" is not a number`.
struct UsageError {
    std::string message;
};

using ParseResult = std::variant<Options, HelpRequested, VersionRequested, UsageError>;

/// The largest projection the JSON holds, with every cohort of every day: its
/// results in memory, the cohort-days of work to compute them, and the bytes
/// it writes.
inline constexpr double maxProjectionBytes = 4.0 * 1024 * 1024 * 1024;
inline constexpr double maxCohortDays = 2e10;
/// The table, the CSV, the workbook and the questions build monthly figures
/// only, a few hundred bytes a month, summing each cohort once a month: their
/// limit is the work of that.
inline constexpr double maxCohortMonths = 2e10;
/// `--simulate` advances each draw a month at a time in closed form: its limit
/// is the draws times the months.
inline constexpr double maxDrawMonths = 2e10;

/// Exit status for bad command-line input, a document that cannot be read and
/// a scenario that a document cannot hold.
inline constexpr int exitUsage = 2;
/// Exit status when the output or the `--save` file could not be written.
inline constexpr int exitOutputFailed = 1;

/// Reads the arguments that follow the program name. Flags are given as
/// `--flag value` or `--flag=value` (one dash will do), each at most once;
/// `--help` (or `-h`) and `--version` ask for the usage text or the version
/// wherever they stand among known flags with their values. The arguments may
/// hold any bytes: a file name comes back exactly as given.
[[nodiscard]] ParseResult parseArguments(std::span<const std::string_view> arguments);

/// `base` (a document's page, or the defaults) with the values of the
/// scenario flags in `options`.
[[nodiscard]] ScenarioValues withFlags(ScenarioValues base, const Options& options);

/// Why the projection of `values` is too large to build for `written` (the
/// whole projection, days and cohorts, when none is given) and to write
/// in it ("100,000 months of 30 days would need about 1.09 TiB; the limit is
/// 4 GiB"), or nothing when it is within the limits. A projection with no day
/// is never too large. The questions have limits of their own (`questionTooLarge`).
[[nodiscard]] std::optional<std::string> projectionTooLarge(
    const ScenarioValues& values, std::optional<OutputFormat> written = std::nullopt);

/// Why answering the question of `options` (not the projection) about
/// `values` is too large, by that question's own work: the monthly figures'
/// cohort-months, or the draw-months of `--simulate`; nothing when within the
/// limits.
[[nodiscard]] std::optional<std::string> questionTooLarge(const Options& options,
                                                          const ScenarioValues& values);

/// The text `--help` prints.
void writeUsage(std::ostream& out);

/// The whole tool: parses `arguments`, reads and writes documents, writes the
/// projection, an answer, the usage text or the version to `out`, and problems
/// to `err` (which also receives the engine's announcement). Returns the exit
/// status; on bad input `out` stays untouched. Needs no QCoreApplication.
int run(std::span<const std::string_view> arguments, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
