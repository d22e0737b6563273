// The unit economics of a scenario (payback, lifetime value to cost, the cash
// flow with its break-even month and cash needed) at 36 and 600 months, from
// the months of its projection and with that projection; and goal seek on the
// new targets, which must answer within 50 ms at 36 months and 1 s at 600, and
// the sensitivity of the cash needed.
//
//   build/release/bench/velmora_economics_bench
#include <string>

#include <benchmark/benchmark.h>

#include "engine/decisions/economics.h"
#include "engine/decisions/goal_seek.h"
#include "engine/decisions/sensitivity.h"
#include "engine/projection/monthly_projection.h"

namespace {

using velmora::Input;
using velmora::Metric;
using velmora::ScenarioValues;

ScenarioValues scenario(const benchmark::State& state) {
    ScenarioValues values;
    values.monthsToProject = static_cast<double>(state.range(0));
    values.startingSubs = 5000;
    values.costPerTrial = 2;
    return values;
}

/// The figures alone, from months already projected.
void economicsOfMonths(benchmark::State& state) {
    const ScenarioValues values = scenario(state);
    const std::vector<double> months = velmora::monthlyActives(values);
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::economics(values, months).cash.cumulativeNet.data());
    }
}

/// The figures with the months they need projected first.
void economicsWithMonths(benchmark::State& state) {
    const ScenarioValues values = scenario(state);
    for (auto _ : state) {
        const auto months = velmora::monthlyActives(values);
        benchmark::DoNotOptimize(velmora::economics(values, months).cash.cumulativeNet.data());
    }
}

BENCHMARK(economicsOfMonths)->ArgName("months")->Arg(36)->Arg(600)->Unit(benchmark::kMillisecond);
BENCHMARK(economicsWithMonths)->ArgName("months")->Arg(36)->Arg(600)->Unit(benchmark::kMillisecond);

struct Target {
    Metric metric;
    Input input;
    double (*from)(double now);  ///< the target, from the figure as it is
};

// Each a little better than the scenario gives, so that none is reached already.
const Target targets[] = {
    {Metric::PaybackMonths, Input::Price, [](double now) { return now - 1; }},
    {Metric::LifetimeValueToCost, Input::CostPerTrial, [](double now) { return now * 1.5; }},
    {Metric::BreakEvenMonth, Input::CostPerTrial, [](double now) { return now - 3; }},
    {Metric::CashNeeded, Input::Price, [](double now) { return now / 2; }},
};

void goalSeek(benchmark::State& state) {
    ScenarioValues values = scenario(state);
    values.startingSubs = 0;  // the plan has to earn its way out
    const Target& target = targets[static_cast<std::size_t>(state.range(1))];
    const velmora::Goal goal{
        target.metric, target.from(*velmora::metricValue(target.metric, values)), target.input};
    for (auto _ : state) {
        const auto result = velmora::seekGoal(values, goal);
        if (!result.reached() || result.value == velmora::inputValue(values, goal.input)) {
            state.SkipWithError(("not reached: " + result.reason).c_str());
        }
        benchmark::DoNotOptimize(result.value);
    }
    state.SetLabel(std::string(velmora::metricName(goal.metric)) + " by " +
                   std::string(velmora::inputName(goal.input)));
}

BENCHMARK(goalSeek)
    ->ArgNames({"months", "target"})
    ->ArgsProduct({{36, 600}, benchmark::CreateDenseRange(0, 3, 1)})
    ->Unit(benchmark::kMillisecond);

/// The tornado of the cash needed: every input down and up, each a whole cash flow.
void sensitivityOfCash(benchmark::State& state) {
    ScenarioValues values = scenario(state);
    values.startingSubs = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::sensitivity(values, Metric::CashNeeded)->bars.data());
    }
}

BENCHMARK(sensitivityOfCash)->ArgName("months")->Arg(36)->Arg(600)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
