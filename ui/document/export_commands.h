#pragma once

#include <QObject>

class QPrintPreviewDialog;
class QWidget;

namespace velmora {

class ContentView;
class DocumentDialogs;
class DocumentSession;

/// What a window exports of the page it shows: its figures as CSV, a
/// workbook or a report (File > Export Table…), its chart as PNG, PDF or SVG
/// with a caption (File > Export Chart…), its report as PDF (File > Export
/// Report…) or on paper (File > Print…), and the bare chart as an image on
/// the clipboard (Edit > Copy Chart). Each page has its figures and its
/// chart: the basic one its scenario's table and line or cohort bars, the
/// comparison its three scenarios' tables and income, Insights its answers
/// and tornado. A failure is told in a warning naming the file.
class ExportCommands final : public QObject {
    Q_OBJECT

public:
    /// Exports from `content`, the pages of `window`, which show the document
    /// of `session`, asking through `dialogs`; all four must outlive this
    /// child of `window`.
    ExportCommands(QWidget* window, const ContentView* content, const DocumentSession* session,
                   DocumentDialogs* dialogs);

    /// Asks for a file and writes the shown page's table to it.
    void exportTable();
    /// Asks for a file and writes the shown page's chart to it, in the format
    /// its extension names.
    void exportChart();
    /// Asks for a file and writes the shown page's report to it as PDF.
    void exportReport();
    /// Shows a print preview of the shown page's report, from which it prints.
    void print();
    /// The preview `print` shows, not yet shown; it closes itself for good.
    [[nodiscard]] QPrintPreviewDialog* printPreview();
    /// Puts the shown page's chart on the clipboard.
    void copyChart();

private:
    /// "plan - Basic Analysis.csv" in the document's folder.
    [[nodiscard]] QString suggestion(const QString& suffix) const;

    QWidget* window_;
    const ContentView* content_;
    const DocumentSession* session_;
    DocumentDialogs* dialogs_;
};

}  // namespace velmora
