#include "engine/scenario.h"

#include <charconv>

namespace velmora {

namespace {

void appendFixed3(std::string& out, double value) {
    char buffer[400];  // the widest double in fixed notation has 309 integer digits
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
    out.append(buffer, result.ptr);
}

}  // namespace

std::string ScenarioValues::currentKey() const {
    const double fields[] = {monthsToProject,
                             dailyNewSubs,
                             startingSubs,
                             price,
                             trialRetention,
                             rt1,
                             rt2,
                             rt3,
                             rt4,
                             rt5,
                             rt6,
                             rtPlus};
    std::string key;
    key.reserve(96);
    for (double field : fields) {
        if (!key.empty()) {
            key.push_back(',');
        }
        appendFixed3(key, field);
    }
    return key;
}

}  // namespace velmora
