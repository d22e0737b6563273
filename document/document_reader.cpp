// Reading a document from its text: the JSON, then the format's rules.
#include <algorithm>
#include <cmath>
#include <span>
#include <string>

#include "document/document_fields.h"
#include "document/document_keys.h"
#include "document/json_reader.h"
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

using json::pick;

Problem readScenario(const Value* value, std::size_t at, ScenarioDocument& document) {
    if (value == nullptr) {
        return std::nullopt;
    }
    const std::string path = scenarioPath(at);
    if (value->kind != Kind::Object) {
        return typeProblem(path, "an object", *value);
    }
    std::array<const Value*, scenarioKeys.size()> found{};
    if (Problem problem = pick(*value, scenarioKeys, found, path)) {
        return problem;
    }
    const std::vector<std::string_view> optionalNames = optionalKeyNames(KeyScope::Scenario);
    std::vector<const Value*> optionalFound(optionalNames.size());
    if (Problem problem = pick(*value, optionalNames, optionalFound, path)) {
        return problem;
    }
    ScenarioValues& out = scenarioAt(document, at);
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
    std::size_t next = 0;
    for (const OptionalKey& optional : optionalKeys()) {
        if (optional.scope != KeyScope::Scenario) {
            continue;
        }
        if (const Value* held = optionalFound[next++]) {
            if (Problem problem = optional.read(*held, joined(path, optional.name), document, at)) {
                return problem;
            }
        }
    }
    return std::nullopt;
}

Problem readComparison(const Value* value, ScenarioDocument& document) {
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
        problem = readScenario(found[i], i + 1, document);
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
    std::vector<std::string_view> keys{"format",     "version",   "basic",
                                       "comparison", "chartType", "recoveryOf"};
    const std::size_t fixed = keys.size();
    const std::vector<std::string_view> optionalNames = optionalKeyNames(KeyScope::Document);
    keys.insert(keys.end(), optionalNames.begin(), optionalNames.end());
    std::vector<const Value*> found(keys.size());
    Problem problem = pick(root, keys, found, "");
    problem = problem ? problem : readFormat(found[0]);
    problem = problem ? problem : readVersion(found[1]);
    problem = problem ? problem : readScenario(found[2], 0, document);
    problem = problem ? problem : readComparison(found[3], document);
    problem = problem ? problem : readChartType(found[4], document.chartType);
    std::size_t next = fixed;
    for (const OptionalKey& optional : optionalKeys()) {
        if (optional.scope != KeyScope::Document) {
            continue;
        }
        if (const Value* held = found[next++]; !problem && held != nullptr) {
            problem = optional.read(*held, std::string(optional.name), document, 0);
        }
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
