// The spread of outcomes beside the day-by-day projection it must outpace:
// 10,000 draws of 600 months against the full projection of 600 months, and
// 2,000 draws of 36 months, on one thread and on two, with the peak resident
// memory of each, without a cost per trial and with one (whose break-even
// month and cash needed walk every draw's months once more); and the closed
// form of one scenario. After the table, the
// time of the 600-month spread as a share of two day-by-day projections
// measured in the same run.
//
//   build/release/bench/velmora_spread_bench
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/peak_memory.h"
#include "engine/projection/calculation.h"
#include "engine/projection/closed_form.h"
#include "engine/spread/simulation.h"

namespace {

using velmora::Input;
using velmora::ScenarioValues;

ScenarioValues scenario(std::int64_t months) {
    ScenarioValues values;
    values.monthsToProject = static_cast<double>(months);
    values.startingSubs = 5000;
    return values;
}

/// A range on every input, the price among them, so that the proceeds need
/// selecting apart from the subscribers.
std::vector<velmora::Range> everyRange() {
    return {{Input::DailyNewSubs, 70, 140},
            {Input::Price, 1.49, 2.99},
            {Input::TrialRetention, 0.5, 0.65},
            {Input::Rt1, 0.55, 0.72},
            {Input::Rt2, 0.8, 0.88},
            {Input::Rt3, 0.83, 0.9},
            {Input::Rt4, 0.85, 0.92},
            {Input::Rt5, 0.87, 0.93},
            {Input::Rt6, 0.88, 0.94},
            {Input::RtPlus, 0.93, 0.97},
            {Input::StartingSubs, 2000, 9000}};
}

void dayByDay(benchmark::State& state) {
    const velmora::FixedScenario inputs(scenario(state.range(0)));
    velmora::bench::measureDayByDay(state, inputs);
}

void spread(benchmark::State& state) {
    ScenarioValues values = scenario(state.range(0));
    values.costPerTrial = state.range(3) != 0 ? 2.5 : 0;
    const auto ranges = everyRange();
    const velmora::SpreadSettings settings{state.range(1), 1,
                                           static_cast<unsigned>(state.range(2))};
    velmora::bench::resetPeakMemory();
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::simulateSpread(values, ranges, settings)->months.data());
    }
    state.counters["peak_MiB"] = velmora::bench::peakMemoryMiB();
}

/// The monthly figures of one scenario in closed form.
void closedForm(benchmark::State& state) {
    const ScenarioValues values = scenario(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::closedFormFigures(values).active.data());
    }
}

BENCHMARK(dayByDay)->ArgName("months")->Arg(600)->Unit(benchmark::kMillisecond);
BENCHMARK(closedForm)->ArgName("months")->Arg(36)->Arg(600)->Unit(benchmark::kMicrosecond);
BENCHMARK(spread)
    ->ArgNames({"months", "draws", "threads", "cost"})
    ->ArgsProduct({{600}, {10000}, {1, 2}, {0, 1}})
    ->ArgsProduct({{36}, {2000}, {1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

/// Prints each 600-month spread's time against two day-by-day projections.
class ShareReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.aggregate_name.empty() || run.aggregate_name == "median") {
                times_[run.run_name.function_name + "/" + run.run_name.args] =
                    run.GetAdjustedRealTime();
            }
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const auto dayByDay = times_.find("dayByDay/months:600");
        if (dayByDay == times_.end()) {
            return;
        }
        for (const auto& [name, time] : times_) {
            if (name.rfind("spread/months:600", 0) == 0) {
                std::cout << std::fixed << std::setprecision(2) << name << " takes "
                          << time / (2 * dayByDay->second)
                          << " of the time of two day-by-day projections of 600 months\n";
            }
        }
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    ShareReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
