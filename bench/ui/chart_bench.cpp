#include <array>
#include <memory>
#include <sstream>

#include <QPixmap>

#include <benchmark/benchmark.h>

#include "engine/projection/calculation.h"
#include "ui/charts/chart_data.h"
#include "ui/charts/cohort_bars.h"
#include "ui/charts/comparison_chart.h"
#include "ui/charts/projection_chart.h"

namespace velmora {
namespace {

constexpr int chartWidth = 1200;
constexpr int chartHeight = 500;

/// A long projection, built before anything is timed, with the scenario it reads.
struct LongProjection {
    explicit LongProjection(double price = 1.99) : scenario(values(price)) {
        std::ostringstream announce;
        projection = std::make_shared<const SubscriptionCalculation>(scenario, announce);
    }

    static ScenarioValues values(double price) {
        ScenarioValues values;
        values.monthsToProject = 600;
        values.startingSubs = 5000;
        values.price = price;
        return values;
    }

    FixedScenario scenario;
    std::shared_ptr<const SubscriptionCalculation> projection;
};

void drawProjectionChart(benchmark::State& state, int showCohorts) {
    const LongProjection data;
    for (auto _ : state) {
        state.PauseTiming();
        auto chart = std::make_unique<ProjectionChart>();
        chart->setShowCohorts(showCohorts);
        state.ResumeTiming();
        chart->setProjection(data.projection);
        QPixmap picture = chart->toPixmap(chartWidth, chartHeight);
        benchmark::DoNotOptimize(picture);
        state.PauseTiming();
        chart.reset();
        state.ResumeTiming();
    }
}

void BM_CohortChart600Months(benchmark::State& state) {
    drawProjectionChart(state, 0);
}
BENCHMARK(BM_CohortChart600Months)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reading and stacking of the records alone.
void BM_StackCohorts600Months(benchmark::State& state) {
    const LongProjection data;
    for (auto _ : state) {
        CohortStack stack = stackProjection(*data.projection);
        benchmark::DoNotOptimize(stack);
    }
}
BENCHMARK(BM_StackCohorts600Months)->Unit(benchmark::kMillisecond)->UseRealTime();

// The painting alone, the bars already stacked.
void BM_CohortChartRepaint600Months(benchmark::State& state) {
    const LongProjection data;
    ProjectionChart chart;
    chart.setShowCohorts(0);
    chart.setProjection(data.projection);
    for (auto _ : state) {
        QPixmap picture = chart.toPixmap(chartWidth, chartHeight);
        benchmark::DoNotOptimize(picture);
    }
}
BENCHMARK(BM_CohortChartRepaint600Months)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SimpleChart600Months(benchmark::State& state) {
    drawProjectionChart(state, 1);
}
BENCHMARK(BM_SimpleChart600Months)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ComparisonChart600Months(benchmark::State& state) {
    const std::array<LongProjection, 3> data{LongProjection(1.99), LongProjection(2.99),
                                             LongProjection(0.99)};
    const std::array<ComparedScenario, 3> scenarios{
        ComparedScenario{data[0].projection.get(), 1.99},
        ComparedScenario{data[1].projection.get(), 2.99},
        ComparedScenario{data[2].projection.get(), 0.99}};
    UuidGenerator ids(7);
    ComparisonChart chart;
    for (auto _ : state) {
        chart.setData(chartPoints(scenarios, ids), xAxisValues(600));
        QPixmap picture = chart.toPixmap(chartWidth, chartHeight);
        benchmark::DoNotOptimize(picture);
    }
}
BENCHMARK(BM_ComparisonChart600Months)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace velmora
