#include "engine/support/sampling.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

double quantileWithin(double low, double mode, double high, double width, double u) {
    const double peak = (mode - low) / width;
    return u < peak ? low + std::sqrt(u * width * (mode - low))
                    : high - std::sqrt((1 - u) * width * (high - mode));
}

}  // namespace

double triangularQuantile(double low, double mode, double high, double u) {
    const double width = high - low;
    if (!(width > 0)) {
        return mode;
    }
    // The products square the width, which overflows past about 1.3e154 (and
    // the width itself past the largest double). Scaled down by a power of two,
    // which is exact but for numbers too small to matter beside such a width,
    // they cannot overflow.
    constexpr double wide = 0x1p500;
    if (width > wide) {
        constexpr double scale = 0x1p-520;
        const double value =
            quantileWithin(low * scale, mode * scale, high * scale, high * scale - low * scale, u);
        return std::clamp(value / scale, low, high);
    }
    return std::clamp(quantileWithin(low, mode, high, width, u), low, high);
}

}  // namespace velmora
