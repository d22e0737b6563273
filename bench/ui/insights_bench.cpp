// The decision tools as the user meets them, their jobs on Qt's thread pool:
// a goal asked up to its answer painted, and a rebuilt scenario up to its
// tornado redrawn, at 36 and at 600 months.
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPixmap>

#include <benchmark/benchmark.h>

#include "support/fake_scenarios.h"
#include "ui/form/number_field.h"
#include "ui/insights/goal_panel.h"
#include "ui/insights/insights_page.h"
#include "ui/insights/sensitivity_panel.h"
#include "ui/insights/tornado_chart.h"

namespace velmora {
namespace {

/// The Insights page of a scenario of `months` months, shown, with its first
/// answers in.
struct ShownPage {
    explicit ShownPage(double months)
        : inputs(scenarios.factory()(nullptr, ScenarioValues{.monthsToProject = months})),
          page(inputs, nullptr, nullptr) {
        page.resize(1400, 800);
        page.show();
        waitWhileBusy();
    }
    ~ShownPage() { delete inputs; }
    ShownPage(const ShownPage&) = delete;
    ShownPage& operator=(const ShownPage&) = delete;

    void waitWhileBusy() const {
        while (page.isBusy()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }

    FakeScenarios scenarios;
    SubscriptionInputs* inputs;
    InsightsPage page;
};

/// A target committed in its field (by Return, as the user does), up to the
/// answer painted in the panel.
void BM_GoalAskToAnswerShown(benchmark::State& state) {
    ShownPage shown(static_cast<double>(state.range(0)));
    GoalPanel& goal = *shown.page.goal();
    QPixmap canvas(goal.size());
    int turn = 0;
    for (auto _ : state) {
        // Alternating targets make every question a new one.
        goal.targetField()->setText(++turn % 2 == 0 ? "50,000" : "50,001");
        QKeyEvent commit(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(goal.targetField(), &commit);
        shown.waitWhileBusy();
        goal.render(&canvas);
    }
    if (!goal.answer() || !goal.answer()->reached()) {
        state.SkipWithError("the goal was not reached");
    }
}
BENCHMARK(BM_GoalAskToAnswerShown)
    ->ArgName("months")
    ->Arg(36)
    ->Arg(600)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

/// An edit's wait over: the scenario's projection rebuilt (itself a fifth of
/// the time at 600 months), the tornado's figures found and the chart redrawn.
void BM_RebuildToTornadoRedrawn(benchmark::State& state) {
    ShownPage shown(static_cast<double>(state.range(0)));
    TornadoChart& chart = *shown.page.sensitivity()->chart();
    QPixmap canvas(chart.size());
    double price = 1.99;
    for (auto _ : state) {
        state.PauseTiming();
        price += 0.01;
        shown.inputs->setPrice(price);
        drain();
        state.ResumeTiming();
        shown.scenarios.elapse();
        shown.waitWhileBusy();
        chart.replot(QCustomPlot::rpImmediateRefresh);
        chart.render(&canvas);
    }
    if (chart.rowCount() == 0) {
        state.SkipWithError("the tornado is empty");
    }
}
BENCHMARK(BM_RebuildToTornadoRedrawn)
    ->ArgName("months")
    ->Arg(36)
    ->Arg(600)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace velmora
