#pragma once

#include <optional>

#include <QString>

namespace velmora {

class ContentView;
class DualAnalysis;
class SingleAnalysis;

/// The file dialog's choice for tables.
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

/// Writes the table of the page shown in `content`.
[[nodiscard]] std::optional<QString> exportTable(const ContentView& content, const QString& path);

}  // namespace velmora
