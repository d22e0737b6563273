#include <array>
#include <memory>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QToolTip>

#include <gtest/gtest.h>

#include "support/projected.h"
#include "ui/charts/chart_data.h"
#include "ui/charts/cohort_plottable.h"
#include "ui/charts/comparison_chart.h"
#include "ui/charts/projection_chart.h"

namespace velmora {
namespace {

std::vector<double> tickPositions(const QCPAxis* axis) {
    const auto ticker = axis->ticker().dynamicCast<QCPAxisTickerText>();
    if (!ticker) {
        return {};
    }
    const auto keys = ticker->ticks().keys();
    return {keys.begin(), keys.end()};
}

/// Lays the plot out at its real size, which a widget never shown lacks.
void showAt(QCustomPlot& plot, int width, int height) {
    plot.resize(width, height);
    plot.show();
}

QPointF at(const QCustomPlot& plot, double key, double value) {
    return {plot.xAxis->coordToPixel(key), plot.yAxis->coordToPixel(value)};
}

TEST(ProjectionChart, SwitchesBetweenBarsAndLineWithFixedMonthMarks) {
    const auto data = project({.monthsToProject = 60, .startingSubs = 500});
    ProjectionChart chart;

    chart.setProjection(data);
    ASSERT_TRUE(chart.showsCohorts());
    EXPECT_TRUE(chart.cohortBars()->visible());
    EXPECT_EQ(chart.cohortBars()->stack().bars.size(), 60u);
    EXPECT_FALSE(chart.dailyLine()->visible());
    EXPECT_FALSE(chart.monthlyPoints()->visible());
    // The line is made only when it is shown.
    EXPECT_EQ(chart.dailyLine()->dataCount(), 0);
    EXPECT_EQ(tickPositions(chart.xAxis), ProjectionChart::monthMarks());
    EXPECT_LT(chart.xAxis->range().lower, 0);
    EXPECT_GT(chart.xAxis->range().upper, 59);

    for (const int simple : {1, 2, -1}) {
        chart.setShowCohorts(simple);
        EXPECT_FALSE(chart.cohortBars()->visible());
        EXPECT_TRUE(chart.dailyLine()->visible());
        EXPECT_TRUE(chart.monthlyPoints()->visible());
    }
    EXPECT_EQ(chart.dailyLine()->dataCount(), 1800);
    EXPECT_EQ(chart.dailyLine()->data()->at(45)->key, 1.5);
    ASSERT_EQ(chart.monthlyPoints()->dataCount(), 60);
    EXPECT_EQ(chart.monthlyPoints()->data()->at(59)->key, 59);
    EXPECT_EQ(chart.monthlyPoints()->data()->at(59)->value, data->monthlySnapshots[59].active);
    EXPECT_EQ(chart.yAxis->range().lower, 0);
    EXPECT_EQ(tickPositions(chart.xAxis), ProjectionChart::monthMarks());

    EXPECT_EQ(chart.accessibleDescription(), "Month, Active");
    chart.setShowCohorts(0);
    EXPECT_TRUE(chart.cohortBars()->visible());
    EXPECT_FALSE(chart.dailyLine()->visible());
    EXPECT_EQ(chart.accessibleDescription(), "Shape Type, Total Count, Shape Color");
    chart.setProjection(project({.monthsToProject = 3}));
    EXPECT_EQ(chart.cohortBars()->stack().bars.size(), 3u);
}

TEST(ProjectionChart, ShowsNothingWithoutAProjection) {
    for (const auto& projection :
         {std::shared_ptr<SubscriptionCalculation>(), project({.monthsToProject = 0})}) {
        ProjectionChart chart;
        chart.resize(600, 300);
        chart.setProjection(projection);
        for (const int show : {0, 1}) {
            chart.setShowCohorts(show);
            EXPECT_TRUE(chart.cohortBars()->stack().empty());
            EXPECT_EQ(chart.dailyLine()->dataCount(), 0);
            EXPECT_EQ(chart.monthlyPoints()->dataCount(), 0);
            EXPECT_EQ(tickPositions(chart.xAxis), ProjectionChart::monthMarks());
            EXPECT_FALSE(chart.toPixmap(600, 300).isNull());
            EXPECT_TRUE(chart.toolTipAt(at(chart, 12, 0.5)).isEmpty());
        }
    }
}

TEST(ProjectionChart, TellsTheFiguresUnderThePointer) {
    ProjectionChart chart;
    showAt(chart, 900, 400);
    chart.setProjection(project());
    chart.replot();
    // Month 12's bar: the 30 cohorts of month 0, 59 trials each, renewed 11 or 12
    // times, at the bottom; 9,412 subscribers in all.
    EXPECT_EQ(chart.toolTipAt(at(chart, 12, 200)),
              "Month 12, cohort 0\n473 subscribers (of 9,412)");
    EXPECT_TRUE(chart.toolTipAt(at(chart, 12, 9412 * 1.02)).isEmpty());
    EXPECT_TRUE(chart.toolTipAt({1, 1}).isEmpty());

    chart.setShowCohorts(1);
    chart.replot();
    EXPECT_EQ(chart.toolTipAt(at(chart, 35.9, 0)), "Month 35\n15,642 active");
    // Hovering shows the tip of the whole month nearest the pointer.
    const QPointF pointer = at(chart, 12.3, 100);
    QMouseEvent move(QEvent::MouseMove, pointer, chart.mapToGlobal(pointer), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&chart, &move);
    EXPECT_EQ(QToolTip::text(), "Month 12\n9,412 active");
}

TEST(ProjectionChart, TellsTheBarOnTopWhereBarsOverlap) {
    ProjectionChart chart;
    showAt(chart, 520, 300);
    chart.setProjection(project({.monthsToProject = 120}));
    chart.replot();
    const double spacing = chart.xAxis->coordToPixel(61) - chart.xAxis->coordToPixel(60);
    ASSERT_GT(spacing, 2.8);
    ASSERT_LT(spacing, 4.4);
    // Month 61's bar, painted later, covers the middle of month 60's.
    EXPECT_TRUE(chart.toolTipAt(at(chart, 60, 1)).startsWith("Month 61, cohort 0\n"));
}

TEST(ComparisonChart, DrawsOneLinePerScenario) {
    const auto longer = project();
    const auto shorter = project({.monthsToProject = 24});
    UuidGenerator ids(5);
    const auto points =
        chartPoints({ComparedScenario{longer.get(), 1.99}, ComparedScenario{longer.get(), 2.99},
                     ComparedScenario{shorter.get(), 0.99}},
                    ids);
    ComparisonChart chart;
    showAt(chart, 900, 400);

    for (const auto& ticks : {xAxisValues(36), std::vector<double>{}, std::vector<double>{5, 7}}) {
        chart.setData(points, ticks);
        EXPECT_EQ(tickPositions(chart.xAxis), ticks);
    }
    ASSERT_EQ(chart.graphCount(), 3);
    EXPECT_TRUE(chart.legend->visible());
    const std::array<int, 3> sizes{1080, 1080, 720};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(chart.graph(i)->dataCount(), sizes[static_cast<std::size_t>(i)]);
    }
    chart.replot();
    EXPECT_EQ(chart.toolTipAt(at(chart, 11.8, 10000)),
              "Month 12\nBaseline $15,920\nAlternate 1 $23,919\nAlternate 2 $7,920");
    // Past the shorter scenario's end, its last day stands in.
    EXPECT_EQ(chart.toolTipAt(at(chart, 30, 10000)),
              "Month 30\nBaseline $25,091\nAlternate 1 $37,700\nAlternate 2 $11,392");

    chart.setData({}, xAxisValues(36));
    EXPECT_EQ(chart.graphCount(), 0);
    EXPECT_FALSE(chart.legend->visible());
    EXPECT_TRUE(chart.toolTipAt(at(chart, 12, 0.5)).isEmpty());
    EXPECT_FALSE(chart.toPixmap(600, 300).isNull());
    chart.setData(points, xAxisValues(36));
    EXPECT_EQ(chart.graphCount(), 3);

    // 600 months keep all 50 marks, but label every other one.
    chart.setData(points, xAxisValues(600));
    const auto ticks = chart.xAxis->ticker().dynamicCast<QCPAxisTickerText>()->ticks();
    ASSERT_EQ(ticks.size(), 50);
    EXPECT_EQ(ticks.value(0), "0");
    EXPECT_EQ(ticks.value(12), "");
    EXPECT_EQ(ticks.value(576), "576");
}

}  // namespace
}  // namespace velmora
