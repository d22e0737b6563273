#include "engine/projection/monthly_projection.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "engine/projection/calculation.h"
#include "engine/projection/plan.h"

namespace velmora {

namespace {

/// Months summed side by side. Each month's first day is one long chain of
/// additions in a fixed order, so only separate months can overlap.
constexpr std::size_t lanes = 8;
using LaneVector = double __attribute__((vector_size(lanes * sizeof(double))));

/// The counts the cohorts hold on first days. A cohort renews once a month, on
/// the day of the month it started on: on the first day of month m it has
/// renewed m times, or m + 1 times when it renews on that very day. Cohorts that
/// start with the same count and renew at the same rates hold the same count
/// after k renewals, so one chain of counts serves each kind. Every count is
/// formed with the engine's operations, operand for operand.
class FirstDays {
public:
    /// The first days of `months` months, whose chains reach `chainLength`.
    FirstDays(const ScenarioValues& values, std::size_t days, std::size_t months,
              std::size_t chainLength)
        : days_(days) {
        const auto rates = values.retentionRates();
        constexpr std::size_t lastRate = ScenarioValues::rateCount - 1;
        // Under a plan each month's births start at their own count, and so
        // follow a chain of their own, kept a window at a time; without one all
        // share the first.
        const std::vector<double> renewalRates = values.renewalRates(chainLength);
        if (plansProjection(values)) {
            newCohorts_ = monthlyInputs(values, months).newCohort;
            rates_ = renewalRates;
            windows_.resize(months * window);
            windowAge_.resize(months);
        } else {
            newCohorts_ = {values.dailyNewSubs * values.trialRetention};
            born_.resize(chainLength);
            born_[0] = newCohorts_[0];
            for (std::size_t k = 1; k < chainLength; ++k) {
                born_[k] = renewalRates[k - 1] * born_[k - 1];
            }
        }
        newCohort_ = newCohorts_[0];
        if (!(values.startingSubs > 0)) {
            return;
        }
        // The starting subscribers, seeded as the engine seeds them: six groups
        // of the size the trials would have left, and the rest in a seventh.
        std::array<double, ScenarioValues::rateCount> starts{};
        double sum = 0;
        for (std::size_t group = 0; group < lastRate; ++group) {
            double cohort = newCohort_;
            for (std::size_t renewal = 0; renewal < group; ++renewal) {
                cohort = cohort * rates[renewal];
            }
            starts[group] = cohort;
            for (std::size_t day = 0; day < days; ++day) {
                sum = sum + cohort;
            }
        }
        starts[lastRate] = (values.startingSubs - sum) / static_cast<double>(days);
        chainLength_ = chainLength;
        seeded_.resize(starts.size() * chainLength);
        for (std::size_t group = 0; group < starts.size(); ++group) {
            double* chain = seeded_.data() + group * chainLength;
            chain[0] = starts[group];
            for (std::size_t k = 1; k < chainLength; ++k) {
                chain[k] = rates[lastRate] * chain[k - 1];  // seeded cohorts renew at rtPlus
            }
        }
    }

    /// Brings the windows of a plan's chains to the block of months from `first`.
    void moveTo(std::size_t first) {
        const std::size_t births = std::min(windowAge_.size(), first + lanes);
        for (std::size_t b = 0; b < births; ++b) {
            double* links = windows_.data() + b * window;
            if (b >= ready_) {
                links[0] = newCohorts_[b];
                for (std::size_t j = 1; j < window; ++j) {
                    links[j] = rates_[j - 1] * links[j - 1];
                }
                ready_ = b + 1;
            }
            // The block reads the links from first - b - 1 renewals on.
            const std::size_t target = b < first ? first - b - 1 : 0;
            std::size_t& age = windowAge_[b];
            while (age < target) {
                const std::size_t step = std::min(target - age, window - 1);
                std::memmove(links, links + step, (window - step) * sizeof(double));
                for (std::size_t j = window - step; j < window; ++j) {
                    links[j] = rates_[age + step + j - 1] * links[j - 1];
                }
                age += step;
            }
        }
    }

    /// The first days of months `first` to `first + count - 1` (`count` at most
    /// `lanes`) into `out`, each summed in list order like the engine's: the
    /// seeded cohorts, the cohorts born in earlier months by birth day, then the
    /// one born that day. The chains must reach `first + lanes`, a plan's
    /// windows be moved to `first`.
    void sumBlock(std::size_t first, std::size_t count, double* out) const {
        LaneVector sums = {};
        const auto add = [&sums](const double* counts, std::size_t times) {
            LaneVector lane;
            std::memcpy(&lane, counts, sizeof lane);
            for (std::size_t i = 0; i < times; ++i) {
                sums += lane;
            }
        };
        const std::size_t m = first;
        if (!seeded_.empty()) {
            // In each of the six groups only the last day's cohort renews on the
            // first day of a month; in the rest, only the first day's.
            for (std::size_t group = 0; group + 1 < ScenarioValues::rateCount; ++group) {
                const double* chain = seeded_.data() + group * chainLength_;
                add(chain + m, days_ - 1);
                add(chain + m + 1, 1);
            }
            const double* rest = seeded_.data() + (ScenarioValues::rateCount - 1) * chainLength_;
            add(rest + m + 1, 1);
            add(rest + m, days_ - 1);
        }
        // A month's births: the first day's cohort renews on first days, the others later.
        for (std::size_t birthMonth = 0; birthMonth < m; ++birthMonth) {
            add(link(birthMonth, m - birthMonth), 1);
            add(link(birthMonth, m - birthMonth - 1), days_ - 1);
        }
        std::array<double, lanes> sum;
        std::memcpy(sum.data(), &sums, sizeof sums);
        // Month first + lane also counts the births of the `lane` months before it.
        for (std::size_t lane = 1; lane < count; ++lane) {
            for (std::size_t renewals = lane; renewals > 0; --renewals) {
                const std::size_t birthMonth = first + lane - renewals;
                sum[lane] += *link(birthMonth, renewals);
                for (std::size_t day = 1; day < days_; ++day) {
                    sum[lane] += *link(birthMonth, renewals - 1);
                }
            }
        }
        for (std::size_t lane = 0; lane < count; ++lane) {
            out[lane] = sum[lane] + newCohortOf(first + lane);
        }
    }

private:
    /// A cohort born in `birthMonth` after `renewals` renewals, and the counts
    /// after it.
    [[nodiscard]] const double* link(std::size_t birthMonth, std::size_t renewals) const {
        if (windows_.empty()) {
            return born_.data() + renewals;
        }
        return windows_.data() + birthMonth * window + (renewals - windowAge_[birthMonth]);
    }
    [[nodiscard]] double newCohortOf(std::size_t month) const {
        return newCohorts_.size() == 1 ? newCohort_ : newCohorts_[month];
    }

    std::size_t days_;
    double newCohort_;
    std::vector<double> newCohorts_;  ///< each month's, or one for all
    std::vector<double> born_;        ///< a cohort born in the projection, after k renewals
    // Under a plan, the chain of the births of month b: `window` links from
    // `windowAge_[b]` renewals on, at `windows_[b * window]`; the first
    // `ready_` months' are started. A block of months reads nine of each.
    static constexpr std::size_t window = lanes + 1;
    std::vector<double> rates_;
    std::vector<double> windows_;
    std::vector<std::size_t> windowAge_;
    std::size_t ready_ = 0;
    std::size_t chainLength_ = 0;
    std::vector<double> seeded_;  ///< the seven seeded groups' chains, one after the other
};

}  // namespace

std::vector<double> monthlyActives(const ScenarioValues& values) {
    const auto size = projectionSize(values);
    if (!size || size->epochs == 0) {
        return {};
    }
    const auto months = static_cast<std::size_t>(size->months);
    FirstDays firstDays(values, static_cast<std::size_t>(size->monthDuration), months,
                        months + lanes);
    std::vector<double> actives(months);
    for (std::size_t first = 0; first < months; first += lanes) {
        firstDays.moveTo(first);
        firstDays.sumBlock(first, std::min(lanes, months - first), actives.data() + first);
    }
    return actives;
}

std::optional<double> lastMonthActive(const ScenarioValues& values) {
    const auto size = projectionSize(values);
    if (!size || size->epochs == 0) {
        return std::nullopt;
    }
    const auto months = static_cast<std::size_t>(size->months);
    FirstDays firstDays(values, static_cast<std::size_t>(size->monthDuration), months,
                        months + lanes);
    firstDays.moveTo(months - 1);
    double last = 0;
    firstDays.sumBlock(months - 1, 1, &last);
    return last;
}

}  // namespace velmora
