#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "document/recovery_store.h"
#include "tests/support/files.h"

namespace velmora {
namespace {

constexpr int patienceMs = 60'000;

// Unlike the defaults, with values whose text is easy to get wrong.
ScenarioDocument edited(double price) {
    ScenarioDocument document;
    document.basic.price = price;
    document.comparison[1].startingSubs = -0.0;
    document.comparison[2].rt3 = 5e-324;
    document.chartType = ChartType::Cohorts;
    return document;
}

std::unique_ptr<RecoveryCopy> created(RecoveryStore& store) {
    auto made = store.create();
    if (const auto* problem = std::get_if<DocumentProblem>(&made)) {
        ADD_FAILURE() << problem->message.toStdString();
        return nullptr;
    }
    return std::move(std::get<std::unique_ptr<RecoveryCopy>>(made));
}

QString nameOf(const RecoveryCopy& copy) {
    return QFileInfo(copy.path()).fileName();
}

QStringList files(const QTemporaryDir& folder) {
    return QDir(folder.path()).entryList(QDir::Files, QDir::Name);
}

void expectRestores(const RecoveryLeftover& leftover, const ScenarioDocument& document,
                    const QString& recoveryOf) {
    ASSERT_TRUE(leftover.readable())
        << std::get<DocumentProblem>(leftover.document).message.toStdString();
    EXPECT_TRUE(identical(std::get<ScenarioDocument>(leftover.document), document));
    EXPECT_EQ(leftover.recoveryOf, recoveryOf);
    EXPECT_LT(std::abs(leftover.written.secsTo(QDateTime::currentDateTime())), 60);
}

TEST(RecoveryStore, OffersACopyOnlyOnceItsWindowLetGoAndTakesItOverOrDiscardsIt) {
    QTemporaryDir folder;
    RecoveryStore mine(folder.path());
    RecoveryStore other(folder.path());
    std::unique_ptr<RecoveryCopy> untitled = created(mine);
    std::unique_ptr<RecoveryCopy> saved = created(mine);
    ASSERT_TRUE(untitled && saved);
    EXPECT_NE(untitled->path(), saved->path());
    ASSERT_FALSE(untitled->write(edited(4.99), QString()));
    ASSERT_FALSE(saved->write(edited(1e308), QStringLiteral("/home/ann/plan é.velmora")));
    const QString untitledName = nameOf(*untitled);
    const QString savedName = nameOf(*saved);

    // Live windows: neither listed nor deleted by another store.
    EXPECT_TRUE(other.leftovers().empty());
    EXPECT_TRUE(other.discard(savedName).has_value());
    EXPECT_EQ(other.takeOver(savedName), nullptr);
    EXPECT_TRUE(QFile::exists(saved->path()));

    // The windows let go without removing their copies, as a quit on SIGTERM does;
    // the saved one was written earlier, so it is offered first.
    QFile earlier(saved->path());
    ASSERT_TRUE(earlier.open(QIODevice::ReadWrite));
    ASSERT_TRUE(earlier.setFileTime(QDateTime::currentDateTime().addSecs(-30),
                                    QFileDevice::FileModificationTime));
    earlier.close();
    untitled.reset();
    saved.reset();
    std::vector<RecoveryLeftover> leftovers = other.leftovers();
    ASSERT_EQ(leftovers.size(), 2u);
    EXPECT_EQ(leftovers[0].name, savedName);
    expectRestores(leftovers[0], edited(1e308), QStringLiteral("/home/ann/plan é.velmora"));
    EXPECT_EQ(leftovers[1].name, untitledName);
    expectRestores(leftovers[1], edited(4.99), QString());
    EXPECT_TRUE(mine.leftovers().empty()) << "claimed by the store that listed them";
    EXPECT_EQ(other.leftovers().size(), 2u) << "still this store's to offer";

    std::unique_ptr<RecoveryCopy> restored = other.takeOver(savedName);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(nameOf(*restored), savedName);
    EXPECT_FALSE(other.discard(untitledName));
    EXPECT_TRUE(other.leftovers().empty());
    EXPECT_TRUE(RecoveryStore(folder.path()).leftovers().empty()) << "the restored copy is live";

    // The restored window saves: its copy goes, and so do the locks once it closes.
    EXPECT_EQ(files(folder), (QStringList{savedName, savedName + ".lock"}));
    EXPECT_FALSE(restored->remove());
    restored.reset();
    EXPECT_TRUE(files(folder).isEmpty());
}

TEST(RecoveryStore, ListsADamagedCopyWithItsProblemAndDiscardsIt) {
    QTemporaryDir folder;
    ASSERT_TRUE(writeFile(QDir(folder.path()).filePath("mistyped.velmora"),
                          R"({"format": "velmora", "version": 1, "basic": {"price": "4.99"}})"));
    RecoveryStore store(folder.path());
    const std::vector<RecoveryLeftover> leftovers = store.leftovers();
    ASSERT_EQ(leftovers.size(), 1u);
    ASSERT_FALSE(leftovers[0].readable());
    const QString message = std::get<DocumentProblem>(leftovers[0].document).message;
    EXPECT_TRUE(message.contains("mistyped.velmora") &&
                message.contains("basic.price: expected a number"))
        << message.toStdString();
    EXPECT_FALSE(store.discard("mistyped.velmora"));
    EXPECT_TRUE(files(folder).isEmpty());
}

// A window of another instance, killed (SIGKILL) with and without a copy.
TEST(RecoveryStore, OffersTheCopyOfAKilledInstanceNeverOfARunningOneAndClearsItsLock) {
    for (const bool withCopy : {true, false}) {
        SCOPED_TRACE(withCopy ? "with a copy" : "without a copy");
        QTemporaryDir folder;
        const QString source = QDir(folder.path()).filePath(QStringLiteral("source.json"));
        ASSERT_FALSE(saveDocumentFile(source, edited(0.1 + 0.2)));
        const QString copies = QDir(folder.path()).filePath(QStringLiteral("recovery"));

        QProcess owner;
        owner.start(RECOVERY_OWNER, withCopy ? QStringList{copies, source} : QStringList{copies});
        while (!owner.canReadLine() && owner.waitForReadyRead(patienceMs)) {
        }
        ASSERT_EQ(owner.readLine(), "ready\n") << owner.readAllStandardError().toStdString();
        RecoveryStore store(copies);
        EXPECT_TRUE(store.leftovers().empty());
        EXPECT_EQ(QDir(copies).entryList(QDir::Files).size(), withCopy ? 2 : 1);

        owner.kill();
        ASSERT_TRUE(owner.waitForFinished(patienceMs));
        const std::vector<RecoveryLeftover> leftovers = store.leftovers();
        ASSERT_EQ(leftovers.size(), withCopy ? 1u : 0u);
        if (withCopy) {
            expectRestores(leftovers[0], edited(0.1 + 0.2), source);
            EXPECT_FALSE(store.discard(leftovers[0].name));
        }
        EXPECT_TRUE(QDir(copies).entryList(QDir::Files).isEmpty());
    }
}

}  // namespace
}  // namespace velmora
