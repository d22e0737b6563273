#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "document/file_name.h"
#include "document/scenario_document.h"
#include "tests/support/files.h"

namespace velmora {
namespace {

using Limits = std::numeric_limits<double>;

// Every field of every scenario differs from its default and from the other
// scenarios, with values whose shortest text is easy to get wrong.
ScenarioDocument awkwardDocument() {
    constexpr double awkward[] = {5e-324,  -0.0,      1e308,         Limits::max(),
                                  0.1,     0.1 + 0.2, Limits::min(), -Limits::max(),
                                  1.0 / 3, -2.5e-310, 1e-7,          4.99};
    ScenarioDocument document;
    document.chartType = ChartType::Cohorts;
    ScenarioValues* scenarios[] = {&document.basic, &document.comparison[0],
                                   &document.comparison[1], &document.comparison[2]};
    for (int k = 0; k < 4; ++k) {
        ScenarioValues& v = *scenarios[k];
        v.monthDuration = 1 + 91 * k;
        v.monthsToProject = std::array{600.0, 0.0, -0.0, 599.9999999999999}[k];
        v.costPerTrial = std::array{0.1 + 0.2, -0.0, 5e-324, 1e308}[k];
        double* fields[] = {&v.dailyNewSubs, &v.startingSubs, &v.price, &v.trialRetention,
                            &v.rt1,          &v.rt2,          &v.rt3,   &v.rt4,
                            &v.rt5,          &v.rt6,          &v.rtPlus};
        for (int i = 0; i < 11; ++i) {
            *fields[i] = awkward[(i + k) % 12];
        }
    }
    // Ranges on the basic scenario and on the last alternate; the others have none.
    document.basicRanges = {{Input::DailyNewSubs, -0.0, 5e-324}, {Input::Rt6, 0.1 + 0.2, 1e308}};
    document.comparisonRanges[2] = {{Input::StartingSubs, -Limits::max(), 1.0 / 3}};
    return document;
}

TEST(DocumentFile, SavedAndReopenedIsBitIdentical) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Q3 plan é.velmora"));
    const DocumentMetadata metadata{QStringLiteral("/home/ann/Q3 \"plan\" é\\\n.velmora")};
    // Saved twice: the second save replaces the first and leaves no temporary file.
    for (const ScenarioDocument& document : {ScenarioDocument{}, awkwardDocument()}) {
        ASSERT_EQ(saveDocumentFile(path, document, metadata), std::nullopt);
        DocumentMetadata readMetadata;
        const auto read = readDocumentFile(path, &readMetadata);
        ASSERT_TRUE(std::holds_alternative<ScenarioDocument>(read))
            << std::get<DocumentProblem>(read).message.toStdString();
        EXPECT_TRUE(identical(std::get<ScenarioDocument>(read), document));
        EXPECT_EQ(readMetadata, metadata);
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // The largest file that is read: a document padded to exactly 1 MiB.
    QByteArray padded = documentText({});
    padded.append(maxDocumentBytes - padded.size(), ' ');
    ASSERT_TRUE(writeFile(path, padded));
    EXPECT_TRUE(std::holds_alternative<ScenarioDocument>(readDocumentFile(path)));
}

// A name keeps every byte, UTF-8 or not, and a link's canonical name is its
// target's. U+10080's second UTF-16 unit looks like an escaped byte.
TEST(FileName, KeepsEveryByteAndResolvesLinks) {
    QTemporaryDir folder;
    const std::string base = QFile::encodeName(folder.path()).toStdString();
    const std::string file = base + "/Q3 \xe9\xf0\x90\x82\x80\xed\xa0\x80 é.velmora";
    std::ofstream(file) << "{}";
    std::filesystem::create_symlink(file, base + "/link\xff");
    const QString link = fileNameFromBytes(base + "/link\xff");
    EXPECT_EQ(fileNameBytes(fileNameFromBytes(file)).toStdString(), file);
    EXPECT_EQ(fileNameBytes(canonicalFileName(link)).toStdString(),
              std::filesystem::canonical(file).string());
}

// A dialog starts in the deepest folder it can name, keeping the file's name.
TEST(FileName, ShowableNameStopsAtTheFirstFolderNotInUtf8) {
    const struct {
        const char* bytes;
        const char* shown;
    } cases[] = {
        {"/home/ana/Q3 é/plan - Basic Analysis.pdf", "/home/ana/Q3 é/plan - Basic Analysis.pdf"},
        {"/home/ana/Q3 \xe9/old\xff/plan.pdf", "/home/ana/plan.pdf"},
        {"/home/ana/Q3/plan\xff.pdf", "/home/ana/Q3"},
        {"/Q\xe9/plan.pdf", "/plan.pdf"},
        {"Q\xe9/plan.pdf", "plan.pdf"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(showableName(fileNameFromBytes(c.bytes)), QString::fromUtf8(c.shown)) << c.shown;
    }
}

enum class Setup { Written, Missing, Folder, Unreadable, Pipe };

struct Refusal {
    const char* name;
    std::string text;    // the file's contents
    std::string reason;  // the message after the file's path and ": "
    Setup setup = Setup::Written;
};

std::string version1(const std::string& rest) {
    return R"({"format": "velmora", "version": 1)" + (rest.empty() ? "" : ", " + rest) + "}";
}

/// `count` later rates as a JSON list's items.
std::string laterRatesText(std::size_t count) {
    std::string text = "0.9";
    for (std::size_t i = 1; i < count; ++i) {
        text += ", 0.9";
    }
    return text;
}

void PrintTo(const Refusal& row, std::ostream* out) {
    *out << row.name;
}

class RefusedFile : public testing::TestWithParam<Refusal> {};

TEST_P(RefusedFile, NamesTheFileAndTheProblem) {
    const Refusal& row = GetParam();
    if (row.setup == Setup::Unreadable && geteuid() == 0) {
        GTEST_SKIP() << "root reads any file; run the tests as another user to cover this row";
    }
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("plan.velmora"));
    if (row.setup == Setup::Written || row.setup == Setup::Unreadable) {
        ASSERT_TRUE(writeFile(path, QByteArray::fromStdString(row.text)));
    }
    ASSERT_TRUE(row.setup != Setup::Unreadable ||
                QFile::setPermissions(path, QFileDevice::WriteOwner));
    ASSERT_TRUE(row.setup != Setup::Folder || QDir(folder.path()).mkdir("plan.velmora"));
    ASSERT_TRUE(row.setup != Setup::Pipe || mkfifo(path.toLocal8Bit().constData(), 0600) == 0);
    DocumentMetadata metadata{QStringLiteral("kept")};
    const auto read = readDocumentFile(path, &metadata);
    ASSERT_TRUE(std::holds_alternative<DocumentProblem>(read));
    EXPECT_EQ(std::get<DocumentProblem>(read).message.toStdString(),
              path.toStdString() + ": " + row.reason);
    EXPECT_EQ(metadata.recoveryOf, QStringLiteral("kept"));
}

const Refusal refusals[] = {
    {"Missing", "", "no such file", Setup::Missing},
    {"Folder", "", "a folder, not a document", Setup::Folder},
    {"Unreadable", version1(""), "cannot be read: Permission denied", Setup::Unreadable},
    {"Pipe", "", "not a regular file", Setup::Pipe},
    {"TooLarge", std::string(maxDocumentBytes + 1, ' '),
     "1048577 bytes, larger than the 1 MiB a document may hold"},
    {"Empty", "", "the file is empty"},
    {"NotUtf8", "{\n  \"é\xC3(\": 1}", "line 2, column 5: not valid UTF-8 text"},
    {"Truncated", R"({"format": "velmora", "version": 1, "basic": {"price": 4.99)",
     "line 1, column 60: expected ',' or '}', found the end of the text"},
    {"SyntaxError", "{\n  \"format\": \"velmora\",\n  \"version\" 1\n}",
     "line 3, column 13: expected ':' after the key, found '1'"},
    {"NotANumber", version1(R"("basic": {"price": NaN})"),
     "line 1, column 56: expected a value, found 'N'"},
    {"LoneSurrogate", R"({"format": "\ud800x"})",
     "line 1, column 13: a \\u escape needs four hexadecimal digits and surrogates in pairs"},
    {"TextAfterTheDocument", version1("") + "\n{}",
     "line 2, column 1: expected the end of the "
     "text after the document, found '{'"},
    {"TooDeep", R"({"x": )" + std::string(70, '['),
     "line 1, column 70: nested deeper than 64 levels"},
    {"TopLevelArray", "[1, 2]", "expected an object at the top level, found an array"},
    {"OtherFormat", R"({"format": "spreadsheet", "version": 1})",
     R"(format: expected "velmora", found "spreadsheet"; this is not a Velmora document)"},
    {"NoFormat", R"({"version": 1})", "format: missing; this is not a Velmora document"},
    {"NoVersion", R"({"format": "velmora"})", "version: missing"},
    {"VersionText", R"({"format": "velmora", "version": "1"})",
     "version: expected a whole number, found a string"},
    {"VersionFraction", R"({"format": "velmora", "version": 1.5})",
     "version: expected a whole number from 1, found 1.5"},
    {"VersionZero", R"({"format": "velmora", "version": 0})",
     "version: expected a whole number from 1, found 0"},
    {"NewerVersion", R"({"format": "velmora", "version": 2, "basic": []})",
     "version: written by a newer Velmora (format version 2); this one reads version 1"},
    {"FieldText", version1(R"("comparison": {"alternate1": {"rt3": "0.87"}})"),
     "comparison.alternate1.rt3: expected a number, found a string"},
    {"FieldNull", version1(R"("basic": {"price": null})"),
     "basic.price: expected a number, found null"},
    {"FieldBool", version1(R"("basic": {"monthDuration": true})"),
     "basic.monthDuration: expected a number, found true"},
    {"FieldObject", version1(R"("comparison": {"baseline": {"rt1": {}}})"),
     "comparison.baseline.rt1: expected a number, found an object"},
    {"ScenarioArray", version1(R"("basic": [])"), "basic: expected an object, found an array"},
    {"ComparisonNumber", version1(R"("comparison": 3)"),
     "comparison: expected an object, found a number"},
    {"MonthDurationFraction", version1(R"("comparison": {"baseline": {"monthDuration": 30.5}})"),
     "comparison.baseline.monthDuration: expected a whole number of days from 1 to 365, found "
     "30.5"},
    {"MonthDurationZero", version1(R"("basic": {"monthDuration": 0})"),
     "basic.monthDuration: expected a whole number of days from 1 to 365, found 0"},
    {"MonthDurationAboveAYear", version1(R"("basic": {"monthDuration": 366})"),
     "basic.monthDuration: expected a whole number of days from 1 to 365, found 366"},
    {"MonthsHostile", version1(R"("basic": {"monthsToProject": 1e12})"),
     "basic.monthsToProject: expected a number of months from 0 to 600, found 1e12"},
    {"MonthsNegative", version1(R"("basic": {"monthsToProject": -1})"),
     "basic.monthsToProject: expected a number of months from 0 to 600, found -1"},
    {"NotFinite", version1(R"("comparison": {"alternate2": {"dailyNewSubs": -1e400}})"),
     "comparison.alternate2.dailyNewSubs: expected a finite number, found -1e400"},
    // An exponent at the end of 64 bits: too large, not wrapped around to a tiny number.
    {"HugeExponent", version1(R"("basic": {"price": 5555E09223372036854775807})"),
     "basic.price: expected a finite number, found 5555E09223372036854775807"},
    {"CostNegative", version1(R"("basic": {"costPerTrial": -2.5})"),
     "basic.costPerTrial: expected a finite cost of 0 or more, found -2.5"},
    {"ChartTypeUnknown", version1(R"("chartType": "pie")"),
     R"(chartType: expected "simple" or "cohorts", found "pie")"},
    {"ChartTypeNumber", version1(R"("chartType": 1)"),
     R"(chartType: expected "simple" or "cohorts", found a number)"},
    {"GivenTwice", version1(R"("basic": {"price": 1, "price": 2})"),
     "basic.price: given more than once"},
    {"RangeLowAboveHigh", version1(R"("basic": {"ranges": {"price": [3, 2.5]}})"),
     "basic.ranges.price: expected a low end no higher than the high end, found [3, 2.5]"},
    {"RangeOnMonths",
     version1(R"("comparison": {"baseline": {"ranges": {"monthsToProject": [1, 2]}}})"),
     "comparison.baseline.ranges.monthsToProject: this value takes no range"},
    {"RangeUnknown", version1(R"("basic": {"ranges": {"Price": [1, 2]}})"),
     "basic.ranges.Price: expected the name of an input a range may be set on"},
    {"RangeNotFinite", version1(R"("basic": {"ranges": {"rt1": [0.5, 1e999]}})"),
     "basic.ranges.rt1: expected finite ends, found [0.5, 1e999]"},
    {"RangeOneEnd", version1(R"("basic": {"ranges": {"rt1": [0.5]}})"),
     "basic.ranges.rt1: expected [LOW, HIGH], two numbers"},
    {"RangeThreeEnds", version1(R"("basic": {"ranges": {"rt1": [0.5, 0.6, 0.7]}})"),
     "basic.ranges.rt1: expected [LOW, HIGH], two numbers"},
    {"RangesArray", version1(R"("basic": {"ranges": []})"),
     "basic.ranges: expected an object, found an array"},
    {"RangeTwice", version1(R"("basic": {"ranges": {"rt1": [0, 1], "rt1": [0, 1]}})"),
     "basic.ranges.rt1: given more than once"},
    {"RangeOnLaterRates", version1(R"("basic": {"ranges": {"laterRates": [0, 1]}})"),
     "basic.ranges.laterRates: this value takes no range"},
    {"LaterRatesNumber", version1(R"("basic": {"laterRates": 0.93})"),
     "basic.laterRates: expected an array of numbers, found a number"},
    {"LaterRatesText", version1(R"("comparison": {"alternate2": {"laterRates": [0.9, "0.8"]}})"),
     "comparison.alternate2.laterRates[1]: expected a number, found a string"},
    {"LaterRatesNotFinite", version1(R"("basic": {"laterRates": [0.9, 0.95, -1e400]})"),
     "basic.laterRates[2]: expected a finite number, found -1e400"},
    {"LaterRatesTooMany", version1(R"("basic": {"laterRates": [)" + laterRatesText(1201) + "]}"),
     "basic.laterRates: expected at most 1200 rates, found 1201"},
    {"LaterRatesTwice", version1(R"("basic": {"laterRates": [1], "laterRates": [1]})"),
     "basic.laterRates: given more than once"},
    {"PlanArray", version1(R"("basic": {"plan": []})"),
     "basic.plan: expected an object, found an array"},
    {"PlanUnknownMember", version1(R"("basic": {"plan": {"grow": 5}})"),
     "basic.plan.grow: expected one of growth, growthUntil, startMonth, seasonality, "
     "priceChangesApply, changes"},
    {"PlanMemberTwice", version1(R"("basic": {"plan": {"growth": 5, "growth": 6}})"),
     "basic.plan.growth: given more than once"},
    {"PlanGrowthText", version1(R"("basic": {"plan": {"growth": "5"}})"),
     R"(basic.plan.growth: expected a number, found "5")"},
    {"PlanGrowthAllLost", version1(R"("basic": {"plan": {"growth": -100}})"),
     "basic.plan.growth: The monthly growth must be a number above -100%."},
    {"PlanUntilAlone", version1(R"("basic": {"plan": {"growthUntil": 12}})"),
     "basic.plan.growthUntil: needs a growth"},
    {"PlanStartMonth13", version1(R"("basic": {"plan": {"startMonth": "2027-13"}})"),
     "basic.plan.startMonth: The first month must be a month from January to December of a "
     "year from 1 to 9999."},
    {"PlanStartMonthShort", version1(R"("basic": {"plan": {"startMonth": "2027-1"}})"),
     R"(basic.plan.startMonth: expected a month as "YYYY-MM", found "2027-1")"},
    {"PlanElevenSeasons",
     version1(R"("basic": {"plan": {"startMonth": "2027-01", "seasonality": [1, 1, 1, 1, 1, 1,
         1, 1, 1, 1, 1]}})"),
     "basic.plan.seasonality: expected 12 factors, January to December, found 11 factors"},
    {"PlanThirteenSeasons",
     version1(R"("basic": {"plan": {"startMonth": "2027-01", "seasonality": [1, 1, 1, 1, 1, 1,
         1, 1, 1, 1, 1, 1, 1]}})"),
     "basic.plan.seasonality: expected 12 factors, January to December, found 13 factors"},
    {"PlanSeasonText",
     version1(R"("basic": {"plan": {"startMonth": "2027-01", "seasonality": [1, 1, "x", 1, 1,
         1, 1, 1, 1, 1, 1, 1]}})"),
     R"(basic.plan.seasonality[2]: expected a number, found "x")"},
    {"PlanSeasonNegative",
     version1(R"("basic": {"plan": {"startMonth": "2027-01", "seasonality": [1, 1, 1, 1, 1, 1,
         1, 1, 1, 1, -0.5, 1]}})"),
     "basic.plan.seasonality[10]: Every seasonal factor must be a number of 0 or more."},
    {"PlanSeasonsWithoutStart",
     version1(R"("basic": {"plan": {"seasonality": [1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1]}})"),
     "basic.plan.seasonality: Seasons need the calendar month of M0."},
    {"PlanRuleUnknown", version1(R"("basic": {"plan": {"priceChangesApply": "old"}})"),
     R"(basic.plan.priceChangesApply: expected "all" or "new", found "old")"},
    {"PlanChangeInputUnknown",
     version1(R"("basic": {"plan": {"changes": [{"input": "rt1", "month": 2, "value": 1}]}})"),
     R"(basic.plan.changes[0].input: expected dailyNewSubs, price, trialRetention or )"
     R"(costPerTrial, found "rt1")"},
    {"PlanChangeMonthZero",
     version1(R"("comparison": {"baseline": {"plan": {"changes": [{"input": "price", "month": 2,
         "value": 1}, {"input": "price", "month": 3, "value": 1}, {"input": "price",
         "month": 0, "value": 1}]}}})"),
     "comparison.baseline.plan.changes[2].month: The change of price at M0 must be at a month "
     "from M1 to M12000."},
    {"PlanChangeMonthFraction",
     version1(R"("basic": {"plan": {"changes": [{"input": "price", "month": 2.5, "value": 1}]}})"),
     "basic.plan.changes[0].month: expected a whole number of months, found 2.5"},
    {"PlanChangeRetentionAboveOne",
     version1(
         R"("basic": {"plan": {"changes": [{"input": "trialRetention", "month": 2, "value": 2}]}})"),
     "basic.plan.changes[0].value: The change of trialRetention at M2 must be a share from 0 to "
     "1."},
    {"PlanChangeTwice",
     version1(R"("basic": {"plan": {"changes": [{"input": "price", "month": 2, "value": 1},
         {"input": "price", "month": 2, "value": 3}]}})"),
     "basic.plan.changes[1]: The change of price at M2 is given twice."},
    {"PlanChangeNoValue",
     version1(R"("basic": {"plan": {"changes": [{"input": "price", "month": 2}]}})"),
     "basic.plan.changes[0].value: missing"},
    {"PlanChangeKeyTwice",
     version1(R"("basic": {"plan": {"changes": [{"month": 2, "month": 3}]}})"),
     "basic.plan.changes[0].month: given more than once"},
};

INSTANTIATE_TEST_SUITE_P(Refusals, RefusedFile, testing::ValuesIn(refusals),
                         [](const auto& info) { return std::string(info.param.name); });

struct SaveFailure {
    const char* name;
    const char* file;    // saved to, in a folder holding earlier.velmora
    std::string reason;  // the message after "PATH: cannot be saved: "; empty when it is Qt's
    ScenarioDocument document = {};
    bool pipe = false;  // a pipe made at the file's path first
};

void PrintTo(const SaveFailure& row, std::ostream* out) {
    *out << row.name;
}

class FailedSave : public testing::TestWithParam<SaveFailure> {};

// Whatever was at the path before a failed save is there after it, byte for byte.
// (A read-only folder and a folder at the path are tried through the window,
// as root too: save_faults_test.)
TEST_P(FailedSave, SaysWhyAndLeavesTheEarlierFile) {
    const SaveFailure& row = GetParam();
    QTemporaryDir temporary;
    const QString folder = temporary.filePath(QStringLiteral("plans"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QByteArray earlier("earlier contents");
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/earlier.velmora"), earlier));
    const QString path = folder + "/" + row.file;
    ASSERT_TRUE(!row.pipe || mkfifo(path.toLocal8Bit().constData(), 0600) == 0);
    const QFileInfo before(path);

    const auto problem = saveDocumentFile(path, row.document);
    ASSERT_TRUE(problem.has_value());
    const std::string prefix = path.toStdString() + ": cannot be saved: ";
    const std::string message = problem->message.toStdString();
    EXPECT_EQ(message.substr(0, prefix.size()), prefix);
    EXPECT_GT(message.size(), prefix.size());
    if (!row.reason.empty()) {
        EXPECT_EQ(message.substr(prefix.size()), row.reason);
    }
    EXPECT_EQ(contents(folder + QStringLiteral("/earlier.velmora")), earlier);
    EXPECT_EQ(QFileInfo(path).isDir(), before.isDir());
    EXPECT_EQ(QFileInfo(path).isFile(), before.isFile());
    EXPECT_EQ(QFileInfo::exists(path), before.exists());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

// Built by a function: GCC 12 fails on designated initialisers of these
// documents in a static array.
ScenarioDocument changed(void (*change)(ScenarioDocument&)) {
    ScenarioDocument document;
    change(document);
    return document;
}

const SaveFailure saveFailures[] = {
    {"FolderGone", "gone/a.velmora", ""},
    {"PathIsAPipe", "a.velmora", "not a regular file", {}, true},
    {"ParentIsAFile", "earlier.velmora/a.velmora", ""},
    {"NotFinite", "earlier.velmora",
     "comparison.alternate2.price: expected a finite number, found -inf",
     changed([](ScenarioDocument& d) { d.comparison[2].price = -Limits::infinity(); })},
    {"TooManyMonths", "earlier.velmora",
     "basic.monthsToProject: expected a number of months from 0 to 600, found 600.5",
     changed([](ScenarioDocument& d) { d.basic.monthsToProject = 600.5; })},
    {"LaterRateNotANumber", "earlier.velmora",
     "comparison.baseline.laterRates[1]: expected a finite number, found nan",
     changed([](ScenarioDocument& d) {
         d.comparison[0].laterRates = {0.9, Limits::quiet_NaN()};
     })},
    {"RangeNotANumber", "earlier.velmora",
     "basic.ranges.price: expected finite ends, found [nan, 2]", changed([](ScenarioDocument& d) {
         d.basicRanges = {{Input::Price, Limits::quiet_NaN(), 2}};
     })},
    {"PlanGrowthNotANumber", "earlier.velmora",
     "comparison.alternate1.plan: The monthly growth must be a number above -100%.",
     changed([](ScenarioDocument& d) { d.comparison[1].plan = Plan{Limits::quiet_NaN()}; })},
    {"PlanUntilWithoutGrowth", "earlier.velmora", "basic.plan.growthUntil: needs a growth",
     changed([](ScenarioDocument& d) {
         d.basic.plan = Plan{std::nullopt, 3};
     })},
};

INSTANTIATE_TEST_SUITE_P(SaveFailures, FailedSave, testing::ValuesIn(saveFailures),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmora
