#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QFile>
#include <QJsonArray>

#include "document/scenario_document.h"
#include "tests/support/every_key_document.h"
#include "tests/support/files.h"
#include "tests/tools/run_cli.h"

namespace velmora::cli {
namespace {

class CliDocuments : public ToolFolder {
protected:
    // A hand-written document: the rest takes the defaults.
    const std::string handWritten =
        write("hand.velmora", R"({"format": "velmora", "version": 1, "basic": {"price": 4.99},
            "comparison": {"alternate1": {"rt1": 0.5, "monthsToProject": 2}},
            "chartType": "cohorts"})");
};

// The JSON projection carries the values it was built from.
void expectInputs(const QJsonObject& inputs, const ScenarioValues& expected) {
    EXPECT_EQ(inputs["monthDuration"], QJsonValue(static_cast<qint64>(expected.monthDuration)));
    EXPECT_EQ(inputs["monthsToProject"], QJsonValue(expected.monthsToProject));
    for (const Input input : allInputs) {
        const QString name = QString::fromUtf8(inputName(input));
        if (input == Input::CostPerTrial) {
            EXPECT_FALSE(inputs.contains(name)) << "no projection reads it";
            continue;
        }
        EXPECT_EQ(inputs[name], QJsonValue(inputValue(expected, input))) << name.toStdString();
    }
}

TEST_F(CliDocuments, ProjectsAPageWithTheFlagsOverIt) {
    const std::vector<std::pair<Arguments, ScenarioValues>> cases{
        {{}, {.price = 4.99}},
        {{"--page", "baseline"}, {}},
        {{"--page=alternate1"}, {.monthsToProject = 2, .rt1 = 0.5}},
        {{"--price", "3", "--page", "alternate1", "--rt1", "-0.25", "--month-duration", "7"},
         {.monthDuration = 7, .monthsToProject = 2, .price = 3, .rt1 = -0.25}},
    };
    for (const auto& [arguments, expected] : cases) {
        const Ran ran = runTool({"--format", "json", "--scenario", handWritten}, arguments);
        EXPECT_EQ(ran.status, 0) << ran.err;
        expectInputs(ran.json()["inputs"].toObject(), expected);
    }
}

TEST_F(CliDocuments, LaterRatesComeFromThePageAndTheFlagReplacesThem) {
    const std::string file = write("later.velmora", R"({"format": "velmora", "version": 1,
        "basic": {"laterRates": [0.9, 0.8]}, "comparison": {"baseline": {"laterRates": [0.5]}}})");
    const auto laterOf = [](const Ran& ran) {
        EXPECT_EQ(ran.status, 0) << ran.err;
        return ran.json()["inputs"].toObject()["laterRates"].toArray();
    };
    EXPECT_EQ(laterOf(runTool({"--scenario", file, "--format", "json"})), (QJsonArray{0.9, 0.8}));
    EXPECT_EQ(laterOf(runTool({"--scenario", file, "--page", "baseline", "--format", "json"})),
              QJsonArray{0.5});
    EXPECT_EQ(
        runTool({"--scenario", file, "--later-rates", "0.7", "--save", path("b.velmora")}).status,
        0);
    EXPECT_EQ(read("b.velmora").basic.laterRates, std::vector<double>{0.7});
    EXPECT_EQ(read("b.velmora").comparison[0].laterRates, std::vector<double>{0.5});
    EXPECT_EQ(runTool({"--later-rates", "0.6,0.5", "--save", path("c.velmora")}).status, 0);
    EXPECT_EQ(read("c.velmora").basic.laterRates, (std::vector<double>{0.6, 0.5}));
}

// The reader's every message is tested with the reader; here, that the tool passes it on.
TEST_F(CliDocuments, RefusedFilesGiveTheReadersMessage) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {path("missing.velmora"), "no such file"},
        {write("type.velmora", R"({"format": "velmora", "version": 1, "basic": {"rt3": "x"}})"),
         "basic.rt3: expected a number, found a string"},
    };
    for (const auto& [file, reason] : cases) {
        const Ran ran = runTool({"--scenario", file, "--months", "3"});
        EXPECT_EQ(ran.status, exitUsage) << reason;
        EXPECT_EQ(ran.out, "") << reason;
        const std::string start = "velmora-project: --scenario: " + file + ": ";
        EXPECT_TRUE(ran.err.starts_with(start) && ran.err.find(reason) != std::string::npos &&
                    ran.err.find('\n') == ran.err.size() - 1)
            << ran.err;
    }
}

TEST_F(CliDocuments, SavedScenariosReadBackBitForBit) {
    const Ran saved =
        runTool({"--daily-trials", "0.30000000000000004", "--rt1", "5e-324",
                 "--starting-subscribers", "1e308", "--price=-0", "--months", "600",
                 "--month-duration", "365", "--rest", "1", "--save", path("a.velmora")});
    EXPECT_EQ(saved.status, 0);
    EXPECT_EQ(saved.out + saved.err, "") << "--save alone prints nothing";
    ScenarioDocument expected;
    expected.basic = {.monthDuration = 365,
                      .monthsToProject = 600,
                      .dailyNewSubs = 0.30000000000000004,
                      .startingSubs = 1e308,
                      .price = -0.0,
                      .rt1 = 5e-324,
                      .rtPlus = 1};
    EXPECT_TRUE(identical(read("a.velmora"), expected));
    // A document the tool saved it projects; what it cannot, it refuses naming the document.
    const Ran projected = runTool({"--scenario", path("a.velmora"), "--format", "csv"});
    EXPECT_EQ(std::ranges::count(projected.out, '\n'), 601) << projected.err;
    EXPECT_EQ(runTool({"--scenario", path("a.velmora"), "--format", "json"}).err,
              "velmora-project: --scenario: " + path("a.velmora") +
                  ": 600 months of 365 days would take about 2.45e10 cohort-days of work; the "
                  "limit is 2e10\n");
    // The questions work on the monthly figures, whatever the days would cost.
    for (const Arguments& question :
         {Arguments{"--settle"}, Arguments{"--sensitivity", "subscribers"},
          Arguments{"--cost-per-trial", "2", "--economics"}, Arguments{"--simulate", "50"},
          Arguments{"--goal", "subscribers=1e6", "--solve-for", "dailyNewSubs"}}) {
        const Ran answered =
            runTool({"--scenario", path("a.velmora"), "--format", "json"}, question);
        EXPECT_EQ(answered.status, 0) << question.front() << answered.err;
        EXPECT_FALSE(answered.json().isEmpty()) << question.front();
    }

    EXPECT_EQ(runTool({"--scenario", path("a.velmora"), "--save", path("b.velmora")}).status, 0);
    EXPECT_EQ(contents(dir.filePath("a.velmora")), contents(dir.filePath("b.velmora")));

    // With --scenario the whole document is kept, the page changed; --format also prints.
    const Ran both = runTool({"--scenario", handWritten, "--page", "alternate2", "--rt3", "0.5",
                              "--months", "1", "--save", path("c.velmora"), "--format", "csv"});
    EXPECT_TRUE(both.out.starts_with("month,active,change,proceeds,annualized\n0,59,,"))
        << both.out;
    ScenarioDocument changed;
    changed.basic.price = 4.99;
    changed.comparison[1].rt1 = 0.5;
    changed.comparison[1].monthsToProject = 2;
    changed.comparison[2].rt3 = 0.5;
    changed.comparison[2].monthsToProject = 1;
    changed.chartType = ChartType::Cohorts;
    EXPECT_TRUE(identical(read("c.velmora"), changed));
}

// The tool's paths: a document read and saved again, whole, its page changed by the flags.
TEST_F(CliDocuments, EveryKeySurvivesScenarioAndSave) {
    const ScenarioDocument original = everyKeyDocument();
    ASSERT_EQ(saveDocumentFile(dir.filePath("every.velmora"), original), std::nullopt);
    EXPECT_EQ(runTool({"--scenario", path("every.velmora"), "--save", path("a.velmora")}).status,
              0);
    EXPECT_TRUE(identical(read("a.velmora"), original));
    EXPECT_EQ(runTool({"--scenario", path("every.velmora"), "--page", "alternate2", "--rt3", "0.5",
                       "--save", path("b.velmora")})
                  .status,
              0);
    ScenarioDocument changed = original;
    changed.comparison[2].rt3 = 0.5;
    EXPECT_TRUE(identical(read("b.velmora"), changed));
}

// --simulate draws from the page's ranges as from --range, which replaces the
// page's range of its input; a value outside the page's range widens it.
TEST_F(CliDocuments, SimulateDrawsFromThePagesRanges) {
    ScenarioDocument document;
    document.basic.price = 7;
    document.basicRanges = {{Input::Price, 5, 9}, {Input::Rt1, 0.6, 0.7}};
    document.comparisonRanges[1] = {{Input::DailyNewSubs, 80, 130}};
    ASSERT_EQ(saveDocumentFile(dir.filePath("ranged.velmora"), document), std::nullopt);
    const auto spread = [](const Arguments& arguments) {
        const Ran ran = runTool(arguments, words("--simulate 200 --months 6 --format json"));
        EXPECT_EQ(ran.status, 0) << ran.err;
        return ran.out;
    };
    const std::string scenario = path("ranged.velmora");
    const std::pair<Arguments, Arguments> cases[] = {
        {{"--scenario", scenario},
         {"--price", "7", "--range", "price=5:9", "--range", "rt1=0.6:0.7"}},
        {{"--scenario", scenario, "--range", "rt1=0.64:0.66"},
         {"--price", "7", "--range", "rt1=0.64:0.66", "--range", "price=5:9"}},
        {{"--scenario", scenario, "--price", "12"},
         {"--price", "12", "--range", "price=5:12", "--range", "rt1=0.6:0.7"}},
        {{"--scenario", scenario, "--page", "alternate1"}, {"--range", "dailyNewSubs=80:130"}},
    };
    for (const auto& [fromDocument, fromFlags] : cases) {
        const std::string drawn = spread(fromDocument);
        EXPECT_EQ(drawn, spread(fromFlags)) << fromDocument.back();
        const QJsonObject months =
            QJsonDocument::fromJson(QByteArray::fromStdString(drawn)).object();
        EXPECT_LT(months["monthlyProceeds"]["p10"].toDouble(),
                  months["monthlyProceeds"]["p90"].toDouble())
            << "a spread, not the projection: " << fromDocument.back();
    }
    // Saved, a --range replaces the page's range of its input and keeps the others.
    spread({"--scenario", scenario, "--range", "rt1=0.64:0.66", "--save", path("saved.velmora")});
    EXPECT_EQ(read("saved.velmora").basicRanges,
              (std::vector<Range>{{Input::Price, 5, 9}, {Input::Rt1, 0.64, 0.66}}));
}

// A name that is not UTF-8 names that very file: saved through a link to it,
// which stays a link, keeping the file's permissions; read; written as output;
// and in messages.
TEST_F(CliDocuments, FileNamesAreBytes) {
    namespace fs = std::filesystem;
    const std::string file = dir.path().toStdString() + "/caf\xe9\xff.velmora";
    const std::string link = dir.path().toStdString() + "/link\xff";
    EXPECT_EQ(runTool({"--price", "3", "--save", file}).status, 0);
    fs::create_symlink(fs::path(file).filename(), link);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(runTool({"--price", "4", "--save", link}).err, "");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::status(file).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(
        runTool({"--scenario", file, "--format", "json"}).json()["inputs"].toObject()["price"], 4);
    // --output too, in a text format and in a workbook.
    for (const std::string& output : {file + ".csv", file + ".xlsx"}) {
        EXPECT_EQ(runTool({"--months", "3", "--format", output.substr(output.rfind('.') + 1),
                           "--output", output})
                      .status,
                  0);
        EXPECT_TRUE(fs::is_regular_file(output)) << output;
    }
    EXPECT_EQ(runTool({"--scenario", link + "\x1b"}).err,
              "velmora-project: --scenario: " + dir.path().toStdString() +
                  "/link\\xff\\x1b: no such file\n");
}

TEST_F(CliDocuments, ScenariosThatCannotBeSavedLeaveNoFile) {
    const std::string file = path("out.velmora");
    const std::vector<std::tuple<Arguments, std::string, int>> cases{
        {{"--months", "700", "--save", file},
         "basic.monthsToProject: expected a number of months from 0 to 600, found 700",
         exitUsage},
        {{"--save", file, "--month-duration", "366", "--settle"},
         "basic.monthDuration: ",
         exitUsage},
        {{"--save", path("missing/out.velmora")}, "cannot be saved: ", exitOutputFailed},
    };
    for (const auto& [arguments, reason, status] : cases) {
        const Ran ran = runTool(arguments);
        EXPECT_EQ(ran.status, status) << reason;
        EXPECT_EQ(ran.out, "") << reason;
        EXPECT_TRUE(ran.err.starts_with("velmora-project: --save: ") &&
                    ran.err.find(reason) != std::string::npos)
            << ran.err;
        EXPECT_FALSE(QFile::exists(QString::fromStdString(file)));
    }
}

}  // namespace
}  // namespace velmora::cli
