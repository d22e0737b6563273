#include "ui/document/export_commands.h"

#include <QDir>
#include <QFileInfo>
#include <QPrintPreviewDialog>

#include "ui/document/document_dialogs.h"
#include "ui/document/document_session.h"
#include "ui/document/export_caption.h"
#include "ui/document/export_chart.h"
#include "ui/document/export_report.h"
#include "ui/document/export_table.h"
#include "ui/pages/content_view.h"

namespace velmora {

ExportCommands::ExportCommands(QWidget* window, const ContentView* content,
                               const DocumentSession* session, DocumentDialogs* dialogs)
    : QObject(window), window_(window), content_(content), session_(session), dialogs_(dialogs) {}

void ExportCommands::exportTable() {
    const QString path = dialogs_->fileToExport(
        window_, tr("Export Table"), suggestion(QStringLiteral("csv")), tableFileFilter());
    if (path.isEmpty()) {
        return;
    }
    if (const auto problem = velmora::exportTable(*content_, session_->displayName(), path)) {
        dialogs_->warn(window_, tr("The table could not be exported"), *problem);
    }
}

void ExportCommands::exportChart() {
    const QString path = dialogs_->fileToExport(
        window_, tr("Export Chart"), suggestion(QStringLiteral("png")), chartFileFilter());
    if (path.isEmpty()) {
        return;
    }
    const ChartCaption caption = chartCaption(*content_, session_->displayName());
    if (const auto problem = velmora::exportChart(*visibleChart(*content_), caption, path)) {
        dialogs_->warn(window_, tr("The chart could not be exported"), *problem);
    }
}

void ExportCommands::exportReport() {
    const QString path = dialogs_->fileToExport(
        window_, tr("Export Report"), suggestion(QStringLiteral("pdf")), reportFileFilter());
    if (path.isEmpty()) {
        return;
    }
    if (const auto problem = velmora::exportReport(*content_, session_->displayName(), path)) {
        dialogs_->warn(window_, tr("The report could not be exported"), *problem);
    }
}

QPrintPreviewDialog* ExportCommands::printPreview() {
    return reportPreview(*content_, session_->displayName(), window_);
}

void ExportCommands::print() {
    printPreview()->open();
}

void ExportCommands::copyChart() {
    velmora::copyChart(*visibleChart(*content_));
}

QString ExportCommands::suggestion(const QString& suffix) const {
    const QString document = session_->filePath().isEmpty()
                                 ? session_->displayName()
                                 : QFileInfo(session_->filePath()).completeBaseName();
    const QString page = content_->tabText(content_->currentIndex()).remove(QLatin1Char('&'));
    return QDir(session_->folder()).filePath(tr("%1 - %2.%3").arg(document, page, suffix));
}

}  // namespace velmora
