#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include "engine/projection/calculation.h"
#include "support/fake_timer.h"
#include "support/projected.h"
#include "ui/common/elided_label.h"
#include "ui/table/table_model.h"
#include "ui/table/table_view.h"

namespace velmora {
namespace {

const double nan = std::numeric_limits<double>::quiet_NaN();

TEST(ProjectionTable, WritesEveryCellOfAMonth) {
    ProjectionTableModel model;
    model.setProjection(withMonths({100, 100, 90, 110.4, nan, 120}), 1.99);
    ASSERT_EQ(model.rowCount(), 6);
    ASSERT_EQ(model.columnCount(), 5);

    // Month, Active, Change, Proceeds and Annualized, as the header has them.
    const char* const rows[] = {"M0|100|-|$169|$2,058",  "M1|100|+0|$169|$2,058",
                                "M2|90|-10|$152|$1,852", "M3|110|+20|$187|$2,272",
                                "M4|n/a||n/a|n/a",       "M5|120|n/a|$203|$2,470"};
    for (int r = 0; r < 6; ++r) {
        QStringList cells;
        for (int c = 0; c < 5; ++c) {
            cells << model.data(model.index(r, c), Qt::DisplayRole).toString();
        }
        EXPECT_EQ(cells.join(u'|').toStdString(), rows[r]);
    }
    EXPECT_FALSE(
        model.data(model.index(4, ProjectionTableModel::Change), Qt::DisplayRole).isValid())
        << "no text at all where the month before is not a number";
}

// One projection throughout: a new calendar month of M0 alone renames the months.
TEST(ProjectionTable, NamesTheCalendarMonthsOnlyGivenM0s) {
    const std::pair<std::optional<CalendarMonth>, QStringList> cases[] = {
        {std::nullopt, {"M0", "M1", "M2"}},
        {CalendarMonth{2026, 11}, {"M0 · Nov 2026", "M1 · Dec 2026", "M2 · Jan 2027"}},
        {std::nullopt, {"M0", "M1", "M2"}},
    };
    TableView view;
    const auto projection = withMonths({1, 2, 3});
    for (const auto& [start, months] : cases) {
        view.setProjection(projection, 1.99, start);
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(view.model()->text(row, ProjectionTableModel::Month), months[row]);
        }
        EXPECT_GE(view.table()->columnWidth(ProjectionTableModel::Month),
                  QFontMetrics(view.model()->figureFont()).horizontalAdvance(months.back()));
    }
}

TEST(ProjectionTable, ShowsOnlyTheHeaderWithoutMonths) {
    TableView view;
    view.setProjection(withMonths({10, 20}), 1.99);
    for (const auto& empty : {withMonths({}), std::shared_ptr<SubscriptionCalculation>()}) {
        view.setProjection(empty, 1.99);
        EXPECT_TRUE(view.summaryTexts().isEmpty());
        EXPECT_EQ(view.model()->rowCount(), 0);
        EXPECT_EQ(view.model()->headerData(0, Qt::Horizontal, Qt::DisplayRole), "Month");
    }
}

// A reset would also drop the rows the user selected.
TEST(ProjectionTable, SummarizesTheLastMonthAndResetsOnlyForANewProjectionOrPrice) {
    TableView view;
    const auto projection = withMonths({500, 2000});
    QSignalSpy resets(view.model(), &QAbstractItemModel::modelReset);
    view.setProjection(projection, 1.99);
    EXPECT_EQ(view.summaryTexts().join(u'|').toStdString(), "2,000|$3,383|$41,160|$7.49");
    view.setProjection(projection, 1.99);
    EXPECT_EQ(resets.count(), 1);
    view.setProjection(projection, 2.99);
    EXPECT_EQ(resets.count(), 2);
    EXPECT_EQ(view.summaryTexts().at(1), "$5,083");
    view.setProjection(withMonths({500, 2000}), 2.99);
    EXPECT_EQ(resets.count(), 3);
}

TEST(ProjectionTable, CopiesSelectedRowsWithTheHeaderAsTabSeparatedLines) {
    TableView view;
    view.setProjection(withMonths({100, nan, 90}), 1.99);
    QTableView* table = view.table();
    table->selectionModel()->select(table->model()->index(2, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    table->selectionModel()->select(table->model()->index(1, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    // A window-wide Copy, as an Edit menu brings, must not take the keys.
    QAction windowCopy(&view);
    windowCopy.setShortcut(QKeySequence::Copy);
    view.addAction(&windowCopy);
    QSignalSpy windowCopies(&windowCopy, &QAction::triggered);
    view.show();
    view.activateWindow();
    table->setFocus();
    // Activation arrives as a window-system event, which posted-event
    // delivery alone does not hand out; shortcuts act only in active windows.
    QCoreApplication::processEvents();
    ASSERT_TRUE(view.isActiveWindow());

    QGuiApplication::clipboard()->clear();
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(windowCopies.count(), 0);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
              "Month\tActive\tChange\tProceeds\tAnnualized\n"
              "M1\tn/a\t\tn/a\tn/a\n"
              "M2\t90\tn/a\t$152\t$1,852\n");

    EXPECT_EQ(tabSeparated(*view.model(), {0, 0, 7}).toStdString(),
              "Month\tActive\tChange\tProceeds\tAnnualized\n"
              "M0\t100\t-\t$169\t$2,058\n");
}

TEST(ProjectionTable, NoFigureOrHeaderIsCutOff) {
    ScenarioValues longRun;
    longRun.monthsToProject = 600;
    longRun.startingSubs = 5000;
    // Figures far wider than the starting widths, in every figure column, and
    // as wide as columns grow ("$101,989,800,000,000").
    const auto huge = withMonths({1e3, 9.87654e11, -4e11, 1e12});
    const std::pair<std::shared_ptr<SubscriptionCalculation>, double> shown[] = {
        {project(), 1.99}, {project(longRun), 1.99}, {huge, 9.99}};
    for (const auto& [projection, price] : shown) {
        TableView view;
        view.setProjection(projection, price);
        const QTableView* table = view.table();

        // Figures line up only when every digit is as wide as the others.
        const QFontMetricsF digits(view.model()->figureFont());
        for (char digit = '1'; digit <= '9'; ++digit) {
            EXPECT_EQ(digits.horizontalAdvance(QChar(digit)), digits.horizontalAdvance(u'0'));
        }

        QStyleOptionViewItem option;
        option.initFrom(table);
        const int grid = table->showGrid() ? 1 : 0;
        const int starts[] = {44, 65, 50, 80, 80};
        for (int column = 0; column < ProjectionTableModel::columns; ++column) {
            const int width = table->columnWidth(column);
            EXPECT_GE(width, starts[column]);
            EXPECT_GE(width, table->horizontalHeader()->sectionSizeHint(column));
            int needed = 0;
            for (int row = 0; row < view.model()->rowCount(); ++row) {
                const QModelIndex index = view.model()->index(row, column);
                needed = std::max(
                    needed, table->itemDelegateForIndex(index)->sizeHint(option, index).width());
            }
            EXPECT_GE(width, needed + grid) << "column " << column;
        }
    }
}

// A figure of 1e300 once had 401 characters: the columns grew the window to
// 6,000 px, and the summary showed the last digits of figures wider than its
// box as if they were the whole. From 1e15 on figures go to e-notation.
TEST(ProjectionTable, CapsItsFiguresWithAVisibleSignThenShrinksBack) {
    TableView view;
    view.show();
    view.setProjection(withMonths({100, 200}), 1.99);
    const QTableView* table = view.table();
    const int normal = table->sizeHint().width();

    // Wider than the 150 px box, the figure widens it.
    view.setProjection(withMonths({100, 161'601'591'019}), 1.99);
    view.resize(view.sizeHint());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    EXPECT_GT(view.summaryValue(0)->width(), 150);
    EXPECT_FALSE(view.summaryValue(0)->isElided());

    view.setProjection(withMonths({1e300, 1e306}), 1.99);
    const std::pair<int, const char*> cells[] = {{ProjectionTableModel::Active, "1e+300"},
                                                 {ProjectionTableModel::Proceeds, "$1.6915e+300"}};
    for (const auto& [column, text] : cells) {
        EXPECT_EQ(view.model()->text(0, column), text);
        EXPECT_LT(table->columnWidth(column), view.columnCap()) << column;
    }
    // Written whole, the summary needs neither "…" nor a tooltip.
    const ElidedLabel& subscribers = *view.summaryValue(0);
    EXPECT_EQ(subscribers.text(), "1e+306");
    EXPECT_FALSE(subscribers.isElided());

    view.setProjection(withMonths({100, 200}), 1.99);
    EXPECT_EQ(table->sizeHint().width(), normal);
    EXPECT_FALSE(subscribers.isElided());
    EXPECT_EQ(subscribers.toolTip(), "");
}

TEST(ProjectionTable, KeepsTheTableInViewAtTheComparisonHeight) {
    TableView view;
    view.setProjection(project(), 1.99);
    view.setFixedHeight(200);
    view.show();
    drain();
    const QTableView* table = view.table();
    EXPECT_GE(table->viewport()->height(), 2 * table->rowHeight(0));
}

}  // namespace
}  // namespace velmora
