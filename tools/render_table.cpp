#include <algorithm>
#include <array>
#include <ostream>
#include <string>

#include "engine/projection/monthly_projection.h"
#include "engine/table/table_figures.h"
#include "tools/number_text.h"
#include "tools/render.h"

namespace velmora::cli {

namespace {

std::string changeText(const MonthlyRow& row) {
    switch (row.changeKind) {
        case ChangeKind::First:
            return "-";
        case ChangeKind::Missing:
            return "";
        case ChangeKind::Delta:
            break;
    }
    return signedChange(row.change, [](double value) { return groupedNumber(value, 0); });
}

void pad(std::ostream& out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        out << ' ';
    }
}

void writeSummary(const ProjectionSummary& summary, std::ostream& out) {
    writeFigures({{groupedNumber(summary.subscribers, 0), "subscribers"},
                  {currency(summary.monthlyProceeds, 0), "monthly"},
                  {currency(summary.annualProceeds, 0), "annually"},
                  {currency(summary.lifetimeValue, 2), "24mo LTV per trial"}},
                 out);
    out << '\n';
}

}  // namespace

void writeFigures(const std::vector<std::pair<std::string, std::string>>& lines,
                  std::ostream& out) {
    std::size_t width = 0;
    for (const auto& [value, label] : lines) {
        width = std::max(width, displayWidth(value));
    }
    for (const auto& [value, label] : lines) {
        pad(out, width - displayWidth(value));
        out << value << ' ' << label << '\n';
    }
}

void writeColumns(const std::vector<std::vector<std::string>>& rows, std::ostream& out) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], displayWidth(row[c]));
        }
    }
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::size_t room = widths[c] - displayWidth(row[c]);
            if (c == 0) {
                out << row[c];
                pad(out, room);
            } else {
                pad(out, 2 + room);
                out << row[c];
            }
        }
        out << '\n';
    }
}

std::vector<SubscriptionSnapshot> monthlySnapshots(const ScenarioValues& values) {
    const std::vector<double> actives = monthlyActives(values);
    UuidGenerator ids;
    std::vector<SubscriptionSnapshot> months;
    months.reserve(actives.size());
    for (std::size_t month = 0; month < actives.size(); ++month) {
        months.emplace_back(ids, static_cast<std::int64_t>(month), actives[month], CohortList{});
    }
    return months;
}

void writeTable(const ScenarioValues& values,
                const std::vector<SubscriptionSnapshot>& monthlySnapshots, double price,
                std::ostream& out) {
    if (const auto summary = summarize(values, monthlySnapshots, price)) {
        writeSummary(*summary, out);
    }
    std::vector<std::vector<std::string>> rows{
        {"Month", "Active", "Change", "Proceeds", "Annualized"}};
    for (const MonthlyRow& row : monthlyRows(values, monthlySnapshots, price)) {
        rows.push_back({std::string("M").append(std::to_string(row.month)),
                        groupedNumber(row.active, 0), changeText(row), currency(row.proceeds, 0),
                        currency(row.annualized, 0)});
    }
    writeColumns(rows, out);
}

}  // namespace velmora::cli
