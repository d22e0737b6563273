#pragma once

#include <deque>
#include <map>
#include <string>

#include <QByteArray>
#include <QString>

namespace velmora::report {

/// The text of numeric cells as written in a workbook: for each sheet in the
/// order made, the cell ("B2") and the shortest text that reads back as
/// exactly its figure. libxlsxwriter keeps 16 significant digits, which
/// rounds about two figures in five to another number, and writes them with
/// the C library's decimal point, which a locale may make a comma.
using ExactCells = std::deque<std::map<std::string, std::string>>;

/// "B2": the cell of a 0-based row and column as a sheet names it.
[[nodiscard]] std::string cellName(unsigned row, unsigned column);

/// Writes the exact text of each cell of `cells` in place of the rounded one
/// in `xlsx`, a workbook as libxlsxwriter zips it (sheet N of the list is
/// "xl/worksheets/sheetN.xml"). Returns why it could not, or an empty text;
/// `xlsx` is unchanged then.
[[nodiscard]] QString writeExactNumbers(QByteArray& xlsx, const ExactCells& cells);

}  // namespace velmora::report
