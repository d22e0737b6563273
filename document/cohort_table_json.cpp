#include "document/cohort_table_json.h"

#include <array>
#include <cmath>

#include "document/scenario_document.h"
#include "engine/support/shortest_text.h"

namespace velmora::document_format {

namespace {

using json::Value;
using Kind = json::Value::Kind;
using Problem = std::optional<std::string>;

constexpr std::string_view key = "cohortTable";

std::string typeProblem(const std::string& path, std::string_view expected, const Value& value) {
    return path + ": expected " + std::string(expected) + ", found " +
           std::string(json::kindName(value.kind));
}

void appendNumber(QByteArray& out, double value) {
    char text[shortestCapacity];
    out.append(text, writeShortest(text, value) - text);
}

Problem readNumber(const Value& value, const std::string& path, double& out) {
    if (value.kind != Kind::Number) {
        return typeProblem(path, "a number", value);
    }
    if (!std::isfinite(value.number)) {
        return path + ": expected a finite number, found " + std::string(value.numberText);
    }
    out = value.number;
    return std::nullopt;
}

Problem readCohort(const Value& value, const std::string& path, CohortRow& row) {
    if (value.kind != Kind::Object) {
        return typeProblem(path, "an object", value);
    }
    static constexpr std::array<std::string_view, 4> keys{"label", "counts", "trials", "days"};
    std::array<const Value*, keys.size()> fields{};
    if (Problem problem = json::pick(value, keys, fields, path)) {
        return problem;
    }
    const auto at = [&](std::size_t i) { return path + "." + std::string(keys[i]); };
    if (const Value* label = fields[0]) {
        if (label->kind != Kind::String) {
            return typeProblem(at(0), "a string", *label);
        }
        row.label = label->text;
    }
    if (const Value* counts = fields[1]) {
        if (counts->kind != Kind::Array) {
            return typeProblem(at(1), "an array", *counts);
        }
        row.counts.resize(counts->items.size());
        for (std::size_t k = 0; k < counts->items.size(); ++k) {
            if (Problem problem = readNumber(
                    counts->items[k], at(1) + "[" + std::to_string(k) + "]", row.counts[k])) {
                return problem;
            }
        }
    }
    for (std::size_t i : {std::size_t{2}, std::size_t{3}}) {
        if (fields[i] != nullptr) {
            double number = 0;
            if (Problem problem = readNumber(*fields[i], at(i), number)) {
                return problem;
            }
            (i == 2 ? row.trials : row.days) = number;
        }
    }
    if (fields[1] == nullptr) {
        return path + ".counts: missing";
    }
    return std::nullopt;
}

}  // namespace

void appendCohortTable(QByteArray& out, const CohortTable& table) {
    out += "{\"cohorts\": [";
    for (std::size_t i = 0; i < table.cohorts.size(); ++i) {
        const CohortRow& row = table.cohorts[i];
        out += i == 0 ? "\n        {\"label\": " : ",\n        {\"label\": ";
        appendString(out,
                     QByteArrayView(row.label.data(), static_cast<qsizetype>(row.label.size())));
        out += ", \"counts\": [";
        for (std::size_t k = 0; k < row.counts.size(); ++k) {
            if (k > 0) {
                out += ", ";
            }
            appendNumber(out, row.counts[k]);
        }
        out += ']';
        for (const auto& [name, value] : {std::pair{"trials", row.trials}, {"days", row.days}}) {
            if (value) {
                out += ", \"";
                out += name;
                out += "\": ";
                appendNumber(out, *value);
            }
        }
        out += '}';
    }
    out += "\n    ]}";
}

Problem readCohortTableValue(const Value& value, std::optional<CohortTable>& out) {
    const std::string path(key);
    if (value.kind != Kind::Object) {
        return typeProblem(path, "an object", value);
    }
    static constexpr std::array<std::string_view, 1> keys{"cohorts"};
    std::array<const Value*, 1> found{};
    if (Problem problem = json::pick(value, keys, found, path)) {
        return problem;
    }
    const Value* cohorts = found[0];
    if (cohorts == nullptr) {
        return path + ".cohorts: missing";
    }
    if (cohorts->kind != Kind::Array) {
        return typeProblem(path + ".cohorts", "an array", *cohorts);
    }
    CohortTable table;
    table.cohorts.resize(cohorts->items.size());
    for (std::size_t i = 0; i < table.cohorts.size(); ++i) {
        if (Problem problem =
                readCohort(cohorts->items[i], path + ".cohorts[" + std::to_string(i) + "]",
                           table.cohorts[i])) {
            return problem;
        }
    }
    if (const auto problem = cohortTableProblem(table)) {
        const std::string at =
            problem->cell.empty()
                ? path
                : path + ".cohorts[" + std::to_string(problem->cohort) + "]." + problem->cell;
        return at + ": " + problem->message;
    }
    out = std::move(table);
    return std::nullopt;
}

}  // namespace velmora::document_format

namespace velmora {

bool fitsInDocument(const CohortTable& table) {
    // The scenarios and a recovery copy's path take a few kilobytes at most.
    constexpr qsizetype room = 16 * 1024;
    std::size_t cells = 0;
    for (const CohortRow& row : table.cohorts) {
        cells += row.counts.size();
    }
    // Every count takes two bytes or more ("0,"): no need to write a table
    // that cannot fit.
    if (cells > static_cast<std::size_t>(maxDocumentBytes / 2)) {
        return false;
    }
    QByteArray text;
    document_format::appendCohortTable(text, table);
    return text.size() <= maxDocumentBytes - room;
}

}  // namespace velmora
