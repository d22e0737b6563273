#include <iostream>

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "report/report_writer.h"
#include "report_fixture.h"
#include "support/pdf_reader.h"

namespace velmora::report {
namespace {

TEST(ReportPdf, HoldsEveryMonthUnderRepeatedHeadersInEmbeddedFontsOnTheLocalesPaper) {
    const auto reports = threeReports(600);
    const struct {
        const Report& report;
        QLocale locale;
        const char* paper;
        QStringList says;
        int months;  ///< rows of the monthly table
    } cases[] = {
        {reports[0],
         QLocale(QLocale::English, QLocale::UnitedStates),
         "612 x 792 pts (letter)",
         {"plan.velmora", "Basic Analysis", "March 14, 2026", "Retention Rate Rest",
          "Days in a Month", "$4.99", "24mo LTV per trial", "Active subscribers"},
         600},
        {reports[1],
         QLocale(QLocale::German, QLocale::Germany),
         "595 x 842 pts (A4)",
         {"Comparative Analysis", "14. März 2026", "Alternate 2", "Against the baseline", "at M35",
          "at M47", "3,99 €"},
         60},
        {reports[2],
         QLocale(QLocale::English, QLocale::UnitedKingdom),
         "595 x 842 pts (A4)",
         {"Insights", "subscribers when settled", "What it takes", "Reaches the target.",
          "Which input matters most", "Retention Rate Rest", "Change up"},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(pageTitle(c.report.kind).toStdString());
        QTemporaryDir folder;
        QFile file(folder.filePath("report.pdf"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(writeReportPdf(c.report, file, c.locale), QString());
        file.close();

        const QString info = toolOutput("pdfinfo", {file.fileName()});
        EXPECT_TRUE(
            info.contains(QRegularExpression("Page size: +" + QRegularExpression::escape(c.paper))))
            << info.toStdString();
        const QStringList fonts = toolOutput("pdffonts", {file.fileName()}).split('\n').mid(2);
        for (const QString& font : fonts) {
            EXPECT_TRUE(font.isEmpty() || font.contains(QRegularExpression(
                                              R"(\s+yes(\s+(yes|no)){2}\s+\d+\s+\d+\s*$)")))
                << "not embedded: " << font.toStdString();
        }
        EXPECT_GT(fonts.size(), 1);

        const QString text = pdfText(file.fileName(), {"-layout"});
        for (const QString& said : c.says) {
            EXPECT_TRUE(text.contains(said)) << said.toStdString();
        }
        QSet<QString> rows;
        const QStringList pages = text.split('\f', Qt::SkipEmptyParts);
        for (int page = 0; page < pages.size(); ++page) {
            static const QRegularExpression row(R"(^\s*M(\d+)\s)",
                                                QRegularExpression::MultilineOption);
            const qsizetype before = rows.size();
            for (auto match = row.globalMatch(pages[page]); match.hasNext();) {
                rows.insert(match.next().captured(1));
            }
            if (rows.size() > before) {
                EXPECT_TRUE(pages[page].contains(QRegularExpression(R"(Month\s+\S)")))
                    << "no header above the rows of page " << page + 1;
            }
            EXPECT_TRUE(
                pages[page].contains(QString("Page %1 of %2").arg(page + 1).arg(pages.size())));
        }
        EXPECT_EQ(rows.size(), c.months);
        std::cout << pageTitle(c.report.kind).toStdString() << ": " << pages.size() << " pages\n";
    }
}

}  // namespace
}  // namespace velmora::report
