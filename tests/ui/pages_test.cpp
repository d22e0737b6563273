#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QSplitterHandle>
#include <QTableView>

#include "ui/charts/comparison_chart.h"
#include "ui/charts/month_cursor.h"
#include "ui/charts/projection_chart.h"
#include "ui/common/page_layout.h"
#include "ui/common/user_settings.h"
#include "ui/form/inputs_view.h"
#include "ui/pages/baseline_difference.h"
#include "ui/pages/cost_comparison.h"
#include "ui/pages/scenario_column.h"
#include "ui/table/table_model.h"
#include "ui/table/table_view.h"
#include "window_fixture.h"

namespace velmora {
namespace {

std::vector<double> xTicks(const QCustomPlot& plot) {
    const auto ticker = plot.xAxis->ticker().dynamicCast<QCPAxisTickerText>();
    if (!ticker) {
        return {};
    }
    const auto keys = ticker->ticks().keys();
    return {keys.begin(), keys.end()};
}

class Window : public DocumentWindow {
protected:
    [[nodiscard]] ContentView& content() const { return *window->content(); }
};

TEST_F(Window, OpensOnTheBasicAnalysisWithTheSimpleChart) {
    EXPECT_EQ(window->windowTitle(), "Untitled[*] — Velmora");
    ASSERT_EQ(content().count(), 4);
    EXPECT_EQ(content().tabText(3), "Calibration");
    EXPECT_EQ(content().tabText(0), "Basic Analysis");
    EXPECT_EQ(content().tabText(1), "Comparative Analysis");
    EXPECT_EQ(content().currentWidget(), &single());

    EXPECT_EQ(single().showCohorts(), 1);
    EXPECT_EQ(single().chartPicker()->currentText(), "Show Simple Chart");
    EXPECT_EQ(single().chartPicker()->itemText(0), "Show Cohort Chart");
    EXPECT_EQ(single().chartPicker()->count(), 2);
    EXPECT_FALSE(single().chart()->showsCohorts());
    single().setShowCohorts(7);  // any value but 0 is the simple chart
    EXPECT_FALSE(single().chart()->showsCohorts());
    EXPECT_EQ(single().chartPicker()->currentText(), "Show Simple Chart");

    // Every part of both pages fits a 1440 x 900 screen, and nothing needs
    // more than a 1280 x 800 one leaves for a window.
    EXPECT_LE(window->width(), 1440);
    EXPECT_LE(window->height(), 900);
    const QSize smallest = window->minimumSizeHint();
    EXPECT_LE(smallest.width(), 1280);
    EXPECT_LE(smallest.height(), 760);
}

TEST_F(Window, TheTabsShareNothing) {
    single().inputs()->setPrice(4.99);
    content().setCurrentIndex(1);
    scenarios.elapse();
    for (int i = 0; i < DualAnalysis::scenarioCount; ++i) {
        EXPECT_EQ(dual().scenario(i)->price(), 1.99);
        EXPECT_EQ(dual().column(i)->form()->field(Field::Price)->text(), "1.99");
    }
    content().setCurrentIndex(0);
    EXPECT_EQ(single().form()->field(Field::Price)->text(), "4.99");
}

TEST_F(Window, TheComparisonFollowsItsThreeScenariosInTheirColours) {
    EXPECT_EQ(xTicks(*dual().chart()), (std::vector<double>{0, 12, 24}));
    // The marks follow the baseline alone, the lines every scenario.
    dual().baseline()->setMonthsToProject(12);
    dual().input2()->setMonthsToProject(24);
    scenarios.elapse();
    EXPECT_EQ(xTicks(*dual().chart()), (std::vector<double>{0}));
    // Blue, green and red: each column's frame and its line in the chart.
    const QColor colours[] = {{0x00, 0x7A, 0xFF}, {0x34, 0xC7, 0x59}, {0xFF, 0x3B, 0x30}};
    const char* const names[] = {"Baseline", "Alternate 1", "Alternate 2"};
    const int days[] = {12 * 30, 36 * 30, 24 * 30};
    ASSERT_EQ(dual().chart()->graphCount(), 3);
    for (int i = 0; i < DualAnalysis::scenarioCount; ++i) {
        const QCPGraph& line = *dual().chart()->graph(i);
        EXPECT_EQ(dual().column(i)->colour(), colours[i]) << i;
        EXPECT_EQ(line.pen().color(), colours[i]) << i;
        EXPECT_EQ(line.name(), names[i]);
        EXPECT_EQ(line.dataCount(), days[i]) << names[i];
    }

    dual().input2()->setMonthsToProject(37);
    dual().baseline()->setMonthsToProject(37);
    scenarios.elapse();
    EXPECT_EQ(xTicks(*dual().chart()), (std::vector<double>{0, 12, 24, 36}));
}

TEST_F(Window, TheComparisonTablesFillTheirColumns) {
    window->show();
    content().setCurrentIndex(1);
    int shown = 0;  // height of the first table's rows in view
    for (const QSize screen : {QSize(1280, 800), QSize(1400, 860), QSize(1920, 1080)}) {
        window->resize(screen);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        for (int i = 0; i < DualAnalysis::scenarioCount; ++i) {
            const QTableView& table = *dual().column(i)->table()->table();
            EXPECT_EQ(table.horizontalHeader()->length(), table.viewport()->width()) << i;
            EXPECT_GE(table.viewport()->height(), 4 * table.rowHeight(0)) << i;
        }
        // Between the rates (and the button under them) and the table only the
        // line kept for a message.
        const ScenarioColumn& column = *dual().column(0);
        const QWidget* rest = column.form()->laterRatesButton();
        const int ratesEnd = rest->mapTo(&column, QPoint(0, rest->height())).y();
        EXPECT_LE(column.table()->y() - ratesEnd, column.form()->message()->minimumHeight() + 8);
        const int height = dual().column(0)->table()->table()->viewport()->height();
        // A taller window shows more months, once the page no longer scrolls.
        EXPECT_GE(height, shown);
        if (screen.height() == 1080) {
            EXPECT_GT(height, column.table()->minimumHeight()) << "more months in view";
        }
        shown = height;
    }
}

TEST_F(Window, TabWalksTheFormThenTheTableThePickerAndTheChart) {
    window->show();
    QApplication::setActiveWindow(window);
    single().form()->slider()->setFocus();
    QStringList visited;
    for (int step = 0; step < 19; ++step) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        visited << (focus->accessibleName().isEmpty() ? focus->metaObject()->className()
                                                      : focus->accessibleName());
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    EXPECT_EQ(
        visited.join(" | ").toStdString(),
        "Months to Project | Starting Subscribers | Price | Daily Trials | Trial Retention | "
        "Monthly Retention Rates 1 | Monthly Retention Rates 2 | Monthly Retention Rates 3 | "
        "Monthly Retention Rates 4 | Monthly Retention Rates 5 | Monthly Retention Rates 6 | "
        "Monthly Retention Rates Rest | Plan | Later renewal rates | Ranges | Monthly projection | "
        "Chart Type | "
        "Projection chart | QTabBar");

    // On the comparison page: the columns left to right, each form, its table, its cost.
    content().setCurrentIndex(1);
    dual().column(0)->form()->slider()->setFocus();
    std::vector<QWidget*> columnsVisited;
    for (int step = 0; step < 3 * 17 + 1; ++step) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        columnsVisited.push_back(focus);
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    for (int i = 0; i < DualAnalysis::scenarioCount; ++i) {
        const auto at = [&](int step) { return columnsVisited[static_cast<std::size_t>(step)]; };
        EXPECT_EQ(at(17 * i), dual().column(i)->form()->slider());
        EXPECT_EQ(at(17 * i + 12), dual().column(i)->form()->planButton());
        EXPECT_EQ(at(17 * i + 13), dual().column(i)->form()->laterRatesButton());
        EXPECT_EQ(at(17 * i + 14), dual().column(i)->form()->rangesButton());
        EXPECT_EQ(at(17 * i + 15), dual().column(i)->table()->table());
        EXPECT_EQ(at(17 * i + 16)->accessibleName(), "Cost per Trial");
    }
    EXPECT_EQ(columnsVisited.back(), dual().chart());
}

TEST_F(Window, AlternatesShowTheirDifferenceFromTheBaseline) {
    dual().input1()->setPrice(2.99);
    dual().input2()->setTrialRetention(0.5);
    scenarios.elapse();
    const auto difference = [this](int column) {
        return dual().column(column)->findChild<BaselineDifference*>();
    };
    EXPECT_EQ(difference(0), nullptr);
    EXPECT_EQ(difference(1)->texts(),
              QStringList({"= 0 (0.0%) subscribers", "▲ +$13,296 (+50.3%) monthly",
                           "▲ +$3.76 (+50.3%) 24mo LTV per trial"}));
    EXPECT_EQ(difference(2)->texts(),
              QStringList({"▼ -2,386 (-15.3%) subscribers", "▼ ($4,036) (-15.3%) monthly",
                           "▼ ($1.14) (-15.3%) 24mo LTV per trial"}));
    const auto* fewer = difference(2)->findChildren<QLabel*>().at(1);
    EXPECT_EQ(fewer->accessibleName(), "Subscribers: 2,386 less than the baseline (-15.3%)");
    EXPECT_EQ(fewer->palette().color(QPalette::WindowText), QColor(0xB7, 0x1C, 0x1C));
    const auto* more = difference(1)->findChildren<QLabel*>().at(2);
    EXPECT_EQ(more->palette().color(QPalette::WindowText), QColor(0x1B, 0x7F, 0x3B));

    // Their costs: at $2 a trial the baseline needs $9,847 (M2) and breaks even
    // in M6. Alternate 1 at $2.99 earns half as much again: its net is -5,850,
    // -7,254 (M1), ..., +4,279 (M4). Alternate 2 spends $4,500 a month on trials
    // of which 0.5 convert (proceeds x 0.5 / 0.59): -4,415, -6,323, -6,591 (M2),
    // -5,479, -3,166, +216 (M5).
    const auto costs = [this](int column) {
        return dual().column(column)->findChild<CostComparison*>()->texts();
    };
    EXPECT_EQ(costs(1), QStringList("Enter it for break-even and cash needed."));
    type(dual().column(1)->findChild<CostComparison*>()->costField(), "2");
    EXPECT_EQ(costs(1), QStringList("Enter the baseline's to compare."));
    dual().baseline()->setCostPerTrial(2);
    dual().input2()->setCostPerTrial(1.5);
    drain();
    EXPECT_EQ(costs(0), QStringList({"Break-even M6", "Cash needed $9,847, lowest at M2"}));
    EXPECT_EQ(costs(1),
              QStringList({"▼ -2 months (M4) break-even", "▼ ($2,593) (-26.3%) cash needed"}));
    EXPECT_EQ(costs(2),
              QStringList({"▼ -1 month (M5) break-even", "▼ ($3,256) (-33.1%) cash needed"}));
    const auto* sooner =
        dual().column(1)->findChild<CostComparison*>()->findChildren<QLabel*>().at(1);
    EXPECT_EQ(sooner->accessibleName(), "Break-even month: 2 months sooner than the baseline (M4)");
    EXPECT_EQ(sooner->palette().color(QPalette::WindowText), QColor(0x1B, 0x7F, 0x3B));

    dual().baseline()->setPrice(2.99);
    scenarios.elapse();
    EXPECT_EQ(difference(1)->texts().value(1), "= $0 (0.0%) monthly");
    EXPECT_EQ(difference(1)->findChildren<QLabel*>().at(2)->accessibleName(),
              "Monthly proceeds: the same as the baseline");

    // Projections of different lengths compare at the last month both have.
    dual().baseline()->setMonthsToProject(600);
    scenarios.elapse();
    EXPECT_EQ(difference(1)->texts(),
              QStringList({"= 0 (0.0%) subscribers at M35", "= $0 (0.0%) monthly at M35",
                           "= $0.00 (0.0%) 24mo LTV per trial"}));

    // Half as much lost as a losing baseline is a gain of half of it.
    dual().baseline()->setPrice(-2);
    dual().input1()->setPrice(-1);
    scenarios.elapse();
    for (const int line : {1, 2}) {
        const QString text = difference(1)->texts().value(line);
        EXPECT_TRUE(text.startsWith("▲ +$") && text.contains(" (+50.0%) ")) << text.toStdString();
    }
}

// On a laptop's screen the line between the columns and the chart is the
// user's to move, and a later window keeps it where it was left.
TEST_F(Window, TheChartKeepsTheHeightTheUserGaveItInLaterWindows) {
    window->resize(1366, 704);
    window->show();
    content().setCurrentWidget(&dual());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    // Until the user drags the line, a taller window's chart takes all the columns leave.
    window->resize(1366, 1100);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    EXPECT_GT(dual().split()->sizes().at(1),
              dual().split()->widget(1)->minimumSizeHint().height() + 100);
    window->resize(1366, 704);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    ChartSplit& split = *dual().split();
    const int least = dual().chart()->height();
    EXPECT_EQ(split.chosenHeight(), 0);
    QSplitterHandle* handle = split.handle(1);
    const QPoint grip = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip - QPoint(0, 100));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip - QPoint(0, 100));
    EXPECT_EQ(split.chosenHeight(), split.sizes().at(1));
    EXPECT_EQ(dual().chart()->height(), least + 100);

    MainWindow later(scenarios.factory());
    later.resize(1366, 704);
    later.show();
    later.content()->setCurrentIndex(1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    EXPECT_EQ(later.content()->dual()->chart()->height(), least + 100);
    // Dragged down past the chart's least height, it stops there.
    QSplitterHandle* other = later.content()->dual()->split()->handle(1);
    QTest::mousePress(other, Qt::LeftButton, {}, grip);
    QTest::mouseMove(other, grip + QPoint(0, 400));
    QTest::mouseRelease(other, Qt::LeftButton, {}, grip + QPoint(0, 400));
    EXPECT_EQ(later.content()->dual()->chart()->height(), least);
    userSettings().remove("comparisonChartHeight");
}

TEST_F(Window, EveryTabStopShowsWhereItIsAndAnswersKeys) {
    window->show();
    QApplication::setActiveWindow(window);
    // The table marks the first row in view, and Down goes on from there.
    QTableView& table = *single().table()->table();
    table.scrollTo(table.model()->index(20, 0), QAbstractItemView::PositionAtTop);
    const int top = table.rowAt(0);
    single().form()->rangesButton()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), &table);
    EXPECT_EQ(table.currentIndex().row(), top);
    QTest::keyClick(&table, Qt::Key_Down);
    EXPECT_EQ(table.currentIndex().row(), top + 1);
    EXPECT_EQ(table.rowAt(0), top);

    // The charts mark a month while they have the focus; the arrows move it.
    struct Stop {
        QCustomPlot* chart;
        MonthCursor* cursor;
        QString lastTip;  ///< tells the last month's figures as the table does
    };
    const auto cell = [](TableView* view, int column) { return view->model()->text(35, column); };
    const QString proceeds = cell(dual().column(0)->table(), ProjectionTableModel::Proceeds);
    const Stop stops[] = {
        {single().chart(), single().chart()->cursor(),
         "Month 35\n" + cell(single().table(), ProjectionTableModel::Active) + " active"},
        {dual().chart(), dual().chart()->cursor(),
         QStringLiteral("Month 35\nBaseline %1\nAlternate 1 %1\nAlternate 2 %1").arg(proceeds)}};
    for (const Stop& stop : stops) {
        content().setCurrentIndex(stop.chart == single().chart() ? 0 : 1);
        EXPECT_FALSE(stop.cursor->month());
        stop.chart->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(stop.cursor->month(), 35);
        EXPECT_EQ(stop.cursor->tip(), stop.lastTip);
        for (const auto& [key, month] : {std::pair{Qt::Key_Left, 34},
                                         {Qt::Key_PageUp, 22},
                                         {Qt::Key_Home, 0},
                                         {Qt::Key_Left, 0},
                                         {Qt::Key_PageDown, 12},
                                         {Qt::Key_End, 35}}) {
            QTest::keyClick(stop.chart, key);
            EXPECT_EQ(stop.cursor->month(), month) << key;
        }
    }
}

}  // namespace
}  // namespace velmora
