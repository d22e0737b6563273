// The engine against its plain transcription, bit for bit, on any values of
// the thirteen fields and up to 30 later rates; the monthly figures against the full projection;
// and the lifetime value at any horizon. Sizes are bounded (months below 24, month lengths up to 40
// days) so that one input runs in milliseconds.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>

#include "engine/projection/lifetime_value.h"
#include "engine/projection/monthly_projection.h"
#include "engine/table/table_figures.h"
#include "support/reference_projection.h"
#include "support/same_figures.h"

namespace {

void check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    FuzzedDataProvider bytes(data, size);
    const auto number = [&bytes] {  // any bits; zeros once the input runs out
        const auto value = std::bit_cast<double>(bytes.ConsumeIntegral<std::uint64_t>());
        return std::isnan(value) ? processorNaN() : value;
    };
    ScenarioValues values;
    values.monthDuration = bytes.ConsumeIntegralInRange<std::int64_t>(-1, 40);
    for (double* field : {&values.monthsToProject, &values.dailyNewSubs, &values.startingSubs,
                          &values.price, &values.trialRetention, &values.rt1, &values.rt2,
                          &values.rt3, &values.rt4, &values.rt5, &values.rt6, &values.rtPlus}) {
        *field = number();
    }
    if (std::abs(values.monthsToProject) >= 24) {
        values.monthsToProject = std::fmod(values.monthsToProject, 24);
    }
    // Any horizon, negative ones included; positive ones bounded in length.
    const auto months = bytes.ConsumeIntegralInRange<std::int64_t>(-100'000, 100'000);
    const double early = number();
    const double late = number();
    // Read last, so that inputs written before later rates came read as they did.
    values.laterRates.resize(bytes.ConsumeIntegralInRange<std::size_t>(0, 30));
    for (double& rate : values.laterRates) {
        rate = number();
    }

    UuidGenerator ids;
    const ProjectionLists engine = projectScenario(values, ids);
    const ProjectionLists plain = reference::project(values, ids);
    check(!firstDifference(engine.snapshots, plain.snapshots));
    check(!firstDifference(engine.monthlySnapshots, plain.monthlySnapshots));
    const std::vector<double> monthly = monthlyActives(values);
    check(monthly.size() == engine.monthlySnapshots.size());
    for (std::size_t i = 0; i < monthly.size(); ++i) {
        check(sameNumber(monthly[i], engine.monthlySnapshots[i].active));
    }
    const auto last = lastMonthActive(values);
    check(last ? !monthly.empty() && sameNumber(*last, monthly.back()) : monthly.empty());

    const double value = lifetimeValuePerTrial(months, values, values.price, early, late);
    check(months > 1 || sameNumber(value, 0.0));
    check(sameNumber(shownLifetimeValue(values, values.price),
                     lifetimeValuePerTrial(24, values, values.price, 0.85, 0.85)));
    // With shares and rates from 0 to 1 and a finite price of 0 or more, each
    // payment adds something or nothing: a longer horizon is never worth less.
    const auto rates = values.retentionRates();
    const auto isShare = [](double r) { return r >= 0 && r <= 1; };
    const bool shares = std::ranges::all_of(rates, isShare) &&
                        std::ranges::all_of(values.laterRates, isShare) &&
                        std::ranges::all_of(std::array{early, late, values.trialRetention},
                                            [](double r) { return r >= 0 && r <= 1; });
    if (shares && values.price >= 0 && std::isfinite(values.price)) {
        check(lifetimeValuePerTrial(months + 1, values, values.price, early, late) >= value);
    }
    return 0;
}
