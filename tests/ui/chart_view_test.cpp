#include <array>
#include <memory>
#include <sstream>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QToolTip>

#include <gtest/gtest.h>

#include "ui/charts/chart_data.h"
#include "ui/charts/chart_style.h"
#include "ui/charts/cohort_plottable.h"
#include "ui/charts/comparison_chart.h"
#include "ui/charts/projection_chart.h"

namespace velmora {
namespace {

/// A projection with the scenario it reads, which must outlive it.
struct Projected {
    explicit Projected(double months, double startingSubs = 0)
        : scenario(values(months, startingSubs)) {
        std::ostringstream announce;
        projection = std::make_shared<const SubscriptionCalculation>(scenario, announce);
    }
    static ScenarioValues values(double months, double startingSubs) {
        ScenarioValues v;
        v.monthsToProject = months;
        v.startingSubs = startingSubs;
        return v;
    }
    FixedScenario scenario;
    std::shared_ptr<const SubscriptionCalculation> projection;
};

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
    const Projected data(60, 500);
    ProjectionChart chart;
    EXPECT_EQ(chart.accessibleName(), "Projection chart");
    EXPECT_EQ(chart.focusPolicy(), Qt::StrongFocus);
    EXPECT_GE(chart.minimumHeight(), 200);

    chart.setProjection(data.projection);
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
    EXPECT_EQ(chart.monthlyPoints()->data()->at(59)->value,
              data.projection->monthlySnapshots[59].active);
    EXPECT_EQ(chart.yAxis->range().lower, 0);
    EXPECT_EQ(tickPositions(chart.xAxis), ProjectionChart::monthMarks());

    EXPECT_EQ(chart.accessibleDescription(), "Month, Active");
    chart.setShowCohorts(0);
    EXPECT_TRUE(chart.cohortBars()->visible());
    EXPECT_FALSE(chart.dailyLine()->visible());
    EXPECT_EQ(chart.accessibleDescription(), "Shape Type, Total Count, Shape Color");
}

TEST(ProjectionChart, KeepsItsBarsWhileTheProjectionStaysTheSame) {
    const Projected first(12);
    const Projected second(3);
    ProjectionChart chart;
    chart.setProjection(first.projection);
    const CohortSegment* bars = chart.cohortBars()->stack().segments.data();
    chart.setProjection(first.projection);
    EXPECT_EQ(chart.cohortBars()->stack().segments.data(), bars);

    chart.setProjection(second.projection);
    EXPECT_EQ(chart.cohortBars()->stack().bars.size(), 3u);
}

TEST(ProjectionChart, ShowsNothingWithoutAProjection) {
    const Projected none(0);
    for (const auto& projection :
         {std::shared_ptr<const SubscriptionCalculation>(), none.projection}) {
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
    const Projected data(36, 500);
    ProjectionChart chart;
    showAt(chart, 900, 400);
    chart.setProjection(data.projection);
    chart.replot();

    // The lowest positive segment of month 12's bar.
    const CohortStack& stack = chart.cohortBars()->stack();
    const CohortBar& bar = stack.bars[12];
    const CohortSegment* bottom = nullptr;
    for (std::size_t i = bar.first; i < bar.end && !bottom; ++i) {
        if (stack.segments[i].base == 0 && stack.segments[i].top > 0) {
            bottom = &stack.segments[i];
        }
    }
    ASSERT_NE(bottom, nullptr);
    EXPECT_EQ(chart.toolTipAt(at(chart, 12, bottom->top / 2)),
              cohortChartTip(12, bottom->cohort, bottom->top, bar.total));
    EXPECT_TRUE(chart.toolTipAt(at(chart, 12, bar.high * 1.02)).isEmpty());
    EXPECT_TRUE(chart.toolTipAt({1, 1}).isEmpty());

    chart.setShowCohorts(1);
    chart.replot();
    const double active = data.projection->monthlySnapshots[12].active;
    EXPECT_EQ(chart.toolTipAt(at(chart, 12.3, 0)), simpleChartTip(12, active));
    EXPECT_EQ(chart.toolTipAt(at(chart, 35.9, 0)),
              simpleChartTip(35, data.projection->monthlySnapshots[35].active));
}

TEST(ProjectionChart, TellsTheBarOnTopWhereBarsOverlap) {
    const Projected data(120);
    ProjectionChart chart;
    showAt(chart, 520, 300);
    chart.setProjection(data.projection);
    chart.replot();
    const double spacing = chart.xAxis->coordToPixel(61) - chart.xAxis->coordToPixel(60);
    ASSERT_GT(spacing, 2.8);
    ASSERT_LT(spacing, 4.4);
    // Month 61's bar, painted later, covers the middle of month 60's.
    EXPECT_TRUE(chart.toolTipAt(at(chart, 60, 1)).startsWith("Month 61, cohort 0\n"));
}

TEST(ProjectionChart, HoveringShowsTheTip) {
    const Projected data(36);
    ProjectionChart chart;
    showAt(chart, 900, 400);
    chart.setProjection(data.projection);
    chart.setShowCohorts(1);
    chart.replot();
    const QPointF pointer = at(chart, 12, 100);
    QMouseEvent move(QEvent::MouseMove, pointer, chart.mapToGlobal(pointer), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&chart, &move);
    EXPECT_EQ(QToolTip::text(), chart.toolTipAt(pointer));
    EXPECT_TRUE(QToolTip::text().startsWith("Month 12\n"));
}

TEST(ComparisonChart, DrawsOneColouredLinePerScenario) {
    const std::array<Projected, 3> data{Projected(36), Projected(36), Projected(24)};
    UuidGenerator ids(5);
    const auto points = chartPoints({ComparedScenario{data[0].projection.get(), 1.99},
                                     ComparedScenario{data[1].projection.get(), 2.99},
                                     ComparedScenario{data[2].projection.get(), 0.99}},
                                    ids);
    ComparisonChart chart;
    showAt(chart, 900, 400);
    EXPECT_EQ(chart.accessibleName(), "Income comparison chart");
    EXPECT_EQ(chart.accessibleDescription(), "Date, Income, Projection");
    EXPECT_GE(chart.minimumHeight(), 200);

    for (const auto& ticks : {xAxisValues(36), std::vector<double>{}, std::vector<double>{5, 7}}) {
        chart.setData(points, ticks);
        EXPECT_EQ(tickPositions(chart.xAxis), ticks);
    }
    ASSERT_EQ(chart.graphCount(), 3);
    EXPECT_TRUE(chart.legend->visible());
    const std::array<int, 3> sizes{1080, 1080, 720};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(chart.graph(i)->name(), seriesName(i));
        EXPECT_EQ(chart.graph(i)->pen().color(), seriesColour(i));
        EXPECT_EQ(chart.graph(i)->dataCount(), sizes[static_cast<std::size_t>(i)]);
    }
    chart.replot();
    const auto income = [&](std::size_t point) { return points[point].income; };
    EXPECT_EQ(chart.toolTipAt(at(chart, 11.8, income(360))),
              comparisonChartTip(12, {{"Baseline", income(360)},
                                      {"Alternate 1", income(1080 + 360)},
                                      {"Alternate 2", income(2160 + 360)}}));
    // Past the shorter scenario's end, its last day stands in.
    EXPECT_EQ(chart.toolTipAt(at(chart, 30, income(900))),
              comparisonChartTip(30, {{"Baseline", income(900)},
                                      {"Alternate 1", income(1080 + 900)},
                                      {"Alternate 2", income(2160 + 719)}}));

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
