// Builds of 36, 120 and 600 months, with 0 and 5,000 starting subscribers, by
// the engine and by the plain day-by-day simulation, with the ratio of the two
// and the peak resident memory of each build; the monthly figures alone; 600
// months of 365 days, monthly and day by day; and the decision tools (goal
// seek, sensitivity) at 36 and 600 months; 600 months with 594 later renewal
// rates beside the same without them; and the build of 600 months under a plan
// of growth, seasons and a dozen changes, beside the same build without one.
//
//   build/release/bench/velmora_engine_bench
#include <array>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/peak_memory.h"
#include "engine/decisions/goal_seek.h"
#include "engine/decisions/sensitivity.h"
#include "engine/projection/calculation.h"
#include "engine/projection/monthly_projection.h"
#include "support/reference_projection.h"

namespace {

using velmora::ScenarioValues;

ScenarioValues scenario(const benchmark::State& state) {
    ScenarioValues values;
    values.monthsToProject = static_cast<double>(state.range(0));
    values.startingSubs = static_cast<double>(state.range(1));
    return values;
}

void engineBuild(benchmark::State& state) {
    const velmora::FixedScenario inputs(scenario(state));
    velmora::bench::measureDayByDay(state, inputs);
}

void plainBuild(benchmark::State& state) {
    const ScenarioValues values = scenario(state);
    velmora::bench::resetPeakMemory();
    for (auto _ : state) {
        velmora::UuidGenerator ids;
        auto lists = velmora::reference::project(values, ids);
        benchmark::DoNotOptimize(lists.snapshots.data());
    }
    state.counters["peak_MiB"] = velmora::bench::peakMemoryMiB();
}

void sizes(benchmark::internal::Benchmark* b) {
    for (std::int64_t months : {36, 120, 600}) {
        for (std::int64_t starting : {0, 5000}) {
            b->Args({months, starting});
        }
    }
    b->ArgNames({"months", "starting"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(engineBuild)->Apply(sizes);
BENCHMARK(plainBuild)->Apply(sizes)->MinTime(0.2);

/// 600 months day by day with 594 later rates, one for every renewal the
/// projection reaches past the sixth, rising from 0.95 to 0.99; with 0 later
/// rates the same build as `engineBuild`, measured beside it for the ratio.
void laterRatesBuild(benchmark::State& state) {
    ScenarioValues values;
    values.monthsToProject = 600;
    values.startingSubs = static_cast<double>(state.range(1));
    const auto count = static_cast<std::size_t>(state.range(0));
    for (std::size_t i = 0; i < count; ++i) {
        values.laterRates.push_back(0.95 + 0.04 * static_cast<double>(i) / 594);
    }
    velmora::bench::measureDayByDay(state, velmora::FixedScenario(values));
}

BENCHMARK(laterRatesBuild)
    ->ArgNames({"later", "starting"})
    ->ArgsProduct({{0, 594}, {0, 5000}})
    ->Unit(benchmark::kMillisecond);

void monthlyBuild(benchmark::State& state) {
    const ScenarioValues values = scenario(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::monthlyActives(values).data());
    }
}

void lastMonthBuild(benchmark::State& state) {
    const ScenarioValues values = scenario(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::lastMonthActive(values));
    }
}

/// 600 months whose daily trials grow 2% a month for four years and follow the
/// seasons, with a dozen changes of every input, prices for new subscribers only.
ScenarioValues plannedScenario(const benchmark::State& state) {
    using velmora::PlanInput;
    ScenarioValues values = scenario(state);
    values.plan = velmora::Plan{
        .growthPercent = 2,
        .growthUntil = 48,
        .startMonth = velmora::CalendarMonth{2027, 3},
        .seasonality = std::array<double, 12>{0.8, 0.9, 1, 1.1, 1.2, 1, 0.9, 0.8, 1, 1.1, 1.3, 1.5},
        .priceChangesApply = velmora::PriceChangesApply::NewSubscribers,
        .changes = {{PlanInput::DailyNewSubs, 12, 150},
                    {PlanInput::DailyNewSubs, 60, 400},
                    {PlanInput::DailyNewSubs, 200, 250},
                    {PlanInput::Price, 6, 2.49},
                    {PlanInput::Price, 24, 2.99},
                    {PlanInput::Price, 120, 3.49},
                    {PlanInput::Price, 300, 3.99},
                    {PlanInput::TrialRetention, 18, 0.62},
                    {PlanInput::TrialRetention, 90, 0.55},
                    {PlanInput::TrialRetention, 400, 0.6},
                    {PlanInput::CostPerTrial, 30, 1.5},
                    {PlanInput::CostPerTrial, 240, 2}}};
    return values;
}

void plannedBuild(benchmark::State& state) {
    const velmora::FixedScenario inputs(plannedScenario(state));
    velmora::bench::measureDayByDay(state, inputs);
}

/// The monthly figures alone under the same plan.
void plannedMonthlyBuild(benchmark::State& state) {
    const ScenarioValues values = plannedScenario(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::monthlyActives(values).data());
    }
}

BENCHMARK(plannedBuild)
    ->ArgNames({"months", "starting"})
    ->Args({600, 0})
    ->Args({600, 5000})
    ->Unit(benchmark::kMillisecond);

BENCHMARK(plannedMonthlyBuild)
    ->ArgNames({"months", "starting"})
    ->Args({600, 0})
    ->Args({600, 5000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(monthlyBuild)->Apply(sizes);
BENCHMARK(lastMonthBuild)->Apply(sizes)->Unit(benchmark::kMicrosecond);

/// The longest projection a document holds, 600 months of 365 days, with 0 and
/// 5,000 starting subscribers: the monthly figures a window shows at once, and
/// the day-by-day build that follows them, with its peak memory.
ScenarioValues yearMonths(const benchmark::State& state) {
    ScenarioValues values;
    values.monthDuration = 365;
    values.monthsToProject = 600;
    values.startingSubs = static_cast<double>(state.range(0));
    return values;
}

void yearMonthsMonthly(benchmark::State& state) {
    const velmora::FixedScenario inputs(yearMonths(state));
    std::ostream discard(nullptr);
    velmora::bench::resetPeakMemory();
    for (auto _ : state) {
        const velmora::SubscriptionCalculation months(inputs, discard,
                                                      velmora::ProjectionDetail::Months);
        benchmark::DoNotOptimize(months.monthlySnapshots.data());
    }
    state.counters["peak_MiB"] = velmora::bench::peakMemoryMiB();
}

void yearMonthsDaily(benchmark::State& state) {
    const velmora::FixedScenario inputs(yearMonths(state));
    velmora::bench::measureDayByDay(state, inputs);
}

BENCHMARK(yearMonthsMonthly)->ArgName("starting")->Arg(0)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(yearMonthsDaily)
    ->ArgName("starting")
    ->Arg(0)
    ->Arg(5000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

/// Solving for input number range(2) (in `allInputs` order) the monthly
/// proceeds the scenario would have with that input at 97%.
void goalSeek(benchmark::State& state) {
    const ScenarioValues values = scenario(state);
    const auto input = velmora::allInputs[static_cast<std::size_t>(state.range(2))];
    ScenarioValues moved = values;
    velmora::inputField(moved, input) *= 0.97;
    const velmora::Goal goal{velmora::Metric::MonthlyProceeds,
                             *velmora::metricValue(velmora::Metric::MonthlyProceeds, moved), input};
    for (auto _ : state) {
        const auto result = velmora::seekGoal(values, goal);
        if (!result.reached()) {
            state.SkipWithError(result.reason.c_str());
        }
        benchmark::DoNotOptimize(result.value);
    }
    state.SetLabel(std::string(velmora::inputName(input)));
}

void sensitivity(benchmark::State& state) {
    const ScenarioValues values = scenario(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::sensitivity(values)->bars.data());
    }
}

void toolSizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"months", "starting"})->Args({36, 5000})->Args({600, 5000});
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(goalSeek)
    ->ArgNames({"months", "starting", "input"})
    ->ArgsProduct({{36, 600}, {5000}, benchmark::CreateDenseRange(0, 10, 1)})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(sensitivity)->Apply(toolSizes);

/// Prints, after the usual table, how many times faster the engine is than the
/// plain simulation for each size measured in this run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (!run.aggregate_name.empty() && run.aggregate_name != "median") {
                continue;  // with repetitions, compare medians
            }
            times_[run.run_name.args][run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [size, byKind] : times_) {
            const auto engine = byKind.find("engineBuild");
            const auto plain = byKind.find("plainBuild");
            if (engine != byKind.end() && plain != byKind.end()) {
                std::cout << std::fixed << std::setprecision(1) << size << ": engine is "
                          << plain->second / engine->second
                          << " times faster than the plain simulation\n";
            }
            const auto planned = byKind.find("plannedBuild");
            if (engine != byKind.end() && planned != byKind.end()) {
                std::cout << std::fixed << std::setprecision(2) << size << ": a plan takes "
                          << planned->second / engine->second
                          << " times as long as the build without one\n";
            }
        }
    }

private:
    std::map<std::string, std::map<std::string, double>> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
