#pragma once

#include <QString>

#include "engine/decisions/metrics.h"
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
/// `value` of `metric` as the summary writes it, with its caption: "$50,000
/// monthly", "pays back in 4 months", "break-even in M14", "3.2 × lifetime
/// value to cost"; "never pays back" for an infinite payback.
[[nodiscard]] QString metricPhrase(Metric metric, double value);
/// A goal's `target` of `metric` as a phrase: "payback within 6 months",
/// "break-even by M12" for the deadlines, else as `metricPhrase`.
[[nodiscard]] QString goalPhrase(Metric metric, double target);

/// "pays back in 4 months", "pays back in 1 month".
[[nodiscard]] QString paybackText(double months);
/// "M14".
[[nodiscard]] QString monthText(double month);
/// A ratio to one decimal: "3.2 ×".
[[nodiscard]] QString ratioText(double ratio);

}  // namespace velmora
