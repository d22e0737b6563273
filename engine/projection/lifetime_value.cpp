#include "engine/projection/lifetime_value.h"

#include <vector>

namespace velmora {

namespace {

/// The price of each payment of a trial started in M0, payment k + 1 made in
/// month k, when a plan changes the price for everyone; nothing otherwise (the
/// trial pays `price` throughout).
std::vector<double> paymentPrices(const ScenarioValues& inputs, double price,
                                  std::int64_t payments) {
    std::vector<double> prices;
    const Plan* plan = inputs.plan ? &*inputs.plan : nullptr;
    if (plan && plan->priceChangesApply == PriceChangesApply::Everyone &&
        plan->hasChanges(PlanInput::Price)) {
        for (std::int64_t month = 0; month < payments; ++month) {
            prices.push_back(plan->valueIn(PlanInput::Price, price, month));
        }
    }
    return prices;
}

}  // namespace

double lifetimeValuePerTrial(std::int64_t months, const ScenarioValues& inputs, double price,
                             double earlyShare, double lateShare) {
    constexpr std::int64_t earlyPayments = 12;
    const std::int64_t payments = months - 1;
    if (payments < 1) {
        return 0.0;
    }
    const auto rates = inputs.retentionRates();
    const auto rateCount = static_cast<std::int64_t>(rates.size());
    const std::vector<double> prices = paymentPrices(inputs, price, payments);
    const auto priceOf = [&](std::int64_t payment) {
        return prices.empty() ? price : prices[static_cast<std::size_t>(payment - 1)];
    };

    // Payment 1 is made by every trial that converts; "+ 0" turns a -0 into 0.
    double alive = inputs.trialRetention;
    double total = (alive * price) * earlyShare + 0;
    std::int64_t paid = 1;
    // Payments 2 to 7 follow renewals 1 to 6.
    for (std::int64_t i = 0; i < rateCount - 1 && paid < payments; ++i) {
        alive = alive * rates[static_cast<std::size_t>(i)];
        paid = i + 2;
        total = total + (alive * priceOf(paid)) * earlyShare;
    }
    // Every later payment follows one more renewal: payment k + 1 the k-th, at
    // a later rate while there is one, then at rtPlus.
    while (paid < payments) {
        const double share = paid < earlyPayments ? earlyShare : lateShare;
        alive = inputs.rateAtRenewal(static_cast<std::size_t>(paid)) * alive;
        ++paid;
        total = total + share * (alive * priceOf(paid));
    }
    return total;
}

}  // namespace velmora
