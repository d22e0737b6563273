#include <cstdlib>
#include <vector>

#include <QFontMetricsF>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTableView>
#include <QToolTip>

#include "ui/calibration/calibration_page.h"
#include "ui/calibration/survival_chart.h"
#include "ui/charts/comparison_chart.h"
#include "ui/charts/projection_chart.h"
#include "ui/common/elided_label.h"
#include "ui/common/page_layout.h"
#include "ui/form/inputs_view.h"
#include "ui/insights/insights_page.h"
#include "ui/insights/sensitivity_panel.h"
#include "ui/insights/tornado_chart.h"
#include "ui/pages/scenario_column.h"
#include "ui/table/table_model.h"
#include "ui/table/table_view.h"
#include "window_fixture.h"

namespace velmora {
namespace {

using Field = SubscriptionInputs::Field;

struct Typed {
    Field field;
    const char* text;
};

/// Values a user may type, each into the form of both pages, on a fresh window.
struct Extreme {
    const char* name;
    std::vector<Typed> typed;
    bool longest = false;  ///< the slider taken to its end, 600 months
};

const Extreme extremes[] = {
    {"10,000,000 daily trials at 9.99",
     {{Field::DailyNewSubs, "10000000"}, {Field::Price, "9.99"}}},
    {"1e300 daily trials", {{Field::DailyNewSubs, "1e300"}}},
    {"1e308 daily trials", {{Field::DailyNewSubs, "1e308"}}},
    {"-1e308 daily trials", {{Field::DailyNewSubs, "-1e308"}}},
    {"5e-324 daily trials", {{Field::DailyNewSubs, "5e-324"}}},
    {"-0 daily trials", {{Field::DailyNewSubs, "-0"}}},
    {"0 daily trials", {{Field::DailyNewSubs, "0"}}},
    {"a rate of 95", {{Field::Rt1, "95"}}},
    {"a negative trial retention", {{Field::TrialRetention, "-0.5"}}},
    {"600 months from 1e9 subscribers", {{Field::StartingSubs, "1e9"}}, true},
};

/// No "nan", "inf" or "infinity" in any case: the app writes "n/a" and "∞".
::testing::AssertionResult readable(const QString& text) {
    if (text.contains(QLatin1String("nan"), Qt::CaseInsensitive) ||
        text.contains(QLatin1String("inf"), Qt::CaseInsensitive)) {
        return ::testing::AssertionFailure() << "raw text: " << text.toStdString();
    }
    return ::testing::AssertionSuccess();
}

/// A tooltip of `text` stays within the width of `screen`.
bool tipFits(const QString& text, int screen) {
    return QFontMetricsF(QToolTip::font()).horizontalAdvance(text) <= screen;
}

/// The label shows its text whole within its width, or shortened with "…"
/// and the whole text in a tooltip that fits the screen.
::testing::AssertionResult notCut(const ElidedLabel& label, int screen = 1024) {
    const double shown = QFontMetricsF(label.font()).horizontalAdvance(label.text());
    const bool fits = shown <= label.contentsRect().width();
    const bool whole = !label.isElided();
    // Shortened, a figure in e-notation keeps its exponent in view.
    const bool marked = label.text().contains(u'…') && label.toolTip() == label.fullText() &&
                        tipFits(label.toolTip(), screen) &&
                        label.text().contains("e+") == label.fullText().contains("e+");
    if (fits && (whole || marked) && readable(label.fullText())) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << '"' << label.text().toStdString() << "\" (" << shown << " px) in "
           << label.contentsRect().width() << " px, of \"" << label.fullText().toStdString() << '"';
}

void checkTable(const TableView& view, int screen) {
    const ProjectionTableModel& model = *view.model();
    const QTableView& table = *view.table();
    const QFontMetricsF metrics(model.figureFont());
    for (int column = 0; column < ProjectionTableModel::columns; ++column) {
        ASSERT_LE(table.columnWidth(column), view.columnCap()) << "column " << column;
        for (int row = 0; row < model.rowCount(); ++row) {
            const QString& text = model.text(row, column);
            ASSERT_TRUE(readable(text)) << "row " << row;
            // A shortened cell tells its whole text in a tooltip.
            ASSERT_TRUE(tipFits(text, screen)) << text.toStdString();
            // Wider than its column, a figure is shortened with "…" (and told whole in a tip).
            if (metrics.horizontalAdvance(text) > table.columnWidth(column)) {
                ASSERT_EQ(table.textElideMode(), Qt::ElideMiddle) << text.toStdString();
                ASSERT_GE(table.columnWidth(column), view.columnCap()) << text.toStdString();
                const QRect cell = table.visualRect(model.index(row, column));
                if (cell.isValid()) {
                    QHelpEvent help(QEvent::ToolTip, cell.center(),
                                    table.viewport()->mapToGlobal(cell.center()));
                    QCoreApplication::sendEvent(table.viewport(), &help);
                    ASSERT_EQ(QToolTip::text(), text) << "the tip of a shortened cell";
                }
            }
        }
    }
    for (int line = 0; line < 4; ++line) {
        EXPECT_TRUE(notCut(*view.summaryValue(line), screen)) << "summary line " << line;
    }
}

void checkChart(const QCustomPlot& chart) {
    if (chart.yAxis->tickLabels()) {
        for (const QString& label : chart.yAxis->tickVectorLabels()) {
            EXPECT_TRUE(readable(label));
            EXPECT_LE(label.size(), 16) << label.toStdString();
        }
    }
}

/// What a screen leaves a window: a panel of 32 px and a title bar of 32 px.
QSize windowOn(QSize screen) {
    return screen - QSize(0, 64);
}

/// The chart shows whole in its window, 200 points tall at the least.
::testing::AssertionResult wholeInView(const QWidget& chart) {
    const QRect shown = chart.visibleRegion().boundingRect();
    if (chart.height() >= 200.0 * chart.logicalDpiY() / 72 && shown == chart.rect()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << chart.accessibleName().toStdString() << " shows "
                                         << shown.height() << " of " << chart.height() << " px";
}

/// Where the fields of the page on tab `tab` sit on it, wherever it is scrolled.
std::vector<QPoint> fieldPlaces(ContentView& content, int tab) {
    content.setCurrentIndex(tab);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QScrollArea* area = content.currentWidget()->findChild<QScrollArea*>();
    std::vector<QPoint> places;
    for (const NumberField* field : area->widget()->findChildren<NumberField*>()) {
        places.push_back(field->mapTo(area->widget(), QPoint(0, 0)));
    }
    return places;
}

/// Windows on a screen, on a fake clock, edited through their forms.
class Extremes : public ::testing::TestWithParam<QSize> {};

TEST_P(Extremes, KeepTheWindowOnTheScreenAndEveryFigureReadable) {
    const QSize screen = GetParam();
    for (const Extreme& extreme : extremes) {
        SCOPED_TRACE(extreme.name);
        FakeScenarios scenarios;
        MainWindow window(scenarios.factory());
        window.resize(windowOn(screen));
        window.show();
        QApplication::setActiveWindow(&window);
        ContentView& content = *window.content();
        SingleAnalysis& single = *content.single();
        DualAnalysis& dual = *content.dual();
        const std::vector<QPoint> places[] = {fieldPlaces(content, 0), fieldPlaces(content, 1)};
        for (InputsView* form : {single.form(), dual.column(1)->form()}) {
            content.setCurrentIndex(form == single.form() ? 0 : 1);
            if (extreme.longest) {
                form->slider()->setFocus();
                QTest::keyClick(form->slider(), Qt::Key_End);
            }
            for (const auto& [field, text] : extreme.typed) {
                typeAndCommit(form->field(field), QString::fromLatin1(text));
                EXPECT_EQ(form->inputs()->value(field), std::strtod(text, nullptr)) << text;
            }
        }
        scenarios.elapse();
        for (const int tab : {0, 1}) {
            // However wide the figures, the fields stay under the pointer.
            EXPECT_EQ(fieldPlaces(content, tab), places[tab]) << "tab " << tab;
            EXPECT_FALSE(window.grab().isNull());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            EXPECT_EQ(window.size(), windowOn(screen)) << "tab " << tab;
            const QSize least = window.minimumSizeHint();
            EXPECT_TRUE(least.width() <= screen.width() && least.height() <= screen.height())
                << least.width() << "x" << least.height();
            // Too small a window scrolls the page up and down, never sideways,
            // and squeezes no chart or table below its least height.
            const QScrollArea* area = tab == 0 ? single.scroller() : dual.scroller();
            EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0) << "tab " << tab;
        }
        EXPECT_TRUE(wholeInView(*dual.chart()));
        EXPECT_GE(dual.chart()->axisRect()->height(), 150);
        // Every field of the columns scrolls into view above the chart.
        for (NumberField* field : dual.column(2)->findChildren<NumberField*>()) {
            dual.split()->controlsArea()->ensureWidgetVisible(field);
            EXPECT_EQ(field->visibleRegion().boundingRect(), field->rect())
                << field->accessibleName().toStdString();
        }
        EXPECT_TRUE(wholeInView(*dual.chart())) << "scrolling the columns leaves the chart";
        content.setCurrentIndex(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        EXPECT_TRUE(wholeInView(*single.chart()));
        // Insights and Calibration too, in a window no taller than it was.
        const std::pair<int, QWidget*> others[] = {{2, content.insights()->sensitivity()->chart()},
                                                   {3, content.calibration()->chart()}};
        for (const auto& [tab, chart] : others) {
            content.setCurrentIndex(tab);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            EXPECT_TRUE(wholeInView(*chart)) << "tab " << tab;
            EXPECT_EQ(window.size(), windowOn(screen)) << "tab " << tab;
        }
        // The columns scroll up and down only, however narrow they are squeezed.
        for (int tab = 3; tab >= 1; --tab) {
            content.setCurrentIndex(tab);
            for (QScrollArea* column : content.currentWidget()->findChildren<QScrollArea*>()) {
                if (column->isVisible() &&
                    column->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff) {
                    column->resize(40, column->height());
                    EXPECT_FALSE(column->horizontalScrollBar()->isVisible()) << "tab " << tab;
                }
            }
        }
        content.setCurrentIndex(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        checkTable(*single.table(), screen.width());
        checkChart(*single.chart());
        EXPECT_TRUE(notCut(*single.form()->monthsLabel()));
        for (int i = 0; i < DualAnalysis::scenarioCount; ++i) {
            checkTable(*dual.column(i)->table(), screen.width());
            EXPECT_GE(dual.column(i)->table()->height(), ScenarioColumn::tableHeight);
        }
        checkChart(*dual.chart());
        for (NumberField* field : window.findChildren<NumberField*>()) {
            EXPECT_TRUE(readable(field->text()));
        }
        for (NumberField* field : {single.form()->field(Field::DailyNewSubs),
                                   single.form()->field(Field::StartingSubs)}) {
            // The frame and the text's margins take 4 px on each side.
            EXPECT_LE(QFontMetricsF(field->font()).horizontalAdvance(field->text()),
                      field->width() - 8)
                << field->text().toStdString();
        }
    }
}

// A small desktop, a laptop, and the screen the window's preferred size is for.
INSTANTIATE_TEST_SUITE_P(Screens, Extremes,
                         ::testing::Values(QSize(1024, 768), QSize(1366, 768), QSize(1440, 900)),
                         [](const auto& info) {
                             return std::to_string(info.param.width()) + "x" +
                                    std::to_string(info.param.height());
                         });

}  // namespace
}  // namespace velmora
