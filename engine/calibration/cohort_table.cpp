#include "engine/calibration/cohort_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "engine/calibration/table_text.h"
#include "engine/support/shortest_text.h"
#include "engine/support/utf8.h"

namespace velmora {

namespace {

using namespace table_text;

constexpr std::size_t trialsCell = std::numeric_limits<std::size_t>::max() - 1;
constexpr std::size_t daysCell = std::numeric_limits<std::size_t>::max();

struct RowFault {
    std::size_t cell;  // an index of `counts`, `trialsCell` or `daysCell`
    std::string message;
};

std::string after(std::size_t renewal) {
    return renewal == 0 ? "at its first payment" : "after renewal " + std::to_string(renewal);
}

bool withinBound(double number) {
    return number >= 0 && number <= maxTableNumber;
}

// Counts are finite and not negative when they come from the text reader; a
// document's table is checked for both here, and both for the bound.
std::optional<RowFault> rowFault(const CohortRow& row) {
    const auto& counts = row.counts;
    for (std::size_t k = 0; k < counts.size(); ++k) {
        if (!withinBound(counts[k])) {
            return RowFault{k, "expected a count from 0 to 1e15, found " + shortest(counts[k])};
        }
        if (k > 0 && counts[k] > counts[k - 1]) {
            return RowFault{k, "cohort " + quoted(row.label) + " grows from " +
                                   shortest(counts[k - 1]) + " " + after(k - 1) + " to " +
                                   shortest(counts[k]) + " " + after(k)};
        }
    }
    if (row.trials) {
        if (!withinBound(*row.trials)) {
            return RowFault{trialsCell,
                            "expected trials from 0 to 1e15, found " + shortest(*row.trials)};
        }
        if (!counts.empty() && *row.trials < counts[0]) {
            return RowFault{trialsCell, "cohort " + quoted(row.label) + " has " +
                                            shortest(counts[0]) + " first payments from " +
                                            shortest(*row.trials) +
                                            " trials; trials cannot be fewer"};
        }
    }
    if (row.days && !(withinBound(*row.days) && *row.days > 0)) {
        return RowFault{daysCell,
                        "expected days of more than 0, up to 1e15, found " + shortest(*row.days)};
    }
    return std::nullopt;
}

bool hasRenewal(const CohortRow& row) {
    return row.counts.size() > 1 && row.counts[0] > 0;
}

constexpr std::string_view noRenewal =
    "no cohort with a renewal: the table needs a cohort with subscribers at its first payment "
    "and a count after its first renewal";

// What the header's columns hold.
struct Columns {
    std::vector<std::size_t> renewals;  // the column of each renewal, 0 first
    std::optional<std::size_t> trials;
    std::optional<std::size_t> days;
    std::size_t count = 0;  // cells in the header
};

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return result;
}

std::variant<Columns, TableProblem> readHeader(const std::vector<Cell>& cells) {
    Columns columns;
    columns.count = cells.size();
    for (std::size_t i = 1; i < cells.size(); ++i) {
        const std::string_view heading = trimmed(cells[i].text);
        const auto problem = [&](std::string message) {
            return TableProblem{cells[i].line, i + 1, std::move(message)};
        };
        const std::string name = lowered(heading);
        if (name == "trials" || name == "days") {
            auto& slot = name == "trials" ? columns.trials : columns.days;
            if (slot) {
                return problem("a second column headed " + quoted(heading));
            }
            slot = i;
            continue;
        }
        const std::size_t expected = columns.renewals.size();
        std::size_t renewal = 0;
        const auto [end, error] =
            std::from_chars(heading.data(), heading.data() + heading.size(), renewal);
        if (heading.empty() || error != std::errc{} || end != heading.data() + heading.size()) {
            return problem(heading.empty() ? "a column without a heading"
                                           : "expected a renewal (0, 1, 2, …), trials or days "
                                             "as a heading, found " +
                                                 quoted(heading));
        }
        if (renewal != expected) {
            return problem("expected the column headed " + std::to_string(expected) + ", found " +
                           quoted(heading));
        }
        if (renewal > maxRenewals) {
            return problem("more than 1,000 renewals; a table may hold at most that many");
        }
        columns.renewals.push_back(i);
    }
    if (columns.renewals.empty()) {
        return TableProblem{cells.empty() ? 1 : cells.front().line, cells.size() + 1,
                            "no column headed 0, the first payment"};
    }
    return columns;
}

// Whether the table gives its counts as percentages, as its first count does.
struct CountKind {
    std::optional<bool> percent;
    std::size_t line = 0;
    std::size_t column = 0;
};

std::variant<CohortRow, TableProblem> readRow(const std::vector<Cell>& cells,
                                              const Columns& columns, CountKind& kind) {
    CohortRow row;
    row.label = cells[0].text;
    if (cells.size() > columns.count) {
        return TableProblem{cells[columns.count].line, columns.count + 1,
                            "a row longer than the header: " + std::to_string(cells.size()) +
                                " cells where the header has " + std::to_string(columns.count)};
    }
    const auto cellAt = [&](std::size_t column) -> std::string_view {
        return column < cells.size() ? std::string_view(cells[column].text) : std::string_view();
    };
    // `what`: "count", "trials" or "days".
    const auto read = [&](std::size_t column, std::string_view what,
                          std::optional<double>& out) -> std::optional<TableProblem> {
        const std::string_view text = cellAt(column);
        if (text.empty()) {
            return std::nullopt;
        }
        const auto problem = [&](std::string message) {
            return TableProblem{cells[column].line, column + 1, std::move(message)};
        };
        auto parsed = number(text);
        if (auto* why = std::get_if<std::string>(&parsed)) {
            return problem(std::move(*why));
        }
        const Number got = std::get<Number>(parsed);
        if (what != "count" && got.percent) {
            return problem(std::string(what) + " are a number, not a percentage: found " +
                           quoted(text));
        }
        const bool counted = what == "count" && got.value != 0;  // 0 is 0 either way
        if (counted && !kind.percent) {
            kind = {got.percent, cells[column].line, column + 1};
        } else if (counted && *kind.percent != got.percent) {
            return problem(
                (got.percent ? "a percentage among counts" : "a count among percentages") +
                std::string(", where line ") + std::to_string(kind.line) + ", column " +
                std::to_string(kind.column) + " gives " +
                (got.percent ? "a count" : "a percentage") +
                "; a table gives all its cohorts as counts or all as percentages");
        }
        out = got.value;
        return std::nullopt;
    };
    std::optional<std::size_t> gap;
    for (const std::size_t column : columns.renewals) {
        std::optional<double> count;
        if (auto problem = read(column, "count", count)) {
            return *problem;
        }
        if (!count) {
            gap = gap ? gap : column;
            continue;
        }
        if (gap) {
            return TableProblem{cells[*gap].line, *gap + 1,
                                "an empty cell before a later count; only the cells at the end of "
                                "a row may be empty"};
        }
        row.counts.push_back(*count);
    }
    for (const auto& [column, what, out] : {std::tuple{columns.trials, "trials", &row.trials},
                                            std::tuple{columns.days, "days", &row.days}}) {
        if (column) {
            if (auto problem = read(*column, what, *out)) {
                return *problem;
            }
        }
    }
    return row;
}

}  // namespace

std::size_t CohortTable::longestRow() const {
    std::size_t longest = 0;
    for (const CohortRow& row : cohorts) {
        longest = std::max(longest, row.renewals());
    }
    return longest;
}

bool CohortTable::hasTrials() const {
    return std::any_of(cohorts.begin(), cohorts.end(), [](const CohortRow& r) { return r.trials; });
}

bool CohortTable::hasDays() const {
    return std::any_of(cohorts.begin(), cohorts.end(), [](const CohortRow& r) { return r.days; });
}

std::string TableProblem::text() const {
    if (line == 0) {
        return message;
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + message;
}

std::variant<CohortTable, TableProblem> readCohortTable(std::string_view text) {
    if (text.size() > maxCohortTableBytes) {
        return TableProblem{
            0, 0,
            std::to_string(text.size()) + " bytes, larger than the 16 MiB a cohort table may hold"};
    }
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    Splitter splitter(text, separatorOf(text));
    std::optional<Columns> columns;
    CohortTable table;
    CountKind kind;
    std::size_t trialsLine = 0;
    std::unordered_map<std::string, std::size_t> labelLines;
    while (!splitter.atEnd()) {
        const std::size_t line = splitter.line();
        auto split = splitter.row();
        if (auto* problem = std::get_if<TableProblem>(&split)) {
            return *problem;
        }
        const auto& cells = std::get<std::vector<Cell>>(split);
        if (cells.empty()) {
            continue;  // a blank line
        }
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (!isUtf8(cells[i].text)) {
                return TableProblem{cells[i].line, i + 1,
                                    "not UTF-8 text; save the table as UTF-8"};
            }
        }
        if (!columns) {
            auto header = readHeader(cells);
            if (auto* problem = std::get_if<TableProblem>(&header)) {
                return *problem;
            }
            columns = std::get<Columns>(header);
            continue;
        }
        if (table.cohorts.size() == maxCohorts) {
            return TableProblem{line, 1,
                                "more than 10,000 cohorts; a table may hold at most that many"};
        }
        auto row = readRow(cells, *columns, kind);
        if (auto* problem = std::get_if<TableProblem>(&row)) {
            return *problem;
        }
        // Two cohorts of one label are most likely a row pasted twice.
        const std::string& label = std::get<CohortRow>(row).label;
        if (!label.empty()) {
            const auto [first, added] = labelLines.try_emplace(label, line);
            if (!added) {
                return TableProblem{line, 1,
                                    "a second cohort labelled " + quoted(label) + ", as on line " +
                                        std::to_string(first->second) +
                                        "; each cohort needs a label of its own"};
            }
        }
        table.cohorts.push_back(std::move(std::get<CohortRow>(row)));
        const CohortRow& read = table.cohorts.back();
        trialsLine = trialsLine == 0 && read.trials ? line : trialsLine;
        if (auto fault = rowFault(read)) {
            const std::size_t column = fault->cell == trialsCell ? *columns->trials
                                       : fault->cell == daysCell ? *columns->days
                                                                 : columns->renewals[fault->cell];
            return TableProblem{line, column + 1, std::move(fault->message)};
        }
    }
    if (kind.percent.value_or(false) && trialsLine != 0) {
        return TableProblem{trialsLine, *columns->trials + 1,
                            "trials need the cohorts as counts, and this table gives percentages"};
    }
    if (std::none_of(table.cohorts.begin(), table.cohorts.end(), hasRenewal)) {
        return TableProblem{0, 0, std::string(noRenewal)};
    }
    return table;
}

std::optional<CellProblem> cohortTableProblem(const CohortTable& table) {
    if (table.cohorts.size() > maxCohorts) {
        return CellProblem{0, {}, "more than 10,000 cohorts"};
    }
    for (std::size_t i = 0; i < table.cohorts.size(); ++i) {
        const CohortRow& row = table.cohorts[i];
        if (row.renewals() > maxRenewals) {
            return CellProblem{i, "counts", "more than 1,000 renewals"};
        }
        if (!isUtf8(row.label)) {
            return CellProblem{i, "label", "not UTF-8 text"};
        }
        if (auto fault = rowFault(row)) {
            std::string cell = fault->cell == trialsCell ? "trials"
                               : fault->cell == daysCell
                                   ? "days"
                                   : "counts[" + std::to_string(fault->cell) + "]";
            return CellProblem{i, std::move(cell), std::move(fault->message)};
        }
    }
    if (std::none_of(table.cohorts.begin(), table.cohorts.end(), hasRenewal)) {
        return CellProblem{0, {}, std::string(noRenewal)};
    }
    return std::nullopt;
}

}  // namespace velmora
