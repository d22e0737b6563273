#pragma once

#include <optional>

#include <QString>

class QPrinter;
class QPrintPreviewDialog;
class QWidget;

namespace velmora {

class ContentView;

/// The file dialog's choice for reports.
[[nodiscard]] QString reportFileFilter();

/// Writes the report of the page shown in `content`, of the document named
/// `documentName`, as a PDF at `path`; refuses any extension but ".pdf".
/// Returns the problem naming the file, or nothing on success.
[[nodiscard]] std::optional<QString> exportReport(const ContentView& content,
                                                  const QString& documentName, const QString& path);

/// A print preview of that report, a child of `parent`, not yet shown: it
/// lays the report out on its printer's pages whenever it asks for them (the
/// preview, then the printout), with the figures as they are then.
/// `content` must outlive it.
[[nodiscard]] QPrintPreviewDialog* reportPreview(const ContentView& content,
                                                 const QString& documentName, QWidget* parent);

}  // namespace velmora
