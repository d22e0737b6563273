#include "engine/projection/calculation.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <numeric>
#include <ostream>

#include "engine/projection/monthly_projection.h"
#include "engine/projection/plan_months.h"

namespace velmora {

namespace {

constexpr std::size_t lastRate = ScenarioValues::rateCount - 1;

bool isSeeded(const ScenarioValues& values) {
    return values.startingSubs > 0;
}

/// The cohorts that stand for the starting subscribers, in list order. A cohort
/// renews when its age is a whole number of months, so each one renews on the
/// same day of every month of the projection: `renewalDay`.
struct SeededCohorts {
    std::vector<double> subscribers;
    std::vector<double> renewalDay;
    std::vector<CohortLabel> labels;
    std::vector<std::size_t> labelOrder;  ///< list positions sorted stably by label
};

SeededCohorts seedStartingSubscribers(const ScenarioValues& values, double dailyCohort,
                                      std::int64_t monthDuration) {
    SeededCohorts seeded;
    if (!isSeeded(values)) {
        return seeded;
    }
    const auto rates = values.retentionRates();
    const auto total = static_cast<std::size_t>(monthDuration) * ScenarioValues::rateCount;
    seeded.subscribers.reserve(total);
    seeded.renewalDay.reserve(total);
    seeded.labels.reserve(total);
    const auto append = [&](std::int64_t startEpoch, double subscribers) {
        seeded.subscribers.push_back(subscribers);
        const std::int64_t offset = startEpoch % monthDuration;
        seeded.renewalDay.push_back(
            static_cast<double>(offset < 0 ? offset + monthDuration : offset));
        seeded.labels.push_back(CohortLabel::forStartEpoch(startEpoch, monthDuration));
    };

    // Six months of daily cohorts of the size the trials would have left...
    double sum = 0;
    for (std::size_t group = 0; group < lastRate; ++group) {
        double cohort = dailyCohort;
        for (std::size_t renewal = 0; renewal < group; ++renewal) {
            cohort = cohort * rates[renewal];
        }
        const auto groupStart = static_cast<std::int64_t>(group) * monthDuration;
        for (std::int64_t day = 0; day < monthDuration; ++day) {
            append(-(groupStart + day + 1), cohort);
            sum = sum + cohort;
        }
    }
    // ...and one older group holding the rest, negative when the six hold more.
    const double rest = (values.startingSubs - sum) / static_cast<double>(monthDuration);
    const auto restStart = static_cast<std::int64_t>(lastRate) * monthDuration;
    for (std::int64_t day = 0; day < monthDuration; ++day) {
        append(-(restStart + day), rest);
    }

    seeded.labelOrder.resize(seeded.labels.size());
    std::iota(seeded.labelOrder.begin(), seeded.labelOrder.end(), std::size_t{0});
    std::stable_sort(seeded.labelOrder.begin(), seeded.labelOrder.end(),
                     [&](std::size_t a, std::size_t b) {
                         return seeded.labels[a].value() < seeded.labels[b].value();
                     });
    return seeded;
}

/// Eight days of a month, summed side by side. Wrapped in an aligned struct:
/// a vector type loses its alignment as a template argument.
using DayVector = double __attribute__((vector_size(64)));
struct alignas(64) DayLane {
    DayVector days;
};
constexpr std::size_t daysPerLane = sizeof(DayVector) / sizeof(double);

/// Renews `count` cohorts at `rate`, each on its own renewal day of the month,
/// and adds each, in list order, to the running sum of every day of the month:
/// its count before renewal on the days before its renewal day, after renewal
/// from then on. Each day has its own accumulator, so every day's sum is formed
/// in list order exactly as a day-by-day walk over the cohorts would form it.
/// Also gives each cohort's count on the first day of the month.
template <std::size_t FixedLanes>
[[gnu::always_inline]] inline void renewAndAdd(DayLane* __restrict daySums,
                                               const DayLane* __restrict dayNumbers,
                                               std::size_t lanes, double* __restrict cohorts,
                                               const double* __restrict renewalDays,
                                               std::size_t count, double rate,
                                               double* __restrict onFirstDay) {
    // With the lane count known here, the sums stay in registers across cohorts.
    constexpr std::size_t kept = FixedLanes == 0 ? 1 : FixedLanes;
    DayVector sums[kept];
    DayVector numbers[kept];
    if constexpr (FixedLanes != 0) {
        for (std::size_t lane = 0; lane < FixedLanes; ++lane) {
            sums[lane] = daySums[lane].days;
            numbers[lane] = dayNumbers[lane].days;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        const double before = cohorts[i];
        const double after = rate * before;
        const double renewalDay = renewalDays[i];
        const DayVector beforeLane = {before, before, before, before,
                                      before, before, before, before};
        const DayVector afterLane = {after, after, after, after, after, after, after, after};
        const DayVector renewalLane = {renewalDay, renewalDay, renewalDay, renewalDay,
                                       renewalDay, renewalDay, renewalDay, renewalDay};
        if constexpr (FixedLanes != 0) {
            for (std::size_t lane = 0; lane < FixedLanes; ++lane) {
                sums[lane] += numbers[lane] < renewalLane ? beforeLane : afterLane;
            }
        } else {
            for (std::size_t lane = 0; lane < lanes; ++lane) {
                daySums[lane].days += dayNumbers[lane].days < renewalLane ? beforeLane : afterLane;
            }
        }
        cohorts[i] = after;
        onFirstDay[i] = renewalDay == 0 ? after : before;
    }
    if constexpr (FixedLanes != 0) {
        for (std::size_t lane = 0; lane < FixedLanes; ++lane) {
            daySums[lane].days = sums[lane];
        }
    }
}

[[gnu::target_clones("avx512f", "avx2", "default")]] void renewAndAddToMonth(
    DayLane* daySums, const DayLane* dayNumbers, std::size_t lanes, double* cohorts,
    const double* renewalDays, std::size_t count, double rate, double* onFirstDay) {
    if (lanes == 4) {  // months of 25 to 32 days, the usual case
        renewAndAdd<4>(daySums, dayNumbers, lanes, cohorts, renewalDays, count, rate, onFirstDay);
    } else {
        renewAndAdd<0>(daySums, dayNumbers, lanes, cohorts, renewalDays, count, rate, onFirstDay);
    }
}

/// The breakdown counts of a whole projection, month after month, each month in
/// label order: the seeded cohorts sorted by label, then the cohorts born during
/// the projection by birth day, whose labels are their birth months. Every born
/// cohort starts with the same count and renews at the same rates on its own
/// day of the month, so its count on a first day is one of a single chain: a
/// born cohort's count after k renewals, formed as the simulation forms it. The
/// seeded cohorts, a few thousand, are kept month by month.
struct BreakdownCounts {
    std::vector<double> seeded;             ///< the seeded cohorts' counts, a month after another
    std::vector<CohortLabel> seededLabels;  ///< in breakdown order
    /// A born cohort after k renewals, from `chainStart[b]` on for those born in
    /// month b: one chain for all without a plan, one for each month with one.
    std::vector<double> bornChain;
    std::vector<std::size_t> chainStart;
    std::int64_t monthDuration = 0;
    Uuid idKey;  ///< the records' ids are drawn from it by position

    /// On the first day of `month`, the born cohort `born` places after the
    /// first born one: it renews on that day when born on the first of a month.
    [[nodiscard]] double bornCount(std::int64_t month, std::size_t born) const {
        const auto days = static_cast<std::size_t>(monthDuration);
        const auto birthMonth = static_cast<std::int64_t>(born / days);
        const std::int64_t renewals =
            born % days == 0 ? month - birthMonth : month - birthMonth - 1;
        return bornChain[chainStart[static_cast<std::size_t>(birthMonth)] +
                         static_cast<std::size_t>(renewals)];
    }
};

class MonthBreakdown final : public CohortList::Source {
public:
    /// The records of `month`, numbered for their ids from `first` on.
    MonthBreakdown(std::shared_ptr<const BreakdownCounts> all, std::int64_t month,
                   std::size_t first)
        : all_(std::move(all)), month_(month), first_(first) {}

    SubscriptionCohort at(std::size_t position) const override {
        const std::size_t index = first_ + position;
        const std::size_t seeded = all_->seededLabels.size();
        if (position < seeded) {
            return {derivedUuid(all_->idKey, index), month_, all_->seededLabels[position],
                    all_->seeded[static_cast<std::size_t>(month_) * seeded + position]};
        }
        const std::size_t born = position - seeded;
        const CohortLabel label(static_cast<std::int64_t>(born) / all_->monthDuration);
        return {derivedUuid(all_->idKey, index), month_, label, all_->bornCount(month_, born)};
    }

    void readCounts(std::size_t first, std::span<CohortCount> out) const override {
        const std::size_t seeded = all_->seededLabels.size();
        const auto monthDuration = static_cast<std::size_t>(all_->monthDuration);
        const double* seededCounts =
            all_->seeded.data() + static_cast<std::size_t>(month_) * seeded;
        std::size_t i = 0;
        for (; i < out.size() && first + i < seeded; ++i) {
            out[i] = {month_, all_->seededLabels[first + i], seededCounts[first + i]};
        }
        if (i == out.size()) {
            return;
        }
        // Born cohorts come monthDuration to a label, the first of each renewed
        // once more than the others: step through the labels instead of
        // dividing for every record.
        const std::size_t born = first + i - seeded;
        auto label = static_cast<std::int64_t>(born / monthDuration);
        std::size_t day = born % monthDuration;
        const double* chains = all_->bornChain.data();
        const double* chain = chains + all_->chainStart[static_cast<std::size_t>(label)];
        for (; i < out.size(); ++i) {
            const std::int64_t renewals = day == 0 ? month_ - label : month_ - label - 1;
            out[i] = {month_, CohortLabel(label), chain[static_cast<std::size_t>(renewals)]};
            if (++day == monthDuration) {
                ++label;
                day = 0;
                if (i + 1 < out.size()) {
                    chain = chains + all_->chainStart[static_cast<std::size_t>(label)];
                }
            }
        }
    }

private:
    std::shared_ptr<const BreakdownCounts> all_;
    std::int64_t month_;
    std::size_t first_;
};

}  // namespace

double ProjectionSize::estimatedBytes() const {
    // Snapshots, the seeded cohorts' counts of every month, one month's
    // breakdown source and a link of the born cohorts' chain each, and the
    // working counts of every cohort.
    constexpr double perMonth = sizeof(SubscriptionSnapshot) + sizeof(MonthBreakdown) + 40;
    return static_cast<double>(epochs) * (sizeof(SubscriptionSnapshot) + sizeof(double)) +
           static_cast<double>(months) * static_cast<double>(seededCohorts) * sizeof(double) +
           static_cast<double>(months) * perMonth +
           static_cast<double>(seededCohorts) * 3 * sizeof(double) +
           planChainLinks * sizeof(double);
}

std::optional<ProjectionSize> projectionSize(const ScenarioValues& values) {
    const double months = values.monthsToProject;
    constexpr double int64Limit = 9223372036854775808.0;  // 2^63
    if (!std::isfinite(months) || months <= -1 || months >= int64Limit ||
        values.monthDuration < 0) {
        return std::nullopt;
    }
    ProjectionSize size;
    size.monthDuration = values.monthDuration;
    size.months = static_cast<std::int64_t>(months);  // toward zero: 2.9 -> 2, -0.5 -> 0
    if (__builtin_mul_overflow(size.months, size.monthDuration, &size.epochs)) {
        return std::nullopt;
    }
    if (isSeeded(values)) {
        constexpr auto seededLimit = std::numeric_limits<std::int64_t>::max() / 8;
        if (size.monthDuration > seededLimit) {
            return std::nullopt;
        }
        size.seededCohorts =
            static_cast<std::int64_t>(ScenarioValues::rateCount) * size.monthDuration;
    }
    const auto m = static_cast<double>(size.months);
    const auto md = static_cast<double>(size.monthDuration);
    const auto seeded = static_cast<double>(size.seededCohorts);
    const auto epochs = static_cast<double>(size.epochs);
    size.cohortRecords = m * (seeded + 1) + md * m * (m - 1) / 2;
    size.cohortDays = epochs * seeded + epochs * (epochs + 1) / 2;
    if (plansProjection(values)) {
        size.planChainLinks = m * (m + 3) / 2;
    }
    return size;
}

bool quickDays(const ProjectionSize& size) {
    constexpr double cohortDays = 3e8;
    constexpr double bytes = 256.0 * 1024 * 1024;
    return size.cohortDays <= cohortDays && size.estimatedBytes() <= bytes;
}

ProjectionLists projectScenario(const ScenarioValues& values, UuidGenerator& ids) {
    return *projectScenario(values, ids, BuildProgress());
}

std::optional<ProjectionLists> projectScenario(const ScenarioValues& values, UuidGenerator& ids,
                                               const BuildProgress& progress) {
    ProjectionLists lists;
    const auto size = projectionSize(values);
    if (!size || size->epochs == 0) {
        return lists;
    }
    const std::int64_t monthDuration = size->monthDuration;
    const auto days = static_cast<std::size_t>(monthDuration);
    const auto months = static_cast<std::size_t>(size->months);
    // Each day's cohort: the same every day without a plan, the same within a month with one.
    const bool planned = plansProjection(values);
    const std::vector<double> newCohorts =
        planned ? monthlyInputs(values, months).newCohort
                : std::vector<double>{values.dailyNewSubs * values.trialRetention};

    SeededCohorts seeded = seedStartingSubscribers(values, newCohorts[0], monthDuration);
    const std::size_t seededCount = seeded.subscribers.size();
    std::vector<double> seededOnFirstDay(seededCount);

    const std::size_t lanes = (days + daysPerLane - 1) / daysPerLane;
    std::vector<DayLane> daySums(lanes);
    std::vector<DayLane> dayNumberLanes(lanes);
    std::vector<double> dayNumbers(days);
    std::iota(dayNumbers.begin(), dayNumbers.end(), 0.0);
    for (std::size_t day = 0; day < days; ++day) {
        dayNumberLanes[day / daysPerLane].days[day % daysPerLane] = dayNumbers[day];
    }
    std::vector<double> born;  // cohorts born during the projection, by birth day
    born.reserve(static_cast<std::size_t>(size->epochs));

    auto breakdowns = std::make_shared<BreakdownCounts>();
    breakdowns->seeded.resize(months * seededCount);
    // Born cohorts renew at the rate of their renewal, read from a table built once.
    const std::vector<double> renewalRates = values.renewalRates(months + 1);
    // A cohort born in month b renews at most months - b times in the projection.
    breakdowns->chainStart.resize(months);
    for (std::size_t b = 0; b < newCohorts.size(); ++b) {
        const std::size_t start = breakdowns->bornChain.size();
        if (planned) {
            breakdowns->chainStart[b] = start;
        }
        breakdowns->bornChain.push_back(newCohorts[b]);
        for (std::size_t k = 1; k <= months - b; ++k) {
            const double previous = breakdowns->bornChain[start + k - 1];
            breakdowns->bornChain.push_back(renewalRates[k - 1] * previous);
        }
    }
    breakdowns->monthDuration = monthDuration;
    breakdowns->idKey = ids.next();
    for (std::size_t i : seeded.labelOrder) {
        breakdowns->seededLabels.push_back(seeded.labels[i]);
    }
    // The born cohorts' counts on first days are the chain's; the simulation's own are dropped.
    std::vector<double> bornOnFirstDay(days);

    lists.snapshots.reserve(static_cast<std::size_t>(size->epochs));
    lists.monthlySnapshots.reserve(static_cast<std::size_t>(size->months));

    // Every cohort renews exactly once in each month of the projection, on a day
    // of the month fixed by its start: a cohort born on day j of a month renews
    // on day j of every later month. So a month is simulated in one pass over
    // the cohorts.
    std::size_t breakdownStart = 0;
    for (std::int64_t month = 0; month < size->months; ++month) {
        std::fill(daySums.begin(), daySums.end(), DayLane{});

        // Seeded cohorts always renew at rtPlus, whatever their age.
        renewAndAddToMonth(daySums.data(), dayNumberLanes.data(), lanes, seeded.subscribers.data(),
                           seeded.renewalDay.data(), seededCount, values.rtPlus,
                           seededOnFirstDay.data());
        double* next = breakdowns->seeded.data() + static_cast<std::size_t>(month) * seededCount;
        for (std::size_t i : seeded.labelOrder) {
            *next++ = seededOnFirstDay[i];
        }
        // Cohorts born in earlier months, in birth order, one month's births at a time.
        for (std::int64_t birthMonth = 0; birthMonth < month; ++birthMonth) {
            const auto renewal = static_cast<std::size_t>(month - birthMonth - 1);
            renewAndAddToMonth(daySums.data(), dayNumberLanes.data(), lanes,
                               born.data() + birthMonth * monthDuration, dayNumbers.data(), days,
                               renewalRates[renewal], bornOnFirstDay.data());
        }
        const std::size_t breakdownSize = seededCount + static_cast<std::size_t>(month) * days + 1;
        const CohortList breakdown(
            std::make_shared<const MonthBreakdown>(breakdowns, month, breakdownStart),
            breakdownSize);
        breakdownStart += breakdownSize;

        // Cohorts born this month count from their birth day on, not yet renewed.
        const double newCohort = newCohorts[planned ? static_cast<std::size_t>(month) : 0];
        const std::int64_t firstDay = month * monthDuration;
        for (std::size_t day = 0; day < days; ++day) {
            double sum = daySums[day / daysPerLane].days[day % daysPerLane];
            for (std::size_t earlier = 0; earlier < day; ++earlier) {
                sum += newCohort;
            }
            lists.snapshots.emplace_back(ids, firstDay + static_cast<std::int64_t>(day),
                                         sum + newCohort, day == 0 ? breakdown : CohortList{});
            born.push_back(newCohort);
        }
        lists.monthlySnapshots.emplace_back(
            ids, month, lists.snapshots[static_cast<std::size_t>(firstDay)].active, CohortList{});
        if (progress && !progress(month + 1, size->months)) {
            return std::nullopt;
        }
    }
    assert(static_cast<double>(breakdownStart) == size->cohortRecords);
    std::vector<double> actives;
    actives.reserve(months);
    for (const SubscriptionSnapshot& month : lists.monthlySnapshots) {
        actives.push_back(month.active);
    }
    lists.monthlyProceeds = monthlyProceedsOf(values, actives);
    return lists;
}

SubscriptionCalculation::SubscriptionCalculation(const ScenarioSource& scenario,
                                                 std::ostream& announce, ProjectionDetail detail)
    : inputs(&scenario), monthDuration(scenario.scenarioValues().monthDuration), detail(detail) {
    announce << "Calculated\n" << std::flush;
    const ScenarioValues values = scenario.scenarioValues();
    UuidGenerator ids;
    if (detail == ProjectionDetail::Months) {
        const std::vector<double> actives = monthlyActives(values);
        monthlySnapshots.reserve(actives.size());
        for (std::size_t month = 0; month < actives.size(); ++month) {
            monthlySnapshots.emplace_back(ids, static_cast<std::int64_t>(month), actives[month],
                                          CohortList{});
        }
        monthlyProceeds = monthlyProceedsOf(values, actives);
        return;
    }
    ProjectionLists lists = projectScenario(values, ids);
    snapshots = std::move(lists.snapshots);
    monthlySnapshots = std::move(lists.monthlySnapshots);
    monthlyProceeds = std::move(lists.monthlyProceeds);
}

SubscriptionCalculation::SubscriptionCalculation(const ScenarioSource& scenario,
                                                 std::int64_t monthDuration, ProjectionLists lists)
    : inputs(&scenario),
      monthDuration(monthDuration),
      detail(ProjectionDetail::Days),
      snapshots(std::move(lists.snapshots)),
      monthlySnapshots(std::move(lists.monthlySnapshots)),
      monthlyProceeds(std::move(lists.monthlyProceeds)) {}

}  // namespace velmora
