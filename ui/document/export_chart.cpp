#include "ui/document/export_chart.h"

#include <qcustomplot.h>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "ui/calibration/calibration_page.h"
#include "ui/calibration/survival_chart.h"
#include "ui/charts/comparison_chart.h"
#include "ui/charts/projection_chart.h"
#include "ui/document/export_file.h"
#include "ui/document/shown_page.h"
#include "ui/insights/insights_page.h"
#include "ui/insights/sensitivity_panel.h"
#include "ui/insights/tornado_chart.h"
#include "ui/pages/content_view.h"
#include "ui/pages/dual_analysis.h"
#include "ui/pages/single_analysis.h"

namespace velmora {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("Export", text);
}

constexpr double inchesPerMetre = 1 / 0.0254;

/// The chart with its caption above it, in the chart's pixels.
struct Drawing {
    QCustomPlot& chart;
    const ChartCaption& caption;

    /// The caption's height on a device of the chart's resolution.
    [[nodiscard]] int captionPixels(QPaintDevice* device) const {
        return qCeil(captionHeight(caption, chart.font(), device, chart.width()));
    }
};

/// Draws the caption and the chart at its size on screen onto `device` (a
/// PDF or SVG writer whose resolution is the chart's), as lines and text
/// rather than pixels.
QString drawVectors(const Drawing& drawing, QPaintDevice& device, int captionPixels) {
    QCustomPlot& chart = drawing.chart;
    QCPPainter painter;
    if (!painter.begin(&device)) {
        return tr("the drawing could not be started");
    }
    painter.setMode(QCPPainter::pmVectorized);
    painter.setWindow(0, 0, chart.width(), chart.height() + captionPixels);
    painter.fillRect(0, 0, chart.width(), captionPixels, Qt::white);
    drawCaption(painter, drawing.caption, chart.font(), chart.width());
    painter.translate(0, captionPixels);
    chart.toPainter(&painter, chart.width(), chart.height());
    return painter.end() ? QString() : tr("the drawing could not be finished");
}

QString writePdf(const Drawing& drawing, QIODevice& file) {
    QCustomPlot& chart = drawing.chart;
    QPdfWriter pdf(&file);
    pdf.setCreator(QStringLiteral("Velmora"));
    pdf.setTitle(drawing.caption.title);
    // Fonts are sized for the device's resolution: at the chart's own, text
    // keeps its size against the lines, as on screen.
    pdf.setResolution(chart.logicalDpiY());
    const int caption = drawing.captionPixels(&pdf);
    const double pointsPerPixel = 72.0 / chart.logicalDpiY();
    const QSizeF page(chart.width() * pointsPerPixel, (chart.height() + caption) * pointsPerPixel);
    pdf.setPageLayout(
        QPageLayout(QPageSize(page, QPageSize::Point, QString(), QPageSize::ExactMatch),
                    QPageLayout::Portrait, QMarginsF()));
    return drawVectors(drawing, pdf, caption);
}

QString writeSvg(const Drawing& drawing, QIODevice& file) {
    QCustomPlot& chart = drawing.chart;
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setResolution(chart.logicalDpiY());
    const int caption = drawing.captionPixels(&svg);
    svg.setSize({chart.width(), chart.height() + caption});
    svg.setViewBox(QRect(0, 0, chart.width(), chart.height() + caption));
    svg.setTitle(drawing.caption.title);
    svg.setDescription(tr("Drawn by Velmora"));
    return drawVectors(drawing, svg, caption);
}

QString writePng(const Drawing& drawing, QIODevice& file) {
    return captionedImage(drawing.chart, drawing.caption, chartExportScale).save(&file, "PNG")
               ? QString()
               : tr("the image could not be encoded");
}

/// Sets the resolution at which `image` shows the chart's pixels times `scale`.
void setResolution(QImage& image, const QCustomPlot& chart, double scale) {
    image.setDotsPerMeterX(qRound(chart.logicalDpiX() * scale * inchesPerMetre));
    image.setDotsPerMeterY(qRound(chart.logicalDpiY() * scale * inchesPerMetre));
}

}  // namespace

QString chartFileFilter() {
    return tr("PNG image (*.png);;PDF document (*.pdf);;SVG drawing (*.svg)");
}

QCustomPlot* visibleChart(const ContentView& content) {
    switch (shownPage(content)) {
        case ShownPage::Comparison:
            return content.dual()->chart();
        case ShownPage::Insights:
            return content.insights()->sensitivity()->chart();
        case ShownPage::Calibration:
            return content.calibration()->chart();
        case ShownPage::Basic:
            break;
    }
    return content.single()->chart();
}

QImage chartImage(QCustomPlot& chart, double scale) {
    if (chart.width() <= 0 || chart.height() <= 0) {
        return {};
    }
    QImage image = chart.toPixmap(chart.width(), chart.height(), scale).toImage();
    // Dots per metre of the screen's pixels times the scale: the size shown.
    setResolution(image, chart, scale);
    return image;
}

QImage captionedImage(QCustomPlot& chart, const ChartCaption& caption, double scale) {
    const QImage plot = chartImage(chart, scale);
    if (plot.isNull()) {
        return {};
    }
    // Painted at the chart's resolution, so that the caption's text has the
    // size of the chart's.
    QImage probe(1, 1, QImage::Format_ARGB32);
    setResolution(probe, chart, 1);
    const int captionPixels = qCeil(captionHeight(caption, chart.font(), &probe, chart.width()));
    QImage image(plot.width(), plot.height() + qCeil(captionPixels * scale),
                 QImage::Format_ARGB32_Premultiplied);
    setResolution(image, chart, 1);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(scale, scale);
    drawCaption(painter, caption, chart.font(), chart.width());
    painter.resetTransform();
    painter.drawImage(0, image.height() - plot.height(), plot);
    painter.end();
    setResolution(image, chart, scale);
    return image;
}

std::optional<QString> exportChart(QCustomPlot& chart, const ChartCaption& caption,
                                   const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    QString (*writer)(const Drawing&, QIODevice&) = nullptr;
    if (suffix == QLatin1String("png")) {
        writer = writePng;
    } else if (suffix == QLatin1String("pdf")) {
        writer = writePdf;
    } else if (suffix == QLatin1String("svg")) {
        writer = writeSvg;
    } else {
        return wrongExtension(path, tr("a chart is exported as .png, .pdf or .svg"));
    }
    if (chart.width() <= 0 || chart.height() <= 0) {
        return QDir::toNativeSeparators(path) + tr(": the chart has no area to draw");
    }
    const Drawing drawing{chart, caption};
    return writeExport(path, [&drawing, writer](QIODevice& file) { return writer(drawing, file); });
}

void copyChart(QCustomPlot& chart) {
    QGuiApplication::clipboard()->setImage(chartImage(chart, chart.devicePixelRatioF()));
}

}  // namespace velmora
