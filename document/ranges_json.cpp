#include "document/ranges_json.h"

#include <algorithm>
#include <cmath>

#include "document/cohort_table_json.h"
#include "document/document_fields.h"
#include "engine/support/shortest_text.h"

namespace velmora::document_format {

namespace {

using json::Value;
using Kind = json::Value::Kind;

bool isRanged(Input input) {
    return std::find(rangedInputs.begin(), rangedInputs.end(), input) != rangedInputs.end();
}

std::string pair(std::string_view low, std::string_view high) {
    return "[" + std::string(low) + ", " + std::string(high) + "]";
}

// Why a range with these ends cannot be kept, or none; `low` and `high` as written.
std::optional<std::string> endsProblem(double low, double high, std::string_view lowText,
                                       std::string_view highText) {
    if (!std::isfinite(low) || !std::isfinite(high)) {
        return "expected finite ends, found " + pair(lowText, highText);
    }
    if (low > high) {
        return "expected a low end no higher than the high end, found " + pair(lowText, highText);
    }
    return std::nullopt;
}

std::optional<std::string> nameProblem(std::string_view name) {
    const auto input = inputFromName(name);
    if (input && isRanged(*input)) {
        return std::nullopt;
    }
    if (input || name == laterRatesKey ||
        std::find(scenarioKeys.begin(), scenarioKeys.end(), name) != scenarioKeys.end()) {
        return "this value takes no range";
    }
    return "expected the name of an input a range may be set on";
}

}  // namespace

void appendRanges(QByteArray& out, std::span<const Range> ranges) {
    out += '{';
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        out += i == 0 ? "" : ", ";
        appendString(out, inputName(ranges[i].input));
        out += ": ";
        out += pair(shortest(ranges[i].low), shortest(ranges[i].high));
    }
    out += '}';
}

std::optional<std::string> readRangesValue(const Value& value, std::string_view path,
                                           std::vector<Range>& out) {
    if (value.kind != Kind::Object) {
        return std::string(path) + ": expected an object, found " +
               std::string(json::kindName(value.kind));
    }
    std::vector<Range> read;
    for (const json::Member& member : value.members) {
        const std::string memberPath = std::string(path) + "." + member.key;
        if (auto problem = nameProblem(member.key)) {
            return memberPath + ": " + *problem;
        }
        const Input input = *inputFromName(member.key);
        if (std::any_of(read.begin(), read.end(),
                        [&](const Range& earlier) { return earlier.input == input; })) {
            return memberPath + ": given more than once";
        }
        const auto& items = member.value.items;
        if (member.value.kind != Kind::Array || items.size() != 2 ||
            items[0].kind != Kind::Number || items[1].kind != Kind::Number) {
            return memberPath + ": expected [LOW, HIGH], two numbers";
        }
        if (auto problem = endsProblem(items[0].number, items[1].number, items[0].numberText,
                                       items[1].numberText)) {
            return memberPath + ": " + *problem;
        }
        read.push_back({input, items[0].number, items[1].number});
    }
    std::sort(read.begin(), read.end(), [](const Range& a, const Range& b) {
        return std::find(rangedInputs.begin(), rangedInputs.end(), a.input) <
               std::find(rangedInputs.begin(), rangedInputs.end(), b.input);
    });
    out = std::move(read);
    return std::nullopt;
}

std::optional<std::string> rangesProblem(std::span<const Range> ranges) {
    for (auto range = ranges.begin(); range != ranges.end(); ++range) {
        const std::string name(inputName(range->input));
        if (!isRanged(range->input)) {
            return name + ": this value takes no range";
        }
        if (std::any_of(ranges.begin(), range,
                        [&](const Range& earlier) { return earlier.input == range->input; })) {
            return name + ": given more than once";
        }
        if (auto problem =
                endsProblem(range->low, range->high, shortest(range->low), shortest(range->high))) {
            return name + ": " + *problem;
        }
    }
    return std::nullopt;
}

}  // namespace velmora::document_format
