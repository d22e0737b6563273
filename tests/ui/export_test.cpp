#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include "support/file_faults.h"
#include "support/files.h"
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
    // are 85 % of count x price. The second alternate projects one month only.
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
    DualAnalysis page(nullptr, defaultScenarios(), values);
    QTemporaryDir folder;
    EXPECT_EQ(exportTable(page, folder.filePath("comparison.csv")), std::nullopt);
    EXPECT_EQ(contents(folder.filePath("comparison.csv")).toStdString(),
              "month,baselineActive,baselineProceeds,alternate1Active,alternate1Proceeds,"
              "alternate2Active,alternate2Proceeds\n"
              "0,80,85,40,85,10,25.5\n"
              "1,80,85,40,85,,\n"
              "2,,,40,85,,\n");
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

TEST(ExportChart, WritesPngPdfAndSvgOfEitherChartThatOpenAndShowTheLines) {
    QTemporaryDir folder;
    SingleAnalysis single;
    std::array<ScenarioValues, 3> prices;  // three lines apart
    prices[1].price = 2.99;
    prices[2].price = 3.99;
    DualAnalysis dual(nullptr, defaultScenarios(), prices);
    const QSize shown(480, 300);
    const std::pair<QCustomPlot*, std::vector<QColor>> charts[] = {
        {single.chart(), {single.chart()->dailyLine()->pen().color()}},
        {dual.chart(), {seriesColour(0), seriesColour(1), seriesColour(2)}},
    };
    for (const auto& [chart, colours] : charts) {
        chart->resize(shown);
        SCOPED_TRACE(chart->accessibleName().toStdString());
        const QString png = folder.filePath("chart.png");
        const QString pdf = folder.filePath("chart.PDF");
        const QString svg = folder.filePath("chart.svg");
        for (const QString& path : {png, pdf, svg}) {
            EXPECT_EQ(exportChart(*chart, path), std::nullopt) << path.toStdString();
        }

        const QImage image(png);
        EXPECT_EQ(image.size(), shown * chartExportScale);
        for (const QColor& colour : colours) {
            EXPECT_GT(pixelsOf(image, colour), 500) << colour.name().toStdString();
        }

        const QByteArray pdfBytes = contents(pdf);
        EXPECT_TRUE(pdfBytes.startsWith("%PDF-"));
        EXPECT_TRUE(pdfBytes.trimmed().endsWith("%%EOF"));
        EXPECT_GT(pdfBytes.size(), 10'000) << "an empty page takes about 1 KB";

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
        {exportChart(chart, folder.filePath("chart.bmp")), folder.filePath("chart.bmp"),
         "ends in \".bmp\"; a chart is exported as .png, .pdf or .svg"},
        {exportChart(chart, folder.filePath("chart")), folder.filePath("chart"),
         "has no extension"},
        {exportChart(chart, missing), missing, "cannot be written"},
        {exportTable(content, folder.filePath("gone/table.csv")), folder.filePath("gone/table.csv"),
         "cannot be written"},
        {[&] {  // a write cut short by a full disk is not committed
             const FullDisk full;
             return exportTable(content, folder.filePath("full.csv"));
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
