#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velmora {

/// One cohort of a retention table: the subscribers of one month's trials.
struct CohortRow {
    std::string label;  ///< as the table names it ("2025-03"), any text
    /// `counts[0]`: paying at the first payment; `counts[k]`: still paying after
    /// the k-th renewal. Only the cells observed: a younger cohort has fewer.
    /// Counts or percentages of the cohort; only their ratios matter.
    std::vector<double> counts;
    std::optional<double> trials = {};  ///< the trials the cohort started from
    std::optional<double> days = {};    ///< the days over which those trials started

    /// The renewals observed (0 when only the first payment is).
    [[nodiscard]] std::size_t renewals() const { return counts.empty() ? 0 : counts.size() - 1; }

    friend bool operator==(const CohortRow&, const CohortRow&) = default;
};

/// A retention table: every cohort's subscribers after each of its renewals.
struct CohortTable {
    std::vector<CohortRow> cohorts;

    /// The renewals of the longest row.
    [[nodiscard]] std::size_t longestRow() const;
    /// Whether any cohort gives its trials, or its days.
    [[nodiscard]] bool hasTrials() const;
    [[nodiscard]] bool hasDays() const;

    friend bool operator==(const CohortTable&, const CohortTable&) = default;
};

inline constexpr std::size_t maxCohorts = 10'000;
inline constexpr std::size_t maxRenewals = 1'000;
inline constexpr std::size_t maxCohortTableBytes = std::size_t{16} << 20;
/// The largest count, trials or days a table may give: far beyond any
/// business, and small enough that the sums over a whole table stay finite.
inline constexpr double maxTableNumber = 1e15;

/// Why a table was refused: where (1-based; 0 for the table as a whole) and why.
struct TableProblem {
    std::size_t line = 0;
    std::size_t column = 0;
    std::string message;

    /// "line 3, column 4: …", or the message alone for the whole table.
    [[nodiscard]] std::string text() const;
};

/// Reads a retention table from text: CSV, or tab-separated as spreadsheets
/// copy it (a tab in the first row picks tabs; else a semicolon without a
/// comma picks semicolons; else commas), quoted cells as CSV quotes them, and
/// any line ends. The first row is the header: the first column the cohorts'
/// labels, then columns headed 0, 1, 2, … in order, and `trials` and `days`
/// anywhere. Empty cells at the end of a row are not observed yet. Numbers use
/// "." as the decimal point and may end in "%"; grouped digits ("1,234") are
/// refused rather than guessed. The counts are all numbers of subscribers or
/// all percentages of the cohort.
///
/// Refuses, saying where: text that is not UTF-8, a header out of order, text
/// where a number belongs, a negative count, a number above `maxTableNumber`,
/// a count that grows from one renewal to the next, a gap before a later
/// count, a percentage among counts or a count among percentages, a row
/// longer than the header, a second cohort of a label (empty labels aside),
/// more than `maxCohorts` rows, `maxRenewals` renewals or
/// `maxCohortTableBytes` bytes, `trials` below the first payments or given with
/// percentages, `trials` or `days` as a percentage, `days` of 0, and a table
/// with no cohort observed after a renewal.
[[nodiscard]] std::variant<CohortTable, TableProblem> readCohortTable(std::string_view text);

/// Why a table made elsewhere (read from a document, say) breaks the rules
/// `readCohortTable` keeps, naming the cohort (0-based) and the cell, or none.
struct CellProblem {
    std::size_t cohort = 0;
    std::string cell;  ///< "counts[3]", "trials", "days", "label"; empty for the whole table
    std::string message;
};
[[nodiscard]] std::optional<CellProblem> cohortTableProblem(const CohortTable& table);

}  // namespace velmora
