#include <string>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "document/scenario_document.h"

namespace velmora {
namespace {

std::variant<ScenarioDocument, DocumentProblem> parsed(const std::string& table) {
    const std::string text = R"({"format": "velmora", "version": 1, "cohortTable": )" + table + "}";
    return parseDocument(QByteArrayView(text.data(), std::ssize(text)));
}

TEST(CohortTableDocument, SavedWithTheDocumentReadsBackWhole) {
    ScenarioDocument document;
    document.basic.rt1 = 0.7;
    document.cohortTable = CohortTable{{
        {"2025-01 \"Q1\" é\t", {1000, 650.5, 0.1 + 0.2, 1e-300, 0}, 1700, 31},
        {"", {100}, std::nullopt, 28.5},
        {"late", {5e-324, 0}},
    }};
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("calibrated.velmora"));
    ASSERT_EQ(saveDocumentFile(path, document), std::nullopt);
    const auto read = readDocumentFile(path);
    ASSERT_TRUE(std::holds_alternative<ScenarioDocument>(read))
        << std::get<DocumentProblem>(read).message.toStdString();
    EXPECT_TRUE(identical(std::get<ScenarioDocument>(read), document));
    ScenarioDocument without = document;
    without.cohortTable.reset();
    EXPECT_FALSE(identical(without, document));

    // A table too large for the document is refused before anything is written.
    document.cohortTable->cohorts.assign(600, {"x", std::vector<double>(1000, 1.0)});
    EXPECT_FALSE(fitsInDocument(*document.cohortTable));
    EXPECT_NE(documentProblem(document), std::nullopt);
}

TEST(CohortTableDocument, RefusesATableThatBreaksTheRules) {
    const std::pair<std::string, std::string> cases[] = {
        {"[]", "cohortTable: expected an object, found an array"},
        {"{}", "cohortTable.cohorts: missing"},
        {R"({"cohorts": [{"label": "a"}]})", "cohortTable.cohorts[0].counts: missing"},
        {R"({"cohorts": [{"counts": [1, "2"]}]})",
         "cohortTable.cohorts[0].counts[1]: expected a number, found a string"},
        {R"({"cohorts": [{"counts": [10, 5]}, {"label": 3, "counts": []}]})",
         "cohortTable.cohorts[1].label: expected a string, found a number"},
        {R"({"cohorts": [{"counts": [10, 5]}, {"label": "b", "counts": [10, 5, 6]}]})",
         R"(cohortTable.cohorts[1].counts[2]: cohort "b" grows from 5 after renewal 1 to 6 after renewal 2)"},
        {R"({"cohorts": [{"counts": [10, 5], "trials": 9}]})",
         R"(cohortTable.cohorts[0].trials: cohort "" has 10 first payments from 9 trials; trials cannot be fewer)"},
        {R"({"cohorts": [{"counts": [10]}]})", "cohortTable: no cohort with a renewal"},
        // A key given twice is refused here as everywhere else in a document.
        {R"({"cohorts": [], "cohorts": [{"counts": [10, 5]}]})",
         "cohortTable.cohorts: given more than once"},
        {R"({"cohorts": [{"counts": [10, 5], "trials": 7, "trials": 20}]})",
         "cohortTable.cohorts[0].trials: given more than once"},
    };
    for (const auto& [table, message] : cases) {
        const auto read = parsed(table);
        ASSERT_TRUE(std::holds_alternative<DocumentProblem>(read)) << table;
        EXPECT_TRUE(
            std::get<DocumentProblem>(read).message.startsWith(QString::fromStdString(message)))
            << std::get<DocumentProblem>(read).message.toStdString();
    }
}

}  // namespace
}  // namespace velmora
