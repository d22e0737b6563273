#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <QByteArray>

#include "document/json_reader.h"
#include "engine/projection/plan.h"

// A scenario's plan in a document's JSON. Internal to the document library.
namespace velmora::document_format {

/// Appends the value of a scenario's "plan", all on one line: {"growth": 5,
/// "startMonth": "2027-01", ..., "changes": [{"input": "price", "month": 6,
/// "value": 2.99}]}; members the plan leaves unset are left out.
void appendPlan(QByteArray& out, const Plan& plan);

/// Reads the value of a scenario's "plan", found at `path`, into `out`; why it
/// cannot, naming the member ("basic.plan.changes[2].month: ..."), or none.
[[nodiscard]] std::optional<std::string> readPlanValue(const json::Value& value,
                                                       std::string_view path,
                                                       std::optional<Plan>& out);

/// Why `plan` cannot be read back from a file, naming the member under
/// "plan" ("plan.growthUntil: needs a growth"), or none: the model's rules
/// (`planProblem`), and an end of growth without growth.
[[nodiscard]] std::optional<std::string> planDocumentProblem(const Plan& plan);

}  // namespace velmora::document_format
