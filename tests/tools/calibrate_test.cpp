#include <cmath>
#include <string>
#include <vector>

#include <QJsonArray>

#include <gtest/gtest.h>

#include "document/scenario_document.h"
#include "engine/calibration/calibration.h"
#include "engine/support/shortest_text.h"
#include "tests/tools/run_cli.h"

namespace velmora::cli {
namespace {

const QByteArray cohorts =
    "cohort,0,1,2,3,trials,days\n"
    "2025-01,1000,600,480,420,1700,31\n"
    "2025-02,800,500,410,,1400,28\n"
    "2025-03,900,540,,,1500,31\n";

class CliCalibrate : public ToolFolder {
protected:
    Ran calibrateWith(const Arguments& more) const {
        return runTool({"--calibrate", cohortsFile}, more);
    }
    const std::string cohortsFile = write("cohorts.csv", cohorts);
};

TEST_F(CliCalibrate, PrintsAndSavesWhatWasFitted) {
    const auto table = std::get<CohortTable>(readCohortTable(cohorts.toStdString()));
    const auto fitted = std::get<Calibration>(calibrate(table, {12, {}}));
    const Ran json =
        calibrateWith({"--format", "json", "--months", "12", "--save", path("fitted.velmora")});
    ASSERT_EQ(json.status, 0) << json.err;
    const QJsonObject answer = json.json();
    EXPECT_EQ(answer["inputs"]["rt1"].toDouble(), 1640.0 / 2700);
    ASSERT_EQ(fitted.recommended, LaterChoice::Curve);
    EXPECT_EQ(answer["recommended"], "curve");
    EXPECT_EQ(answer["inputs"]["rtPlus"].toDouble(), fitted.curve.rtPlus);
    const QJsonArray later = answer["inputs"]["laterRates"].toArray();
    ASSERT_EQ(later.size(), 5) << "renewals 7 to 11";
    EXPECT_EQ(later[0].toDouble(), fitted.curve.laterRates[0]);
    EXPECT_EQ(answer["choices"]["curve"]["laterRates"], later);
    EXPECT_EQ(answer["choices"]["curve"]["rtPlus"], answer["inputs"]["rtPlus"]);
    EXPECT_EQ(answer["choices"]["curve"]["backtestError"].toDouble(),
              fitted.backtest->errors.curve.error);
    EXPECT_EQ(answer["choices"]["constant"]["rtPlus"].toDouble(), fitted.rates.rtPlus);
    EXPECT_EQ(answer["choices"]["constant"]["backtestError"].toDouble(),
              fitted.backtest->errors.projection.error);
    EXPECT_EQ(answer["inputs"]["trialRetention"].toDouble(), 2700.0 / 4600);
    EXPECT_EQ(answer["inputs"]["dailyNewSubs"].toDouble(), 4600.0 / 90);
    EXPECT_EQ(answer["model"]["name"], "sBG");
    EXPECT_EQ(answer["model"]["alpha"].toDouble(), fitted.model.alpha);
    EXPECT_EQ(answer["fitError"].toDouble(), fitted.fit.curve.error);
    EXPECT_EQ(answer["backtest"]["holdout"], 1);
    EXPECT_EQ(answer["backtest"]["error"].toDouble(), fitted.backtest->errors.curve.error);
    EXPECT_EQ(answer["backtestError"], answer["backtest"]["error"])
        << "the projection's, as the CSV";
    EXPECT_EQ(answer["model"]["backtestError"].toDouble(), fitted.backtest->errors.model.error);
    EXPECT_EQ(answer["kept"].toArray().size(), 0);
    EXPECT_EQ(answer["horizon"], 12);

    const ScenarioDocument document = read("fitted.velmora");
    EXPECT_EQ(document.basic, fitted.appliedTo(ScenarioValues{.monthsToProject = 12}));
    EXPECT_EQ(document.basic.laterRates, fitted.curve.laterRates);
    EXPECT_EQ(document.cohortTable, table);

    EXPECT_EQ(
        calibrateWith({"--format", "csv", "--horizon", "40", "--holdout", "0"}).out.substr(0, 32),
        "key,value\nrt1,0.6074074074074074");
    EXPECT_EQ(calibrateWith({"--format", "json", "--horizon", "40"}).json()["horizon"], 40);
    const std::string text = calibrateWith({}).out;
    EXPECT_NE(text.find("rt1             0.6074  0.6500"), std::string::npos) << text;
    EXPECT_NE(text.find("Backtest, the last renewal held out: "), std::string::npos);
    EXPECT_NE(text.find("Later rates: fitted curve (recommended), backtest "), std::string::npos);
    const std::string csv = calibrateWith({"--format", "csv", "--months", "12"}).out;
    EXPECT_NE(csv.find("\nrecommended,curve\ncurveRtPlus," + shortest(fitted.curve.rtPlus) +
                       "\ncurveBacktestError,"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\nlaterRates," + shortest(fitted.curve.laterRates[0]) + " "),
              std::string::npos);

    // Another page gets the fitted values; Basic Analysis keeps its own.
    ASSERT_EQ(runTool({"--months", "12", "--save", path("plan.velmora")}).status, 0);
    ASSERT_EQ(calibrateWith({"--scenario", path("plan.velmora"), "--page", "alternate1", "--save",
                             path("alt.velmora")})
                  .status,
              0);
    const ScenarioDocument alternate = read("alt.velmora");
    EXPECT_EQ(alternate.comparison[1].rt1, 1640.0 / 2700);
    EXPECT_EQ(alternate.basic, ScenarioValues{.monthsToProject = 12});
}

TEST_F(CliCalibrate, WritesAndSavesTheConstantWhenItForecastsBetter) {
    // Half the subscribers keep 0.6, half 0.99, ten cohorts: too short a table
    // for the curve's level, and one constant rate forecasts the hidden
    // renewals better.
    std::string text = "cohort";
    for (int k = 0; k <= 10; ++k) {
        text += "," + std::to_string(k);
    }
    for (int i = 0; i < 10; ++i) {
        text += "\nc" + std::to_string(i);
        for (int k = 0; k + i <= 10; ++k) {
            text += "," + shortest(5e5 * (std::pow(0.6, k) + std::pow(0.99, k)));
        }
    }
    const std::string mix = write("mix.csv", QByteArray::fromStdString(text));
    const auto fitted =
        std::get<Calibration>(calibrate(std::get<CohortTable>(readCohortTable(text)), {36, {}}));
    ASSERT_EQ(fitted.recommended, LaterChoice::Constant);
    ScenarioValues today;
    today.laterRates = {0.5};
    ScenarioDocument plan;
    plan.basic = today;
    const Ran json =
        runTool({"--calibrate", mix, "--scenario", write("today.velmora", documentText(plan)),
                 "--format", "json", "--save", path("mix.velmora")});
    ASSERT_EQ(json.status, 0) << json.err;
    const QJsonObject answer = json.json();
    EXPECT_EQ(answer["recommended"], "constant");
    EXPECT_FALSE(answer["inputs"].toObject().contains("laterRates"));
    EXPECT_EQ(answer["inputs"]["rtPlus"].toDouble(), fitted.rates.rtPlus);
    EXPECT_EQ(answer["backtestError"].toDouble(), fitted.backtest->errors.projection.error);
    EXPECT_EQ(answer["choices"]["curve"]["laterRates"].toArray().size(), 29);
    const ScenarioDocument saved = read("mix.velmora");
    EXPECT_EQ(saved.basic.rtPlus, fitted.rates.rtPlus);
    EXPECT_TRUE(saved.basic.laterRates.empty()) << "today's replaced";
}

TEST_F(CliCalibrate, KeepsTheLaterRatesThatOneRenewalCannotTell) {
    const std::string one = write("one.csv", "c,0,1\nc1,1000,700\n");
    auto with = [&](const Arguments& more) { return runTool({"--calibrate", one}, more); };
    const ScenarioValues today;
    const QJsonObject json = with({"--format", "json"}).json();
    EXPECT_EQ(json["inputs"]["rt1"].toDouble(), 0.7);
    EXPECT_EQ(json["inputs"]["rt2"].toDouble(), today.rt2);
    EXPECT_EQ(json["inputs"]["rtPlus"].toDouble(), today.rtPlus);
    EXPECT_TRUE(json["model"]["alpha"].isNull());
    EXPECT_EQ(json["fromModel"].toArray().size(), 0);
    EXPECT_EQ(json["kept"].toArray(), QJsonArray({"rt2", "rt3", "rt4", "rt5", "rt6", "rtPlus"}));
    EXPECT_TRUE(json["choices"].isNull() && json["recommended"].isNull());
    EXPECT_NE(with({"--format", "csv"}).out.find("alpha,\nbeta,\n"), std::string::npos);
    EXPECT_NE(with({"--format", "csv"}).out.find("kept,rt2 rt3 rt4 rt5 rt6 rtPlus\n"),
              std::string::npos);
    const std::string text = with({}).out;
    EXPECT_NE(text.find("rt2                  -  0.8400"), std::string::npos) << text;
    EXPECT_NE(text.find("Not fitted from one renewal, today's kept: rt2 rt3 rt4 rt5 rt6 rtPlus"),
              std::string::npos);
    EXPECT_NE(text.find("n/a (sBG model) over 1 cell\n"), std::string::npos);

    ASSERT_EQ(with({"--save", path("one.velmora")}).status, 0);
    const ScenarioDocument saved = read("one.velmora");
    ScenarioValues expected = today;
    expected.rt1 = 0.7;
    EXPECT_EQ(saved.basic, expected);
}

TEST_F(CliCalibrate, RefusesWithOneLineAndStatusTwo) {
    const std::string bad = write("bad.csv", "c,0,1\na,100,110\n");
    const std::string mixed = write("mixed.csv", "c,0,1,2,3\nx,1000,70%,60%,55%\n");
    const std::pair<Arguments, std::string> cases[] = {
        {{"--calibrate", bad},
         "--calibrate: " + bad +
             ": line 2, column 3: cohort \"a\" grows from 100 at its first payment to 110 after "
             "renewal 1"},
        {{"--calibrate", path("none.csv")}, "--calibrate: " + path("none.csv") + ": no such file"},
        {{"--calibrate", cohortsFile, "--holdout", "3"},
         "--holdout: a holdout of 3 renewals leaves none to fit: the longest row has 3 "
         "renewals"},
        {{"--calibrate", cohortsFile, "--horizon", "0"},
         "--horizon: \"0\" is not a whole number from 7 to 12000"},
        {{"--calibrate", cohortsFile, "--horizon", "6"},
         "--horizon: \"6\" is not a whole number from 7 to 12000"},
        {{"--calibrate", mixed},
         "--calibrate: " + mixed +
             ": line 2, column 3: a percentage among counts, where line 2, column 2 gives a "
             "count; a table gives all its cohorts as counts or all as percentages"},
        {{"--holdout", "2"}, "--holdout: needs --calibrate FILE"},
        // a count is written in digits alone, never taken and cut
        {{"--calibrate", cohortsFile, "--holdout", "1.5"},
         "--holdout: \"1.5\" is not a whole number from 0 to " + std::to_string(maxRenewals)},
        {{"--calibrate", cohortsFile, "--horizon", "40.0"},
         "--horizon: \"40.0\" is not a whole number from 7 to 12000"},
        {{"--calibrate", cohortsFile, "--settle"}, "--settle: cannot be combined with --calibrate"},
    };
    for (const auto& [arguments, message] : cases) {
        expectRefused(arguments, message);
    }
}

// An infinite figure is written "inf", as the projection's JSON writes it; null means none.
TEST_F(CliCalibrate, WritesAnInfiniteFigureAsTheProjectionDoes) {
    const Ran json =
        runTool({"--calibrate", write("instant.csv", "c,0,1,trials,days\na,100,60,1000,1e-306\n"),
                 "--format", "json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const QJsonObject answer = json.json();
    EXPECT_EQ(answer["inputs"]["dailyNewSubs"], "inf");
    EXPECT_NE(json.out.find(R"("backtest": null)"), std::string::npos) << json.out;
}

}  // namespace
}  // namespace velmora::cli
