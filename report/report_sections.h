#pragma once

#include "report/figures.h"
#include "report/page_layout.h"
#include "report/report.h"

// The parts a report is made of, each added to a layout in the order read.
namespace velmora::report {

/// The document's name, large, with the page and the date below it.
void addTitle(PageLayout& layout, const Report& report, const Figures& figures);
/// Each scenario's values: two to a row for one scenario, else a column each.
void addValues(PageLayout& layout, const Report& report, const Figures& figures);
/// The last month's subscribers, proceeds and the lifetime value of one
/// trial, a row per scenario.
void addSummary(PageLayout& layout, const Report& report, const Figures& figures);
/// How each alternate differs from the baseline, at the last month both
/// project.
void addDifferences(PageLayout& layout, const Report& report, const Figures& figures);
/// Where it settles, what it takes, the costs and cash, and which input
/// matters most.
void addAnswers(PageLayout& layout, const InsightAnswers& answers, const Figures& figures);
/// The cohort table's source, the values fitted to it beside today's with
/// their ranges, the fit and backtest errors, and the survival chart.
void addCalibration(PageLayout& layout, const Report& report, const Figures& figures);
/// The chart of the page: the line or the cohort bars, or the incomes compared.
void addPageChart(PageLayout& layout, const Report& report, const Figures& figures);
/// Every month of every scenario, side by side when there are several.
void addMonths(PageLayout& layout, const Report& report, const Figures& figures);

}  // namespace velmora::report
