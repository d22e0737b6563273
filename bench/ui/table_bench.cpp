#include <memory>
#include <sstream>

#include <benchmark/benchmark.h>

#include "engine/projection/calculation.h"
#include "ui/table/table_model.h"
#include "ui/table/table_view.h"

namespace velmora {
namespace {

/// Fifty years of months from 5,000 starting subscribers, built once.
struct LongProjection {
    LongProjection()
        : source(values()),
          projection(std::make_shared<const SubscriptionCalculation>(source, announce)) {}

    static ScenarioValues values() {
        ScenarioValues v;
        v.monthsToProject = 600;
        v.startingSubs = 5000;
        return v;
    }

    FixedScenario source;
    std::ostringstream announce;
    std::shared_ptr<const SubscriptionCalculation> projection;
};

// Alternating prices make every call a real change of what is shown.
void BM_TableModelReset(benchmark::State& state) {
    const LongProjection run;
    ProjectionTableModel model;
    int turn = 0;
    for (auto _ : state) {
        model.setProjection(run.projection, ++turn % 2 == 0 ? 1.99 : 2.99);
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_TableModelReset)->Unit(benchmark::kMillisecond);

void BM_TableViewSetProjection(benchmark::State& state) {
    const LongProjection run;
    TableView view;
    int turn = 0;
    for (auto _ : state) {
        view.setProjection(run.projection, ++turn % 2 == 0 ? 1.99 : 2.99);
    }
}
BENCHMARK(BM_TableViewSetProjection)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora
