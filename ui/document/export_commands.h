#pragma once

#include <QObject>

class QWidget;

namespace velmora {

class ContentView;
class DocumentDialogs;
class DocumentSession;

/// What a window exports of the page it shows: its table as CSV (File >
/// Export Table…), its chart as PNG, PDF or SVG (File > Export Chart…), and
/// the chart as an image on the clipboard (Edit > Copy Chart). Each page
/// always shows a table and a chart: the basic one its scenario's (the line
/// or the cohort bars, as picked), the comparison its three scenarios' income.
/// A failure is told in a warning naming the file.
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
