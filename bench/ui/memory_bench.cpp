// Memory over time: the resident set after 1,000 rebuilds of one scenario,
// with four scenarios of 600 months, and after a window opened and closed 200
// times. Before each reading, malloc_trim(0) hands glibc's freed pages back to
// the system, so that what is counted is what is still allocated.
//
//   QT_QPA_PLATFORM=offscreen build/release/bench/velmora_ui_bench --benchmark_filter=Memory
#include <malloc.h>

#include <unistd.h>
#include <fstream>

#include <QPixmap>

#include <benchmark/benchmark.h>

#include "first_frame.h"
#include "support/fake_scenarios.h"
#include "ui/document/document_session.h"
#include "ui/pages/content_view.h"
#include "ui/pages/dual_analysis.h"
#include "ui/pages/single_analysis.h"
#include "ui/window/main_window.h"

namespace velmora {
namespace {

double residentMiB() {
    malloc_trim(0);
    std::ifstream statm("/proc/self/statm");
    double size = 0;
    double resident = 0;
    statm >> size >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024 * 1024);
}

double peakMiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024;  // in kB
        }
    }
    return 0;
}

/// Records the growth from `start` to `end` and fails beyond `limit` percent.
void growth(benchmark::State& state, double start, double end, double limit) {
    state.counters["rss_start_MiB"] = start;
    state.counters["rss_end_MiB"] = end;
    state.counters["growth_pct"] = 100 * (end - start) / start;
    if (end > start * (1 + limit / 100)) {
        state.SkipWithError("the resident set grew beyond the limit");
    }
}

/// Every scenario of a window at 600 months from 5,000 starting subscribers.
ScenarioDocument longDocument() {
    ScenarioDocument document;
    for (ScenarioValues* values : {&document.basic, &document.comparison[0],
                                   &document.comparison[1], &document.comparison[2]}) {
        values->monthsToProject = 600;
        values->startingSubs = 5000;
    }
    document.chartType = ChartType::Cohorts;
    return document;
}

/// Both pages of `window` drawn, as a user looking at each tab sees them.
void drawBothPages(MainWindow& window) {
    for (QWidget* page : {static_cast<QWidget*>(window.content()->single()),
                          static_cast<QWidget*>(window.content()->dual())}) {
        window.content()->setCurrentWidget(page);
        QPixmap canvas(page->size());
        page->render(&canvas);
    }
}

/// The Basic Analysis scenario of a shown window at 600 months, edited and
/// rebuilt 1,000 times, with its table and chart following each time: the
/// resident set after the last against that after the tenth.
void BM_MemoryOverRebuilds(benchmark::State& state) {
    for (auto _ : state) {
        FakeScenarios scenarios;
        MainWindow window(scenarios.factory(), longDocument());
        window.show();
        SingleAnalysis& page = *window.content()->single();
        QPixmap canvas(page.size());
        double afterTen = 0;
        for (int rebuild = 1; rebuild <= 1000; ++rebuild) {
            window.session()->editor()->setValue(
                *page.inputs(), SubscriptionInputs::Field::DailyNewSubs, 100 + rebuild % 7);
            scenarios.elapse();
            page.render(&canvas);
            afterTen = rebuild == 10 ? residentMiB() : afterTen;
        }
        growth(state, afterTen, residentMiB(), 10);
    }
}
BENCHMARK(BM_MemoryOverRebuilds)->Iterations(1)->Unit(benchmark::kSecond);

/// A window of four 600-month scenarios, both pages drawn: what it holds, and
/// the most the process held on the way.
void BM_MemoryOfFourLongScenarios(benchmark::State& state) {
    const double before = residentMiB();
    std::ofstream("/proc/self/clear_refs") << "5";  // resets the peak
    for (auto _ : state) {
        MainWindow window(defaultScenarios(), longDocument());
        window.show();
        drawBothPages(window);
        state.counters["rss_MiB"] = residentMiB();
        state.counters["peak_MiB"] = peakMiB();
    }
    state.counters["rss_before_MiB"] = before;
    if (peakMiB() > 1024) {
        state.SkipWithError("beyond 1 GB");
    }
}
BENCHMARK(BM_MemoryOfFourLongScenarios)->Iterations(1)->Unit(benchmark::kSecond);

/// A window opened (up to its first painted frame, both pages drawn) and
/// closed 200 times: the resident set after the last against that after the
/// first, which also holds what Qt sets up once (fonts, styles, caches).
void BM_MemoryOverOpenedWindows(benchmark::State& state) {
    for (auto _ : state) {
        double afterFirst = 0;
        for (int opened = 1; opened <= 200; ++opened) {
            auto window = std::make_unique<MainWindow>(defaultScenarios(), ScenarioDocument{});
            const auto* probe = new FirstPaint(window.get());
            window->show();
            while (!probe->painted()) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            }
            drawBothPages(*window);
            window->close();
            window.reset();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
            afterFirst = opened == 1 ? residentMiB() : afterFirst;
        }
        growth(state, afterFirst, residentMiB(), 10);
    }
}
BENCHMARK(BM_MemoryOverOpenedWindows)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace velmora
