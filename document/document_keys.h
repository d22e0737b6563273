#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <QByteArray>

#include "document/json_reader.h"
#include "document/scenario_document.h"

// The keys a document may hold or leave out. Internal to the document library.
namespace velmora::document_format {

/// Where an optional key is kept: in each of a document's scenarios, or once
/// at the top level.
enum class KeyScope { Scenario, Document };

/// A document's scenarios by index: 0 is "basic", 1 to 3 the comparison's.
inline constexpr std::size_t scenarioCount = 4;
[[nodiscard]] ScenarioValues& scenarioAt(ScenarioDocument& document, std::size_t at);
[[nodiscard]] const ScenarioValues& scenarioAt(const ScenarioDocument& document, std::size_t at);
[[nodiscard]] std::vector<Range>& rangesAt(ScenarioDocument& document, std::size_t at);
[[nodiscard]] const std::vector<Range>& rangesAt(const ScenarioDocument& document, std::size_t at);
/// Where scenario `at` is in the file: "basic", "comparison.alternate1", ...
[[nodiscard]] std::string scenarioPath(std::size_t at);

/// A key a file may leave out, which then reads as its default, and what the
/// reader, the writer and the check before a save do with it. `at` is the
/// index of the scenario for a key of `KeyScope::Scenario`, 0 for one of the
/// document.
struct OptionalKey {
    std::string_view name;
    KeyScope scope;
    /// Whether the key is written for `at`; one not written reads back as the
    /// default, so a key is left out only when its value is the default.
    bool (*held)(const ScenarioDocument& document, std::size_t at);
    /// Appends the value, after its key.
    void (*append)(QByteArray& out, const ScenarioDocument& document, std::size_t at);
    /// Reads the value found at `path` ("comparison.baseline.ranges"); why it
    /// cannot, naming the member, or none.
    std::optional<std::string> (*read)(const json::Value& value, const std::string& path,
                                       ScenarioDocument& document, std::size_t at);
    /// Why the value cannot be read back from a file, the key first
    /// ("ranges.price: expected finite ends, found [nan, 2]"), or none.
    std::optional<std::string> (*problem)(const ScenarioDocument& document, std::size_t at);
};

/// Every optional key of the format. A scenario's are written in this order
/// after the fields of `scenarioKeys`, the document's after "chartType". The
/// reader, the writer, the check before a save and the round trips through
/// every path that opens or saves a document all walk this table, so a key the
/// format gains is a row here.
[[nodiscard]] std::span<const OptionalKey> optionalKeys();

/// The names of the optional keys of `scope`, in the table's order.
[[nodiscard]] std::vector<std::string_view> optionalKeyNames(KeyScope scope);

}  // namespace velmora::document_format
