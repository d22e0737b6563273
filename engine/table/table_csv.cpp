#include "engine/table/table_csv.h"

#include <algorithm>
#include <ostream>

#include "engine/support/shortest_text.h"
#include "engine/table/table_figures.h"

namespace velmora {

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\n\r") == std::string_view::npos) {
        return std::string(text);
    }
    std::string csv = "\"";
    for (const char c : text) {
        csv += c == '"' ? "\"\"" : std::string(1, c);
    }
    return csv + '"';
}

void writeCsv(const std::vector<SubscriptionSnapshot>& monthlySnapshots, double price,
              std::int64_t monthDuration, std::ostream& out) {
    std::vector<double> proceeds;
    proceeds.reserve(monthlySnapshots.size());
    for (const SubscriptionSnapshot& snapshot : monthlySnapshots) {
        proceeds.push_back(monthlyProceeds(snapshot.active, price));
    }
    writeCsv(monthlySnapshots, proceeds, monthDuration, out);
}

void writeCsv(const std::vector<SubscriptionSnapshot>& monthlySnapshots,
              std::span<const double> proceeds, std::int64_t monthDuration, std::ostream& out) {
    std::string csv = "month,active,change,proceeds,annualized\n";
    for (const MonthlyRow& row : monthlyRows(monthlySnapshots, proceeds, monthDuration)) {
        csv += std::to_string(row.month);
        csv += ',';
        csv += shortest(row.active);
        csv += ',';
        if (row.changeKind == ChangeKind::Delta) {
            csv += shortest(row.change);
        }
        csv += ',';
        csv += shortest(row.proceeds);
        csv += ',';
        csv += shortest(row.annualized);
        csv += '\n';
    }
    out << csv;
}

void writeComparisonCsv(const std::array<ComparedMonths, 3>& scenarios, std::ostream& out) {
    std::string csv =
        "month,baselineActive,baselineProceeds,alternate1Active,alternate1Proceeds,"
        "alternate2Active,alternate2Proceeds\n";
    std::size_t months = 0;
    for (const ComparedMonths& scenario : scenarios) {
        if (scenario.monthlySnapshots != nullptr) {
            months = std::max(months, scenario.monthlySnapshots->size());
        }
    }
    for (std::size_t month = 0; month < months; ++month) {
        csv += std::to_string(month);
        for (const ComparedMonths& scenario : scenarios) {
            csv += ',';
            if (scenario.monthlySnapshots == nullptr ||
                month >= scenario.monthlySnapshots->size()) {
                csv += ',';
                continue;
            }
            const double active = (*scenario.monthlySnapshots)[month].active;
            csv += shortest(active);
            csv += ',';
            csv += shortest(scenario.proceeds.size() == scenario.monthlySnapshots->size()
                                ? scenario.proceeds[month]
                                : monthlyProceeds(active, scenario.price));
        }
        csv += '\n';
    }
    out << csv;
}

}  // namespace velmora
