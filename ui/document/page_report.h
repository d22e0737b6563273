#pragma once

#include <QString>

#include "report/report.h"

namespace velmora {

class ContentView;

/// What a report, a printout or a workbook holds of the page shown in
/// `content`, of the document named `documentName`, dated today: its
/// scenarios with their stored projections and current values, the chart
/// type, on Insights the answers shown, and on Calibration the cohort table
/// with what was fitted to it.
[[nodiscard]] report::Report pageReport(const ContentView& content, const QString& documentName);

}  // namespace velmora
