#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tools/cli.h"

// The flags that set a scenario's plan: each reads its value into
// `Options::values.plan`, and each copies its own part of that plan onto a
// document's page, so a flag replaces what it names and keeps the rest.
namespace velmora::cli {

[[nodiscard]] std::optional<std::string> setTrialsGrowth(std::string_view text, Options& options);
[[nodiscard]] std::optional<std::string> setGrowthUntil(std::string_view text, Options& options);
[[nodiscard]] std::optional<std::string> setSeasonality(std::string_view text, Options& options);
[[nodiscard]] std::optional<std::string> setStartMonth(std::string_view text, Options& options);
/// `NAME@M=VALUE`; each input and month at most once.
[[nodiscard]] std::optional<std::string> addChange(std::string_view text, Options& options);
[[nodiscard]] std::optional<std::string> setPriceRule(std::string_view text, Options& options);

void copyTrialsGrowth(const ScenarioValues& from, ScenarioValues& to);
void copyGrowthUntil(const ScenarioValues& from, ScenarioValues& to);
void copySeasonality(const ScenarioValues& from, ScenarioValues& to);
void copyStartMonth(const ScenarioValues& from, ScenarioValues& to);
/// Each change replaces the page's change of the same input and month.
void copyChanges(const ScenarioValues& from, ScenarioValues& to);
void copyPriceRule(const ScenarioValues& from, ScenarioValues& to);

}  // namespace velmora::cli
