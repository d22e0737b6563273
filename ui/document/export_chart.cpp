#include "ui/document/export_chart.h"

#include <qcustomplot.h>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "ui/charts/comparison_chart.h"
#include "ui/charts/projection_chart.h"
#include "ui/document/export_file.h"
#include "ui/pages/content_view.h"
#include "ui/pages/dual_analysis.h"
#include "ui/pages/single_analysis.h"

namespace velmora {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("Export", text);
}

/// Draws the chart at its size on screen onto `device` (a PDF or SVG writer),
/// as lines and text rather than pixels.
QString drawVectors(QCustomPlot& chart, QPaintDevice& device) {
    QCPPainter painter;
    if (!painter.begin(&device)) {
        return tr("the drawing could not be started");
    }
    painter.setMode(QCPPainter::pmVectorized);
    painter.setWindow(chart.rect());
    chart.toPainter(&painter, chart.width(), chart.height());
    return painter.end() ? QString() : tr("the drawing could not be finished");
}

QString writePdf(QCustomPlot& chart, QIODevice& file) {
    QPdfWriter pdf(&file);
    pdf.setCreator(QStringLiteral("Velmora"));
    pdf.setTitle(chart.accessibleName());
    pdf.setPageLayout(
        QPageLayout(QPageSize(chart.size(), QPageSize::Point, QString(), QPageSize::ExactMatch),
                    QPageLayout::Portrait, QMarginsF()));
    return drawVectors(chart, pdf);
}

QString writeSvg(QCustomPlot& chart, QIODevice& file) {
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(chart.size());
    svg.setViewBox(chart.rect());
    svg.setTitle(chart.accessibleName());
    svg.setDescription(tr("Drawn by Velmora"));
    return drawVectors(chart, svg);
}

QString writePng(QCustomPlot& chart, QIODevice& file) {
    return chartImage(chart, chartExportScale).save(&file, "PNG")
               ? QString()
               : tr("the image could not be encoded");
}

}  // namespace

QString chartFileFilter() {
    return tr("PNG image (*.png);;PDF document (*.pdf);;SVG drawing (*.svg)");
}

QCustomPlot* visibleChart(const ContentView& content) {
    if (content.currentWidget() == content.dual()) {
        return content.dual()->chart();
    }
    return content.single()->chart();
}

QImage chartImage(QCustomPlot& chart, double scale) {
    if (chart.width() <= 0 || chart.height() <= 0) {
        return {};
    }
    QImage image = chart.toPixmap(chart.width(), chart.height(), scale).toImage();
    // Dots per metre of the screen's pixels times the scale: the size shown.
    constexpr double inchesPerMetre = 1 / 0.0254;
    image.setDotsPerMeterX(qRound(chart.logicalDpiX() * scale * inchesPerMetre));
    image.setDotsPerMeterY(qRound(chart.logicalDpiY() * scale * inchesPerMetre));
    return image;
}

std::optional<QString> exportChart(QCustomPlot& chart, const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    QString (*writer)(QCustomPlot&, QIODevice&) = nullptr;
    if (suffix == QLatin1String("png")) {
        writer = writePng;
    } else if (suffix == QLatin1String("pdf")) {
        writer = writePdf;
    } else if (suffix == QLatin1String("svg")) {
        writer = writeSvg;
    } else {
        const QString found =
            suffix.isEmpty() ? tr("has no extension") : tr("ends in \".%1\"").arg(suffix);
        return QDir::toNativeSeparators(path) + QStringLiteral(": ") + found +
               tr("; a chart is exported as .png, .pdf or .svg");
    }
    if (chart.width() <= 0 || chart.height() <= 0) {
        return QDir::toNativeSeparators(path) + tr(": the chart has no area to draw");
    }
    return writeExport(path, [&chart, writer](QIODevice& file) { return writer(chart, file); });
}

void copyChart(QCustomPlot& chart) {
    QGuiApplication::clipboard()->setImage(chartImage(chart, chart.devicePixelRatioF()));
}

}  // namespace velmora
