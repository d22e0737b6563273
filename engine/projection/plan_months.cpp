#include "engine/projection/plan_months.h"

#include <cassert>

#include "engine/table/table_figures.h"

namespace velmora {

PlanRecurrence::PlanRecurrence(const ScenarioValues& values, std::int64_t monthDuration)
    : values_(values),
      monthDuration_(static_cast<double>(monthDuration)),
      price0_(priceIn(values, 0)),
      later_(values.rtPlus),
      byStart_(pricesByStart(values)),
      young_(values.listedRenewals() + 1),
      weight_(young_ + 1) {
    assert(monthDuration >= 1);
    const std::vector<double> rates = values.renewalRates(young_);
    double survival = 1;  // S(a - 1)
    for (std::size_t age = 1; age <= young_; ++age) {
        const double next = survival * rates[age - 1];
        weight_[age] = next + (monthDuration_ - 1) * survival;
        survival = next;
    }
    if (values.startingSubs > 0) {  // NaN seeds nothing either
        seeded_ = values.startingSubs / monthDuration_;
        seededRate_ = values.rtPlus;
    }
}

PlanRecurrence::Month PlanRecurrence::next() {
    const std::int64_t m = month_;
    const double cohort = trialsPerDay(values_, m) * conversionIn(values_, m);
    const double extra = priceIn(values_, m) - price0_;
    born_.push_back(cohort);
    extra_.push_back(extra);

    double youngSum = 0;
    double youngExtra = 0;
    const auto current = static_cast<std::size_t>(m);
    for (std::size_t age = 1; age < young_ && age <= current; ++age) {
        const double group = born_[current - age] * weight_[age];
        youngSum += group;
        youngExtra += group * extra_[current - age];
    }
    const double seeded = (monthDuration_ - 1) * seeded_ + seededRate_ * seeded_;
    Month month{seeded + old_ + youngSum + cohort, oldExtra_ + youngExtra + cohort * extra, 0};
    month.proceeds = byStart_ ? (month.active * price0_ + month.startPriceExtra) * proceedsShare
                              : monthlyProceeds(month.active, priceIn(values_, m));

    // The months reaching the age past the listed rates join those renewing at rtPlus alone.
    old_ = later_ * old_;
    oldExtra_ = later_ * oldExtra_;
    if (current + 1 >= young_) {
        const std::size_t b = current + 1 - young_;
        const double group = born_[b] * weight_[young_];
        old_ += group;
        oldExtra_ += group * extra_[b];
    }
    seeded_ = seededRate_ * seeded_;
    ++month_;
    return month;
}

bool pricesByStart(const ScenarioValues& values) {
    return values.plan && values.plan->priceChangesApply == PriceChangesApply::NewSubscribers &&
           values.plan->hasChanges(PlanInput::Price);
}

std::vector<double> monthlyProceedsOf(const ScenarioValues& values,
                                      std::span<const double> actives) {
    std::vector<double> proceeds(actives.size());
    if (!pricesByStart(values) || actives.empty()) {
        for (std::size_t m = 0; m < actives.size(); ++m) {
            proceeds[m] =
                monthlyProceeds(actives[m], priceIn(values, static_cast<std::int64_t>(m)));
        }
        return proceeds;
    }
    PlanRecurrence recurrence(values, values.monthDuration);
    const double price = priceIn(values, 0);
    for (std::size_t m = 0; m < actives.size(); ++m) {
        proceeds[m] = (actives[m] * price + recurrence.next().startPriceExtra) * proceedsShare;
    }
    return proceeds;
}

}  // namespace velmora
