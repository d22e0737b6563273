// Writing a document's text, and the checks that make sure it reads back.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <span>

#include "document/cohort_table_json.h"
#include "document/document_fields.h"
#include "document/document_keys.h"
#include "document/scenario_document.h"
#include "engine/support/shortest_text.h"

namespace velmora {

void document_format::appendString(QByteArray& out, QByteArrayView utf8) {
    static constexpr char hex[] = "0123456789abcdef";
    out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 0xFU];
        } else {
            out += c;
        }
    }
    out += '"';
}

namespace {

using namespace document_format;

// Starts the line of `key` at `depth` levels of indentation.
void appendKey(QByteArray& out, int depth, std::string_view key) {
    out.append(4 * depth, ' ');
    appendString(out, key);
    out += ": ";
}

void appendScenario(QByteArray& out, int depth, std::string_view key,
                    const ScenarioDocument& document, std::size_t at) {
    const ScenarioValues& values = scenarioAt(document, at);
    appendKey(out, depth, key);
    out += "{\n";
    appendKey(out, depth + 1, scenarioKeys[0]);
    out += std::to_string(values.monthDuration);
    for (std::size_t i = 0; i < numberMembers.size(); ++i) {
        out += ",\n";
        appendKey(out, depth + 1, scenarioKeys[i + 1]);
        out += shortest(values.*numberMembers[i]);
    }
    for (const OptionalKey& optional : optionalKeys()) {
        if (optional.scope == KeyScope::Scenario && optional.held(document, at)) {
            out += ",\n";
            appendKey(out, depth + 1, optional.name);
            optional.append(out, document, at);
        }
    }
    out += '\n';
    out.append(4 * depth, ' ');
    out += '}';
}

bool sameBits(const ScenarioValues& a, const ScenarioValues& b) {
    const auto bits = [](double value) { return std::bit_cast<std::uint64_t>(value); };
    return a.monthDuration == b.monthDuration && bits(a.costPerTrial) == bits(b.costPerTrial) &&
           std::all_of(numberMembers.begin(), numberMembers.end(),
                       [&](auto member) { return bits(a.*member) == bits(b.*member); }) &&
           std::equal(a.laterRates.begin(), a.laterRates.end(), b.laterRates.begin(),
                      b.laterRates.end(), [&](double x, double y) { return bits(x) == bits(y); });
}

// The fields every scenario is written with: "price: expected a finite number, found inf", or none.
std::optional<std::string> fieldsProblem(const ScenarioValues& values) {
    const auto days = values.monthDuration;
    if (auto what =
            valueProblem(scenarioKeys[0], static_cast<double>(days), std::to_string(days))) {
        return std::string(scenarioKeys[0]) + ": " + *what;
    }
    for (std::size_t i = 0; i < numberMembers.size(); ++i) {
        const double value = values.*numberMembers[i];
        if (auto what = valueProblem(scenarioKeys[i + 1], value, shortest(value))) {
            return std::string(scenarioKeys[i + 1]) + ": " + *what;
        }
    }
    return std::nullopt;
}

}  // namespace

bool identical(const ScenarioDocument& a, const ScenarioDocument& b) {
    return a == b && sameBits(a.basic, b.basic) &&
           std::equal(a.comparison.begin(), a.comparison.end(), b.comparison.begin(), sameBits);
}

QByteArray documentText(const ScenarioDocument& document, const DocumentMetadata& metadata) {
    QByteArray out;
    out.reserve(2048);
    out += "{\n";
    appendKey(out, 1, "format");
    appendString(out, formatName);
    out += ",\n";
    appendKey(out, 1, "version");
    out += QByteArray::number(documentVersion);
    out += ",\n";
    appendScenario(out, 1, "basic", document, 0);
    out += ",\n";
    appendKey(out, 1, "comparison");
    out += "{\n";
    for (std::size_t i = 0; i < comparisonKeys.size(); ++i) {
        appendScenario(out, 2, comparisonKeys[i], document, i + 1);
        out += i + 1 < comparisonKeys.size() ? ",\n" : "\n";
    }
    out += "    },\n";
    appendKey(out, 1, "chartType");
    appendString(out, chartTypeNames[static_cast<std::size_t>(document.chartType)]);
    for (const OptionalKey& optional : optionalKeys()) {
        if (optional.scope == KeyScope::Document && optional.held(document, 0)) {
            out += ",\n";
            appendKey(out, 1, optional.name);
            optional.append(out, document, 0);
        }
    }
    if (!metadata.recoveryOf.isEmpty()) {
        out += ",\n";
        appendKey(out, 1, "recoveryOf");
        appendString(out, metadata.recoveryOf.toUtf8());
    }
    out += "\n}\n";
    return out;
}

std::optional<QString> documentProblem(const ScenarioDocument& document) {
    for (std::size_t at = 0; at < scenarioCount; ++at) {
        std::optional<std::string> what = fieldsProblem(scenarioAt(document, at));
        for (const OptionalKey& optional : optionalKeys()) {
            if (!what && optional.scope == KeyScope::Scenario) {
                what = optional.problem(document, at);
            }
        }
        if (what) {
            return QString::fromStdString(scenarioPath(at) + "." + *what);
        }
    }
    for (const OptionalKey& optional : optionalKeys()) {
        if (optional.scope == KeyScope::Document) {
            if (const auto what = optional.problem(document, 0)) {
                return QString::fromStdString(*what);
            }
        }
    }
    return std::nullopt;
}

}  // namespace velmora
