#include <iostream>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include "support/file_faults.h"
#include "support/files.h"
#include "support/pdf_reader.h"
#include "ui/charts/chart_style.h"
#include "ui/charts/comparison_chart.h"
#include "ui/charts/projection_chart.h"
#include "ui/document/export_chart.h"
#include "ui/document/export_table.h"
#include "ui/pages/content_view.h"
#include "ui/pages/dual_analysis.h"
#include "ui/pages/single_analysis.h"

namespace velmora {
namespace {

/// Every value differs from its default; the tool gets them in exact text.
ScenarioValues unusual() {
    return {28, 14.5, 250, 1200, 4.99, 0.61, 0.7, 0.8, 0.85, 0.9, 0.91, 0.92, 0.96};
}

QByteArray toolCsv(const ScenarioValues& v) {
    const QStringList flags = QString(
                                  "--months --daily-trials --starting-subscribers --price "
                                  "--trial-retention --rt1 --rt2 --rt3 --rt4 --rt5 --rt6 --rest")
                                  .split(' ');
    QStringList arguments{"--format", "csv", "--month-duration", QString::number(v.monthDuration)};
    int flag = 0;
    for (const double value :
         {v.monthsToProject, v.dailyNewSubs, v.startingSubs, v.price, v.trialRetention, v.rt1,
          v.rt2, v.rt3, v.rt4, v.rt5, v.rt6, v.rtPlus}) {
        arguments << flags.at(flag++) << QString::number(value, 'g', 17);
    }
    QProcess tool;
    tool.start(VELMORA_PROJECT, arguments);
    EXPECT_TRUE(tool.waitForFinished(60'000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    return tool.readAllStandardOutput();
}

TEST(ExportTable, BasicAnalysisWritesWhatTheToolPrintsUnlocalised) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTemporaryDir folder;
    SingleAnalysis page(nullptr, defaultScenarios(), unusual());
    const QString path = folder.filePath("basic.csv");
    EXPECT_EQ(exportTable(page, path), std::nullopt);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QByteArray csv = contents(path);
    EXPECT_EQ(csv.count('\n'), 15);
    EXPECT_EQ(csv, toolCsv(unusual()));
}

TEST(ExportTable, ComparisonWritesTheScenariosSideBySide) {
    // Every subscriber stays, so the counts are the starting ones; proceeds
    // are 85 % of count x price, the first alternate's price raised from M2 by
    // its plan. The second alternate projects one month only.
    std::array<ScenarioValues, 3> values;
    const double startingAndPrice[3][3] = {{80, 1.25, 2}, {40, 2.5, 3}, {10, 3, 1}};
    for (int i = 0; i < 3; ++i) {
        ScenarioValues& v = values[i];
        v.dailyNewSubs = 0;
        v.startingSubs = startingAndPrice[i][0];
        v.price = startingAndPrice[i][1];
        v.monthsToProject = startingAndPrice[i][2];
        v.rt1 = v.rt2 = v.rt3 = v.rt4 = v.rt5 = v.rt6 = v.rtPlus = 1;
    }
    values[1].plan = Plan{};
    values[1].plan->changes = {{PlanInput::Price, 2, 5}};
    DualAnalysis page(nullptr, defaultScenarios(), values);
    QTemporaryDir folder;
    EXPECT_EQ(exportTable(page, folder.filePath("comparison.csv")), std::nullopt);
    EXPECT_EQ(contents(folder.filePath("comparison.csv")).toStdString(),
              "month,baselineActive,baselineProceeds,alternate1Active,alternate1Proceeds,"
              "alternate2Active,alternate2Proceeds\n"
              "0,80,85,40,85,10,25.5\n"
              "1,80,85,40,85,,\n"
              "2,,,40,170,,\n");
}

/// Image pixels within a small distance of `colour`, antialiasing aside.
int pixelsOf(const QImage& image, QColor colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const int distance = std::abs(pixel.red() - colour.red()) +
                                 std::abs(pixel.green() - colour.green()) +
                                 std::abs(pixel.blue() - colour.blue());
            count += distance < 24 ? 1 : 0;
        }
    }
    return count;
}

/// Every text the chart draws: its caption, tick labels, axis titles and legend.
QStringList drawnTexts(QCustomPlot& chart, const ChartCaption& caption) {
    QStringList texts{caption.title};
    for (const ChartCaption::Line& line : caption.lines) {
        texts << line.text;
    }
    chart.replot();
    for (QCPAxis* axis : chart.axisRect()->axes()) {
        if (axis->visible()) {
            texts << axis->label() << axis->tickVectorLabels().toList();
        }
    }
    for (int i = 0; chart.legend->visible() && i < chart.legend->itemCount(); ++i) {
        if (auto* item = qobject_cast<QCPPlottableLegendItem*>(chart.legend->item(i))) {
            texts << item->plottable()->name();
        }
    }
    texts.removeAll(QString());
    return texts;
}

QString withoutSpaces(QString text) {
    return text.remove(QRegularExpression(R"(\s)"));
}

TEST(ExportChart, PdfShowsWhatThePngShowsAndSvgDrawsTheLines) {
    QTemporaryDir folder;
    SingleAnalysis single;
    SingleAnalysis cohorts(nullptr, defaultScenarios(), {}, ChartType::Cohorts);
    std::array<ScenarioValues, 3> prices;  // three lines apart
    prices[1].price = 2.99;
    prices[2].price = 3.99;
    DualAnalysis dual(nullptr, defaultScenarios(), prices);
    const ChartCaption caption{"plan.velmora — Page",
                               {{"Price $1.99 · Daily Trials 100", Qt::black},
                                {"Alternate 1: Price $2.99", seriesColour(1)}}};
    const QSize shown(640, 360);
    const std::pair<QCustomPlot*, std::vector<QColor>> charts[] = {
        {single.chart(), {single.chart()->dailyLine()->pen().color()}},
        {cohorts.chart(), {cohortColour(0)}},
        {dual.chart(), {seriesColour(0), seriesColour(1), seriesColour(2)}},
    };
    for (const auto& [chart, colours] : charts) {
        chart->resize(shown);
        SCOPED_TRACE(chart->accessibleName().toStdString());
        const QString png = folder.filePath("chart.png");
        const QString pdf = folder.filePath("chart.PDF");
        const QString svg = folder.filePath("chart.svg");
        for (const QString& path : {png, pdf, svg}) {
            EXPECT_EQ(exportChart(*chart, caption, path), std::nullopt) << path.toStdString();
        }

        const QImage image(png);
        EXPECT_EQ(image.width(), shown.width() * chartExportScale);
        EXPECT_GT(image.height(), shown.height() * chartExportScale) << "a caption above";
        for (const QColor& colour : colours) {
            EXPECT_GT(pixelsOf(image, colour), 500) << colour.name().toStdString();
        }

        // The PDF, rendered at the PNG's resolution, is the PNG's picture.
        const double dpi = chart->logicalDpiY() * chartExportScale;
        const auto pages = renderPdf(pdf, dpi);
        ASSERT_EQ(pages.size(), 1U);
        EXPECT_NEAR(pages[0].height(), image.height(), 2) << "the page rounds to whole points";
        const double difference = pictureDifference(image, pages[0]);
        EXPECT_LT(difference, 6) << "grey levels apart";
        const QString text = withoutSpaces(pdfText(pdf));
        for (const QString& drawn : drawnTexts(*chart, caption)) {
            EXPECT_TRUE(text.contains(withoutSpaces(drawn))) << drawn.toStdString();
        }
        const double pngText =
            QFontMetricsF(chart->xAxis->tickLabelFont(), chart).height() * chartExportScale;
        const double pdfTextHeight = medianWordHeight(pdf) * dpi / 72;
        EXPECT_NEAR(pdfTextHeight / pngText, 1, 0.25) << pdfTextHeight << " px against " << pngText;
        std::cout << chart->accessibleName().toStdString() << ": PDF against PNG: text height "
                  << pdfTextHeight / pngText << ", picture " << difference << " grey levels\n";

        const QByteArray svgBytes = contents(svg);
        QXmlStreamReader xml(svgBytes);
        int shapes = 0;
        while (xml.readNext() != QXmlStreamReader::EndDocument && !xml.hasError()) {
            shapes +=
                xml.isStartElement() &&
                QStringList{"path", "polyline", "polygon", "line"}.contains(xml.name().toString());
        }
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
        EXPECT_GT(shapes, 3);
        for (const QColor& colour : colours) {
            EXPECT_TRUE(svgBytes.contains(colour.name().toLatin1())) << colour.name().toStdString();
        }
    }
}

TEST(Export, RefusesWhatItCannotWriteNamingTheFile) {
    QTemporaryDir folder;
    ContentView content;
    QCustomPlot& chart = *content.single()->chart();
    chart.resize(300, 200);
    const QString missing = folder.filePath("gone/chart.png");
    const struct {
        std::optional<QString> problem;
        QString path;
        const char* reason;
    } cases[] = {
        // (A table to a missing folder and a chart as .bmp: through the window.)
        {exportChart(chart, {}, folder.filePath("chart")), folder.filePath("chart"),
         "has no extension"},
        {exportChart(chart, {}, missing), missing, "cannot be written"},
        {[&] {  // a write cut short by a full disk is not committed
             const FullDisk full;
             return exportTable(content, "plan", folder.filePath("full.csv"));
         }(),
         folder.filePath("full.csv"), "File too large"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(c.problem.has_value()) << c.path.toStdString();
        EXPECT_TRUE(c.problem->startsWith(QDir::toNativeSeparators(c.path) + ": "))
            << c.problem->toStdString();
        EXPECT_TRUE(c.problem->contains(c.reason)) << c.problem->toStdString();
    }
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

}  // namespace
}  // namespace velmora
