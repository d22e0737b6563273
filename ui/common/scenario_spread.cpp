#include "ui/common/scenario_spread.h"

#include <algorithm>
#include <vector>

#include "engine/support/shortest_text.h"
#include "inputs/subscription_inputs.h"
#include "ui/common/rebuild.h"

namespace velmora {

namespace {

std::string rangesKey(const std::vector<Range>& ranges) {
    std::string key;
    for (const Range& range : ranges) {
        key += std::string(inputName(range.input)) + ":" + shortest(range.low) + ":" +
               shortest(range.high) + ";";
    }
    return key;
}

}  // namespace

ScenarioSpread::ScenarioSpread(SubscriptionInputs* inputs, QObject* parent)
    : QObject(parent),
      inputs_(inputs),
      job_(new LatestJob(this)),
      watch_(new Rebuild([this] { follow(); }, this)) {
    watch_->watch(inputs_);
    follow();
}

void ScenarioSpread::follow() {
    if (inputs_->isRecalculationPending()) {
        return;
    }
    const ScenarioValues values = inputs_->scenarioValues();
    std::vector<Range> ranges = rangesAround(values, inputs_->ranges());
    if (ranges.empty()) {
        job_->cancel();
        key_.clear();
        show(nullptr);
        return;
    }
    // The cost per trial is no part of the projection, but the cash turn's spread follows it.
    std::string key =
        values.currentKey() + "|" + shortest(values.costPerTrial) + "|" + rangesKey(ranges);
    if (key == key_) {
        return;
    }
    key_ = std::move(key);
    job_->start<std::shared_ptr<const Spread>>(
        [values,
         ranges = std::move(ranges)](std::stop_token stop) -> std::shared_ptr<const Spread> {
            if (spreadProblem(values, ranges, {})) {
                return nullptr;
            }
            auto spread = simulateSpread(values, ranges, {}, stop);
            return spread ? std::make_shared<const Spread>(std::move(*spread)) : nullptr;
        },
        [this](std::shared_ptr<const Spread> spread) { show(std::move(spread)); });
}

void ScenarioSpread::show(std::shared_ptr<const Spread> spread) {
    if (spread == spread_) {
        return;
    }
    spread_ = std::move(spread);
    emit changed();
}

}  // namespace velmora
