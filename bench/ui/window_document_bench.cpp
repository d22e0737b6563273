// A window's document at 600 months: opened up to the first painted frame,
// saved, and an edit undone up to the repainted page.
#include <QPixmap>
#include <QTemporaryDir>
#include <QUndoStack>

#include <benchmark/benchmark.h>

#include "first_frame.h"
#include "support/fake_scenarios.h"
#include "ui/document/document_session.h"
#include "ui/document/file_commands.h"
#include "ui/pages/content_view.h"
#include "ui/pages/single_analysis.h"
#include "ui/window/main_window.h"

namespace velmora {
namespace {

/// Four 600-month scenarios from 5,000 starting subscribers, drawn as `chart`.
ScenarioDocument longDocument(ChartType chart) {
    ScenarioDocument document;
    for (ScenarioValues* values : {&document.basic, &document.comparison[0],
                                   &document.comparison[1], &document.comparison[2]}) {
        values->monthsToProject = 600;
        values->startingSubs = 5000;
    }
    document.comparison[1].price = 2.99;
    document.chartType = chart;
    return document;
}

ChartType chartOf(const benchmark::State& state) {
    return state.range(0) == 0 ? ChartType::Cohorts : ChartType::Simple;
}

/// The file read, a window built on it (four projections and both pages),
/// shown, up to its first painted frame.
void BM_OpenDocumentToFirstPaint(benchmark::State& state) {
    const QTemporaryDir folder;
    const QString path = folder.filePath("long.velmora");
    if (saveDocumentFile(path, longDocument(chartOf(state)))) {
        state.SkipWithError("cannot write the document");
        return;
    }
    timeToFirstPaint(state, [&path] {
        const auto read = readDocumentFile(path);
        auto window =
            std::make_unique<MainWindow>(defaultScenarios(), std::get<ScenarioDocument>(read));
        window->session()->setFilePath(path);
        return window;
    });
}
BENCHMARK(BM_OpenDocumentToFirstPaint)
    ->ArgName("showCohorts")
    ->Arg(SingleAnalysis::cohortChart)
    ->Arg(SingleAnalysis::simpleChart)
    ->Unit(benchmark::kMillisecond);

/// File > Save of a window whose document has a file: the document gathered,
/// written to a temporary file and renamed, and the recent files updated.
void BM_SaveDocument(benchmark::State& state) {
    const QTemporaryDir folder;
    MainWindow window(defaultScenarios(), longDocument(ChartType::Simple));
    window.session()->setFilePath(folder.filePath("long.velmora"));
    for (auto _ : state) {
        if (!window.fileCommands()->save()) {
            state.SkipWithError("the save failed");
            return;
        }
    }
}
BENCHMARK(BM_SaveDocument)->Unit(benchmark::kMillisecond);

/// Undo of one committed field edit at 600 months: the value written back,
/// and after the wait the projection rebuilt and the page repainted.
void BM_Undo600Months(benchmark::State& state) {
    FakeScenarios scenarios;
    MainWindow window(scenarios.factory(), longDocument(chartOf(state)));
    window.show();
    SingleAnalysis& page = *window.content()->single();
    QUndoStack& history = *window.session()->history();
    QPixmap canvas(page.size());
    double trials = 100;
    for (auto _ : state) {
        state.PauseTiming();
        trials += 1;
        window.session()->editor()->setValue(*page.inputs(),
                                             SubscriptionInputs::Field::DailyNewSubs, trials);
        scenarios.elapse();
        page.render(&canvas);
        state.ResumeTiming();
        history.undo();
        scenarios.elapse();
        page.render(&canvas);
    }
}
BENCHMARK(BM_Undo600Months)
    ->ArgName("showCohorts")
    ->Arg(SingleAnalysis::cohortChart)
    ->Arg(SingleAnalysis::simpleChart)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora
