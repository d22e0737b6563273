#pragma once

#include <iosfwd>

#include <variant>

#include "document/cohort_table_file.h"
#include "document/scenario_document.h"
#include "engine/calibration/calibration.h"
#include "tools/cli.h"

namespace velmora::cli {

/// Runs `--calibrate`: reads the table of `options.calibrateFile`, fits the
/// page of `document` that `options` works on (whose values with the flags
/// over them are `values`) to it, saves the fitted document with `--save`,
/// and writes what was fitted to `out` in `options.format`. A table that
/// cannot be read, or a holdout that leaves nothing to fit, is refused with
/// one line on `err` before anything is written. Returns the exit status.
[[nodiscard]] int calibrateScenario(const Options& options, ScenarioDocument document,
                                    const ScenarioValues& values, std::ostream& out,
                                    std::ostream& err);

/// The table `--calibrate` names, as read, or why it cannot be.
[[nodiscard]] std::variant<CohortTable, DocumentProblem> readCalibrationTable(
    const Options& options);

/// How `--calibrate` fits a table to a page whose values are `values`.
[[nodiscard]] CalibrationSettings calibrationSettings(const Options& options,
                                                      const ScenarioValues& values);

}  // namespace velmora::cli
