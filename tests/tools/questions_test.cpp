#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QJsonArray>

#include "engine/decisions/economics.h"
#include "engine/decisions/goal_seek.h"
#include "engine/decisions/sensitivity.h"
#include "engine/decisions/settle_point.h"
#include "engine/projection/closed_form.h"
#include "engine/projection/monthly_projection.h"
#include "engine/spread/simulation.h"
#include "tests/tools/run_cli.h"

namespace velmora::cli {
namespace {

// The halves (run_cli.h) settle at 600 subscribers paying 600 x $2 x 0.85 =
// $1,020 a month, and open month 4 at 563, the first within 10% of 600.
ScenarioValues halves() {
    ScenarioValues values{.dailyNewSubs = 10, .price = 2, .trialRetention = 1};
    values.rt1 = values.rt2 = values.rt3 = values.rt4 = values.rt5 = values.rt6 = 0.5;
    values.rtPlus = 0.5;
    return values;
}

TEST(CliQuestions, Settle) {
    EXPECT_EQ(runHalves({"--settle", "--format", "json"}).out,
              R"({"settles": true, "subscribers": 600, "monthlyProceeds": 1020, "month90": 4})"
              "\n");
    EXPECT_EQ(runHalves({"--settle"}).out,
              "   600 subscribers when settled\n"
              "$1,020 monthly when settled\n"
              "    M4 first month within 10% of that\n");
    EXPECT_EQ(runHalves({"--settle", "--format=csv", "--months", "4"}).out,
              "settles,subscribers,monthlyProceeds,month90,reason\ntrue,600,1020,,\n");
    EXPECT_EQ(runHalves({"--settle", "--format=json", "--months", "4"}).json()["month90"],
              QJsonValue());
    // Too long a projection to write as JSON, but a question writes a few lines.
    EXPECT_EQ(runHalves({"--settle", "--format=json", "--months", "2000"}).json()["month90"],
              QJsonValue(4));
    // (arguments, grows without bound)
    for (const auto& [arguments, grows] : std::vector<std::pair<Arguments, bool>>{
             {{"--rest", "1"}, true}, {{"--daily-trials", "-1"}, false}}) {
        const QJsonObject answer = runTool({"--settle", "--format", "json"}, arguments).json();
        EXPECT_EQ(answer["settles"], QJsonValue(false));
        EXPECT_EQ(answer["growsWithoutBound"], QJsonValue(grows));
        EXPECT_FALSE(answer["reason"].toString().isEmpty());
    }
}

TEST(CliQuestions, Goal) {
    // The settled 600 subscribers scale with the trials; the price moves no subscriber.
    struct Case {
        std::string goal;
        std::string input;
        double value;
        bool reached;
    };
    const std::vector<Case> cases{
        {"subscribers=1200", "dailyNewSubs", 20, true},
        {"subscribers=1e6", "trialRetention", 1, false},
        {"subscribers=100", "price", 2, false},
        {"monthlyProceeds=1530", "price", 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.goal + " " + c.input);
        const Ran ran = runHalves({"--goal", c.goal, "--solve-for", c.input, "--format", "json"});
        const QJsonObject answer = ran.json();
        EXPECT_EQ(answer["input"], QJsonValue(QString::fromStdString(c.input)));
        EXPECT_EQ(answer["value"], QJsonValue(c.value));
        EXPECT_EQ(answer["reached"], QJsonValue(c.reached));
        EXPECT_EQ(answer.contains("reason"), !c.reached);
    }
    EXPECT_EQ(runHalves({"--goal=subscribers=1200", "--solve-for=dailyNewSubs"}).out,
              "   20 dailyNewSubs\n1,200 subscribers\nReaches the target of 1,200 subscribers.\n");
}

TEST(CliQuestions, SensitivityFollowsTheEngine) {
    const auto expected = sensitivity(halves(), Metric::Subscribers);
    ASSERT_TRUE(expected);
    const QJsonObject answer =
        runHalves({"--sensitivity", "subscribers", "--format", "json"}).json();
    EXPECT_EQ(answer["metric"], QJsonValue("subscribers"));
    const QJsonArray inputs = answer["inputs"].toArray();
    ASSERT_EQ(inputs.size(), static_cast<qsizetype>(expected->bars.size()));
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        const SensitivityBar& bar = expected->bars[static_cast<std::size_t>(i)];
        EXPECT_EQ(inputs[i]["input"].toString().toStdString(), inputName(bar.input));
        EXPECT_EQ(inputs[i]["down"], QJsonValue(bar.down));
        EXPECT_EQ(inputs[i]["up"], QJsonValue(bar.up));
    }
    // The trials and their retention move the 600 subscribers by a tenth; the price moves none.
    const Ran csv = runHalves({"--sensitivity", "subscribers", "--format", "csv"});
    EXPECT_TRUE(csv.out.starts_with("input,downValue,upValue,down,up\ndailyNewSubs,9,11,-59.99"));
    EXPECT_NE(csv.out.find("\nprice,1.8,2.2,0,0\n"), std::string::npos);
    // A change that rounds to nothing is no loss.
    const Ran few = runTool({"--daily-trials", "0.01", "--sensitivity", "monthlyProceeds"});
    EXPECT_NE(few.out.find("\ndailyNewSubs       +$0      +$0\n"), std::string::npos) << few.out;
    EXPECT_EQ(few.out.find("-$0"), std::string::npos) << few.out;
    const Ran free = runTool({"--price", "-0", "--months", "2", "--goal", "monthlyProceeds=0",
                              "--solve-for", "dailyNewSubs"});
    EXPECT_EQ(free.out.find("-$0"), std::string::npos) << free.out;
    const Ran table = runHalves({"--sensitivity", "subscribers"});
    EXPECT_TRUE(
        table.out.starts_with("600 subscribers with the inputs as they are; shares move on "
                              "their churn, 1 - share\n\n"
                              "Input           At 90%  At 110%\n"
                              "dailyNewSubs       -60      +60\n"));
}

// A trial costing $2: c = 2 x 0.85 = 1.7 a payment, L(k) = 1, 1.5, ... -> 2, so
// 1.7 < 2 <= 2.55 pays back in 2. The spend is 10 x 30 x 2 = 600 a month; the
// proceeds 17, 518.5, 769.25, 894.625, 957.3125 (active x 1.7) add up to 17,
// 535.5, 1,304.75, 2,199.375, 3,156.6875: the net is -583, -664.5, -495.25,
// -200.625, +156.6875, lowest in M1 and 0 or more from M4.
TEST(CliQuestions, Economics) {
    const QJsonObject json =
        runHalves({"--cost-per-trial", "2", "--economics", "--format", "json"}).json();
    EXPECT_EQ(json["paybackMonths"], QJsonValue(2));
    EXPECT_NEAR(json["lifetimeValueToCost"].toDouble(), 1.7 * (2 - 0x1p-22) / 2, 1e-12);
    EXPECT_EQ(json["monthlySpend"], QJsonValue(600));
    EXPECT_EQ(json["breakEvenMonth"], QJsonValue(4));
    EXPECT_NEAR(json["cashNeeded"].toDouble(), 664.5, 1e-9);
    EXPECT_EQ(json["cashNeededMonth"], QJsonValue(1));
    EXPECT_FALSE(json.contains("paybackShortfall"));
    // Over its whole lifetime a trial brings 1.7 x 2 = 3.4; nothing within 4 months breaks even.
    const QJsonObject never =
        runHalves({"--cost-per-trial=4", "--economics", "--format=json", "--months=4"}).json();
    EXPECT_EQ(never["paybackMonths"], QJsonValue());
    EXPECT_NEAR(never["paybackShortfall"].toDouble(), 0.6, 1e-12);
    EXPECT_EQ(never["breakEvenMonth"], QJsonValue());
    // Proceeds past the largest double break even at once, needing no cash.
    const QJsonObject rich =
        runTool({"--price", "1e308", "--cost-per-trial", "2", "--economics", "--format=json"})
            .json();
    EXPECT_EQ(rich["breakEvenMonth"], QJsonValue(0));
    EXPECT_EQ(rich["cashNeeded"], QJsonValue(0));
    // With rtPlus 1 the lifetime has no end: L(7 + j) = 1.984375 + j / 64 pays
    // back any cost, however far past the 2^63 - 1 months a count holds.
    Arguments endless = words(
        "--trial-retention 1 --price 2 --rest 1 --cost-per-trial 1e30 --economics --rt1 0.5 "
        "--rt2 0.5 --rt3 0.5 --rt4 0.5 --rt5 0.5 --rt6 0.5");
    const std::string table = runTool(endless).out;
    EXPECT_NE(table.find("3.7647058823529415e+31 months to pay back a trial\n"), std::string::npos)
        << table;
    endless.emplace_back("--format=json");
    const QJsonObject late = runTool(endless).json();
    EXPECT_NEAR(late["paybackMonths"].toDouble(), 7 + (1e30 / 1.7 - 1.984375) * 64, 1e17);
    EXPECT_FALSE(late.contains("paybackShortfall"));

    const std::string csv =
        runHalves({"--cost-per-trial", "2", "--economics", "--format", "csv"}).out;
    EXPECT_TRUE(
        csv.starts_with("month,active,change,proceeds,annualized,cumulativeProceeds,"
                        "spend,cumulativeNet\n0,10,,17,206.83333333333331,17,600,-583\n"))
        << csv;
    EXPECT_TRUE(runHalves({"--cost-per-trial", "2", "--economics"})
                    .out.starts_with("    2 months to pay back a trial\n"
                                     "1.7 × lifetime value to cost\n"
                                     " $600 acquisition spend a month\n"
                                     "   M4 break-even month\n"));
    // By M3 a trial may cost 2,199.375 / (4 x 300) = 1.8328...; down to 1.832.
    const QJsonObject goal = runHalves({"--cost-per-trial", "2", "--goal", "breakEvenMonth=3",
                                        "--solve-for", "costPerTrial", "--format", "json"})
                                 .json();
    EXPECT_EQ(goal["value"], QJsonValue(1.832));
    EXPECT_EQ(goal["achieved"], QJsonValue(3));
}

// The questions read the later rates, as the engine gives them.
TEST(CliQuestions, LaterRatesReachTheQuestions) {
    ScenarioValues values{.monthsToProject = 40, .startingSubs = 300, .costPerTrial = 3};
    values.laterRates = {0.97, 0.2, 0.99};
    const auto with = [](const Arguments& more) {
        return runTool(words("--months 40 --starting-subscribers 300 --cost-per-trial 3 "
                             "--later-rates 0.97,0.2,0.99 --format json"),
                       more)
            .json();
    };
    const std::vector<double> months = monthlyActives(values);
    const QJsonArray later = with({})["inputs"].toObject()["laterRates"].toArray();
    EXPECT_EQ(later, (QJsonArray{0.97, 0.2, 0.99}));
    EXPECT_FALSE(runTool({"--format", "json"}).json()["inputs"].toObject().contains("laterRates"));
    EXPECT_EQ(with({"--settle"})["subscribers"],
              QJsonValue(settlePoint(values, months).subscribers));
    const QJsonObject economics = with({"--economics"});
    EXPECT_EQ(economics["paybackMonths"],
              QJsonValue(static_cast<double>(*paybackOfTrial(values).months)));
    EXPECT_EQ(economics["lifetimeValueToCost"], QJsonValue(lifetimeValueToCost(values)));
    EXPECT_EQ(economics["cashNeeded"], QJsonValue(cashTurn(values, months).cashNeeded));
}

// Refused like any bad flag: status 2, nothing on standard output, one line.
TEST(CliQuestions, RefusedFlags) {
    // The bound itself first: one that let these through would have the tool
    // compute and write for minutes. The questions are bounded by their own
    // work, not by the days the JSON would hold.
    Options settle;
    settle.question = Question::Settle;
    for (const double months : {2000.0, 5974.0}) {
        const ScenarioValues values{.monthsToProject = months};
        ASSERT_TRUE(projectionTooLarge(values, OutputFormat::Json)) << months;
        EXPECT_FALSE(questionTooLarge(settle, values)) << months;
    }
    const ScenarioValues yearMonths{.monthDuration = 365, .monthsToProject = 600};
    Options simulate;
    simulate.question = Question::Simulate;
    simulate.draws = 100'000;
    ASSERT_TRUE(projectionTooLarge(yearMonths));
    EXPECT_FALSE(questionTooLarge(simulate, yearMonths));
    ASSERT_TRUE(questionTooLarge(simulate, {.monthDuration = 1, .monthsToProject = 300'000}));
    const std::vector<std::pair<Arguments, std::string>> cases{
        {{"--bo\ngus\x1b[31m", "1"}, R"(--bo\x0agus\x1b[31m: unknown flag (see --help))"},
        {{"--caf\xc3\xa9\xc2\x9b\xff"}, R"(--café\xc2\x9b\xff: unknown flag (see --help))"},
        {{"--settle", "--goal", "subscribers=1", "--solve-for", "price"},
         "--goal: cannot be combined with --settle"},
        {{"--sensitivity", "price"},
         R"(--sensitivity: "price" is not one of subscribers, monthlyProceeds, annualProceeds, )"
         "lifetimeValue, paybackMonths, lifetimeValueToCost, breakEvenMonth, cashNeeded"},
        {{"--solve-for", "price"}, "--solve-for: needs --goal METRIC=VALUE"},
        {{"--goal", "subscribers=1"}, "--goal: needs --solve-for INPUT"},
        {{"--goal", "subscribers", "--solve-for", "price"},
         R"(--goal: "subscribers" is not METRIC=VALUE)"},
        {{"--goal", "subscribers=1e999"}, R"(--goal: "1e999" is out of range)"},
        {{"--goal", "subscribers=1", "--solve-for", "rest"},
         R"(--solve-for: "rest" is not one of dailyNewSubs, price, trialRetention, rt1, rt2, rt3, )"
         "rt4, rt5, rt6, rtPlus, startingSubs, costPerTrial"},
        {{"--settle=yes"}, "--settle: takes no value"},
        {{"--economics"}, "--economics: the cost of a trial is not given; give --cost-per-trial N"},
        {{"--cost-per-trial", "-2", "--economics"},
         R"(--cost-per-trial: "-2" is negative; a cost is 0 or more)"},
        {{"--sensitivity", "cashNeeded"},
         "--sensitivity: cashNeeded needs the cost of a trial; give --cost-per-trial N"},
        {{"--goal", "paybackMonths=3", "--solve-for", "price"},
         "--goal: paybackMonths needs the cost of a trial; give --cost-per-trial N, or "
         "--solve-for costPerTrial"},
        {{"--version=1"}, "--version: takes no value"},
        {{"--page", "basic"}, "--page: needs --scenario FILE"},
        {{"--save="}, "--save: a file name is needed"},
        {{"--months", "5974", "--format", "json"},
         "--months: 5,974 months of 30 days would write about 55.4 GiB of JSON; the limit is 4 "
         "GiB"},
        {{"--settle", "--months", "100000"},
         "--months: 100,000 months of 30 days would take about 1.5e11 cohort-months of work; the "
         "limit is 2e10"},
        {{"--simulate", "100000", "--months", "300000", "--month-duration", "1"},
         "--months: 100,000 draws of 300,000 months of 1 day would take about 3e10 draw-months of "
         "work; the limit is 2e10"},
        {{"--simulate", "1", "--months", "2e7", "--month-duration", "1"},
         "--months: 20,000,000 months of 1 day would write about 4.77 GiB of percentiles; the "
         "limit is 4 GiB"},
        {{"--month-duration", "9223372036854775807", "--months", "1", "--format", "json"},
         "--months: 1 month of 9,223,372,036,854,775,807 days would need about 512 EiB; the "
         "limit is 4 GiB"},
    };
    for (const auto& [arguments, message] : cases) {
        expectRefused(arguments, message);
    }
}

TEST(CliQuestions, EmptyAndTinyProjections) {
    const std::string header = "month,active,change,proceeds,annualized\n";
    EXPECT_EQ(runTool({"--months", "1e-400", "--format", "csv"}).out, header);
    EXPECT_EQ(runTool({"--months", "0", "--format", "csv"}).out, header);
    const std::vector<std::string_view> negative{"--months=-1e-400"};
    const auto parsed = parseArguments(negative);
    ASSERT_TRUE(std::holds_alternative<Options>(parsed));
    const double months = std::get<Options>(parsed).values.monthsToProject;
    EXPECT_TRUE(months == 0 && std::signbit(months));
}

}  // namespace
}  // namespace velmora::cli
