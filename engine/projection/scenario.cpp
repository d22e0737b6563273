#include "engine/projection/scenario.h"

#include <charconv>

namespace velmora {

namespace {

/// The shortest text that reads back as exactly `value`: two values give the
/// same text only when they are equal bit for bit (or both not a number).
void appendExact(std::string& out, double value) {
    char buffer[32];  // the longest shortest form of a double has 24 characters
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

/// The whole months a projection of `months` covers, which is all it reads of
/// them: 36.2 and 36.9 project alike. Values no projection can have stay as
/// they are.
void appendWholeMonths(std::string& out, double months) {
    constexpr double int64Limit = 9223372036854775808.0;  // 2^63
    if (months > -1 && months < int64Limit) {
        out += std::to_string(static_cast<std::int64_t>(months));  // toward zero, as projected
    } else {
        appendExact(out, months);
    }
}

}  // namespace

std::string ScenarioValues::currentKey() const {
    const double fields[] = {dailyNewSubs, startingSubs, price, trialRetention, rt1, rt2, rt3,
                             rt4,          rt5,          rt6,   rtPlus};
    std::string key;
    key.reserve(128);
    appendWholeMonths(key, monthsToProject);
    for (double field : fields) {
        key.push_back(',');
        appendExact(key, field);
    }
    key.push_back(',');
    key += std::to_string(monthDuration);
    if (!laterRates.empty()) {
        key += ";later";
        for (double rate : laterRates) {
            key.push_back(',');
            appendExact(key, rate);
        }
    }
    if (plan && plan->changesProjection()) {
        key.push_back(',');
        key += plan->key();
    }
    return key;
}

double ScenarioValues::rateAtRenewal(std::size_t renewal) const {
    if (renewal < rateCount) {
        return retentionRates()[renewal == 0 ? 0 : renewal - 1];
    }
    const std::size_t later = renewal - rateCount;
    return later < laterRates.size() ? laterRates[later] : rtPlus;
}

std::vector<double> ScenarioValues::renewalRates(std::size_t count) const {
    std::vector<double> rates(count, rtPlus);
    const auto named = retentionRates();
    for (std::size_t i = 0; i < count && i + 1 < rateCount; ++i) {
        rates[i] = named[i];
    }
    for (std::size_t i = 0; i < laterRates.size() && rateCount - 1 + i < count; ++i) {
        rates[rateCount - 1 + i] = laterRates[i];
    }
    return rates;
}

}  // namespace velmora
