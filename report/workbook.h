#pragma once

#include <QLocale>
#include <QString>

#include "report/report.h"

class QIODevice;

namespace velmora::report {

/// Writes the workbook (.xlsx) of `report` to `out`: a sheet per scenario
/// shown with its monthly table (Basic and Comparative Analysis), the answers
/// of Insights, or on Calibration the fitted values and the cohort table; and
/// a sheet of the scenarios' values. Every figure is a number that reads back
/// exactly as the CSV export has it, shown in number and currency formats of
/// `locale`; header
/// rows are frozen and columns as wide as their widest figure. Returns why it
/// failed, or an empty text.
[[nodiscard]] QString writeWorkbook(const Report& report, QIODevice& out,
                                    const QLocale& locale = QLocale());

/// The spreadsheet number format of whole (`decimals` 0) or fractional
/// amounts of money in `locale`: "\"$\"#,##0;-\"$\"#,##0",
/// "#,##0.00\" €\";-#,##0.00\" €\"".
[[nodiscard]] QString currencyFormat(const QLocale& locale, int decimals);

}  // namespace velmora::report
