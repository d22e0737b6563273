#include "report/report_sections.h"

#include <algorithm>

#include "engine/table/table_figures.h"
#include "report/blocks.h"
#include "report/value_rows.h"

namespace velmora::report {

namespace {

QString valueText(const ValueRow& row, const Figures& figures) {
    switch (row.kind) {
        case ValueRow::Kind::Money:
            return figures.cents(row.value);
        case ValueRow::Kind::Days:
            return figures.count(row.value);
        case ValueRow::Kind::Count:
        case ValueRow::Kind::Share:
            break;
    }
    return figures.value(row.value);
}

const std::vector<SubscriptionSnapshot>& monthsOf(const ReportScenario& scenario) {
    static const std::vector<SubscriptionSnapshot> none;
    return scenario.projection != nullptr ? scenario.projection->monthlySnapshots : none;
}

/// The proceeds of each month of `scenario`'s projection, under its plan when it has one.
std::vector<double> proceedsOf(const ReportScenario& scenario) {
    return velmora::proceedsOf(scenario.values, monthsOf(scenario), scenario.values.price);
}

/// "▲ +1,234 (+7.9%)", "▼ -$5,292 (-15.0%)", "= 0": the difference shown, its
/// direction by arrow, sign and colour.
Cell difference(double was, double is, QString (Figures::*write)(double) const,
                QString (Figures::*writeSigned)(double) const, const Figures& figures) {
    const double change = is - was;
    const QString magnitude = (figures.*write)(std::abs(change));
    const QString percent = figures.percent(change, was);
    const QString share = percent.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(percent);
    if (magnitude == (figures.*write)(0)) {
        return {QStringLiteral("= %1").arg(magnitude)};
    }
    const bool up = change > 0;
    return {QStringLiteral("%1 %2%3").arg(up ? QStringLiteral("▲") : QStringLiteral("▼"),
                                          (figures.*writeSigned)(change), share),
            up ? QColor(0x1B, 0x7F, 0x3B) : QColor(0xB7, 0x1C, 0x1C)};
}

std::optional<CalendarMonth> startMonthOf(const ReportScenario& scenario) {
    return scenario.values.plan ? scenario.values.plan->startMonth : std::nullopt;
}

/// The calendar month of M0 every scenario's plan gives alike; none when one
/// gives none or two differ, as one column cannot name both.
std::optional<CalendarMonth> sharedStartMonth(const Report& report) {
    std::optional<CalendarMonth> start;
    for (const ReportScenario& scenario : report.scenarios) {
        const auto own = startMonthOf(scenario);
        if (!own || (start && *start != *own)) {
            return std::nullopt;
        }
        start = own;
    }
    return start;
}

QString calendarText(CalendarMonth start, std::int64_t month) {
    return QString::fromStdString(calendarMonthName(start, month));
}

void addValueTable(PageLayout& layout, const Report& report, const Figures& figures) {
    addHeading(layout, report.scenarios.size() > 1 ? QStringLiteral("Scenarios")
                                                   : QStringLiteral("Scenario"));
    if (report.scenarios.size() == 1) {
        const auto rows = valueRows(report.scenarios.front().values);
        const std::size_t half = (rows.size() + 1) / 2;
        std::vector<std::vector<Cell>> cells;
        for (std::size_t i = 0; i < half; ++i) {
            cells.push_back({{rows[i].title}, {valueText(rows[i], figures)}});
            if (i + half < rows.size()) {
                cells.back().push_back({rows[i + half].title});
                cells.back().push_back({valueText(rows[i + half], figures)});
            }
        }
        addTable(layout,
                 {{QStringLiteral("Value"), 2, false},
                  {QString(), 1},
                  {QStringLiteral("Value"), 2, false},
                  {QString(), 1}},
                 cells);
        return;
    }
    std::vector<Column> columns{{QStringLiteral("Value"), 2, false}};
    std::vector<std::vector<ValueRow>> values;
    for (const ReportScenario& scenario : report.scenarios) {
        columns.push_back({scenario.name, 1, true, scenario.colour});
        values.push_back(valueRows(scenario.values));
    }
    std::vector<std::vector<Cell>> cells;
    for (std::size_t row = 0; row < values.front().size(); ++row) {
        cells.push_back({{values.front()[row].title}});
        for (const auto& column : values) {
            cells.back().push_back({valueText(column[row], figures)});
        }
    }
    addTable(layout, columns, cells);
}

/// The renewal rates past the sixth, renewal by renewal, when a scenario has
/// them; a scenario with fewer keeps its Rest past its last.
void addLaterRates(PageLayout& layout, const Report& report, const Figures& figures) {
    std::size_t longest = 0;
    for (const ReportScenario& scenario : report.scenarios) {
        longest = std::max(longest, scenario.values.laterRates.size());
    }
    if (longest == 0) {
        return;
    }
    addHeading(layout, QStringLiteral("Later renewal rates"));
    std::vector<Column> columns{{QStringLiteral("Renewal"), 1, false}};
    for (const ReportScenario& scenario : report.scenarios) {
        columns.push_back({scenario.name, 1, true, scenario.colour});
    }
    std::vector<std::vector<Cell>> cells;
    for (std::size_t k = 0; k < longest; ++k) {
        cells.push_back({{QString::number(k + ScenarioValues::rateCount)}});
        for (const ReportScenario& scenario : report.scenarios) {
            const auto& rates = scenario.values.laterRates;
            cells.back().push_back(
                {k < rates.size() ? valueText({QString(), ValueRow::Kind::Share, rates[k]}, figures)
                                  : QString()});
        }
    }
    addTable(layout, columns, cells);
}

// The plans of the scenarios that have one, a row for each line any of them
// has; a cell is empty where a scenario's plan leaves that line out.
void addPlans(PageLayout& layout, const Report& report, const Figures& figures) {
    std::vector<ScenarioValues> values;
    for (const ReportScenario& scenario : report.scenarios) {
        values.push_back(scenario.values);
    }
    const PlanGrid grid = planGrid(values);
    if (grid.titles.empty()) {
        return;
    }
    addHeading(layout, QStringLiteral("Plan over time"));
    std::vector<Column> columns{{QStringLiteral("Plan"), 1.6, false}};
    for (const ReportScenario& scenario : report.scenarios) {
        columns.push_back({scenario.name, 1, true, scenario.colour});
    }
    std::vector<std::vector<Cell>> cells;
    for (std::size_t line = 0; line < grid.titles.size(); ++line) {
        cells.push_back({{grid.titles[line]}});
        for (const std::optional<PlanRow>& row : grid.rows[line]) {
            cells.back().push_back({!row ? QString()
                                    : !row->text.isEmpty()
                                        ? row->text
                                        : valueText({QString(), row->kind, row->value}, figures)});
        }
    }
    addTable(layout, columns, cells);
}

}  // namespace

void addTitle(PageLayout& layout, const Report& report, const Figures& figures) {
    addLines(layout, {report.documentName}, 18, true);
    addLines(
        layout,
        {QStringLiteral("%1 · %2").arg(
            pageTitle(report.kind), figures.locale().toString(report.date, QLocale::LongFormat))},
        11, false, Qt::darkGray);
}

void addValues(PageLayout& layout, const Report& report, const Figures& figures) {
    addValueTable(layout, report, figures);
    addLaterRates(layout, report, figures);
    addPlans(layout, report, figures);
}

void addSummary(PageLayout& layout, const Report& report, const Figures& figures) {
    addHeading(layout, QStringLiteral("Summary of the last month"));
    std::vector<std::vector<Cell>> rows;
    for (const ReportScenario& scenario : report.scenarios) {
        const auto summary = scenario.projection != nullptr
                                 ? summarize(*scenario.projection, scenario.values.price)
                                 : std::nullopt;
        rows.push_back({{scenario.name, scenario.colour}});
        if (summary) {
            rows.back().push_back({Figures::month(monthsOf(scenario).back().epoch)});
            rows.back().push_back({figures.count(summary->subscribers)});
            rows.back().push_back({figures.money(summary->monthlyProceeds)});
            rows.back().push_back({figures.money(summary->annualProceeds)});
            rows.back().push_back({figures.cents(summary->lifetimeValue)});
        } else {
            rows.back().insert(rows.back().end(), 5, Cell{QStringLiteral("-")});
        }
    }
    addTable(layout,
             {{QString(), 1.6, false},
              {QStringLiteral("Month"), 0.8},
              {QStringLiteral("Subscribers"), 1.4},
              {QStringLiteral("Monthly"), 1.6},
              {QStringLiteral("Annually"), 1.6},
              {QStringLiteral("24mo LTV per trial"), 2.2}},
             rows);
}

void addDifferences(PageLayout& layout, const Report& report, const Figures& figures) {
    if (report.scenarios.size() < 2) {
        return;
    }
    addHeading(layout, QStringLiteral("Against the baseline"));
    const ReportScenario& base = report.scenarios.front();
    std::vector<std::vector<Cell>> rows;
    for (std::size_t i = 1; i < report.scenarios.size(); ++i) {
        const ReportScenario& other = report.scenarios[i];
        rows.push_back({{other.name, other.colour}});
        const std::size_t shared = std::min(monthsOf(base).size(), monthsOf(other).size());
        if (shared == 0) {
            rows.back().push_back({QStringLiteral("no month to compare")});
            continue;
        }
        // Different horizons are compared at the last month both project.
        const SubscriptionSnapshot& was = monthsOf(base)[shared - 1];
        const SubscriptionSnapshot& is = monthsOf(other)[shared - 1];
        rows.back().push_back({QStringLiteral("at ") + Figures::month(was.epoch)});
        rows.back().push_back(
            difference(was.active, is.active, &Figures::count, &Figures::signedCount, figures));
        rows.back().push_back(difference(proceedsOf(base)[shared - 1],
                                         proceedsOf(other)[shared - 1], &Figures::money,
                                         &Figures::signedMoney, figures));
        rows.back().push_back(difference(shownLifetimeValue(base.values, base.values.price),
                                         shownLifetimeValue(other.values, other.values.price),
                                         &Figures::cents, &Figures::signedCents, figures));
    }
    addTable(layout,
             {{QString(), 1.4, false},
              {QStringLiteral("Month"), 1},
              {QStringLiteral("Subscribers"), 2.2},
              {QStringLiteral("Monthly"), 2.2},
              {QStringLiteral("24mo LTV per trial"), 2.2}},
             rows);
}

void addMonths(PageLayout& layout, const Report& report, const Figures& figures) {
    addHeading(layout, QStringLiteral("Monthly figures"));
    if (report.scenarios.size() == 1) {
        const ReportScenario& scenario = report.scenarios.front();
        std::vector<std::vector<Cell>> rows;
        const auto start = startMonthOf(scenario);
        for (const MonthlyRow& row :
             monthlyRows(scenario.values, monthsOf(scenario), scenario.values.price)) {
            rows.push_back({{Figures::month(row.month)},
                            {figures.count(row.active)},
                            {row.changeKind == ChangeKind::First   ? QStringLiteral("-")
                             : row.changeKind == ChangeKind::Delta ? figures.signedCount(row.change)
                                                                   : QString()},
                            {figures.money(row.proceeds)},
                            {figures.money(row.annualized)}});
            if (start) {
                rows.back().insert(rows.back().begin() + 1, {calendarText(*start, row.month)});
            }
        }
        std::vector<Column> columns{{QStringLiteral("Month"), 1, false},
                                    {QStringLiteral("Active"), 2},
                                    {QStringLiteral("Change"), 2},
                                    {QStringLiteral("Proceeds"), 2},
                                    {QStringLiteral("Annualized"), 2}};
        if (start) {
            columns.insert(columns.begin() + 1, {QStringLiteral("Calendar month"), 1.4, false});
        }
        addTable(layout, columns, rows);
        return;
    }
    const auto start = sharedStartMonth(report);
    std::vector<Column> columns{{QStringLiteral("Month"), 1, false}};
    if (start) {
        columns.push_back({QStringLiteral("Calendar month"), 1.4, false});
    }
    std::vector<ColumnGroup> groups;
    std::size_t months = 0;
    for (const ReportScenario& scenario : report.scenarios) {
        groups.push_back({scenario.name, columns.size(), 2, scenario.colour});
        columns.push_back({QStringLiteral("Active"), 1.6});
        columns.push_back({QStringLiteral("Proceeds"), 1.8});
        months = std::max(months, monthsOf(scenario).size());
    }
    std::vector<std::vector<double>> proceeds;
    for (const ReportScenario& scenario : report.scenarios) {
        proceeds.push_back(proceedsOf(scenario));
    }
    std::vector<std::vector<Cell>> rows;
    for (std::size_t month = 0; month < months; ++month) {
        rows.push_back({{Figures::month(static_cast<std::int64_t>(month))}});
        if (start) {
            rows.back().push_back({calendarText(*start, static_cast<std::int64_t>(month))});
        }
        for (std::size_t i = 0; i < report.scenarios.size(); ++i) {
            const ReportScenario& scenario = report.scenarios[i];
            if (month < monthsOf(scenario).size()) {
                rows.back().push_back({figures.count(monthsOf(scenario)[month].active)});
                rows.back().push_back({figures.money(proceeds[i][month])});
            } else {
                rows.back().push_back({});
                rows.back().push_back({});
            }
        }
    }
    addTable(layout, columns, rows, groups);
}

}  // namespace velmora::report
