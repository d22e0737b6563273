#include <cctype>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QJsonArray>
#include <QLocale>

#include "document/scenario_document.h"
#include "engine/decisions/economics.h"
#include "engine/projection/monthly_projection.h"
#include "engine/projection/plan_months.h"
#include "engine/support/shortest_text.h"
#include "tests/tools/run_cli.h"

namespace velmora::cli {
namespace {

Plan withChanges(std::vector<PlanChange> changes) {
    Plan plan;
    plan.changes = std::move(changes);
    return plan;
}

TEST(CliPlan, FlagsSetThePlan) {
    Plan seasons;
    seasons.startMonth = CalendarMonth{2027, 3};
    seasons.seasonality = std::array<double, 12>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0.5};
    Plan grown{5, 12};
    grown.priceChangesApply = PriceChangesApply::NewSubscribers;
    const std::vector<std::pair<std::string, std::optional<Plan>>> cases{
        {"", std::nullopt},
        {"--trials-growth 5 --growth-until=12 --price-changes-apply new", grown},
        {"--start-month 2027-03 --seasonality 0,1,2,3,4,5,6,7,8,9,10,0.5", seasons},
        {"--change price@6=2.99 --change dailyNewSubs@1=0 --change price@7=3",
         withChanges({{PlanInput::Price, 6, 2.99},
                      {PlanInput::DailyNewSubs, 1, 0},
                      {PlanInput::Price, 7, 3}})},
        {"--change trialRetention@12000=1 --change costPerTrial@2=0.5",
         withChanges({{PlanInput::TrialRetention, 12000, 1}, {PlanInput::CostPerTrial, 2, 0.5}})},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        const std::vector<std::string> given = words(text);
        const std::vector<std::string_view> views(given.begin(), given.end());
        const auto parsed = parseArguments(views);
        ASSERT_TRUE(std::holds_alternative<Options>(parsed));
        EXPECT_EQ(std::get<Options>(parsed).values.plan, expected);
    }
}

// Through run(): exit status 2, nothing on standard output, one line naming the flag.
TEST(CliPlan, BadValuesAreRefused) {
    const std::string twelve = "1,1,1,1,1,1,1,1,1,1,1";
    const std::vector<std::pair<std::string, std::string>> cases{
        {"--change price@0=2", R"(--change: "0" is not a whole month from 1 to 12000)"},
        {"--change rt1@2=0.5",
         R"(--change: "rt1" is not one of dailyNewSubs, price, trialRetention, costPerTrial)"},
        {"--change price@2", R"(--change: "price@2" is not NAME@M=VALUE)"},
        {"--change price@2=x", R"(--change: "x" is not a number)"},
        {"--change price@2=-1",
         R"(--change: "price@2=-1": The change of price at M2 must be a number of 0 or more.)"},
        {"--change trialRetention@2=1.5",
         R"(--change: "trialRetention@2=1.5": The change of trialRetention at M2 must be a )"
         "share from 0 to 1."},
        {"--change price@2=1 --change price@2=3",
         R"(--change: "price@2=3": The change of price at M2 is given twice.)"},
        {"--start-month 2027-01 --seasonality " + twelve,
         R"(--seasonality: ")" + twelve +
             R"(" is not 12 factors, January to December, separated by commas)"},
        {"--start-month 2027-01 --seasonality " + twelve + ",1,1",
         R"(--seasonality: ")" + twelve +
             R"(,1,1" is not 12 factors, January to December, separated by commas)"},
        {"--start-month 2027-01 --seasonality 1,1,1,1,,1,1,1,1,1,1,1",
         "--seasonality: factor 5 is missing; give 12 factors, January to December, separated "
         "by commas"},
        {"--start-month 2027-01 --seasonality 1,1,1,1,1,1,1,1,1,1,1,-2",
         R"(--seasonality: factor 12: "-2" is negative; a factor is 0 or more)"},
        {"--seasonality 1,1,1,1,1,1,1,1,1,1,1,1", "--seasonality: needs --start-month YYYY-MM"},
        {"--start-month 2027-13",
         R"(--start-month: "2027-13": The first month must be a month from January to )"
         "December of a year from 1 to 9999."},
        {"--start-month 2027-1", R"(--start-month: "2027-1" is not a month as YYYY-MM)"},
        {"--trials-growth -100",
         R"(--trials-growth: "-100" is -100 or below; growth is a percentage above -100)"},
        {"--trials-growth inf", R"(--trials-growth: "inf" is not a finite number)"},
        {"--growth-until 3", "--growth-until: needs --trials-growth PCT"},
        {"--trials-growth 1 --growth-until -1",
         R"(--growth-until: "-1" is not a whole month from 0 to 12000)"},
        {"--price-changes-apply some", R"(--price-changes-apply: "some" is not one of all, new)"},
        {"--trials-growth 1 --trials-growth 2", "--trials-growth: given more than once"},
    };
    for (const auto& [text, message] : cases) {
        expectRefused(words(text), message);
    }
}

class CliPlanDocuments : public ToolFolder {
protected:
    const std::string planned = write("plan.velmora", R"({"format": "velmora",
            "version": 1, "basic": {"plan": {"growth": 2, "growthUntil": 6, "changes": [
            {"input": "price", "month": 3, "value": 2.5}, {"input": "price", "month": 5,
            "value": 3}]}}, "comparison": {"baseline": {"price": 4}}})");
};

// A flag's change replaces the page's of its input and month, the rest of the page's plan
// stays, and a page without a plan gains one.
TEST_F(CliPlanDocuments, FlagsOverrideAndAddToThePagesPlan) {
    ASSERT_EQ(runTool({"--scenario", planned, "--change", "price@5=3.5", "--change",
                       "trialRetention@2=0.4", "--trials-growth", "1", "--save", path("a.velmora")})
                  .status,
              0);
    Plan expected{1, 6};
    expected.changes = {{PlanInput::Price, 3, 2.5},
                        {PlanInput::Price, 5, 3.5},
                        {PlanInput::TrialRetention, 2, 0.4}};
    const ScenarioDocument saved = read("a.velmora");
    EXPECT_EQ(saved.basic.plan, expected);
    EXPECT_EQ(saved.comparison[0].plan, std::nullopt);
    ASSERT_EQ(runTool({"--scenario", planned, "--page", "baseline", "--price-changes-apply", "new",
                       "--save", path("b.velmora")})
                  .status,
              0);
    Plan rule;
    rule.priceChangesApply = PriceChangesApply::NewSubscribers;
    EXPECT_EQ(read("b.velmora").comparison[0].plan, rule);
    EXPECT_EQ(read("b.velmora").basic.plan, read("plan.velmora").basic.plan);
}

// The CSV's proceeds are the engine's under the plan, the economics' spend each month's,
// and the JSON lists the plan with the inputs.
TEST_F(CliPlanDocuments, OutputsFollowThePlan) {
    ScenarioValues values = read("plan.velmora").basic;
    values.monthsToProject = 9;
    values.costPerTrial = 0.25;
    values.plan->changes.push_back({PlanInput::CostPerTrial, 4, 0.5});
    values.plan->priceChangesApply = PriceChangesApply::NewSubscribers;
    const auto with = [&](const Arguments& more) {
        const Ran ran = runTool(
            joined({"--scenario", planned}, words("--months 9 --price-changes-apply new --change "
                                                  "costPerTrial@4=0.5 --cost-per-trial 0.25")),
            more);
        EXPECT_EQ(ran.status, 0) << ran.err;
        return ran;
    };
    const std::vector<double> actives = monthlyActives(values);
    const std::vector<double> proceeds = monthlyProceedsOf(values, actives);
    ASSERT_EQ(actives.size(), 9U);
    // Each line: month, active, change, proceeds, annualized, then the economics' three.
    const auto cell = [](const std::string& text, std::size_t at) {
        std::size_t from = 0;
        for (std::size_t i = 0; i < at; ++i) {
            from = text.find(',', from) + 1;
        }
        return text.substr(from, text.find(',', from) - from);
    };
    const CashFlow flow = cashFlow(values, actives);
    std::istringstream csv(with({"--format", "csv"}).out);
    std::istringstream cash(with({"--economics", "--format", "csv"}).out);
    std::string line;
    std::string cashLine;
    for (std::size_t m = 0; m <= actives.size(); ++m) {
        ASSERT_TRUE(std::getline(csv, line) && std::getline(cash, cashLine));
        if (m > 0) {
            EXPECT_EQ(cell(line, 3), shortest(proceeds[m - 1])) << line;
            EXPECT_EQ(cell(cashLine, 3), shortest(proceeds[m - 1])) << cashLine;
            EXPECT_EQ(cell(cashLine, 6), shortest(flow.spend[m - 1])) << cashLine;
        }
    }
    EXPECT_NE(flow.spend[3], flow.spend[4]);
    // The table beside it: each month's proceeds and spend in whole dollars.
    std::istringstream table(with({"--economics"}).out);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const auto dollars = [&](double value) {
        return "$" + english.toString(static_cast<qint64>(std::llround(value))).toStdString();
    };
    std::size_t rows = 0;
    while (std::getline(table, line)) {
        std::istringstream words(line);
        std::string month, proceedsCell, cumulative, spendCell;
        if (words >> month >> proceedsCell >> cumulative >> spendCell && month[0] == 'M' &&
            std::isdigit(static_cast<unsigned char>(month[1])) != 0) {
            const std::size_t m = std::stoul(month.substr(1));
            EXPECT_EQ(proceedsCell, dollars(proceeds[m])) << line;
            EXPECT_EQ(spendCell, dollars(flow.spend[m])) << line;
            ++rows;
        }
    }
    EXPECT_EQ(rows, actives.size());
    const QJsonObject plan =
        with({"--format", "json"}).json()["inputs"].toObject()["plan"].toObject();
    EXPECT_EQ(plan["growth"], 2);
    EXPECT_EQ(plan["growthUntil"], 6);
    EXPECT_EQ(plan["priceChangesApply"], "new");
    EXPECT_EQ(plan["changes"].toArray().size(), 3);
    EXPECT_EQ(plan["changes"].toArray()[2].toObject()["input"], "costPerTrial");
}

}  // namespace
}  // namespace velmora::cli
