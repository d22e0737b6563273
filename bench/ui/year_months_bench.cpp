// A document of 600 months of 365 days, the longest a window holds: the window
// shown with its monthly figures, the day-by-day projection built after it
// while the window stays responsive, with the peak memory of both; and its
// report and workbook, made as the tool makes them, from the monthly figures.
//
//   QT_QPA_PLATFORM=offscreen build/release/bench/velmora_ui_bench --benchmark_filter=YearMonths
#include <chrono>

#include <QBuffer>

#include <benchmark/benchmark.h>

#include "bench/peak_memory.h"
#include "first_frame.h"
#include "inputs/subscription_inputs.h"
#include "report/report_writer.h"
#include "report/workbook.h"
#include "support/projected.h"
#include "ui/pages/content_view.h"
#include "ui/pages/single_analysis.h"
#include "ui/window/main_window.h"

namespace velmora {
namespace {

ScenarioValues yearMonths() {
    ScenarioValues values;
    values.monthDuration = 365;
    values.monthsToProject = 600;
    values.startingSubs = 5000;
    return values;
}

/// The window of a document whose Basic Analysis is 600 months of 365 days:
/// made and shown up to its first painted frame, its table already filled
/// with the monthly figures (`shown_s`), then the days built with the event
/// loop running (`days_s`, and the longest wait between two turns of the loop,
/// `longest_turn_ms`); the peak resident memory of it all.
void BM_YearMonthsWindow(benchmark::State& state) {
    ScenarioDocument document;
    document.basic = yearMonths();
    bench::resetPeakMemory();
    for (auto _ : state) {
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        auto window = std::make_unique<MainWindow>(defaultScenarios(), document);
        const auto* probe = new FirstPaint(window.get());
        window->show();
        while (!probe->painted()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        const auto shown = Clock::now();
        const SubscriptionInputs& inputs = *window->content()->single()->inputs();
        if (inputs.projection()->monthlySnapshots.size() != 600) {
            state.SkipWithError("the monthly figures are not shown");
        }
        auto turn = Clock::now();
        Clock::duration longest{};
        while (inputs.dayProgress()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            const auto now = Clock::now();
            longest = std::max(longest, now - turn);
            turn = now;
        }
        const auto days = Clock::now();
        using Seconds = std::chrono::duration<double>;
        state.counters["shown_s"] = Seconds(shown - start).count();
        state.counters["days_s"] = Seconds(days - start).count();
        state.counters["longest_turn_ms"] = Seconds(longest).count() * 1000;
        state.PauseTiming();
        window->close();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = bench::peakMemoryMiB();
}
BENCHMARK(BM_YearMonthsWindow)->Iterations(1)->Unit(benchmark::kSecond);

/// The report (PDF) and the workbook of a 600-month scenario of 365-day
/// months, from its monthly figures as the tool builds them: the build and the
/// writing, with the peak resident memory.
void BM_YearMonthsReportAndWorkbook(benchmark::State& state) {
    const bool workbook = state.range(0) != 0;
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    bench::resetPeakMemory();
    for (auto _ : state) {
        report::Report made{
            "long.velmora", QDate(2026, 3, 14), report::ReportKind::Basic, false, {}, {}, {}};
        made.scenarios.push_back({QStringLiteral("Basic Analysis"), Qt::blue, yearMonths(),
                                  project(yearMonths(), ProjectionDetail::Months)});
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        const QString problem = workbook ? report::writeWorkbook(made, out, locale)
                                         : report::writeReportPdf(made, out, locale);
        if (!problem.isEmpty()) {
            state.SkipWithError("not written");
        }
        state.counters["bytes"] = static_cast<double>(out.size());
    }
    state.counters["peak_MiB"] = bench::peakMemoryMiB();
}
BENCHMARK(BM_YearMonthsReportAndWorkbook)
    ->ArgName("workbook")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora
