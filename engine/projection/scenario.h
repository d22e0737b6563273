#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/projection/plan.h"

namespace velmora {

/// The values that describe one scenario, with the defaults every new scenario
/// starts from. Rates and shares are fractions (0.65 means 65 %).
struct ScenarioValues {
    std::int64_t monthDuration = 30;  ///< days in one month of the projection
    double monthsToProject = 36.0;    ///< the whole months below it are projected
    double dailyNewSubs = 100.0;      ///< free trials started each day
    double startingSubs = 0.0;        ///< paying subscribers already there on day 0
    double price = 1.99;              ///< paid per subscriber and month
    double trialRetention = 0.59;     ///< share of trials that start paying
    double rt1 = 0.65;                ///< share staying at the first monthly renewal
    double rt2 = 0.84;
    double rt3 = 0.87;
    double rt4 = 0.89;
    double rt5 = 0.90;
    double rt6 = 0.91;
    double rtPlus = 0.95;  ///< share staying at every renewal from the seventh on
    /// What winning one trial costs (marketing spend / trials started); 0 means
    /// not given. No projection reads it, so it is not part of `currentKey`.
    double costPerTrial = 0.0;
    /// The shares staying at renewals 7, 8, ... in turn, at most
    /// `maxLaterRates` of them; every renewal after the last listed keeps
    /// `rtPlus`. Only cohorts born in the projection follow them: the seeded
    /// starting subscribers renew at `rtPlus` throughout.
    std::vector<double> laterRates{};
    /// How the daily trials, the price, the trial retention and the cost per
    /// trial change over the months; the values above are those of M0.
    std::optional<Plan> plan = std::nullopt;

    static constexpr std::size_t rateCount = 7;
    static constexpr std::size_t maxLaterRates = 1200;

    /// `rt1` to `rt6`, then `rtPlus`: the seven named rates, without `laterRates`.
    [[nodiscard]] std::array<double, rateCount> retentionRates() const {
        return {rt1, rt2, rt3, rt4, rt5, rt6, rtPlus};
    }

    /// The share of a cohort born in the projection that stays at its renewal
    /// `renewal` (1, 2, ...): `rt1` to `rt6`, then `laterRates` in turn, then
    /// `rtPlus`.
    [[nodiscard]] double rateAtRenewal(std::size_t renewal) const;

    /// `rateAtRenewal(1)` to `rateAtRenewal(count)`, in order: a table to index
    /// by renewal where the rates are read many times.
    [[nodiscard]] std::vector<double> renewalRates(std::size_t count) const;

    /// The renewals whose rates are listed one by one: 6 plus the later rates.
    [[nodiscard]] std::size_t listedRenewals() const { return rateCount - 1 + laterRates.size(); }

    /// What a projection reads of these values, as text: the whole months to
    /// project, the eleven other floating-point values in their shortest exact
    /// form ("1.99", "1e+308", "nan"; "." as the decimal point whatever the
    /// locale), then the month length in days, joined by ","; then, only when
    /// there are later rates, ";later" and each of them after a ",". Two scenarios have
    /// the same key exactly when their projections are built from the same
    /// values, however small the difference: the refresh compares keys. A plan
    /// that changes the projection adds its own key at the end.
    [[nodiscard]] std::string currentKey() const;

    friend bool operator==(const ScenarioValues&, const ScenarioValues&) = default;
};

/// Something a projection can read its scenario's current values from. The
/// live, editable scenario implements it; a projection keeps a non-owning
/// reference to it, so reads through the projection see later edits.
class ScenarioSource {
public:
    virtual ~ScenarioSource() = default;
    [[nodiscard]] virtual ScenarioValues scenarioValues() const = 0;

protected:
    ScenarioSource() = default;
    ScenarioSource(const ScenarioSource&) = default;
    ScenarioSource& operator=(const ScenarioSource&) = default;
};

/// A scenario whose values never change, for tools and tests.
class FixedScenario final : public ScenarioSource {
public:
    explicit FixedScenario(const ScenarioValues& values) : values_(values) {}
    [[nodiscard]] ScenarioValues scenarioValues() const override { return values_; }

private:
    ScenarioValues values_;
};

}  // namespace velmora
