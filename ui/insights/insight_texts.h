#pragma once

#include <QString>

#include "engine/metrics.h"
#include "format/number_format.h"
#include "inputs/subscription_inputs.h"

namespace velmora {

/// The form's field that holds `input`.
[[nodiscard]] SubscriptionInputs::Field fieldOf(Input input);
/// The form's title of `input`: "Daily Trials", "Retention Rate Rest", ...
[[nodiscard]] QString inputTitle(Input input);

/// What a picker offers for `metric`: "Monthly proceeds in the last month", ...
[[nodiscard]] QString metricTitle(Metric metric);
/// The summary's caption of `metric`, after its figure: "subscribers",
/// "monthly", "annually", "24mo LTV per trial".
[[nodiscard]] QString metricCaption(Metric metric);
/// The summary's format of `metric`: whole subscribers, whole currency units
/// of proceeds, cents of lifetime value.
[[nodiscard]] NumberFormatter metricFormatter(Metric metric);
/// `value` of `metric` as the summary writes it, with its caption: "$50,000 monthly".
[[nodiscard]] QString metricPhrase(Metric metric, double value);

}  // namespace velmora
