#include "engine/decisions/goal_seek.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "engine/decisions/economics.h"

namespace velmora {

namespace {

using Outcome = GoalSeekResult::Outcome;

/// The secant search stops this much closer to the target than the rounding
/// requires, leaving room to round the answer to fewer decimals.
constexpr double closeness = 1e-3;
constexpr int maximumSteps = 200;
constexpr int maximumDecimals = 15;

/// How near the metric must come to `goal.target`: within the rounding the
/// table shows it with, and within half the last decimal the target is written
/// with, so that a target of 0.12 is not met by 0.1129 although both show as
/// "0.1 ×". A target written with more decimals than a double can tell apart
/// is met within a billionth of itself.
double tolerance(const Goal& goal) {
    const double shown = shownTolerance(goal.metric);
    const double target = std::abs(goal.target);
    int decimals = 0;
    for (double scale = 1; decimals <= maximumDecimals; ++decimals, scale *= 10) {
        if (std::round(target * scale) / scale == target) {
            break;
        }
    }
    const double written = 0.5 * std::pow(10.0, -decimals);
    return std::min(shown, std::max(written, target * 1e-9));
}

/// How a search computes the metric: from the closed form, which costs a few
/// operations a month, or day by day as the summary does.
enum class Evaluation { ClosedForm, Exact };

/// The metric as a function of the input; a metric without a value is not a number.
class Trial {
public:
    Trial(const ScenarioValues& values, const Goal& goal, std::stop_token stop,
          Evaluation evaluation)
        : values_(values), goal_(goal), stop_(std::move(stop)), evaluation_(evaluation) {}

    /// The metric with the input at `x`, or nothing once stopped.
    std::optional<double> operator()(double x) {
        if (stop_.stop_requested()) {
            return std::nullopt;
        }
        inputField(values_, goal_.input) = x;
        const auto metric = evaluation_ == Evaluation::Exact
                                ? metricValue(goal_.metric, values_)
                                : closedFormMetricValue(goal_.metric, values_);
        return metric.value_or(std::numeric_limits<double>::quiet_NaN());
    }

    bool reaches(double metric) const { return std::abs(metric - goal_.target) < tolerance(goal_); }

private:
    ScenarioValues values_;
    Goal goal_;
    std::stop_token stop_;
    Evaluation evaluation_;
};

GoalSeekResult result(Outcome outcome, double value, double achieved, std::string reason = {}) {
    return {outcome, value, achieved, std::move(reason)};
}

GoalSeekResult cancelled() {
    return result(Outcome::Cancelled, 0, 0);
}

/// "0", "1", "1000000000": the range ends as a reader writes them.
std::string numberText(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

struct Point {
    double x;
    double metric;
};

/// The point nearest the target that the Illinois variant of the secant method
/// finds between `low` and `high`, whose metrics lie on either side of the
/// target; nothing once stopped.
std::optional<Point> solve(Trial& trial, Point low, Point high, double target, double goodEnough) {
    double a = low.x;
    double b = high.x;
    double ga = low.metric - target;
    double gb = high.metric - target;
    Point best = std::abs(ga) <= std::abs(gb) ? low : high;
    int kept = 0;  // which end the last step kept: -1 low, 1 high
    for (int step = 0; step < maximumSteps && std::abs(best.metric - target) > goodEnough; ++step) {
        double c = b - gb * (b - a) / (gb - ga);
        if (!(c > a && c < b)) {
            c = a + (b - a) / 2;
        }
        if (c <= a || c >= b) {
            break;  // a and b are neighbouring numbers
        }
        const auto metric = trial(c);
        if (!metric) {
            return std::nullopt;
        }
        const double gc = *metric - target;
        if (std::isnan(gc)) {
            break;
        }
        if (std::abs(gc) < std::abs(best.metric - target)) {
            best = {c, *metric};
        }
        if ((gc > 0) == (gb > 0)) {
            b = c;
            gb = gc;
            if (kept == -1) {
                ga /= 2;
            }
            kept = -1;
        } else {
            a = c;
            ga = gc;
            if (kept == 1) {
                gb /= 2;
            }
            kept = 1;
        }
    }
    return best;
}

/// The value with the fewest decimals, rounded from `found`, that still
/// reaches the target: it reads best in the form. Nothing once stopped.
std::optional<Point> shortestReaching(Trial& trial, Point found, InputRange range) {
    for (int decimals = 0; decimals <= maximumDecimals; ++decimals) {
        const double scale = std::pow(10.0, decimals);
        const double rounded = std::round(found.x * scale) / scale;
        if (rounded == found.x || std::abs(found.x) * scale >= 0x1p52) {
            break;  // no shorter form left
        }
        if (rounded < range.low || rounded > range.high) {
            continue;
        }
        const auto metric = trial(rounded);
        if (!metric) {
            return std::nullopt;
        }
        if (trial.reaches(*metric)) {
            return Point{rounded, *metric};
        }
    }
    return found;
}

/// Whether the metric `figure` meets the deadline `target`.
bool meets(double figure, double target) {
    return figure <= target;
}

/// `x` rounded to `decimals` decimals towards `towards`.
double roundedTowards(double x, int decimals, double towards) {
    const double scale = std::pow(10.0, decimals);
    return (towards > x ? std::ceil(x * scale) : std::floor(x * scale)) / scale;
}

/// The value nearest `unmet` that meets the deadline, between `unmet` and
/// `met`: bisected to the last bits, then rounded towards `met` to the fewest
/// decimals within 0.1% of it that still meet it. Nothing once stopped.
std::optional<Point> deadlineBoundary(Trial& trial, double unmet, Point met, double target) {
    constexpr double within = 1e-3;
    double miss = unmet;
    for (int step = 0; step < maximumSteps; ++step) {
        const double middle = miss + (met.x - miss) / 2;
        if (middle == miss || middle == met.x) {
            break;
        }
        const auto metric = trial(middle);
        if (!metric) {
            return std::nullopt;
        }
        if (meets(*metric, target)) {
            met = {middle, *metric};
        } else {
            miss = middle;
        }
    }
    for (int decimals = 0; decimals <= maximumDecimals; ++decimals) {
        const double rounded = roundedTowards(met.x, decimals, met.x > miss ? INFINITY : -INFINITY);
        if (rounded == met.x) {
            break;
        }
        const bool between = met.x > miss ? rounded <= met.x + std::abs(met.x) * within
                                          : rounded >= met.x - std::abs(met.x) * within;
        if (!between) {
            continue;
        }
        const auto metric = trial(rounded);
        if (!metric) {
            return std::nullopt;
        }
        if (meets(*metric, target)) {
            return Point{rounded, *metric};
        }
    }
    return met;
}

GoalSeekResult seekDeadline(const ScenarioValues& values, const Goal& goal, Trial& trial,
                            double now) {
    const double current = inputValue(values, goal.input);
    const InputRange range = inputRange(goal.input);
    const std::string input(inputName(goal.input));
    const std::string metric(metricName(goal.metric));
    const auto low = trial(range.low);
    const auto high = low ? trial(range.high) : std::nullopt;
    if (!high) {
        return cancelled();
    }
    const bool lowMeets = meets(*low, goal.target);
    const bool highMeets = meets(*high, goal.target);
    if (!lowMeets && !highMeets) {
        const bool lowNearer = !(*high < *low);
        return result(Outcome::Unreachable, lowNearer ? range.low : range.high,
                      lowNearer ? *low : *high,
                      "No value of " + input + " from " + numberText(range.low) + " to " +
                          numberText(range.high) + " brings " + metric + " to " +
                          numberText(goal.target) + " or less.");
    }
    // From the current value, kept within the range, to the nearer end that meets it.
    const double from = std::isnan(current) ? (lowMeets ? range.high : range.low)
                                            : std::clamp(current, range.low, range.high);
    const auto figure = from == current ? std::optional(now) : trial(from);
    if (!figure) {
        return cancelled();
    }
    const bool fromMeets = meets(*figure, goal.target);
    std::optional<Point> found;
    if (goal.input == Input::CostPerTrial) {
        // The budget: the most a trial may cost and still meet it, between a
        // cost that meets it (the current one, or none) and one that does not.
        if (highMeets) {
            return result(Outcome::Reached, range.high, *high);
        }
        found = fromMeets ? deadlineBoundary(trial, range.high, {from, *figure}, goal.target)
                          : deadlineBoundary(trial, from, {range.low, *low}, goal.target);
    } else if (fromMeets) {
        return result(Outcome::Reached, from, *figure);
    } else {
        const bool towardsHigh =
            highMeets && (!lowMeets || std::abs(range.high - from) < std::abs(from - range.low));
        const Point end = towardsHigh ? Point{range.high, *high} : Point{range.low, *low};
        found = deadlineBoundary(trial, from, end, goal.target);
    }
    if (!found) {
        return cancelled();
    }
    return result(Outcome::Reached, found->x, found->metric);
}

/// Goal seeking with the metric computed as `evaluation` says; `now` is the
/// summary's figure with the values as they are.
GoalSeekResult search(const ScenarioValues& values, const Goal& goal, std::stop_token stop,
                      Evaluation evaluation, const std::optional<double>& now) {
    if (!std::isfinite(goal.target)) {
        return result(Outcome::CannotCompute, 0, 0, "The target must be a finite number.");
    }
    if (stop.stop_requested()) {
        return cancelled();
    }
    const double current = inputValue(values, goal.input);
    if (!now) {
        return result(Outcome::CannotCompute, current, 0, "The projection has no month.");
    }
    const InputRange range = inputRange(goal.input);
    const std::string input(inputName(goal.input));
    const std::string metric(metricName(goal.metric));
    if (needsCost(goal.metric) && !hasCost(values) && goal.input != Input::CostPerTrial) {
        return result(Outcome::CannotCompute, current, *now,
                      "The cost of a trial is not given: enter it, or solve for costPerTrial.");
    }
    Trial trial(values, goal, std::move(stop), evaluation);
    const bool deadline = isDeadline(goal.metric);
    const bool reachedNow = deadline ? meets(*now, goal.target) : trial.reaches(*now);
    const bool budget = deadline && goal.input == Input::CostPerTrial;
    if (reachedNow && !budget && current >= range.low && current <= range.high) {
        return result(Outcome::Reached, current, *now);
    }
    if (!moves(goal.input, goal.metric)) {
        return result(Outcome::NoEffect, current, *now, input + " does not change " + metric + ".");
    }
    if (deadline) {
        return seekDeadline(values, goal, trial, *now);
    }

    const auto low = trial(range.low);
    const auto high = low ? trial(range.high) : std::nullopt;
    if (!high) {
        return cancelled();
    }
    if (std::isnan(*low) || std::isnan(*high)) {
        return result(Outcome::CannotCompute, current, *now,
                      "With the other inputs as they are, " + metric + " is not a number.");
    }
    const double target = goal.target;
    const bool bracketed = (*low <= target) != (*high < target);
    std::optional<Point> found;
    if (trial.reaches(*low) || trial.reaches(*high)) {
        const bool lowNearer = std::abs(*low - target) <= std::abs(*high - target);
        found = lowNearer ? Point{range.low, *low} : Point{range.high, *high};
    }
    if (!bracketed && !found) {
        // Compared directly rather than by distance, which a huge target could round away.
        const bool lowNearer = target > *low ? *low >= *high : *low <= *high;
        return result(Outcome::Unreachable, lowNearer ? range.low : range.high,
                      lowNearer ? *low : *high,
                      "No value of " + input + " from " + numberText(range.low) + " to " +
                          numberText(range.high) + " reaches the target.");
    }
    if (bracketed) {
        found = solve(trial, {range.low, *low}, {range.high, *high}, target,
                      tolerance(goal) * closeness);
    }
    if (!found) {
        return cancelled();
    }
    if (!trial.reaches(found->metric)) {
        return result(Outcome::Unreachable, found->x, found->metric,
                      "No value of " + input + " brings " + metric +
                          " within the shown rounding of the target; this is the nearest found.");
    }
    const auto shortest = shortestReaching(trial, *found, range);
    if (!shortest) {
        return cancelled();
    }
    return result(Outcome::Reached, shortest->x, shortest->metric);
}

}  // namespace

GoalSeekResult seekGoal(const ScenarioValues& values, const Goal& goal, std::stop_token stop) {
    const auto now = metricValue(goal.metric, values);
    GoalSeekResult found = search(values, goal, stop, Evaluation::ClosedForm, now);
    if (found.outcome != Outcome::Reached && found.outcome != Outcome::Unreachable) {
        return found;
    }
    // The answer is the summary's figure; where it and the closed form fall on
    // either side of the target's rounding, the search runs again day by day.
    ScenarioValues applied = values;
    inputField(applied, goal.input) = found.value;
    const double shown =
        (found.value == inputValue(values, goal.input) ? now : metricValue(goal.metric, applied))
            .value_or(std::numeric_limits<double>::quiet_NaN());
    const bool reaches = isDeadline(goal.metric) ? meets(shown, goal.target)
                                                 : std::abs(shown - goal.target) < tolerance(goal);
    if (reaches != found.reached()) {
        return search(values, goal, std::move(stop), Evaluation::Exact, now);
    }
    found.achieved = shown;
    return found;
}

}  // namespace velmora
