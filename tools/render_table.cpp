#include <algorithm>
#include <array>
#include <ostream>
#include <string>

#include "engine/table_figures.h"
#include "tools/number_text.h"
#include "tools/render.h"

namespace velmora::cli {

namespace {

constexpr std::size_t columnCount = 5;
using Row = std::array<std::string, columnCount>;

std::string changeText(const MonthlyRow& row) {
    switch (row.changeKind) {
        case ChangeKind::First:
            return "-";
        case ChangeKind::Missing:
            return "";
        case ChangeKind::Delta:
            break;
    }
    // Appended, not `"+" + grouped`: GCC 12 warns falsely (-Wrestrict) on the latter.
    std::string text = row.change >= 0 ? "+" : "";
    return text.append(groupedNumber(row.change, 0));
}

void pad(std::ostream& out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        out << ' ';
    }
}

void writeSummary(const ProjectionSummary& summary, std::ostream& out) {
    const std::array<std::pair<std::string, std::string_view>, 4> lines{{
        {groupedNumber(summary.subscribers, 0), " subscribers"},
        {currency(summary.monthlyProceeds, 0), " monthly"},
        {currency(summary.annualProceeds, 0), " annually"},
        {currency(summary.lifetimeValue, 2), " 24mo LTV per trial"},
    }};
    std::size_t width = 0;
    for (const auto& [value, label] : lines) {
        width = std::max(width, displayWidth(value));
    }
    for (const auto& [value, label] : lines) {
        pad(out, width - displayWidth(value));
        out << value << label << '\n';
    }
    out << '\n';
}

}  // namespace

void writeTable(const SubscriptionCalculation& projection, double price, std::ostream& out) {
    if (const auto summary = summarize(projection, price)) {
        writeSummary(*summary, out);
    }
    std::vector<Row> rows{{"Month", "Active", "Change", "Proceeds", "Annualized"}};
    for (const MonthlyRow& row : monthlyRows(projection.monthlySnapshots, price)) {
        rows.push_back({std::string("M").append(std::to_string(row.month)),
                        groupedNumber(row.active, 0), changeText(row), currency(row.proceeds, 0),
                        currency(row.annualized, 0)});
    }
    std::array<std::size_t, columnCount> widths{};
    for (const Row& row : rows) {
        for (std::size_t c = 0; c < columnCount; ++c) {
            widths[c] = std::max(widths[c], displayWidth(row[c]));
        }
    }
    for (const Row& row : rows) {
        // Month names read best flush left, figures flush right.
        out << row[0];
        pad(out, widths[0] - displayWidth(row[0]));
        for (std::size_t c = 1; c < columnCount; ++c) {
            pad(out, 2 + widths[c] - displayWidth(row[c]));
            out << row[c];
        }
        out << '\n';
    }
}

}  // namespace velmora::cli
