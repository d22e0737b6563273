#pragma once

#include <optional>

#include <QString>

#include "engine/projection/scenario.h"

namespace velmora {

class CalibrationPage;
class ContentView;
class DualAnalysis;
class SingleAnalysis;

/// The file dialog's choices for tables: CSV, the workbook and the report.
[[nodiscard]] QString tableFileFilter();

/// Writes the monthly figures of the page's scenario as CSV, the same text as
/// `velmora-project --format csv` prints for its values: the stored projection
/// (the one the table shows) with the current price. Numbers are plain and
/// unlocalised. Returns the problem naming the file, or nothing on success.
[[nodiscard]] std::optional<QString> exportTable(const SingleAnalysis& page, const QString& path);

/// Writes the three compared scenarios side by side as CSV, one line per
/// month: each scenario's active subscribers and proceeds (see
/// `writeComparisonCsv`).
[[nodiscard]] std::optional<QString> exportTable(const DualAnalysis& page, const QString& path);

/// Writes what the Calibration page found, beside the values of `today`, and
/// the cohort table it fitted, as CSV (see `writeCalibrationCsv`).
[[nodiscard]] std::optional<QString> exportTable(const CalibrationPage& page,
                                                 const ScenarioValues& today, const QString& path);

/// Writes the figures of the page shown in `content`, of the document named
/// `documentName`, in the format its extension names: ".csv" (the monthly
/// figures, on Insights the answers as `report::writeAnswersCsv` writes
/// them, on Calibration the fitted values and the table), ".xlsx" (the workbook) or ".pdf" (the
/// report). Refuses any other extension.
[[nodiscard]] std::optional<QString> exportTable(const ContentView& content,
                                                 const QString& documentName, const QString& path);

}  // namespace velmora
