#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <QByteArray>

#include "document/json_reader.h"
#include "engine/spread/ranges.h"

// The ranges of a scenario in a document's JSON. Internal to the document library.
namespace velmora::document_format {

/// Appends the value of a scenario's "ranges", all on one line:
/// {"price": [1.5, 2.5], …}.
void appendRanges(QByteArray& out, std::span<const Range> ranges);

/// Reads the value of a scenario's "ranges", found at `path`, into `out` in
/// `rangedInputs` order; why it cannot, naming the member
/// ("basic.ranges.price: expected a low end no higher than the high end, found
/// [3, 2]"), or none.
[[nodiscard]] std::optional<std::string> readRangesValue(const json::Value& value,
                                                         std::string_view path,
                                                         std::vector<Range>& out);

/// Why `ranges` cannot be read back from a file ("price: expected finite
/// ends, found [nan, 2]"), or none.
[[nodiscard]] std::optional<std::string> rangesProblem(std::span<const Range> ranges);

}  // namespace velmora::document_format
