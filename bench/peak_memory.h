#pragma once

#include <fstream>
#include <ostream>
#include <string>

#include <benchmark/benchmark.h>

#include "engine/projection/calculation.h"
#include "engine/projection/scenario.h"

namespace velmora::bench {

/// Resets the kernel's record of this process's peak resident memory.
inline void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

/// This process's peak resident memory since the last reset, in MiB.
inline double peakMemoryMiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;  // reported in kB
        }
    }
    return 0;
}

/// Times the day-by-day projection of `inputs`, with its peak memory.
inline void measureDayByDay(benchmark::State& state, const FixedScenario& inputs) {
    std::ostream discard(nullptr);
    resetPeakMemory();
    for (auto _ : state) {
        SubscriptionCalculation projection(inputs, discard);
        benchmark::DoNotOptimize(projection.snapshots.data());
    }
    state.counters["peak_MiB"] = peakMemoryMiB();
}

}  // namespace velmora::bench
