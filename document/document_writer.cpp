// Writing a document's text, and the checks that make sure it reads back.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <span>

#include "document/cohort_table_json.h"
#include "document/document_fields.h"
#include "document/ranges_json.h"
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

void appendScenario(QByteArray& out, int depth, std::string_view key, const ScenarioValues& values,
                    std::span<const Range> ranges) {
    appendKey(out, depth, key);
    out += "{\n";
    appendKey(out, depth + 1, scenarioKeys[0]);
    out += std::to_string(values.monthDuration);
    for (std::size_t i = 0; i < numberMembers.size(); ++i) {
        out += ",\n";
        appendKey(out, depth + 1, scenarioKeys[i + 1]);
        out += shortest(values.*numberMembers[i]);
    }
    // Written only when there are ranges, so that a file without them stays as it was.
    if (!ranges.empty()) {
        out += ",\n";
        appendRanges(out, depth + 1, ranges);
    }
    out += '\n';
    out.append(4 * depth, ' ');
    out += '}';
}

bool sameBits(const ScenarioValues& a, const ScenarioValues& b) {
    return a.monthDuration == b.monthDuration &&
           std::all_of(numberMembers.begin(), numberMembers.end(), [&](auto member) {
               return std::bit_cast<std::uint64_t>(a.*member) ==
                      std::bit_cast<std::uint64_t>(b.*member);
           });
}

// "price: expected a finite number, found inf", or none.
std::optional<std::string> scenarioProblem(const ScenarioValues& values,
                                           std::span<const Range> ranges) {
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
    if (auto what = rangesProblem(ranges)) {
        return "ranges." + *what;
    }
    return std::nullopt;
}

}  // namespace

bool identical(const ScenarioDocument& a, const ScenarioDocument& b) {
    return a.chartType == b.chartType && a.cohortTable == b.cohortTable &&
           a.basicRanges == b.basicRanges && a.comparisonRanges == b.comparisonRanges &&
           sameBits(a.basic, b.basic) &&
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
    appendScenario(out, 1, "basic", document.basic, document.basicRanges);
    out += ",\n";
    appendKey(out, 1, "comparison");
    out += "{\n";
    for (std::size_t i = 0; i < comparisonKeys.size(); ++i) {
        appendScenario(out, 2, comparisonKeys[i], document.comparison[i],
                       document.comparisonRanges[i]);
        out += i + 1 < comparisonKeys.size() ? ",\n" : "\n";
    }
    out += "    },\n";
    appendKey(out, 1, "chartType");
    appendString(out, chartTypeNames[static_cast<std::size_t>(document.chartType)]);
    if (document.cohortTable) {
        out += ",\n";
        appendCohortTable(out, *document.cohortTable);
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
    const auto problem = [](std::string_view path, const std::string& what) {
        return QString::fromStdString(std::string(path) + "." + what);
    };
    if (const auto what = scenarioProblem(document.basic, document.basicRanges)) {
        return problem("basic", *what);
    }
    for (std::size_t i = 0; i < comparisonKeys.size(); ++i) {
        if (const auto what =
                scenarioProblem(document.comparison[i], document.comparisonRanges[i])) {
            return problem("comparison." + std::string(comparisonKeys[i]), *what);
        }
    }
    if (const auto& table = document.cohortTable) {
        if (const auto what = cohortTableProblem(*table)) {
            return QString::fromStdString("cohortTable: " + what->message);
        }
        if (!fitsInDocument(*table)) {
            return QStringLiteral("cohortTable: too large for the 1 MiB a document may hold");
        }
    }
    return std::nullopt;
}

}  // namespace velmora
