#include <optional>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/fake_timer.h"
#include "ui/document/recovery_writer.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

class Writer : public testing::Test {
protected:
    /// What the copy holds; nothing while there is no copy.
    std::optional<ScenarioDocument> copy() {
        if (writer.copyPath().isEmpty() || !QFile::exists(writer.copyPath())) {
            return std::nullopt;
        }
        EXPECT_EQ(copies().size(), 1);
        DocumentMetadata metadata;
        const auto read = readDocumentFile(writer.copyPath(), &metadata);
        EXPECT_EQ(metadata.recoveryOf, path);
        return std::get<ScenarioDocument>(read);
    }
    QStringList copies() const { return QDir(folder.path()).entryList({"*.velmora"}); }
    void change(double price) {
        document.basic.price = price;
        writer.documentChanged();
    }

    QTemporaryDir folder;
    RecoveryStore store{folder.path()};
    ScenarioDocument document;
    QString path;
    FakeTimer* timer = new FakeTimer;
    RecoveryWriter writer{store, [this] { return document; }, [this] { return path; },
                          std::unique_ptr<RecalculationTimer>(timer)};
};

TEST_F(Writer, WritesTheWaitAfterTheLastChangeAndRemovesTheCopyWhenClean) {
    change(4.99);
    timer->advance(RecoveryWriter::wait - 1ms);
    EXPECT_FALSE(copy());
    change(5.99);  // restarts the wait
    timer->advance(RecoveryWriter::wait - 1ms);
    EXPECT_FALSE(copy());
    timer->advance(1ms);
    ASSERT_TRUE(copy());
    EXPECT_EQ(copy()->basic.price, 5.99);

    path = QStringLiteral("/home/ann/plan.velmora");  // saved as, then edited again
    change(6.99);
    timer->advance(RecoveryWriter::wait);
    ASSERT_TRUE(copy());
    EXPECT_EQ(copy()->basic.price, 6.99);

    writer.documentClean();
    EXPECT_FALSE(copy());
    EXPECT_TRUE(copies().isEmpty());
    change(7.99);  // undone within the wait
    writer.documentClean();
    timer->advance(RecoveryWriter::wait);
    EXPECT_TRUE(copies().isEmpty());
}

}  // namespace
}  // namespace velmora
