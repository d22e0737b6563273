// The pages as the user meets them: an edit repainted at 600 months, the
// comparison page rebuilt and painted, and the first window of a new process.
#include <chrono>
#include <memory>

#include <QApplication>
#include <QPixmap>
#include <QProcess>

#include <benchmark/benchmark.h>

#include "first_frame.h"
#include "inputs/subscription_inputs.h"
#include "support/fake_scenarios.h"
#include "ui/pages/dual_analysis.h"
#include "ui/pages/single_analysis.h"
#include "ui/window/main_window.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

void largeScenario(SubscriptionInputs& inputs) {
    inputs.setMonthsToProject(600);
    inputs.setStartingSubs(5000);
}

/// A committed price edit at 600 months: the page rebuilt with the edited
/// value, then (after the wait) the projection rebuilt, the page rebuilt from
/// it and painted.
void BM_EditToRepaint600Months(benchmark::State& state) {
    FakeScenarios scenarios;
    SingleAnalysis page(nullptr, scenarios.factory());
    page.setShowCohorts(static_cast<int>(state.range(0)));
    page.resize(1400, 800);
    page.show();
    largeScenario(*page.inputs());
    scenarios.elapse();
    QPixmap canvas(page.size());
    double price = 1.99;
    for (auto _ : state) {
        price += 0.01;
        page.inputs()->setPrice(price);
        scenarios.elapse();
        page.render(&canvas);
    }
}
BENCHMARK(BM_EditToRepaint600Months)
    ->ArgName("showCohorts")
    ->Arg(SingleAnalysis::simpleChart)
    ->Arg(SingleAnalysis::cohortChart)
    ->Unit(benchmark::kMillisecond);

/// The comparison page with three 600-month scenarios: a price edit rebuilds
/// the points, the chart and a table, and the page is painted.
void BM_ComparisonPage600Months(benchmark::State& state) {
    FakeScenarios scenarios;
    DualAnalysis page(nullptr, scenarios.factory());
    page.resize(1400, 800);
    page.show();
    for (int i = 0; i < DualAnalysis::scenarioCount; ++i) {
        largeScenario(*page.scenario(i));
    }
    scenarios.elapse();
    QPixmap canvas(page.size());
    double price = 1.99;
    for (auto _ : state) {
        price += 0.01;
        page.input1()->setPrice(price);
        drain();
        page.render(&canvas);
        state.PauseTiming();
        scenarios.elapse();  // the price edit's own rebuild, not timed here
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ComparisonPage600Months)->Unit(benchmark::kMillisecond);

/// A new window (four projections and both pages) up to its first painted frame,
/// in a process whose Qt is already loaded.
void BM_NewWindowToFirstPaint(benchmark::State& state) {
    timeToFirstPaint(state, [] { return std::make_unique<MainWindow>(); });
}
BENCHMARK(BM_NewWindowToFirstPaint)->Unit(benchmark::kMillisecond);

/// A whole new process up to its first painted window, as the process itself
/// measures it from its start time.
void BM_ProcessStartToFirstPaint(benchmark::State& state) {
    for (auto _ : state) {
        QProcess process;
        process.start(VELMORA_SCREENSHOTS, {"--first-paint"});
        if (!process.waitForFinished(60'000) || process.exitCode() != 0) {
            state.SkipWithError("velmora-screenshots --first-paint failed");
            return;
        }
        // The last line says "<ms> ms from process start ..."; the ones before
        // it are the projections' own.
        const QByteArray last = process.readAllStandardOutput().trimmed().split('\n').last();
        bool ok = false;
        const double ms = last.split(' ').value(0).toDouble(&ok);
        if (!ok) {
            state.SkipWithError("velmora-screenshots --first-paint printed no time");
            return;
        }
        state.SetIterationTime(ms / 1e3);
    }
}
BENCHMARK(BM_ProcessStartToFirstPaint)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora
