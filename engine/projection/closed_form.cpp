#include "engine/projection/closed_form.h"

#include <algorithm>
#include <bit>
#include <cassert>

#include "engine/projection/calculation.h"
#include "engine/projection/plan_months.h"
#include "engine/table/table_figures.h"

namespace velmora {

namespace {

constexpr std::size_t rateCount = ScenarioValues::rateCount;

// Rates shared only when alike bit for bit: -0 and 0 renew to different zeros.
bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

}  // namespace

MonthlyRecurrence::MonthlyRecurrence(std::span<const ScenarioValues> scenarios,
                                     std::int64_t monthDuration,
                                     std::span<const double> sharedLaterRates)
    : monthDuration_(static_cast<double>(monthDuration)),
      count_(scenarios.size()),
      cohort_(count_),
      born_(count_, 0.0),
      seeded_(count_),
      seededRate_(count_),
      rates_(count_ * rateCount),
      laterStart_(count_),
      laterLength_(count_),
      prices_(count_),
      plannedProceeds_(count_) {
    assert(monthDuration >= 1);
    std::span<const double> previous;
    for (std::size_t i = 0; i < count_; ++i) {
        const ScenarioValues& values = scenarios[i];
        const std::span<const double> later =
            values.laterRates.empty() ? sharedLaterRates : std::span(values.laterRates);
        if (i == 0 ||
            !std::equal(later.begin(), later.end(), previous.begin(), previous.end(), sameBits)) {
            laterStart_[i] = later_.size();
            later_.insert(later_.end(), later.begin(), later.end());
        } else {
            laterStart_[i] = laterStart_[i - 1];
        }
        laterLength_[i] = later.size();
        longestLater_ = std::max(longestLater_, later.size());
        previous = later;
        cohort_[i] = values.dailyNewSubs * values.trialRetention;
        prices_[i] = values.price;
        // Starting subscribers count only when above 0 (NaN skips them too).
        const bool seeded = values.startingSubs > 0;
        seeded_[i] = seeded ? values.startingSubs / monthDuration_ : 0.0;
        seededRate_[i] = seeded ? values.rtPlus : 1.0;
        const auto rates = values.retentionRates();
        for (std::size_t r = 0; r < rateCount; ++r) {
            rates_[r * count_ + i] = rates[r];
        }
        if (plansProjection(values)) {
            ScenarioValues own = values;
            own.laterRates.assign(later.begin(), later.end());
            planned_.push_back({i, PlanRecurrence(own, monthDuration)});
        }
    }
}

void MonthlyRecurrence::next(std::span<double> actives) {
    assert(actives.size() == count_);
    const double laterDays = monthDuration_ - 1;
    double* __restrict out = actives.data();
    const double* __restrict cohort = cohort_.data();
    const double* __restrict born = born_.data();
    const double* __restrict seeded = seeded_.data();
    const double* __restrict seededRate = seededRate_.data();
    for (std::size_t i = 0; i < count_; ++i) {
        const double bornCohorts = monthDuration_ * born[i] + cohort[i];
        const double seededCohorts = laterDays * seeded[i] + seededRate[i] * seeded[i];
        out[i] = bornCohorts + seededCohorts;
    }
    for (auto& [index, recurrence] : planned_) {
        const PlanRecurrence::Month month = recurrence.next();
        out[index] = month.active;
        plannedProceeds_[index] = month.proceeds;
    }
    advance();
}

void MonthlyRecurrence::next(std::span<double> actives, std::span<double> proceeds) {
    assert(proceeds.size() == count_);
    next(actives);
    for (std::size_t i = 0; i < count_; ++i) {
        proceeds[i] = monthlyProceeds(actives[i], prices_[i]);
    }
    for (const auto& planned : planned_) {
        proceeds[planned.first] = plannedProceeds_[planned.first];
    }
}

void MonthlyRecurrence::skip() {
    for (auto& planned : planned_) {
        planned.second.next();
    }
    advance();
}

void MonthlyRecurrence::advance() {
    // The month's renewal: the k-th (from 0) uses rt(k+1), from the seventh on
    // the later rates while a scenario has them, then rtPlus.
    const double* __restrict rate = rates_.data() + std::min(month_, rateCount - 1) * count_;
    const std::size_t later = month_ - (rateCount - 1);
    if (month_ >= rateCount - 1 && later < longestLater_) {
        laterRow_.resize(count_);
        for (std::size_t i = 0; i < count_; ++i) {
            laterRow_[i] = later < laterLength_[i] ? later_[laterStart_[i] + later] : rate[i];
        }
        rate = laterRow_.data();
    }
    double* __restrict cohort = cohort_.data();
    double* __restrict born = born_.data();
    double* __restrict seeded = seeded_.data();
    const double* __restrict seededRate = seededRate_.data();
    for (std::size_t i = 0; i < count_; ++i) {
        born[i] = born[i] + cohort[i];
        cohort[i] = rate[i] * cohort[i];
        seeded[i] = seededRate[i] * seeded[i];
    }
    ++month_;
}

MonthlyFigures closedFormFigures(const ScenarioValues& values) {
    MonthlyFigures figures;
    const auto size = projectionSize(values);
    if (!size || size->epochs == 0) {
        return figures;
    }
    const auto months = static_cast<std::size_t>(size->months);
    if (plansProjection(values)) {
        PlanRecurrence recurrence(values, size->monthDuration);
        for (std::size_t month = 0; month < months; ++month) {
            const PlanRecurrence::Month figure = recurrence.next();
            figures.active.push_back(figure.active);
            figures.proceeds.push_back(figure.proceeds);
        }
        return figures;
    }
    figures.active.resize(months);
    figures.proceeds.resize(months);
    MonthlyRecurrence recurrence(std::span(&values, 1), size->monthDuration);
    for (std::size_t month = 0; month < months; ++month) {
        recurrence.next(std::span(&figures.active[month], 1));
        figures.proceeds[month] = monthlyProceeds(figures.active[month], values.price);
    }
    return figures;
}

std::optional<double> closedFormLastActive(const ScenarioValues& values) {
    const auto size = projectionSize(values);
    if (!size || size->epochs == 0) {
        return std::nullopt;
    }
    if (plansProjection(values)) {
        PlanRecurrence recurrence(values, size->monthDuration);
        for (std::int64_t month = 1; month < size->months; ++month) {
            recurrence.next();
        }
        return recurrence.next().active;
    }
    // `MonthlyRecurrence` for one scenario, operation for operation, without its
    // vectors: what goal seeking repeats dozens of times.
    const auto monthDuration = static_cast<double>(size->monthDuration);
    // The listed renewals' rates and then rtPlus, for any number of months.
    const std::vector<double> rates = values.renewalRates(values.listedRenewals() + 1);
    const bool seeded = values.startingSubs > 0;
    const double seededRate = seeded ? values.rtPlus : 1.0;
    double cohort = values.dailyNewSubs * values.trialRetention;
    double born = 0;
    double seededCohort = seeded ? values.startingSubs / monthDuration : 0.0;
    for (std::int64_t month = 1; month < size->months; ++month) {
        born = born + cohort;
        cohort = rates[std::min(static_cast<std::size_t>(month - 1), rates.size() - 1)] * cohort;
        seededCohort = seededRate * seededCohort;
    }
    return (monthDuration * born + cohort) +
           ((monthDuration - 1) * seededCohort + seededRate * seededCohort);
}

}  // namespace velmora
