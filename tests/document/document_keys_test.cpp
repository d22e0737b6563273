#include <set>
#include <string>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "document/document_fields.h"
#include "document/document_keys.h"
#include "document/json_reader.h"
#include "document/recovery_store.h"
#include "document/scenario_document.h"
#include "tests/support/every_key_document.h"

namespace velmora {
namespace {

using namespace document_format;

// A key dropped on some path shows only if its sample changes the document,
// and the table covers the format only if the writer writes no key outside it.
TEST(DocumentKeys, EachSampleChangesTheDocumentAndNoKeyIsWrittenOutsideTheTable) {
    for (const OptionalKey& key : optionalKeys()) {
        ASSERT_TRUE(keySamples().contains(key.name)) << key.name;
        for (std::size_t at = 0; at < scenarioCount; ++at) {
            ScenarioDocument sampled;
            keySamples().at(key.name)(sampled, at);
            EXPECT_NE(sampled, ScenarioDocument{}) << key.name << " at " << at;
            EXPECT_TRUE(key.held(sampled, at)) << key.name << " at " << at;
        }
    }
    const QByteArray text = documentText(everyKeyDocument());
    const auto parsed = json::parse({text.constData(), static_cast<std::size_t>(text.size())});
    ASSERT_TRUE(std::holds_alternative<json::Value>(parsed));
    const auto expectKnown = [](const json::Value& object, std::set<std::string_view> known,
                                KeyScope scope) {
        for (const std::string_view name : optionalKeyNames(scope)) {
            known.insert(name);
        }
        std::set<std::string_view> written;
        for (const json::Member& member : object.members) {
            EXPECT_TRUE(known.contains(member.key)) << member.key << " is not in the table";
            written.insert(member.key);
        }
        EXPECT_EQ(written, known);
    };
    const json::Value& root = std::get<json::Value>(parsed);
    expectKnown(root, {"format", "version", "basic", "comparison", "chartType"},
                KeyScope::Document);
    std::vector<const json::Value*> scenarios{&root.members.at(2).value};
    for (const json::Member& member : root.members.at(3).value.members) {
        scenarios.push_back(&member.value);
    }
    ASSERT_EQ(scenarios.size(), scenarioCount);
    for (const json::Value* scenario : scenarios) {
        expectKnown(*scenario, {scenarioKeys.begin(), scenarioKeys.end()}, KeyScope::Scenario);
    }
}

// The paths of the document library: the text, the file, and a recovery copy
// left by a window that ended.
TEST(DocumentKeys, EveryKeySurvivesTheTextTheFileAndTheRecoveryCopy) {
    const ScenarioDocument original = everyKeyDocument();
    const auto parsed = parseDocument(documentText(original));
    ASSERT_TRUE(std::holds_alternative<ScenarioDocument>(parsed));
    EXPECT_TRUE(identical(std::get<ScenarioDocument>(parsed), original));

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("every.velmora"));
    ASSERT_EQ(saveDocumentFile(path, original), std::nullopt);
    const auto read = readDocumentFile(path);
    ASSERT_TRUE(std::holds_alternative<ScenarioDocument>(read));
    EXPECT_TRUE(identical(std::get<ScenarioDocument>(read), original));

    const QString copies = folder.filePath(QStringLiteral("recovery"));
    {
        RecoveryStore crashed(copies);
        auto made = crashed.create();
        ASSERT_TRUE(std::holds_alternative<std::unique_ptr<RecoveryCopy>>(made));
        ASSERT_EQ(std::get<std::unique_ptr<RecoveryCopy>>(made)->write(original, path),
                  std::nullopt);
    }
    RecoveryStore next(copies);
    const std::vector<RecoveryLeftover> leftovers = next.leftovers();
    ASSERT_EQ(leftovers.size(), 1u);
    ASSERT_TRUE(leftovers[0].readable());
    EXPECT_TRUE(identical(std::get<ScenarioDocument>(leftovers[0].document), original));
}

// The largest table a document takes leaves room for the rest of any document:
// every key of every scenario, ranges on every input, and a long recovery path.
TEST(DocumentKeys, TheLargestCohortTableLeavesRoomForTheRest) {
    const auto table = [](std::size_t rows) {
        CohortTable made;
        made.cohorts.assign(rows, {"cohort", std::vector<double>(100, 1234567.25), 9e9, 31});
        return made;
    };
    std::size_t fits = 1;
    std::size_t refused = 4096;
    ASSERT_TRUE(fitsInDocument(table(fits)));
    ASSERT_FALSE(fitsInDocument(table(refused)));
    while (refused - fits > 1) {
        const std::size_t middle = (fits + refused) / 2;
        (fitsInDocument(table(middle)) ? fits : refused) = middle;
    }
    ScenarioDocument document = everyKeyDocument();
    document.cohortTable = table(fits);
    for (std::size_t at = 0; at < scenarioCount; ++at) {
        std::vector<Range>& ranges = rangesAt(document, at);
        ranges.clear();
        for (const Input input : rangedInputs) {
            ranges.push_back({input, -1.2345678901234567e-300, 1.2345678901234567e300});
        }
    }
    const DocumentMetadata metadata{QString(2048, QChar(0x00e9))};
    const QByteArray text = documentText(document, metadata);
    EXPECT_LE(text.size(), maxDocumentBytes);
    EXPECT_TRUE(std::holds_alternative<ScenarioDocument>(parseDocument(text)));
}

}  // namespace
}  // namespace velmora
