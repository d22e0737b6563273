#include "engine/calibration/retention_model.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace velmora {

RetentionCounts retentionCounts(const CohortTable& table, std::size_t renewals) {
    RetentionCounts counts;
    const std::size_t longest = std::min(renewals, table.longestRow());
    counts.left.assign(longest, 0.0);
    counts.stayed.assign(longest + 1, 0.0);
    for (const CohortRow& row : table.cohorts) {
        if (row.counts.empty()) {
            continue;
        }
        const std::size_t last = std::min(row.renewals(), longest);
        for (std::size_t t = 1; t <= last; ++t) {
            counts.left[t - 1] += row.counts[t - 1] - row.counts[t];
        }
        counts.stayed[last] += row.counts[last];
    }
    return counts;
}

double ShiftedBetaGeometric::survival(std::size_t renewals) const {
    double s = 1;
    for (std::size_t t = 1; t <= renewals; ++t) {
        s *= retention(t);
    }
    return s;
}

double ShiftedBetaGeometric::retention(std::size_t renewal) const {
    const auto t = static_cast<double>(renewal);
    return (beta + t - 1) / (alpha + beta + t - 1);
}

double ShiftedBetaGeometric::logLikelihood(const RetentionCounts& counts) const {
    const double logAlpha = std::log(alpha);
    double logS = 0;  // ln S(t - 1)
    double sum = 0;
    for (std::size_t t = 1; t <= counts.left.size(); ++t) {
        const double logTotal = std::log(alpha + beta + static_cast<double>(t) - 1);
        if (counts.left[t - 1] > 0) {
            sum += counts.left[t - 1] * (logS + logAlpha - logTotal);
        }
        logS += std::log(beta + static_cast<double>(t) - 1) - logTotal;
        if (counts.stayed[t] > 0) {
            sum += counts.stayed[t] * logS;
        }
    }
    return sum;
}

namespace {

using Point = std::array<double, 2>;

constexpr double bound = 25;

// Nelder and Mead's simplex search for the least of `f` from `start`.
template <typename F>
Point simplexSearch(const F& f, Point start, double step) {
    std::array<Point, 3> points{start, start, start};
    points[1][0] += step;
    points[2][1] += step;
    std::array<double, 3> values{};
    for (std::size_t i = 0; i < 3; ++i) {
        values[i] = f(points[i]);
    }
    const auto along = [](const Point& from, const Point& to, double t) {
        return Point{from[0] + t * (to[0] - from[0]), from[1] + t * (to[1] - from[1])};
    };
    for (int iteration = 0; iteration < 2000; ++iteration) {
        std::array<std::size_t, 3> order{0, 1, 2};
        std::sort(order.begin(), order.end(),
                  [&](std::size_t a, std::size_t b) { return values[a] < values[b]; });
        const std::size_t best = order[0];
        const std::size_t worst = order[2];
        const double spread = values[worst] - values[best];
        const double size = std::max(std::abs(points[worst][0] - points[best][0]),
                                     std::abs(points[worst][1] - points[best][1]));
        if (spread <= 1e-14 * (1 + std::abs(values[best])) && size < 1e-10) {
            break;
        }
        const Point centre = along(points[order[0]], points[order[1]], 0.5);
        const Point reflected = along(points[worst], centre, 2);
        const double reflectedValue = f(reflected);
        if (reflectedValue < values[best]) {
            const Point expanded = along(points[worst], centre, 3);
            const double expandedValue = f(expanded);
            const bool expand = expandedValue < reflectedValue;
            points[worst] = expand ? expanded : reflected;
            values[worst] = expand ? expandedValue : reflectedValue;
        } else if (reflectedValue < values[order[1]]) {
            points[worst] = reflected;
            values[worst] = reflectedValue;
        } else {
            const bool outside = reflectedValue < values[worst];
            const Point contracted =
                outside ? along(points[worst], centre, 1.5) : along(points[worst], centre, 0.5);
            const double contractedValue = f(contracted);
            if (contractedValue < std::min(values[worst], reflectedValue)) {
                points[worst] = contracted;
                values[worst] = contractedValue;
            } else {
                for (const std::size_t i : {order[1], order[2]}) {
                    points[i] = along(points[best], points[i], 0.5);
                    values[i] = f(points[i]);
                }
            }
        }
    }
    const auto best = std::min_element(values.begin(), values.end()) - values.begin();
    return points[static_cast<std::size_t>(best)];
}

}  // namespace

ShiftedBetaGeometric fitShiftedBetaGeometric(const RetentionCounts& counts) {
    const auto model = [](const Point& x) {
        return ShiftedBetaGeometric{std::exp(std::clamp(x[0], -bound, bound)),
                                    std::exp(std::clamp(x[1], -bound, bound))};
    };
    // Beyond the bounds the search sees a slope back towards them.
    const auto f = [&](const Point& x) {
        const double outside = std::max(std::abs(x[0]), std::abs(x[1])) - bound;
        return -model(x).logLikelihood(counts) + std::max(outside, 0.0);
    };
    // A search restarted where it stopped, until it stays there, does not
    // settle early on a flat ridge.
    Point best = simplexSearch(f, Point{0, 0}, 1.0);
    for (int restart = 0; restart < 4; ++restart) {
        const Point again = simplexSearch(f, best, 0.1);
        const bool same =
            std::abs(again[0] - best[0]) < 1e-9 && std::abs(again[1] - best[1]) < 1e-9;
        best = again;
        if (same) {
            break;
        }
    }
    return model(best);
}

}  // namespace velmora
