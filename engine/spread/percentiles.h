#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace velmora {

/// The 10th, 50th and 90th percentiles of a sample.
struct Percentiles {
    double p10 = 0;
    double p50 = 0;
    double p90 = 0;

    friend bool operator==(const Percentiles&, const Percentiles&) = default;
};

/// The percents of `Percentiles`, in order.
inline constexpr std::array<int, 3> shownPercents = {10, 50, 90};

/// The value at `percent` of a sample of n values is found by linear
/// interpolation between its order statistics (numbered from 0, not-a-number
/// after every number): with h = (n - 1) x percent / 100 = k + f (k whole, f in
/// [0, 1), both from integer arithmetic), it is x(k) + f (x(k+1) - x(k)), or
/// x(k) when f is 0. When x(k+1) - x(k) is not finite (an infinity), it is
/// (1 - f) x(k) + f x(k+1). A zero is always +0.
///
/// For each percent of `shownPercents`, the two order statistics its value lies
/// between, so that a nondecreasing function of the sample (a price times the
/// subscribers, say) has its percentiles without selecting again.
struct PercentileBounds {
    std::size_t count = 0;          ///< the sample's size, at least 1
    std::array<double, 3> lower{};  ///< x(k)
    std::array<double, 3> upper{};  ///< x(k + 1), or x(k) when k is the last

    /// The bounds of the sample with `f` applied to every value; `f` must not
    /// decrease (a < b gives f(a) <= f(b)) and keep not-a-number last.
    template <typename F>
    [[nodiscard]] PercentileBounds mapped(F f) const {
        PercentileBounds out = *this;
        for (std::size_t i = 0; i < lower.size(); ++i) {
            out.lower[i] = f(lower[i]);
            out.upper[i] = f(upper[i]);
        }
        return out;
    }

    [[nodiscard]] Percentiles percentiles() const;
};

/// Working memory of `percentileBounds`, kept between calls to save allocations.
struct SelectionScratch {
    std::vector<std::uint64_t> keys;
    std::vector<std::uint32_t> counts;
    std::vector<std::uint8_t> binSlots;  /// not `slots`, which Qt takes for a keyword
};

/// The bounds of the percentiles of `sample`, which must not be empty. The
/// order statistics are selected in time proportional to the sample's size:
/// the values are counted into bins between the smallest and the largest, and
/// only the bins that hold the ranks needed are searched.
[[nodiscard]] PercentileBounds percentileBounds(std::span<const double> sample,
                                                SelectionScratch& scratch);

/// The percentiles of `sample`, which must not be empty.
[[nodiscard]] Percentiles percentiles(std::span<const double> sample);

}  // namespace velmora
