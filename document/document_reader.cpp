// Reading a document from its text: the JSON, then the format's rules.
#include <algorithm>
#include <cmath>
#include <span>
#include <string>

#include "document/cohort_table_json.h"
#include "document/document_fields.h"
#include "document/json_reader.h"
#include "document/ranges_json.h"
#include "document/scenario_document.h"
#include "engine/support/utf8.h"

namespace velmora {

namespace {

using namespace document_format;
using json::Value;
using Kind = json::Value::Kind;
using Problem = std::optional<std::string>;

std::string joined(std::string_view path, std::string_view key) {
    return path.empty() ? std::string(key) : std::string(path) + "." + std::string(key);
}

std::string typeProblem(std::string_view path, std::string_view expected, const Value& value) {
    return std::string(path) + ": expected " + std::string(expected) + ", found " +
           std::string(json::kindName(value.kind));
}

// A string from the file as a message shows it: quoted, escaped, and cut short.
std::string quoted(std::string_view text) {
    constexpr std::size_t shown = 40;
    std::string result = "\"";
    std::size_t codePoints = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0U) != 0x80U && ++codePoints > shown) {
            return result + "…\"";
        }
        if (c == '"' || c == '\\') {
            result += '\\';
        }
        result += byte < 0x20 ? '?' : c;
    }
    return result + "\"";
}

// Finds the members of `object` named by `keys`; `found[i]` is the value under
// `keys[i]`, or null. A key the format knows may appear only once.
Problem pick(const Value& object, std::span<const std::string_view> keys,
             std::span<const Value*> found, std::string_view path) {
    for (const json::Member& member : object.members) {
        const auto key = std::find(keys.begin(), keys.end(), member.key);
        if (key == keys.end()) {
            continue;  // a key of a later version, or of the user's own
        }
        const Value*& slot = found[static_cast<std::size_t>(key - keys.begin())];
        if (slot != nullptr) {
            return joined(path, member.key) + ": given more than once";
        }
        slot = &member.value;
    }
    return std::nullopt;
}

Problem readScenario(const Value* value, std::string_view path, ScenarioValues& out,
                     std::vector<Range>& ranges) {
    if (value == nullptr) {
        return std::nullopt;
    }
    if (value->kind != Kind::Object) {
        return typeProblem(path, "an object", *value);
    }
    std::array<const Value*, scenarioKeys.size()> found{};
    if (Problem problem = pick(*value, scenarioKeys, found, path)) {
        return problem;
    }
    static constexpr std::array<std::string_view, 1> rangesKey{"ranges"};
    std::array<const Value*, 1> rangesFound{};
    if (Problem problem = pick(*value, rangesKey, rangesFound, path)) {
        return problem;
    }
    if (rangesFound[0] != nullptr) {
        if (Problem problem =
                readRangesValue(*rangesFound[0], joined(path, rangesKey[0]), ranges)) {
            return problem;
        }
    }
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (found[i] == nullptr) {
            continue;
        }
        const std::string fieldPath = joined(path, scenarioKeys[i]);
        if (found[i]->kind != Kind::Number) {
            return typeProblem(fieldPath, "a number", *found[i]);
        }
        const double number = found[i]->number;
        if (Problem problem = valueProblem(scenarioKeys[i], number, found[i]->numberText)) {
            return fieldPath + ": " + *problem;
        }
        if (i == 0) {
            out.monthDuration = static_cast<std::int64_t>(number);
        } else {
            out.*numberMembers[i - 1] = number;
        }
    }
    return std::nullopt;
}

Problem readComparison(const Value* value, std::array<ScenarioValues, 3>& out,
                       std::array<std::vector<Range>, 3>& ranges) {
    static constexpr std::string_view path = "comparison";
    if (value == nullptr) {
        return std::nullopt;
    }
    if (value->kind != Kind::Object) {
        return typeProblem(path, "an object", *value);
    }
    std::array<const Value*, comparisonKeys.size()> found{};
    Problem problem = pick(*value, comparisonKeys, found, path);
    for (std::size_t i = 0; i < found.size() && !problem; ++i) {
        problem = readScenario(found[i], joined(path, comparisonKeys[i]), out[i], ranges[i]);
    }
    return problem;
}

Problem readFormat(const Value* format) {
    static constexpr std::string_view notOurs = "; this is not a Velmora document";
    if (format == nullptr) {
        return "format: missing" + std::string(notOurs);
    }
    if (format->kind != Kind::String) {
        return typeProblem("format", "\"velmora\"", *format) + std::string(notOurs);
    }
    if (format->text != formatName) {
        return "format: expected \"velmora\", found " + quoted(format->text) + std::string(notOurs);
    }
    return std::nullopt;
}

Problem readVersion(const Value* version) {
    if (version == nullptr) {
        return "version: missing";
    }
    static constexpr std::string_view expected = "a whole number";
    if (version->kind != Kind::Number) {
        return typeProblem("version", expected, *version);
    }
    const double number = version->number;
    const std::string written(version->numberText);
    if (!std::isfinite(number) || number != std::floor(number) || number < 1) {
        return "version: expected a whole number from 1, found " + written;
    }
    if (number > documentVersion) {
        return "version: written by a newer Velmora (format version " + written +
               "); this one reads version " + std::to_string(documentVersion);
    }
    return std::nullopt;
}

Problem readChartType(const Value* value, ChartType& out) {
    if (value == nullptr) {
        return std::nullopt;
    }
    static constexpr std::string_view expected = "\"simple\" or \"cohorts\"";
    if (value->kind != Kind::String) {
        return typeProblem("chartType", expected, *value);
    }
    const auto name = std::find(chartTypeNames.begin(), chartTypeNames.end(), value->text);
    if (name == chartTypeNames.end()) {
        return "chartType: expected " + std::string(expected) + ", found " + quoted(value->text);
    }
    out = static_cast<ChartType>(name - chartTypeNames.begin());
    return std::nullopt;
}

Problem readDocument(std::string_view text, ScenarioDocument& document,
                     DocumentMetadata& metadata) {
    if (text.empty()) {
        return "the file is empty";
    }
    // Some editors start UTF-8 text with a byte order mark; editors do not show
    // it, so positions are counted after it.
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    if (const std::size_t bad = invalidUtf8Offset(text); bad != std::string_view::npos) {
        return json::position(text, bad) + ": not valid UTF-8 text";
    }
    auto parsed = json::parse(text);
    if (const auto* error = std::get_if<json::SyntaxError>(&parsed)) {
        return json::position(text, error->offset) + ": " + error->what;
    }
    const Value& root = std::get<Value>(parsed);
    if (root.kind != Kind::Object) {
        return "expected an object at the top level, found " +
               std::string(json::kindName(root.kind));
    }
    static constexpr std::array<std::string_view, 7> keys{
        "format", "version", "basic", "comparison", "chartType", "recoveryOf", "cohortTable"};
    std::array<const Value*, keys.size()> found{};
    Problem problem = pick(root, keys, found, "");
    problem = problem ? problem : readFormat(found[0]);
    problem = problem ? problem : readVersion(found[1]);
    problem =
        problem ? problem : readScenario(found[2], keys[2], document.basic, document.basicRanges);
    problem = problem ? problem
                      : readComparison(found[3], document.comparison, document.comparisonRanges);
    problem = problem ? problem : readChartType(found[4], document.chartType);
    if (!problem && found[6] != nullptr) {
        problem = readCohortTableValue(*found[6], document.cohortTable);
    }
    // Metadata is a convenience: a value of the wrong type is ignored.
    if (found[5] != nullptr && found[5]->kind == Kind::String) {
        metadata.recoveryOf = QString::fromStdString(found[5]->text);
    }
    return problem;
}

}  // namespace

std::variant<ScenarioDocument, DocumentProblem> parseDocument(QByteArrayView bytes,
                                                              DocumentMetadata* metadata) {
    ScenarioDocument document;
    DocumentMetadata read;
    if (Problem problem =
            readDocument({bytes.data(), static_cast<std::size_t>(bytes.size())}, document, read)) {
        return DocumentProblem{QString::fromStdString(*problem)};
    }
    if (metadata != nullptr) {
        *metadata = read;
    }
    return document;
}

}  // namespace velmora
