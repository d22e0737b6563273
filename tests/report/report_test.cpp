#include <iostream>
#include <tuple>

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "engine/table/table_figures.h"
#include "report/figures.h"
#include "report/report_writer.h"
#include "report/value_rows.h"
#include "report_fixture.h"
#include "support/pdf_reader.h"

namespace velmora::report {
namespace {

TEST(ReportPdf, HoldsEveryMonthUnderRepeatedHeadersInEmbeddedFontsOnTheLocalesPaper) {
    auto reports = threeReports(600);
    reports.push_back(calibrationReport());
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
          "Which input matters most", "Retention Rate Rest", "Change up", "Costs and cash",
          "Cost per trial £2.00", "A trial pays back in", "Break-even in M", "Cash curve"},
         0},
        {reports[3],
         QLocale(QLocale::English, QLocale::UnitedStates),
         "612 x 792 pts (letter)",
         {"Calibration", "cohorts.csv: 3 cohorts", "Fitted values", "10th–90th percentile",
          "trialRetention", "Fit error: projection", "Backtest, the last renewal held out",
          "Survival of the cohorts", "Backtest forecast", "Renewal"},
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
        if (c.report.kind == ReportKind::Calibration) {
            // Rates to four decimals, daily trials to one, as the page writes them.
            const Calibration& fitted = *c.report.calibration.fitted;
            for (const auto& [name, value, decimals] :
                 {std::tuple{"trialRetention", *fitted.trialRetention, 4},
                  std::tuple{"dailyNewSubs", *fitted.dailyNewSubs, 1}}) {
                const QString figure = c.locale.toString(value, 'f', decimals);
                EXPECT_TRUE(text.contains(QRegularExpression(
                    QString(name) + R"(\s+)" + QRegularExpression::escape(figure) + R"(\s)")))
                    << name << " " << figure.toStdString();
            }
        }
        QSet<QString> rows;
        const QStringList pages = text.split('\f', Qt::SkipEmptyParts);
        for (int page = 0; page < pages.size(); ++page) {
            // A row of the table: a month, then figures (a chart's marks are months).
            static const QRegularExpression row(R"(^\s*M(\d+)\s+[\d$(])",
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

TEST(ReportPdf, WritesEveryFigureWholeHoweverLarge) {
    struct Case {
        const char* what;
        double ScenarioValues::*value;
        double set;
    };
    const Case cases[] = {
        {"daily trials", &ScenarioValues::dailyNewSubs, 2.952714e300},
        {"price", &ScenarioValues::price, -3.3e299},
        {"starting subscribers", &ScenarioValues::startingSubs, 123456789012345678.0},
    };
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    const Figures figures(locale);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScenarioValues values{28, 3, 0, 100, 1.99, 0.6, 0.7, 0.8, 0.85, 0.9, 0.91, 0.92, 0.96};
        values.*c.value = c.set;
        Report report = threeReports(3).front();
        report.scenarios.front() = scenarioOf("Basic Analysis", Qt::blue, values);
        QTemporaryDir folder;
        QFile file(folder.filePath("report.pdf"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(writeReportPdf(report, file, locale), QString());
        file.close();
        const QString text = pdfText(file.fileName(), {"-layout"});
        const auto& months = report.scenarios.front().projection->monthlySnapshots;
        for (const auto& month : months) {
            for (const QString& figure :
                 {figures.count(month.active),
                  figures.money(monthlyProceeds(month.active, values.price))}) {
                EXPECT_TRUE(text.contains(figure)) << figure.toStdString();
            }
        }
        EXPECT_FALSE(text.contains(QStringLiteral("…")));
        // No cell's text shrunk to fit: the smallest text is the 8-point frame's.
        static const QRegularExpression word(
            R"re(<word [^>]*yMin="([\d.]+)"[^>]*yMax="([\d.]+)")re");
        double smallest = 1e9;
        for (auto match = word.globalMatch(pdfText(file.fileName(), {"-bbox"})); match.hasNext();) {
            const auto found = match.next();
            smallest =
                std::min(smallest, found.captured(2).toDouble() - found.captured(1).toDouble());
        }
        EXPECT_GT(smallest, 7.5);
    }
}

// After the values, a scenario's later rates renewal by renewal (blank where a
// scenario already keeps its Rest) and its plan line by line, also when only an
// alternate has one; a single scenario's monthly figures are its plan's proceeds.
TEST(ReportPdf, ListsEachScenariosLaterRatesAndPlanAndFollowsThePlan) {
    for (const bool single : {false, true}) {
        Report report = threeReports(12)[single ? 0 : 1];
        report.scenarios[0].values.laterRates = {0.97, 0.981};
        if (!single) {
            report.scenarios[2].values.laterRates = {0.93};
        }
        Plan plan{5, 6};
        plan.changes = {{PlanInput::Price, 3, 7.25}, {PlanInput::DailyNewSubs, 9, 40}};
        ReportScenario& planned = report.scenarios[single ? 0 : 1];
        planned.values.plan = plan;
        planned.projection = project(planned.values);
        QTemporaryDir folder;
        QFile file(folder.filePath("report.pdf"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        EXPECT_EQ(writeReportPdf(report, file, english), QString());
        file.close();
        const QString text = pdfText(file.fileName(), {"-layout"});
        const double proceeds = proceedsOf(planned.values, planned.projection->monthlySnapshots,
                                           planned.values.price)[11];
        const QString lines[] = {
            single ? R"(\n\s*7\s+0\.97\s*\n)" : R"(\n\s*7\s+0\.97\s+0\.93\s*\n)",
            R"(\n\s*8\s+0\.981\s*\n)",
            R"(Plan over time\s+Plan\s+)" + report.scenarios[0].name,
            R"(Monthly Growth \(%\)\s+5\s*\n)",
            R"(Price Changes Reach\s+Everyone\s*\n)",
            R"(Daily Trials from M9\s+40\s*\n)",
            R"(Price from M3\s+\$7\.25\s*\n)",
            single ? R"(\n\s*M11\s+[\d,]+\s+(?:\S+\s+)?)" +
                         QRegularExpression::escape(Figures(english).money(proceeds))
                   : R"(Later renewal rates\s+Renewal\s+Baseline)",
        };
        for (const QString& line : lines) {
            EXPECT_TRUE(text.contains(QRegularExpression(line))) << single << line.toStdString();
        }
    }
}

// Plans side by side: each line any scenario's plan has, in the order first
// met, a growth of 0 and every season included, each input's changes by month.
TEST(PlanGrid, ListsEveryLineOfEveryScenariosPlan) {
    Plan seasonal{std::nullopt, std::nullopt, CalendarMonth{2027, 3}, std::array<double, 12>{}};
    seasonal.seasonality->fill(1);
    seasonal.seasonality->front() = 0.5;
    seasonal.priceChangesApply = PriceChangesApply::NewSubscribers;
    seasonal.changes = {{PlanInput::Price, 9, 3}, {PlanInput::Price, 2, 4}};
    std::vector<ScenarioValues> scenarios(3);
    scenarios[1].plan = Plan{0, 12};
    scenarios[2].plan = seasonal;
    const PlanGrid grid = planGrid(scenarios);
    QStringList expected{"Monthly Growth (%)", "Growth Until", "Price Changes Reach",
                         "First Month"};
    for (const char* month : {"January", "February", "March", "April", "May", "June", "July",
                              "August", "September", "October", "November", "December"}) {
        expected << QStringLiteral("Season ") + month;
    }
    expected << "Price from M2"
             << "Price from M9";
    EXPECT_EQ(QStringList(grid.titles.begin(), grid.titles.end()), expected);
    ASSERT_EQ(grid.rows.size(), std::size_t(expected.size()));
    const auto cell = [&](const char* title, std::size_t scenario) {
        return grid.rows[std::size_t(expected.indexOf(title))][scenario];
    };
    EXPECT_FALSE(cell("Growth Until", 0));
    EXPECT_EQ(cell("Growth Until", 1)->text, "M12");
    EXPECT_EQ(cell("Price Changes Reach", 2)->text, "New subscribers");
    EXPECT_EQ(cell("First Month", 2)->text, "2027-03");
    EXPECT_EQ(cell("Season January", 2)->value, 0.5);
    EXPECT_EQ(cell("Price from M2", 2)->value, 4);
}

// Given the calendar month of M0, the monthly table names each month's; the
// comparison's only when every scenario's plan gives the same.
TEST(ReportPdf, NamesTheCalendarMonthsOnlyGivenM0s) {
    const Plan dec{.startMonth = CalendarMonth{2026, 12}};
    const Plan jan{.startMonth = CalendarMonth{2027, 1}};
    const std::pair<std::vector<std::optional<Plan>>, bool> cases[] = {
        {{dec}, true},
        {{Plan{.growthPercent = 1}}, false},
        {{dec, dec, dec}, true},
        {{dec, dec, {}}, false},
        {{dec, dec, jan}, false},
    };
    for (const auto& [plans, named] : cases) {
        Report report = threeReports(14)[plans.size() == 1 ? 0 : 1];
        for (std::size_t i = 0; i < plans.size(); ++i) {
            report.scenarios[i].values.plan = plans[i];
        }
        QTemporaryDir folder;
        QFile file(folder.filePath("report.pdf"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(writeReportPdf(report, file, QLocale(QLocale::English, QLocale::UnitedStates)),
                  QString());
        file.close();
        const QString text = pdfText(file.fileName(), {"-layout"});
        for (const char* row : {R"(\n\s*M0\s+Dec 2026\s+[\d,]+)", R"(\n\s*M1\s+Jan 2027\s+[\d,]+)",
                                R"(\n\s*M13\s+Jan 2028\s+[\d,]+)", R"(Month\s+Calendar month)"}) {
            EXPECT_EQ(text.contains(QRegularExpression(row)), named) << plans.size() << row;
        }
    }
}

}  // namespace
}  // namespace velmora::report
