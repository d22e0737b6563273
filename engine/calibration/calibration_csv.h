#pragma once

#include <array>
#include <iosfwd>
#include <optional>

#include "engine/calibration/calibration_ranges.h"

namespace velmora {

/// What the Calibration page shows, as CSV for spreadsheets: blocks of a
/// header line and its rows, a blank line between them, numbers plain and
/// unlocalised in their shortest exact form.
///
///     value,fitted,low,high,today       a row per value a table can give, rt1 to
///                                       dailyNewSubs: the fitted value and its
///                                       10th-90th percentile, empty where none
///     key,value                         the model (alpha, beta), the fit and
///                                       backtest errors of the recommended choice
///                                       as fractions, the horizon; then which
///                                       choice of later rates is recommended, and
///                                       each one's rtPlus and errors
///     renewal,laterRate                 the curve's later rates, renewal 7 on
///     cohort,0,1,...,trials,days        the cohort table as read
///
/// The choices and the later rates only when the table tells the later rates.
/// Without `fitted` only the values of today and the table are written;
/// without `table`, no table.
void writeCalibrationCsv(const CohortTable* table, const Calibration* fitted,
                         const CalibrationRanges* ranges, const ScenarioValues& today,
                         std::ostream& out);

/// "curve" or "constant", as the CSV and the tool's answers name `choice`.
[[nodiscard]] const char* choiceName(LaterChoice choice);

/// The names of the values a calibration fits, in the order of the CSV.
inline constexpr std::array<const char*, 9> fittedValueNames{
    "rt1", "rt2", "rt3", "rt4", "rt5", "rt6", "rtPlus", "trialRetention", "dailyNewSubs"};

/// The nine values of `values` in the order of `fittedValueNames`.
[[nodiscard]] std::array<double, 9> fittedValueFields(const ScenarioValues& values);

/// The ranges of `found` that hold for the values of `choice`: the bootstrap
/// fits one constant later rate, so with the curve `rtPlus` has none.
[[nodiscard]] CalibrationRanges rangesFor(const CalibrationRanges& found, LaterChoice choice);

/// What the calibration found of each of those values (the recommended
/// choice's): whether it gave it, and its range.
struct FittedValue {
    std::optional<double> value;  ///< none: the table cannot give it
    std::optional<FittedRange> range;
    bool fromModel = false;  ///< a renewal no cohort reached: the model's rate
};
[[nodiscard]] std::array<FittedValue, 9> fittedValues(const Calibration& fitted,
                                                      const CalibrationRanges* ranges,
                                                      const ScenarioValues& today);

}  // namespace velmora
