#include "engine/projection/lifetime_value.h"

namespace velmora {

double lifetimeValuePerTrial(std::int64_t months, const ScenarioValues& inputs, double price,
                             double earlyShare, double lateShare) {
    constexpr std::int64_t earlyPayments = 12;
    const std::int64_t payments = months - 1;
    if (payments < 1) {
        return 0.0;
    }
    const auto rates = inputs.retentionRates();
    const auto rateCount = static_cast<std::int64_t>(rates.size());

    // Payment 1 is made by every trial that converts; "+ 0" turns a -0 into 0.
    double alive = inputs.trialRetention;
    double total = (alive * price) * earlyShare + 0;
    std::int64_t paid = 1;
    // Payments 2 to 7 follow renewals 1 to 6.
    for (std::int64_t i = 0; i < rateCount - 1 && paid < payments; ++i) {
        alive = alive * rates[static_cast<std::size_t>(i)];
        total = total + (alive * price) * earlyShare;
        paid = i + 2;
    }
    // Every later payment follows one more renewal: payment k + 1 the k-th, at
    // a later rate while there is one, then at rtPlus.
    while (paid < payments) {
        const double share = paid < earlyPayments ? earlyShare : lateShare;
        alive = inputs.rateAtRenewal(static_cast<std::size_t>(paid)) * alive;
        total = total + share * (alive * price);
        ++paid;
    }
    return total;
}

}  // namespace velmora
