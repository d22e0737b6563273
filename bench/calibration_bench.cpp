// Reading and fitting a cohort table, as the Calibration view and
// `velmora-project --calibrate` do: 120 monthly cohorts of 60 renewals (ten
// years of them, each observed to the end), and the largest text the reader
// takes; then the bootstrap ranges.
//
//   build/release/bench/velmora_calibration_bench
#include <cmath>
#include <string>

#include <benchmark/benchmark.h>

#include "engine/calibration/calibration_ranges.h"
#include "engine/support/shortest_text.h"

namespace {

using namespace velmora;

// Whole counts of subscribers following the model, each cohort's rate nudged
// a little so that the fit has noise to work through.
std::string tableText(std::size_t cohorts, std::size_t renewals) {
    const ShiftedBetaGeometric model{0.7, 1.3};
    SplitMix64 random(1);
    std::string text = "cohort";
    for (std::size_t k = 0; k <= renewals; ++k) {
        text += "," + std::to_string(k);
    }
    text += ",trials,days\n";
    for (std::size_t i = 0; i < cohorts; ++i) {
        const auto size = static_cast<double>(2000 + random.below(1000));
        text += "2015-" + std::to_string(i);
        double count = size;
        for (std::size_t k = 0; k <= renewals; ++k) {
            const double nudge = 0.98 + 0.0001 * static_cast<double>(random.below(201));
            count = k == 0 ? count : std::floor(count * std::min(1.0, model.retention(k) * nudge));
            text += "," + shortest(count);
        }
        text += "," + shortest(size * 1.7) + ",30\n";
    }
    return text;
}

void readAndFit(benchmark::State& state) {
    const std::string text = tableText(static_cast<std::size_t>(state.range(0)),
                                       static_cast<std::size_t>(state.range(1)));
    for (auto _ : state) {
        auto read = readCohortTable(text);
        const auto* table = std::get_if<CohortTable>(&read);
        if (table == nullptr) {
            state.SkipWithError(std::get<TableProblem>(read).text().c_str());
            break;
        }
        benchmark::DoNotOptimize(calibrate(*table, {36, {}}));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(readAndFit)->Args({120, 60})->Args({10'000, 100})->Unit(benchmark::kMillisecond);

// The fit alone, both choices of later rates and their backtests, for a
// projection of 36 and of 600 months.
void fit(benchmark::State& state) {
    const auto table = std::get<CohortTable>(readCohortTable(tableText(120, 60)));
    const auto horizon = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(calibrate(table, {horizon, {}}));
    }
}
BENCHMARK(fit)->Arg(36)->Arg(600)->Unit(benchmark::kMicrosecond);

void bootstrapRanges(benchmark::State& state) {
    const auto table = std::get<CohortTable>(readCohortTable(tableText(120, 60)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(calibrationRanges(table, {36, {}}));
    }
}
BENCHMARK(bootstrapRanges)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
