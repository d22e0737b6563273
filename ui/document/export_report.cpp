#include "ui/document/export_report.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>

#include "format/number_format.h"
#include "report/report_writer.h"
#include "ui/document/export_file.h"
#include "ui/document/page_report.h"

namespace velmora {

QString reportFileFilter() {
    return QCoreApplication::translate("Export", "PDF report (*.pdf)");
}

std::optional<QString> exportReport(const ContentView& content, const QString& documentName,
                                    const QString& path) {
    if (QFileInfo(path).suffix().toLower() != QLatin1String("pdf")) {
        return wrongExtension(
            path, QCoreApplication::translate("Export", "a report is exported as .pdf"));
    }
    const report::Report shown = pageReport(content, documentName);
    return writeExport(path, [&shown](QIODevice& file) {
        return report::writeReportPdf(shown, file, figureLocale());
    });
}

QPrintPreviewDialog* reportPreview(const ContentView& content, const QString& documentName,
                                   QWidget* parent) {
    auto* printer = new QPrinter(QPrinter::HighResolution);
    // The report's own pages, so that the printout is laid out as the PDF is;
    // the print dialog may still change them.
    printer->setPageLayout(report::reportPageLayout(figureLocale()));
    printer->setDocName(documentName);
    auto* preview = new QPrintPreviewDialog(printer, parent);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->setWindowTitle(
        QCoreApplication::translate("Export", "Print Preview — %1").arg(documentName));
    // A whole page in view, as far as the screen allows.
    QSize size(900, 1000);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableSize() * 0.9);
    }
    preview->resize(size);
    // The dialog does not own the printer it is given.
    QObject::connect(preview, &QObject::destroyed, preview, [printer] { delete printer; });
    QObject::connect(preview, &QPrintPreviewDialog::paintRequested, preview,
                     [&content, documentName](QPrinter* target) {
                         report::paintReport(pageReport(content, documentName), *target,
                                             figureLocale());
                     });
    return preview;
}

}  // namespace velmora
