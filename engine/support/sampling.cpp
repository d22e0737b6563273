#include "engine/support/sampling.h"

#include <algorithm>
#include <cmath>

namespace velmora {

double triangularQuantile(double low, double mode, double high, double u) {
    const double width = high - low;
    if (!(width > 0)) {
        return mode;
    }
    const double peak = (mode - low) / width;
    const double value = u < peak ? low + std::sqrt(u * width * (mode - low))
                                  : high - std::sqrt((1 - u) * width * (high - mode));
    return std::clamp(value, low, high);
}

}  // namespace velmora
