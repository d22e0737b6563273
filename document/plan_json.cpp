#include "document/plan_json.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "document/cohort_table_json.h"
#include "engine/support/shortest_text.h"

namespace velmora::document_format {

namespace {

using json::Value;
using Kind = json::Value::Kind;
using Problem = std::optional<std::string>;

constexpr std::array<std::string_view, 6> planMembers{
    "growth", "growthUntil", "startMonth", "seasonality", "priceChangesApply", "changes"};
constexpr std::array<std::string_view, 3> changeMembers{"input", "month", "value"};
constexpr std::array<PlanInput, 4> planInputs{PlanInput::DailyNewSubs, PlanInput::Price,
                                              PlanInput::TrialRetention, PlanInput::CostPerTrial};
constexpr std::string_view growthUntilAlone = "needs a growth";

std::string found(const Value& value) {
    if (value.kind == Kind::Number) {
        return std::string(value.numberText);
    }
    if (value.kind == Kind::String) {
        std::string text = "\"";
        text += value.text;
        return text + "\"";
    }
    return std::string(json::kindName(value.kind));
}

std::string expected(std::string_view what, const Value& value) {
    return "expected " + std::string(what) + ", found " + found(value);
}

template <std::size_t count>
std::string listed(const std::array<std::string_view, count>& names) {
    std::string text;
    for (const std::string_view name : names) {
        text += text.empty() ? "" : ", ";
        text += name;
    }
    return text;
}

// The members of `object` by the index of their name in `names`; why not, at
// `path`: a member of another name, or one given twice.
template <std::size_t count>
Problem members(const Value& object, const std::string& path,
                const std::array<std::string_view, count>& names,
                std::array<const Value*, count>& out) {
    if (object.kind != Kind::Object) {
        return path + ": " + expected("an object", object);
    }
    out.fill(nullptr);
    for (const json::Member& member : object.members) {
        const auto name = std::find(names.begin(), names.end(), member.key);
        if (name == names.end()) {
            return path + "." + member.key + ": expected one of " + listed(names);
        }
        const Value*& slot = out[static_cast<std::size_t>(name - names.begin())];
        if (slot != nullptr) {
            return path + "." + member.key + ": given more than once";
        }
        slot = &member.value;
    }
    return std::nullopt;
}

Problem number(const Value& value, const std::string& path, double& out) {
    if (value.kind != Kind::Number) {
        return path + ": " + expected("a number", value);
    }
    out = value.number;
    return std::nullopt;
}

// A whole number of months; the model's rules say which.
Problem wholeMonth(const Value& value, const std::string& path, std::int64_t& out) {
    if (value.kind != Kind::Number || !(std::abs(value.number) <= 1e15) ||
        value.number != std::floor(value.number)) {
        return path + ": " + expected("a whole number of months", value);
    }
    out = static_cast<std::int64_t>(value.number);
    return std::nullopt;
}

// "2027-01": four digits of the year, two of the month.
Problem calendarMonth(const Value& value, const std::string& path, CalendarMonth& out) {
    const std::string& text = value.text;
    const auto digits = [&](std::size_t from, std::size_t to) {
        return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from),
                           text.begin() + static_cast<std::ptrdiff_t>(to),
                           [](char c) { return c >= '0' && c <= '9'; });
    };
    if (value.kind != Kind::String || text.size() != 7 || text[4] != '-' || !digits(0, 4) ||
        !digits(5, 7)) {
        return path + ": " + expected("a month as \"YYYY-MM\"", value);
    }
    out.year = std::stoi(text.substr(0, 4));
    out.month = std::stoi(text.substr(5, 2));
    return std::nullopt;
}

// The model's rule that `part` alone breaks, at `path`.
Problem modelRule(const Plan& part, const std::string& path) {
    if (Problem problem = planProblem(part)) {
        return path + ": " + *problem;
    }
    return std::nullopt;
}

Problem readSeasons(const Value& value, const std::string& path, Plan& plan) {
    if (value.kind != Kind::Array || value.items.size() != 12) {
        const std::string what = value.kind == Kind::Array
                                     ? std::to_string(value.items.size()) + " factors"
                                     : found(value);
        return path + ": expected 12 factors, January to December, found " + what;
    }
    std::array<double, 12> factors{};
    for (std::size_t i = 0; i < factors.size(); ++i) {
        if (Problem problem =
                number(value.items[i], path + "[" + std::to_string(i) + "]", factors[i])) {
            return problem;
        }
        Plan alone;
        alone.startMonth = CalendarMonth{};
        alone.seasonality = std::array<double, 12>{};
        alone.seasonality->fill(1);
        (*alone.seasonality)[i] = factors[i];
        if (Problem problem = modelRule(alone, path + "[" + std::to_string(i) + "]")) {
            return problem;
        }
    }
    plan.seasonality = factors;
    return std::nullopt;
}

Problem readChange(const Value& value, const std::string& path, Plan& plan) {
    std::array<const Value*, changeMembers.size()> found{};
    if (Problem problem = members(value, path, changeMembers, found)) {
        return problem;
    }
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (found[i] == nullptr) {
            return path + "." + std::string(changeMembers[i]) + ": missing";
        }
    }
    PlanChange change;
    const Value& input = *found[0];
    const auto named = std::find_if(planInputs.begin(), planInputs.end(), [&](PlanInput each) {
        return input.kind == Kind::String && input.text == planInputName(each);
    });
    if (named == planInputs.end()) {
        return path +
               ".input: " + expected("dailyNewSubs, price, trialRetention or costPerTrial", input);
    }
    change.input = *named;
    if (Problem problem = wholeMonth(*found[1], path + ".month", change.month)) {
        return problem;
    }
    if (Problem problem = number(*found[2], path + ".value", change.value)) {
        return problem;
    }
    Plan alone;
    alone.changes = {change};
    if (Problem problem = planProblem(alone)) {
        const bool month = change.month < 1 || change.month > Plan::lastMonth;
        return path + (month ? ".month: " : ".value: ") + *problem;
    }
    plan.changes.push_back(change);
    if (Problem problem = planProblem(plan)) {
        return path + ": " + *problem;  // the same input and month as an earlier change
    }
    return std::nullopt;
}

void appendMonth(QByteArray& out, const CalendarMonth& month) {
    char text[16];
    std::snprintf(text, sizeof text, "\"%04d-%02d\"", month.year, month.month);
    out += text;
}

}  // namespace

void appendPlan(QByteArray& out, const Plan& plan) {
    out += '{';
    const char* separator = "";
    const auto key = [&](const char* name) {
        out += separator;
        separator = ", ";
        out += '"';
        out += name;
        out += "\": ";
    };
    if (plan.growthPercent) {
        key("growth");
        out += shortest(*plan.growthPercent);
    }
    if (plan.growthUntil) {
        key("growthUntil");
        out += std::to_string(*plan.growthUntil);
    }
    if (plan.startMonth) {
        key("startMonth");
        appendMonth(out, *plan.startMonth);
    }
    if (plan.seasonality) {
        key("seasonality");
        out += '[';
        for (std::size_t i = 0; i < plan.seasonality->size(); ++i) {
            out += i == 0 ? "" : ", ";
            out += shortest((*plan.seasonality)[i]);
        }
        out += ']';
    }
    key("priceChangesApply");
    out += plan.priceChangesApply == PriceChangesApply::Everyone ? "\"all\"" : "\"new\"";
    if (!plan.changes.empty()) {
        key("changes");
        out += '[';
        for (std::size_t i = 0; i < plan.changes.size(); ++i) {
            const PlanChange& change = plan.changes[i];
            out += i == 0 ? "{\"input\": " : ", {\"input\": ";
            appendString(out, planInputName(change.input));
            out += ", \"month\": " + QByteArray::number(static_cast<qlonglong>(change.month));
            out += ", \"value\": ";
            out += shortest(change.value);
            out += '}';
        }
        out += ']';
    }
    out += '}';
}

std::optional<std::string> readPlanValue(const Value& value, std::string_view at,
                                         std::optional<Plan>& out) {
    const std::string path(at);
    std::array<const Value*, planMembers.size()> found{};
    if (Problem problem = members(value, path, planMembers, found)) {
        return problem;
    }
    const auto memberPath = [&](std::size_t i) { return path + "." + std::string(planMembers[i]); };
    Plan plan;
    if (found[0] != nullptr) {
        double growth = 0;
        if (Problem problem = number(*found[0], memberPath(0), growth)) {
            return problem;
        }
        plan.growthPercent = growth;
        if (Problem problem = modelRule(plan, memberPath(0))) {
            return problem;
        }
    }
    if (found[1] != nullptr) {
        if (found[0] == nullptr) {
            return memberPath(1) + ": " + std::string(growthUntilAlone);
        }
        std::int64_t until = 0;
        if (Problem problem = wholeMonth(*found[1], memberPath(1), until)) {
            return problem;
        }
        plan.growthUntil = until;
        if (Problem problem = modelRule(plan, memberPath(1))) {
            return problem;
        }
    }
    if (found[2] != nullptr) {
        CalendarMonth month;
        if (Problem problem = calendarMonth(*found[2], memberPath(2), month)) {
            return problem;
        }
        plan.startMonth = month;
        if (Problem problem = modelRule(plan, memberPath(2))) {
            return problem;
        }
    }
    if (found[3] != nullptr) {
        if (found[2] == nullptr) {
            Plan alone;
            alone.seasonality = std::array<double, 12>{};
            return memberPath(3) + ": " + planProblem(alone).value_or("needs a start month");
        }
        if (Problem problem = readSeasons(*found[3], memberPath(3), plan)) {
            return problem;
        }
    }
    if (const Value* rule = found[4]) {
        if (rule->kind != Kind::String || (rule->text != "all" && rule->text != "new")) {
            return memberPath(4) + ": " + expected("\"all\" or \"new\"", *rule);
        }
        plan.priceChangesApply =
            rule->text == "all" ? PriceChangesApply::Everyone : PriceChangesApply::NewSubscribers;
    }
    if (const Value* changes = found[5]) {
        if (changes->kind != Kind::Array) {
            return memberPath(5) + ": " + expected("an array of changes", *changes);
        }
        for (std::size_t i = 0; i < changes->items.size(); ++i) {
            const std::string changePath = memberPath(5) + "[" + std::to_string(i) + "]";
            if (Problem problem = readChange(changes->items[i], changePath, plan)) {
                return problem;
            }
        }
    }
    out = std::move(plan);
    return std::nullopt;
}

std::optional<std::string> planDocumentProblem(const Plan& plan) {
    if (plan.growthUntil && !plan.growthPercent) {
        return "plan.growthUntil: " + std::string(growthUntilAlone);
    }
    if (Problem problem = planProblem(plan)) {
        return "plan: " + *problem;
    }
    return std::nullopt;
}

}  // namespace velmora::document_format
