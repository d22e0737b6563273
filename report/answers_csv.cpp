#include "report/answers_csv.h"

#include <ostream>
#include <string>
#include <string_view>

#include "engine/support/shortest_text.h"
#include "engine/table/table_csv.h"

namespace velmora::report {

namespace {

const char* yesNo(bool value) {
    return value ? "true" : "false";
}

}  // namespace

void writeAnswersCsv(const InsightAnswers& answers, std::ostream& out) {
    std::string csv;
    const auto block = [&csv](const char* header) {
        csv += csv.empty() ? "" : "\n";
        csv += header;
    };
    if (const auto& moved = answers.sensitivity) {
        block("metric,base\n");
        csv += std::string(metricName(moved->metric)) + ',' + shortest(moved->base) + '\n';
        block("input,valueDown,valueUp,changeDown,changeUp\n");
        for (const SensitivityBar& bar : moved->bars) {
            csv += std::string(inputName(bar.input)) + ',' + shortest(bar.downValue) + ',' +
                   shortest(bar.upValue) + ',' + shortest(bar.down) + ',' + shortest(bar.up) + '\n';
        }
    }
    if (const auto& goal = answers.goal) {
        block("goal,target,input,value,reached,achieved,reason\n");
        const GoalSeekResult& found = goal->result;
        const bool computed = found.outcome != GoalSeekResult::Outcome::CannotCompute;
        csv += std::string(metricName(goal->goal.metric)) + ',' + shortest(goal->goal.target) +
               ',' + std::string(inputName(goal->goal.input)) + ',' + shortest(found.value) + ',' +
               yesNo(found.reached()) + ',' + (computed ? shortest(found.achieved) : "") + ',' +
               csvField(found.reason) + '\n';
    }
    if (const auto& settle = answers.settle) {
        block("settles,subscribers,monthlyProceeds,month90,reason\n");
        if (settle->kind == SettlePoint::Kind::Settles) {
            csv += std::string("true,") + shortest(settle->subscribers) + ',' +
                   shortest(settle->monthlyProceeds) + ',' +
                   (settle->month90 ? std::to_string(*settle->month90) : "") + ",\n";
        } else {
            csv += "false,,,," + csvField(settle->reason) + '\n';
        }
    }
    if (const auto& money = answers.economics) {
        block(
            "costPerTrial,monthlySpend,paybackMonths,shortfall,lifetimeValueToCost,"
            "breakEvenMonth,cashNeeded,cashNeededMonth\n");
        const auto month = [](const std::optional<std::int64_t>& found) {
            return found ? std::to_string(*found) : std::string();
        };
        csv += shortest(answers.costPerTrial) + ',' + shortest(money->cash.monthlySpend) + ',' +
               month(money->payback.months) + ',' + shortest(money->payback.shortfall) + ',' +
               shortest(money->lifetimeValueToCost) + ',' + month(money->cash.turn.breakEvenMonth) +
               ',' + shortest(money->cash.turn.cashNeeded) + ',' +
               month(money->cash.turn.cashNeededMonth) + '\n';
    }
    out << csv;
}

}  // namespace velmora::report
