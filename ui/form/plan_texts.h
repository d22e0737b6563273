#pragma once

#include <array>
#include <optional>
#include <variant>
#include <vector>

#include <QString>

#include "engine/projection/plan.h"

namespace velmora {

/// The inputs a plan changes, in the order the editor offers them.
inline constexpr std::array planInputs{PlanInput::DailyNewSubs, PlanInput::Price,
                                       PlanInput::TrialRetention, PlanInput::CostPerTrial};

/// The changes pasted `text` gives, one a line of month, input and value
/// separated by a tab or else by commas ("6,Price,2.99"; the value takes the
/// rest of the line, so "2,99" reads in a locale writing decimal commas).
/// The month may be written "M6"; the input by its title or its document
/// name. Blank lines are skipped. Or why it gives none, naming the line:
/// "line 3: “Speed” is not an input".
[[nodiscard]] std::variant<std::vector<PlanChange>, QString> readPlanChanges(const QString& text);

/// The text of the form's button for `plan`: "Plan…", "Plan (1 change)…",
/// "Plan (3 changes)…", or without changes "Plan (growth)…", "Plan (seasons)…".
[[nodiscard]] QString planButtonText(const std::optional<Plan>& plan);
/// What `plan` does, a line a part, for the button's tooltip.
[[nodiscard]] QString planSummary(const std::optional<Plan>& plan);

}  // namespace velmora
