#pragma once

#include <fstream>
#include <string>

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

}  // namespace velmora::bench
