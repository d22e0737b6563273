#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "engine/calibration/calibration_csv.h"
#include "engine/table/table_csv.h"
#include "engine/table/table_figures.h"
#include "report/answers_csv.h"
#include "report/workbook.h"
#include "report_fixture.h"

namespace velmora::report {
namespace {

/// The values of each scenario, a line per value in the form's order, as
/// the workbook's sheet of values should hold them.
void writeValuesCsv(const Report& report, const QString& path) {
    std::ofstream csv(path.toStdString());
    const auto field = [&](auto member) {
        for (const ReportScenario& scenario : report.scenarios) {
            csv << ',' << std::setprecision(17) << static_cast<double>(scenario.values.*member);
        }
        csv << '\n';
    };
    field(&ScenarioValues::monthsToProject);
    field(&ScenarioValues::startingSubs);
    field(&ScenarioValues::price);
    field(&ScenarioValues::dailyNewSubs);
    field(&ScenarioValues::trialRetention);
    for (auto rate :
         {&ScenarioValues::rt1, &ScenarioValues::rt2, &ScenarioValues::rt3, &ScenarioValues::rt4,
          &ScenarioValues::rt5, &ScenarioValues::rt6, &ScenarioValues::rtPlus}) {
        field(rate);
    }
    field(&ScenarioValues::monthDuration);
    if (report.scenarios.front().values.costPerTrial > 0) {
        field(&ScenarioValues::costPerTrial);
    }
}

TEST(Workbook, ReadBackHoldsTheCsvFiguresAsNumbersInNumberAndCurrencyFormats) {
    int cells = 0;
    auto reports = threeReports(600);
    reports.push_back(calibrationReport());
    // Growth, seasons from a calendar month and a new price: proceeds the plan's, and
    // the calendar months in a column of text after the figures.
    Report planned = threeReports(36).front();
    planned.scenarios[0].values.plan =
        Plan{.growthPercent = 2,
             .startMonth = CalendarMonth{2026, 11},
             .seasonality = std::array<double, 12>{2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
             .changes = {{PlanInput::Price, 3, 7.5}}};
    planned.scenarios[0].projection = project(planned.scenarios[0].values);
    reports.push_back(planned);
    for (const Report& report : reports) {
        SCOPED_TRACE(pageTitle(report.kind).toStdString());
        QTemporaryDir folder;
        QFile book(folder.filePath("book.xlsx"));
        ASSERT_TRUE(book.open(QIODevice::WriteOnly));
        EXPECT_EQ(writeWorkbook(report, book, QLocale(QLocale::English, QLocale::UnitedStates)),
                  QString());
        book.close();
        QStringList sheets;
        const auto csvFor = [&](const QString& sheet, auto write) {
            const QString path = folder.filePath(sheet + ".csv");
            std::ofstream csv(path.toStdString());
            write(csv);
            sheets << sheet + "=" + path;
        };
        if (report.kind == ReportKind::Insights) {
            csvFor("Insights", [&](std::ostream& out) { writeAnswersCsv(report.answers, out); });
        } else if (report.kind == ReportKind::Calibration) {
            const CalibrationFigures& shown = report.calibration;
            std::ostringstream all;
            writeCalibrationCsv(shown.table.get(), &*shown.fitted, &*shown.ranges,
                                report.scenarios.front().values, all);
            // The fitted values and the fit on one sheet, the table without its
            // header (whose renewals are numbers) on another.
            const std::string text = all.str();
            const std::size_t table = text.rfind("\n\ncohort,");
            ASSERT_NE(table, std::string::npos);
            csvFor("Calibration", [&](std::ostream& out) { out << text.substr(0, table); });
            csvFor("Cohorts",
                   [&](std::ostream& out) { out << text.substr(text.find('\n', table + 2) + 1); });
        } else {
            for (const ReportScenario& scenario : report.scenarios) {
                csvFor(scenario.name, [&](std::ostream& out) {
                    const auto& months = scenario.projection->monthlySnapshots;
                    writeCsv(months, proceedsOf(scenario.values, months, scenario.values.price),
                             scenario.projection->monthDuration, out);
                });
            }
        }
        // A plan's lines follow the values, which the values' CSV leaves out.
        if (!report.scenarios.front().values.plan) {
            writeValuesCsv(report, folder.filePath("values.csv"));
            sheets << "Values=" + folder.filePath("values.csv");
        }

        QProcess reader;
        reader.start("/usr/bin/python3", QStringList{READ_WORKBOOK, book.fileName(), "$"} + sheets);
        ASSERT_TRUE(reader.waitForFinished(120'000));
        const QString said = reader.readAllStandardOutput() + reader.readAllStandardError();
        EXPECT_EQ(reader.exitCode(), 0) << said.toStdString();
        cells += said.section(' ', 0, 0).toInt();
        if (&report == &reports.back()) {
            QProcess column;
            column.start("/usr/bin/python3",
                         {"-c",
                          "import openpyxl, sys\n"
                          "sheet = openpyxl.load_workbook(sys.argv[1])['Basic Analysis']\n"
                          "print('|'.join(str(sheet.cell(r, 6).value) for r in (1, 2, 4, 37, 38)))",
                          book.fileName()});
            ASSERT_TRUE(column.waitForFinished(60'000));
            EXPECT_EQ(column.readAllStandardOutput().trimmed(),
                      "Calendar Month|Nov 2026|Jan 2027|Oct 2029|None");
        }
    }
    std::cout << cells << " workbook cells compared with the CSV\n";
    EXPECT_GT(cells, 600 * 5);
}

}  // namespace
}  // namespace velmora::report
