#include "support/reference_projection.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

namespace velmora::reference {

namespace {

std::string label(std::int64_t startEpoch, std::int64_t monthDuration) {
    const double q = static_cast<double>(startEpoch) / static_cast<double>(monthDuration);
    if (q >= 0) {
        return std::to_string(static_cast<std::int64_t>(q));
    }
    return std::to_string(static_cast<std::int64_t>(q) - 1);
}

std::int64_t sortKey(const std::string& text) {
    try {
        std::size_t used = 0;
        const long long value = std::stoll(text, &used);
        return used == text.size() ? value : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

/// The value of `input` in `month`: the latest change at or before it, else `base`.
double planned(const ScenarioValues& inputs, PlanInput input, double base, std::int64_t month) {
    if (!inputs.plan) {
        return base;
    }
    double value = base;
    std::int64_t latest = 0;
    for (const PlanChange& change : inputs.plan->changes) {
        if (change.input == input && change.month <= month && change.month > latest) {
            value = change.value;
            latest = change.month;
        }
    }
    return value;
}

double trials(const ScenarioValues& inputs, std::int64_t month) {
    const double level = planned(inputs, PlanInput::DailyNewSubs, inputs.dailyNewSubs, month);
    if (!inputs.plan) {
        return level;
    }
    const Plan& plan = *inputs.plan;
    double factor = 1;
    if (plan.growthPercent) {
        std::int64_t grown = month;
        if (plan.growthUntil && *plan.growthUntil < month) {
            grown = *plan.growthUntil;
        }
        factor = std::pow(1 + *plan.growthPercent / 100, static_cast<double>(grown));
    }
    if (plan.seasonality) {
        const std::int64_t calendar = (plan.startMonth->month - 1 + month) % 12;
        factor = factor * (*plan.seasonality)[static_cast<std::size_t>(calendar)];
    }
    return level * factor;
}

double newCohort(const ScenarioValues& inputs, std::int64_t month) {
    return trials(inputs, month) *
           planned(inputs, PlanInput::TrialRetention, inputs.trialRetention, month);
}

double price(const ScenarioValues& inputs, std::int64_t month) {
    return planned(inputs, PlanInput::Price, inputs.price, month);
}

}  // namespace

ProjectionLists project(const ScenarioValues& inputs, UuidGenerator& ids) {
    ProjectionLists result;
    const double monthsValue = inputs.monthsToProject;
    if (!std::isfinite(monthsValue) || monthsValue <= -1 || inputs.monthDuration < 0) {
        return result;
    }
    const std::int64_t md = inputs.monthDuration;
    const auto M = static_cast<std::int64_t>(monthsValue);
    const std::int64_t E = M * md;
    double n = newCohort(inputs, 0);
    const auto R = inputs.retentionRates();
    const std::size_t c = R.size();

    std::vector<std::shared_ptr<SubscriptionPeriod>> periods;
    if (inputs.startingSubs > 0) {
        double sum = 0;
        for (std::size_t m = 0; m <= c - 2; ++m) {
            double x = n;
            for (std::size_t j = 0; j < m; ++j) {
                x = x * R[j];
            }
            for (std::int64_t d = 0; d < md; ++d) {
                periods.push_back(std::make_shared<SubscriptionPeriod>(
                    -(static_cast<std::int64_t>(m) * md + d + 1), true, x));
                sum = sum + x;
            }
        }
        const double rest = (inputs.startingSubs - sum) / static_cast<double>(md);
        for (std::int64_t d = 0; d < md; ++d) {
            periods.push_back(std::make_shared<SubscriptionPeriod>(
                -(static_cast<std::int64_t>(c - 1) * md + d), true, rest));
        }
    }

    const bool byStart =
        inputs.plan && inputs.plan->priceChangesApply == PriceChangesApply::NewSubscribers;
    for (std::int64_t e = 0; e < E; ++e) {
        n = newCohort(inputs, e / md);
        double s = 0;
        for (const auto& p : periods) {
            const std::int64_t age = e - p->startEpoch;
            if (age % md == 0) {
                const std::int64_t k = age / md - 1;
                double rate = R[c - 1];
                if (!p->startingSubscription && k < static_cast<std::int64_t>(c - 1)) {
                    rate = R[static_cast<std::size_t>(k)];
                } else if (!p->startingSubscription &&
                           k - static_cast<std::int64_t>(c - 1) <
                               static_cast<std::int64_t>(inputs.laterRates.size())) {
                    rate = inputs.laterRates[static_cast<std::size_t>(k) - (c - 1)];
                }
                p->subscribers = rate * p->subscribers;
            }
            s = s + p->subscribers;
        }
        periods.push_back(std::make_shared<SubscriptionPeriod>(e, false, n));
        if (e % md == 0) {
            double paid = (s + n) * price(inputs, e / md);
            if (byStart) {
                paid = 0;
                for (const auto& p : periods) {
                    const std::int64_t start = p->startEpoch < 0 ? 0 : p->startEpoch / md;
                    paid = paid + p->subscribers * price(inputs, start);
                }
            }
            result.monthlyProceeds.push_back(paid * 0.85);
        }

        struct Labelled {
            std::string label;
            double count;
        };
        std::vector<Labelled> labelled;
        if (e % md == 0) {
            for (const auto& p : periods) {
                labelled.push_back({label(p->startEpoch, md), p->subscribers});
            }
            std::stable_sort(labelled.begin(), labelled.end(), [](const auto& a, const auto& b) {
                return sortKey(a.label) < sortKey(b.label);
            });
        }
        std::vector<SubscriptionCohort> cohorts;
        for (const auto& entry : labelled) {
            cohorts.emplace_back(ids, e / md, CohortLabel(sortKey(entry.label)), entry.count);
            if (cohorts.back().cohort.text() != entry.label) {
                throw std::logic_error("label text does not round-trip: " + entry.label);
            }
        }
        result.snapshots.emplace_back(ids, e, s + n, std::move(cohorts));
    }
    for (const auto& snapshot : result.snapshots) {
        if (snapshot.epoch % md == 0) {
            result.monthlySnapshots.emplace_back(ids, snapshot.epoch / md, snapshot.active,
                                                 CohortList{});
        }
    }
    return result;
}

}  // namespace velmora::reference
