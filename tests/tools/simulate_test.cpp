#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QJsonArray>

#include "tests/tools/run_cli.h"

namespace velmora::cli {
namespace {

// Four months of the halves: 10, 305, 452.5 and 526.25 subscribers.
Ran runFour(const Arguments& more) {
    return runHalves(joined({"--months", "4"}, more));
}

TEST(CliSimulate, RefusesBadRangesAndCombinations) {
    const std::pair<Arguments, std::string> cases[] = {
        {{"--simulate", "0"}, "--simulate: \"0\" is not a whole number from 1 to 100,000"},
        {{"--simulate", "100001"}, "--simulate: \"100001\" is not a whole number"},
        {{"--simulate", "1e3"}, "--simulate: \"1e3\" is not a whole number"},
        {{"--simulate", "2.5"}, "--simulate: \"2.5\" is not a whole number"},
        {{"--simulate", "9", "--seed", "1e3"}, "--seed: \"1e3\" is not a whole number"},
        {{"--simulate", "9", "--seed", "-1"}, "--seed: \"-1\" is not a whole number from 0"},
        {{"--simulate", "9", "--range", "rt1=0.7:0.6"},
         "--range: rt1: the low end 0.7 lies above the high end 0.6"},
        {{"--simulate", "9", "--range", "months=1:2"}, "--range: the months cannot take a range"},
        {{"--simulate", "9", "--range", "rt7=0:1"}, "--range: \"rt7\" is not one of dailyNewSubs"},
        {{"--simulate", "9", "--range", "rt1=0.5:0.7", "--range", "rt1=0.5:0.6"},
         "--range: rt1 is given a range twice"},
        {{"--simulate", "9", "--range", "rt1=0.5:0.7", "--range", "rt2=0.7:0.8"},
         "--range: The rt2 of 0.5 lies outside its range of 0.7 to 0.8."},
        {{"--range", "rt1=0.4:0.6"}, "--range: needs --simulate N"},
        {{"--simulate", "9", "--settle"}, "cannot be combined with"},
        {{"--simulate", "9", "--format", "pdf", "--output", "spread.pdf"},
         "--format: pdf is not written for --simulate"},
    };
    for (const auto& [arguments, message] : cases) {
        const Ran ran = runFour(arguments);
        EXPECT_EQ(ran.status, exitUsage) << message;
        EXPECT_EQ(ran.out, "") << message;
        EXPECT_NE(ran.err.find(message), std::string::npos) << ran.err;
        EXPECT_EQ(ran.err.find('\n'), ran.err.size() - 1) << "one line: " << ran.err;
    }
}

TEST(CliSimulate, RangesOfNoWidthGiveTheProjectionInEveryFormat) {
    const QJsonObject json =
        runFour({"--simulate", "5", "--seed", "7", "--range", "price=2:2", "--format", "json"})
            .json();
    EXPECT_EQ(json["draws"], QJsonValue(5));
    EXPECT_EQ(json["seed"], QJsonValue(7));
    const QJsonArray months = json["months"].toArray();
    ASSERT_EQ(months.size(), 4);
    for (const char* p : {"p10", "p50", "p90"}) {
        EXPECT_EQ(months[2]["active"][p].toDouble(), 452.5) << p;
        EXPECT_EQ(months[3]["monthlyProceeds"][p].toDouble(), 526.25 * 1.7) << p;
        EXPECT_EQ(json["subscribers"][p].toDouble(), 526.25) << p;
        EXPECT_EQ(json["settleSubscribers"][p].toDouble(), 600) << p;
    }
    EXPECT_TRUE(json["breakEvenMonth"].isNull());
    // A trial costing $1 spends $300 a month; the cumulative net runs -283,
    // -64.5, then 404.75 at M2.
    const Arguments costing = {"--simulate", "3", "--range", "price=2:2", "--cost-per-trial", "1"};
    const QJsonObject cash = runFour(joined(costing, {"--format", "json"})).json();
    for (const char* p : {"p10", "p50", "p90"}) {
        EXPECT_EQ(cash["breakEvenMonth"][p].toDouble(), 2) << p;
        EXPECT_EQ(cash["cashNeeded"][p].toDouble(), 283) << p;
    }
    const std::string cashTable = runFour(costing).out;
    EXPECT_NE(cashTable.find("break-even month               M2       M2       M2"),
              std::string::npos)
        << cashTable;
    // So dear a trial that no draw breaks even within the months.
    const std::string dear =
        runFour({"--simulate", "3", "--range", "price=2:2", "--cost-per-trial", "100"}).out;
    EXPECT_NE(dear.find("break-even month              none      none      none"),
              std::string::npos)
        << dear;
    const std::string csv = runFour({"--simulate", "5", "--format=csv"}).out;
    EXPECT_EQ(csv.substr(0, csv.find('\n', csv.find('\n') + 1) + 1),
              "month,activeP10,activeP50,activeP90,monthlyProceedsP10,monthlyProceedsP50,"
              "monthlyProceedsP90\n0,10,10,10,17,17,17\n");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 5);
    const std::string table = runFour({"--simulate", "1", "--range", "rt1=0.5:0.5"}).out;
    EXPECT_EQ(table.substr(0, table.find('\n')), "Spread of 1 draw, seed 1: rt1 from 0.5 to 0.5");
    EXPECT_NE(table.find("M3            526         526         526"), std::string::npos) << table;
}

TEST(CliSimulate, TheSeedFixesTheDrawsAndThePercentilesKeepTheirOrder) {
    const auto run = [](const std::string& seed) {
        return runFour({"--simulate", "400", "--range", "rt1=0.3:0.9", "--range",
                        "dailyNewSubs=5:20", "--format", "json", "--seed", seed});
    };
    EXPECT_EQ(run("11").out, run("11").out);
    EXPECT_NE(run("11").out, run("12").out);
    for (const QJsonValue month : run("11").json()["months"].toArray()) {
        for (const char* figure : {"active", "monthlyProceeds"}) {
            EXPECT_LT(month[figure]["p10"].toDouble(), month[figure]["p50"].toDouble());
            EXPECT_LT(month[figure]["p50"].toDouble(), month[figure]["p90"].toDouble());
        }
    }
}

}  // namespace
}  // namespace velmora::cli
