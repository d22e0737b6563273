#pragma once

#include <optional>
#include <string>

#include <QByteArray>
#include <QByteArrayView>

#include "document/json_reader.h"
#include "engine/calibration/cohort_table.h"

// The cohort table in a document's JSON. Internal to the document library.
namespace velmora::document_format {

/// Appends `utf8` as a JSON string, quoted and escaped.
void appendString(QByteArray& out, QByteArrayView utf8);

/// Appends the value of the top-level "cohortTable" holding `table`, one
/// cohort a line.
void appendCohortTable(QByteArray& out, const CohortTable& table);

/// Reads the value of "cohortTable" into `out`; why it cannot, naming the
/// member ("cohortTable.cohorts[2].counts[1]: expected a number, found a
/// string"), or none.
[[nodiscard]] std::optional<std::string> readCohortTableValue(const json::Value& value,
                                                              std::optional<CohortTable>& out);

}  // namespace velmora::document_format
