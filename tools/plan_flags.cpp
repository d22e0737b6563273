#include "tools/plan_flags.h"

#include <algorithm>
#include <array>

#include "tools/flag_values.h"

namespace velmora::cli {

namespace {

using Problem = std::optional<std::string>;

Plan& planOf(ScenarioValues& values) {
    if (!values.plan) {
        values.plan = Plan{};
    }
    return *values.plan;
}

// The model's rule that `part` alone breaks, as a flag's problem.
Problem ruleOf(std::string_view text, const Plan& part) {
    if (const auto problem = planProblem(part)) {
        return quoted(text) + ": " + *problem;
    }
    return std::nullopt;
}

Problem wholeMonth(std::string_view text, std::uint64_t low, std::int64_t& month) {
    std::uint64_t value = 0;
    if (!parseWhole(text, low, static_cast<std::uint64_t>(Plan::lastMonth), value)) {
        return quoted(text) + " is not a whole month from " + std::to_string(low) + " to " +
               std::to_string(Plan::lastMonth);
    }
    month = static_cast<std::int64_t>(value);
    return std::nullopt;
}

constexpr std::array<PlanInput, 4> planInputs{PlanInput::DailyNewSubs, PlanInput::Price,
                                              PlanInput::TrialRetention, PlanInput::CostPerTrial};

}  // namespace

Problem setTrialsGrowth(std::string_view text, Options& options) {
    double growth = 0;
    if (Problem problem = parseNumber(text, growth)) {
        return problem;
    }
    if (!(growth > -100)) {
        return quoted(text) + " is -100 or below; growth is a percentage above -100";
    }
    planOf(options.values).growthPercent = growth;
    return std::nullopt;
}

Problem setGrowthUntil(std::string_view text, Options& options) {
    std::int64_t month = 0;
    if (Problem problem = wholeMonth(text, 0, month)) {
        return problem;
    }
    planOf(options.values).growthUntil = month;
    return std::nullopt;
}

Problem setSeasonality(std::string_view text, Options& options) {
    std::array<double, 12> factors{};
    std::string_view rest = text;
    for (std::size_t i = 0; i < factors.size(); ++i) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        if (item.empty()) {
            return "factor " + std::to_string(i + 1) +
                   " is missing; give 12 factors, January to December, separated by commas";
        }
        if (Problem problem = parseNumber(item, factors[i])) {
            return "factor " + std::to_string(i + 1) + ": " + *problem;
        }
        if (!(factors[i] >= 0)) {
            return "factor " + std::to_string(i + 1) + ": " + quoted(item) +
                   " is negative; a factor is 0 or more";
        }
        if ((comma == std::string_view::npos) != (i + 1 == factors.size())) {
            return quoted(text) + " is not 12 factors, January to December, separated by commas";
        }
        rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
    }
    planOf(options.values).seasonality = factors;
    return std::nullopt;
}

Problem setStartMonth(std::string_view text, Options& options) {
    const auto digit = [&](std::size_t i) { return text[i] >= '0' && text[i] <= '9'; };
    const bool shape = text.size() == 7 && text[4] == '-' && digit(0) && digit(1) && digit(2) &&
                       digit(3) && digit(5) && digit(6);
    if (!shape) {
        return quoted(text) + " is not a month as YYYY-MM";
    }
    CalendarMonth month{std::stoi(std::string(text.substr(0, 4))),
                        std::stoi(std::string(text.substr(5, 2)))};
    Plan part;
    part.startMonth = month;
    if (Problem problem = ruleOf(text, part)) {
        return problem;
    }
    planOf(options.values).startMonth = month;
    return std::nullopt;
}

Problem addChange(std::string_view text, Options& options) {
    const std::size_t at = text.find('@');
    const std::size_t equals = text.find('=');
    if (at == std::string_view::npos || equals == std::string_view::npos || equals < at) {
        return quoted(text) + " is not NAME@M=VALUE";
    }
    const std::string_view name = text.substr(0, at);
    const auto input = std::ranges::find_if(
        planInputs, [name](PlanInput each) { return name == planInputName(each); });
    if (input == planInputs.end()) {
        return quoted(name) + " is not one of dailyNewSubs, price, trialRetention, costPerTrial";
    }
    PlanChange change{*input};
    if (Problem problem = wholeMonth(text.substr(at + 1, equals - at - 1), 1, change.month)) {
        return problem;
    }
    if (Problem problem = parseNumber(text.substr(equals + 1), change.value)) {
        return problem;
    }
    Plan& plan = planOf(options.values);
    plan.changes.push_back(change);
    return ruleOf(text, plan);
}

Problem setPriceRule(std::string_view text, Options& options) {
    if (text != "all" && text != "new") {
        return quoted(text) + " is not one of all, new";
    }
    planOf(options.values).priceChangesApply =
        text == "all" ? PriceChangesApply::Everyone : PriceChangesApply::NewSubscribers;
    return std::nullopt;
}

void copyTrialsGrowth(const ScenarioValues& from, ScenarioValues& to) {
    planOf(to).growthPercent = from.plan->growthPercent;
}

void copyGrowthUntil(const ScenarioValues& from, ScenarioValues& to) {
    planOf(to).growthUntil = from.plan->growthUntil;
}

void copySeasonality(const ScenarioValues& from, ScenarioValues& to) {
    planOf(to).seasonality = from.plan->seasonality;
}

void copyStartMonth(const ScenarioValues& from, ScenarioValues& to) {
    planOf(to).startMonth = from.plan->startMonth;
}

void copyChanges(const ScenarioValues& from, ScenarioValues& to) {
    std::vector<PlanChange>& changes = planOf(to).changes;
    for (const PlanChange& given : from.plan->changes) {
        std::erase_if(changes, [&](const PlanChange& held) {
            return held.input == given.input && held.month == given.month;
        });
        changes.push_back(given);
    }
}

void copyPriceRule(const ScenarioValues& from, ScenarioValues& to) {
    planOf(to).priceChangesApply = from.plan->priceChangesApply;
}

}  // namespace velmora::cli
