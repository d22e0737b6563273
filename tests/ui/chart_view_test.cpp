#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <tuple>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QToolTip>

#include <gtest/gtest.h>

#include "engine/table/table_figures.h"
#include "support/projected.h"
#include "ui/charts/chart_data.h"
#include "ui/charts/cohort_plottable.h"
#include "ui/charts/comparison_chart.h"
#include "ui/charts/projection_chart.h"
#include "ui/charts/value_axis.h"

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

const std::vector<double> fiveYears{0, 12, 24, 36, 48};

TEST(ProjectionChart, SwitchesBetweenBarsAndLine) {
    const auto data = project({.monthsToProject = 60, .startingSubs = 500});
    ProjectionChart chart;
    showAt(chart, 900, 400);

    chart.setProjection(data);
    ASSERT_TRUE(chart.showsCohorts());
    EXPECT_TRUE(chart.cohortBars()->visible());
    EXPECT_EQ(chart.cohortBars()->stack().bars.size(), 60u);
    EXPECT_FALSE(chart.dailyLine()->visible());
    EXPECT_FALSE(chart.monthlyPoints()->visible());
    // The line is made only when it is shown.
    EXPECT_EQ(chart.dailyLine()->dataCount(), 0);
    EXPECT_EQ(tickPositions(chart.xAxis), fiveYears);
    EXPECT_EQ(chart.yAxis->label(), "Subscribers by cohort");
    EXPECT_LT(chart.xAxis->range().lower, 0);
    EXPECT_GT(chart.xAxis->range().upper, 59);

    for (const int simple : {1, 2, -1}) {
        chart.setShowCohorts(simple);
        chart.replot();
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
    EXPECT_EQ(tickPositions(chart.xAxis), fiveYears);
    EXPECT_EQ(chart.xAxis->label(), "Month");
    EXPECT_EQ(chart.yAxis->label(), "Active subscribers");

    EXPECT_EQ(chart.accessibleDescription(), "Month, Active");
    chart.setShowCohorts(0);
    EXPECT_TRUE(chart.cohortBars()->visible());
    EXPECT_FALSE(chart.dailyLine()->visible());
    EXPECT_EQ(chart.accessibleDescription(), "Shape Type, Total Count, Shape Color");
    chart.setProjection(project({.monthsToProject = 3}));
    EXPECT_EQ(chart.cohortBars()->stack().bars.size(), 3u);

    // Days sit at day / month length: the line of 7-day months ends in its last month.
    chart.setShowCohorts(1);
    chart.setProjection(project({.monthDuration = 7, .monthsToProject = 3}));
    ASSERT_EQ(chart.dailyLine()->dataCount(), 21);
    EXPECT_EQ(chart.dailyLine()->data()->at(20)->key, 20.0 / 7);
    EXPECT_EQ(chart.monthlyPoints()->data()->at(2)->key, 2);
}

TEST(ProjectionChart, JoinsTheFirstDaysAndTellsTheProgressWhileTheDaysAreBuilt) {
    ProjectionChart chart;
    showAt(chart, 900, 400);
    chart.setProjection(project({.monthsToProject = 24}, ProjectionDetail::Months));
    chart.setDayProgress(0.25);
    EXPECT_TRUE(chart.progressNote()->visible());
    EXPECT_EQ(chart.progressNote()->text(), "Building the day-by-day projection: 25%");
    EXPECT_TRUE(chart.cohortBars()->stack().empty()) << "the bars wait for the days";
    chart.setShowCohorts(1);
    ASSERT_EQ(chart.dailyLine()->dataCount(), 24);
    EXPECT_EQ(chart.dailyLine()->data()->at(23)->key, 23);
    EXPECT_LT(chart.xAxis->range().upper, 25) << "the months end at the last first day";
    chart.setDayProgress(std::nullopt);
    EXPECT_FALSE(chart.progressNote()->visible());
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
            EXPECT_EQ(tickPositions(chart.xAxis), fiveYears);
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

TEST(ProjectionChart, MarksEveryYearToTheEndAndDrawsPointsOnlyWhereTheyStandApart) {
    ProjectionChart chart;
    showAt(chart, 1200, 400);
    chart.setShowCohorts(1);
    chart.setProjection(project({.monthsToProject = 600}));
    chart.replot();
    // All 50 years marked, every other one labelled; points 2 px apart would fuse.
    const auto ticks = chart.xAxis->ticker().dynamicCast<QCPAxisTickerText>()->ticks();
    ASSERT_EQ(ticks.size(), 50);
    EXPECT_EQ(ticks.value(24), "24");
    EXPECT_EQ(ticks.value(36), "");
    EXPECT_EQ(ticks.value(576), "576");
    EXPECT_TRUE(chart.dailyLine()->visible());
    EXPECT_FALSE(chart.monthlyPoints()->visible());

    // 120 months: about 9 px apart, then 3 px once the chart is made narrower.
    chart.setProjection(project({.monthsToProject = 120}));
    chart.replot();
    EXPECT_TRUE(chart.monthlyPoints()->visible());
    chart.resize(500, 400);
    chart.replot();
    EXPECT_FALSE(chart.monthlyPoints()->visible());
}

// Figures beyond 1e250 or below 1e-280 are beyond what the chart library
// draws as they are; infinite ones cannot be drawn at all.
TEST(ChartAxes, FollowTheFiniteFiguresDrawnAndLabelThemCompactly) {
    const double inf = std::numeric_limits<double>::infinity();
    for (const double trials : {100.0, 1e200, 1e300, 1e-320, inf}) {
        SCOPED_TRACE(trials);
        const auto data = project({.dailyNewSubs = trials});
        double largest = 0;  // the largest finite count of a day (all are positive)
        for (const SubscriptionSnapshot& day : data->snapshots) {
            largest = std::isfinite(day.active) ? std::max(largest, day.active) : largest;
        }
        ProjectionChart single;
        showAt(single, 900, 400);
        single.setProjection(data);
        ComparisonChart comparison;
        showAt(comparison, 900, 400);
        UuidGenerator ids(1);
        const ComparedScenario same{data.get(), 1.0 / proceedsShare};  // income = count
        comparison.setData(chartPoints({same, same, same}, ids), xAxisValues(36));
        for (int kind = 0; kind < 3; ++kind) {  // the bars, the line, the comparison
            single.setShowCohorts(kind);
            QCustomPlot& chart = kind < 2 ? static_cast<QCustomPlot&>(single) : comparison;
            const ValueScale scale = kind < 2 ? single.valueScale() : comparison.valueScale();
            const QCPItemText* note =
                kind < 2 ? single.nothingDrawnNote() : comparison.nothingDrawnNote();
            chart.replot();
            EXPECT_EQ(note->visible(), largest == 0) << kind;
            EXPECT_EQ(chart.yAxis->tickLabels(), largest > 0) << kind;
            if (largest == 0) {
                continue;
            }
            EXPECT_EQ(chart.yAxis->range().lower, 0) << kind;
            const double top = scale.toFigure(chart.yAxis->range().upper);
            // The cohort bars add the month's counts in another order.
            EXPECT_GE(top, largest * (1 - 1e-9)) << kind;
            EXPECT_LE(top, largest * 1.1) << kind;
            for (const QString& label : chart.yAxis->tickVectorLabels()) {
                EXPECT_LE(label.size(), 16) << kind << " " << label.toStdString();
            }
        }
    }
}

TEST(ChartAxes, LabelFiguresOfAnySizeCompactlyAndExactly) {
    using Style = NumberFormatter::Style;
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    const std::tuple<QVector<double>, Style, QLocale, const char*> cases[] = {
        {{0, 2500, 5000}, Style::Decimal, us, "0|2,500|5,000"},
        {{0, 0.25, 0.5}, Style::Currency, us, "$0.00|$0.25|$0.50"},
        {{1e11, 5e11}, Style::Currency, us, "$100,000,000,000|$500,000,000,000"},
        {{5e14, 1e15, 1.25e15}, Style::Decimal, us, "5e+14|1e+15|1.25e+15"},
        {{-2e300, 0, 2e300}, Style::Currency, us, "($2e+300)|$0|$2e+300"},
        {{0, 5e-321, 1e-320}, Style::Decimal, us, "0|5e-321|1e-320"},
        {{0, -1.5e15}, Style::Currency, german, "0\u00a0€|-1,5e+15\u00a0€"},
    };
    for (const auto& [figures, style, locale, expected] : cases) {
        EXPECT_EQ(QStringList(axisLabels(figures, style, locale)).join(u'|').toStdString(),
                  expected);
    }
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
    EXPECT_EQ(chart.xAxis->label(), "Month");
    EXPECT_EQ(chart.yAxis->label(), "Proceeds");
    const std::array<int, 3> sizes{1080, 1080, 720};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(chart.graph(i)->dataCount(), sizes[static_cast<std::size_t>(i)]);
    }
    chart.replot();
    // Above the plot, where it covers no line.
    EXPECT_LE(chart.legend->outerRect().bottom(), chart.axisRect()->rect().top());
    EXPECT_TRUE(chart.rect().contains(chart.legend->outerRect()));
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
