#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/plan_json.h"
#include "document/scenario_document.h"

namespace velmora {
namespace {

// The text is a public format: this pins its order, layout and number forms.
TEST(DocumentText, WritesEveryFieldInAFixedOrderOnePerLine) {
    ScenarioDocument document;
    document.basic = {7, 600, 250.5, -0.0, 5e-324, 1e308, 0.1 + 0.2, 1e-7, -3, 0, 1, 0.5, 2};
    document.basic.costPerTrial = 2.5;
    document.chartType = ChartType::Cohorts;
    const QByteArray text = documentText(document, {QStringLiteral("/tmp/Q3 \"plan\"\n.velmora")});
    // The comparison's three scenarios are left at the defaults, written alike.
    const std::string defaults = R"({
            "monthDuration": 30,
            "monthsToProject": 36,
            "dailyNewSubs": 100,
            "startingSubs": 0,
            "price": 1.99,
            "trialRetention": 0.59,
            "rt1": 0.65,
            "rt2": 0.84,
            "rt3": 0.87,
            "rt4": 0.89,
            "rt5": 0.9,
            "rt6": 0.91,
            "rtPlus": 0.95,
            "costPerTrial": 0
        })";
    EXPECT_EQ(text.toStdString(), R"({
    "format": "velmora",
    "version": 1,
    "basic": {
        "monthDuration": 7,
        "monthsToProject": 600,
        "dailyNewSubs": 250.5,
        "startingSubs": -0,
        "price": 5e-324,
        "trialRetention": 1e+308,
        "rt1": 0.30000000000000004,
        "rt2": 1e-07,
        "rt3": -3,
        "rt4": 0,
        "rt5": 1,
        "rt6": 0.5,
        "rtPlus": 2,
        "costPerTrial": 2.5
    },
    "comparison": {
        "baseline": )" + defaults + R"(,
        "alternate1": )" + defaults + R"(,
        "alternate2": )" + defaults + R"(
    },
    "chartType": "cohorts",
    "recoveryOf": "/tmp/Q3 \"plan\"\u000a.velmora"
}
)");
}

// What a reader fills in and what it passes over; expected values are compared bit for bit.
TEST(ParseDocument, TakesDefaultsForWhatIsLeftOutAndIgnoresUnknownKeys) {
    const auto with = [](auto change) {
        ScenarioDocument document;
        change(document);
        return document;
    };
    std::string manyHalves;  // 1,199 more later rates after a first
    for (int i = 1; i < 1200; ++i) {
        manyHalves += ", 0.5";
    }
    const std::vector<std::pair<std::string, ScenarioDocument>> cases{
        {R"({"format": "velmora", "version": 1, "basic": {"price": 4.99}})",
         with([](ScenarioDocument& d) { d.basic.price = 4.99; })},
        {R"({"format": "velmora", "version": 1, "comparison": {"alternate1": {"costPerTrial": 3.25}}})",
         with([](ScenarioDocument& d) { d.comparison[1].costPerTrial = 3.25; })},
        // Ranges come back in the order every draw takes them; a value may lie outside its own.
        {R"({"format": "velmora", "version": 1, "basic": {"price": 9, "ranges": {"rtPlus": [0.9,
            0.97], "price": [1.5, 2.5]}}})",
         with([](ScenarioDocument& d) {
             d.basic.price = 9;
             d.basicRanges = {{Input::Price, 1.5, 2.5}, {Input::RtPlus, 0.9, 0.97}};
         })},
        {R"({"version": 1.0, "format": "velmora", "chartType": "simple", "comparison": {}})", {}},
        // Later rates as written, none at all, or as many as a scenario may hold.
        {R"({"format": "velmora", "version": 1, "basic": {"laterRates": [0.93, 1e-320, -0, 2]},
            "comparison": {"baseline": {"laterRates": []}}})",
         with([](ScenarioDocument& d) {
             d.basic.laterRates = {0.93, 1e-320, -0.0, 2};
         })},
        // A plan as the example names its members; what it leaves out keeps the defaults.
        {R"({"format": "velmora", "version": 1, "basic": {"plan": {"growth": 5, "growthUntil": 12,
            "startMonth": "2027-03", "seasonality": [1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0.5],
            "priceChangesApply": "new", "changes": [{"value": 2.99, "month": 6, "input":
            "price"}, {"input": "price", "month": 2, "value": 1e-320}]}},
            "comparison": {"alternate1": {"plan": {"growth": 0, "growthUntil": 3}}}})",
         with([](ScenarioDocument& d) {
             Plan plan{5, 12, CalendarMonth{2027, 3}, std::array<double, 12>{}};
             plan.seasonality->fill(1);
             plan.seasonality->back() = 0.5;
             plan.priceChangesApply = PriceChangesApply::NewSubscribers;
             plan.changes = {{PlanInput::Price, 6, 2.99}, {PlanInput::Price, 2, 1e-320}};
             d.basic.plan = plan;
             d.comparison[1].plan = Plan{0, 3};
         })},
        {R"({"format": "velmora", "version": 1, "basic": {"laterRates": [0.5)" + manyHalves + "]}}",
         with([](ScenarioDocument& d) { d.basic.laterRates.assign(1200, 0.5); })},
        // Indented with tabs, as some editors do; a label beyond the first 65,536
        // characters written as a surrogate pair.
        {"{\n\t\"format\": \"velmora\",\n\t\"version\": 1,\n\t\"basic\": {\n\t\t\"price\": "
         "4.99\n\t},\r\n\t\"cohortTable\": {\"cohorts\": [{\"label\": \"\\ud83d\\ude00\", "
         "\"counts\": [2, 1]}]}\n}",
         with([](ScenarioDocument& d) {
             d.basic.price = 4.99;
             d.cohortTable = CohortTable{{{"\xF0\x9F\x98\x80", {2, 1}}}};
         })},
        // Unknown keys at every level, of every kind, also nested deeply.
        {R"({"format": "velmora", "version": 1, "note": [1, {"a": [[]]}], "basic": {"x": null,
            "monthDuration": 28.0, "rt6": -0}, "comparison": {"alternate2": {"rtPlus": 1e-400,
            "y": {"z": "\u00e9\ud83d\ude00\t\\\/\b\f\n\r\""}, "rt1": -1e-400}, "other": true},
            "chartType": "cohorts", "chart": false})",
         with([](ScenarioDocument& d) {
             d.basic.monthDuration = 28;
             d.basic.rt6 = -0.0;
             d.comparison[2].rtPlus = 0;  // below the smallest subnormal: rounds to zero
             d.comparison[2].rt1 = -0.0;
             d.chartType = ChartType::Cohorts;
         })},
        // A byte order mark, and the limits of the ranges.
        {"\xEF\xBB\xBF{\"format\": \"velmora\", \"version\": 1, \"comparison\": {\"baseline\": "
         "{\"monthDuration\": 365, \"monthsToProject\": 600}, \"alternate1\": {\"monthDuration\": "
         "1, \"monthsToProject\": -0.0, \"price\": -1.7976931348623157e308}}}",
         with([](ScenarioDocument& d) {
             d.comparison[0].monthDuration = 365;
             d.comparison[0].monthsToProject = 600;
             d.comparison[1].monthDuration = 1;
             d.comparison[1].monthsToProject = -0.0;
             d.comparison[1].price = -std::numeric_limits<double>::max();
         })},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        DocumentMetadata metadata{QStringLiteral("left from before")};
        const auto parsed = parseDocument(QByteArrayView(text.data(), std::ssize(text)), &metadata);
        ASSERT_TRUE(std::holds_alternative<ScenarioDocument>(parsed))
            << std::get<DocumentProblem>(parsed).message.toStdString();
        EXPECT_TRUE(identical(std::get<ScenarioDocument>(parsed), expected));
        EXPECT_EQ(metadata, DocumentMetadata{});
    }
}

// Sequences at the edges of well-formed UTF-8, inside a key the reader ignores.
// What a save refuses as a file could not open again: an end of growth
// without a growth, but not one with a growth of 0.
TEST(PlanDocument, AnEndOfGrowthNeedsAGrowthOfAnySize) {
    using document_format::planDocumentProblem;
    EXPECT_EQ(planDocumentProblem(Plan{0, 3}), std::nullopt);
    EXPECT_EQ(planDocumentProblem(Plan{std::nullopt, 3}), "plan.growthUntil: needs a growth");
}

TEST(ParseDocument, AcceptsWellFormedUtf8Only) {
    const std::vector<std::pair<std::string, bool>> cases{
        {"\x7F\xC2\x80\xDF\xBF", true},
        {"\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF", true},
        {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", true},
        {"\x80", false},              // a continuation byte alone
        {"\xC1\xBF", false},          // overlong
        {"\xE0\x9F\xBF", false},      // overlong
        {"\xF0\x8F\xBF\xBF", false},  // overlong
        {"\xED\xA0\x80", false},      // a surrogate
        {"\xF4\x90\x80\x80", false},  // above U+10FFFF
        {"\xF5\x80\x80\x80", false},
        {"\xE2\x82", false},  // cut short
    };
    for (const auto& [bytes, wellFormed] : cases) {
        const std::string text = R"({"format": "velmora", "version": 1, "x": ")" + bytes + "\"}";
        const auto parsed = parseDocument(QByteArrayView(text.data(), std::ssize(text)));
        EXPECT_EQ(std::holds_alternative<ScenarioDocument>(parsed), wellFormed) << text;
        if (!wellFormed) {
            EXPECT_EQ(std::get<DocumentProblem>(parsed).message,
                      QStringLiteral("line 1, column 43: not valid UTF-8 text"));
        }
    }
}

TEST(Identical, TellsMinusZeroFromZeroWhereEqualityDoesNot) {
    ScenarioDocument negative;
    negative.comparison[1].startingSubs = -0.0;
    EXPECT_EQ(negative, ScenarioDocument{});
    EXPECT_FALSE(identical(negative, ScenarioDocument{}));
    const ScenarioDocument cohorts{.basic = {}, .comparison = {}, .chartType = ChartType::Cohorts};
    EXPECT_FALSE(identical(cohorts, ScenarioDocument{}));
    ScenarioDocument later;
    later.basic.laterRates = {0.9, 0.0};
    ScenarioDocument negativeLater = later;
    negativeLater.basic.laterRates[1] = -0.0;
    EXPECT_EQ(later, negativeLater);
    EXPECT_FALSE(identical(later, negativeLater));
    EXPECT_TRUE(identical(later, later));
}

}  // namespace
}  // namespace velmora
