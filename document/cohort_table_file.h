#pragma once

#include <variant>

#include <QString>

#include "document/scenario_document.h"
#include "engine/calibration/cohort_table.h"

namespace velmora {

/// Reads the cohort table in the file at `path` (see `readCohortTable`).
/// Refuses, with the path and the reason ("cohorts.csv: line 3, column 4:
/// expected a number, found \"n/a\""), a missing or unreadable file, a folder,
/// a file that is not a regular one, one larger than `maxCohortTableBytes`,
/// and every table `readCohortTable` refuses. Safe on any thread.
[[nodiscard]] std::variant<CohortTable, DocumentProblem> readCohortTableFile(const QString& path);

/// The same for `text` from elsewhere (the clipboard, a drop), the problem
/// naming `source` in place of a path.
[[nodiscard]] std::variant<CohortTable, DocumentProblem> readCohortTableText(QByteArrayView text,
                                                                             const QString& source);

}  // namespace velmora
