#pragma once

#include <QString>

#include "engine/projection/plan.h"
#include "inputs/subscription_inputs.h"

namespace velmora {

/// The name the window gives `field` where it stands alone, as in "Undo
/// Price": "Months to Project", "Starting Subscribers", "Price", "Daily
/// Trials", "Trial Retention", "Retention Rate 1" to "Retention Rate 6",
/// "Retention Rate Rest", "Cost per Trial".
[[nodiscard]] QString fieldTitle(SubscriptionInputs::Field field);

/// The heading of a renewal rate's column in the form: "1" to "6", "Rest";
/// empty for the other fields.
[[nodiscard]] QString rateColumnTitle(SubscriptionInputs::Field field);

/// The form's title of an input a plan changes: "Daily Trials", "Price",
/// "Trial Retention", "Cost per Trial".
[[nodiscard]] QString planInputTitle(PlanInput input);

}  // namespace velmora
