#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "document/atomic_file.h"
#include "tests/support/file_faults.h"
#include "tests/support/files.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// What was at the target before a failed write is there after it, and nothing
// else is left beside it. Devices are met through a link in the test's folder:
// a failure must never touch the machine's own /dev/null.
TEST(AtomicFile, RefusesOrFailsLeavingTheTargetAsItWas) {
    const struct {
        const char* name;
        const char* reason;
        std::function<void(const QString& target)> make;
        qint64 limit = 0;  ///< the largest file this process may write, if any
        qsizetype bytes = 1000;
    } cases[] = {
        {"pipe", "not a regular file",
         [](const QString& target) { ASSERT_EQ(mkfifo(qPrintable(target), 0600), 0); }},
        {"device", "not a regular file",
         [](const QString& target) { fs::create_symlink("/dev/null", target.toStdString()); }},
        {"folder", "Is a directory", [](const QString& target) { QDir().mkdir(target); }},
        {"folder gone", "No such file or directory",
         [](const QString& target) { QFileInfo(target).dir().removeRecursively(); }},
        {"disk full in the last block", "File too large",
         [](const QString& target) { writeFile(target, "earlier"); }, 100},
        {"disk full in a large write", "File too large",
         [](const QString& target) { writeFile(target, "earlier"); }, 100'000, 300'000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir temporary;
        const QString folder = temporary.filePath("plans");
        ASSERT_TRUE(QDir().mkdir(folder));
        const QString target = folder + "/plan.csv";
        c.make(target);
        const auto before = fs::symlink_status(target.toStdString()).type();
        // A pipe is never opened: reading it would wait for a writer.
        const auto held = [&target] {
            return fs::is_regular_file(target.toStdString()) ? contents(target) : QByteArray();
        };
        const QByteArray earlier = held();
        std::optional<QString> problem;
        {
            const std::optional<FullDisk> full =
                c.limit > 0 ? std::optional<FullDisk>(std::in_place, c.limit) : std::nullopt;
            problem = writeFileAtomically(target, QByteArray(c.bytes, 'x'));
        }
        EXPECT_EQ(problem.value_or("written"), c.reason);
        EXPECT_EQ(fs::symlink_status(target.toStdString()).type(), before);
        EXPECT_EQ(held(), earlier);
        const QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                        QDir::System | QDir::NoDotAndDotDot);
        EXPECT_LE(left.size(), 1) << left.join(' ').toStdString();
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

// A writer that cannot tell a failed write (a PDF's painter) writes on; the
// file keeps the first failure and is not put in place.
TEST(AtomicFile, AWriteFailedOnceFailsTheCommit) {
    QTemporaryDir folder;
    const QString target = folder.filePath("report.pdf");
    ASSERT_TRUE(writeFile(target, "earlier"));
    AtomicFile file(target);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    {
        const FullDisk full(70'000);
        EXPECT_EQ(file.write(QByteArray(100'000, 'x')), -1);
    }
    EXPECT_EQ(file.write("more"), -1);
    EXPECT_EQ(file.commit(), QStringLiteral("File too large"));
    EXPECT_EQ(contents(target), "earlier");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(AtomicFile, SameFileByIdentityNotSpelling) {
    QTemporaryDir temporary;
    const QString folder = temporary.path();
    ASSERT_TRUE(writeFile(folder + "/doc.velmora", "{}"));
    ASSERT_TRUE(writeFile(folder + "/other.velmora", "{}"));
    ASSERT_TRUE(QDir().mkdir(folder + "/sub"));
    fs::create_symlink((folder + "/doc.velmora").toStdString(),
                       (folder + "/link.velmora").toStdString());
    const struct {
        QString a, b;
        bool same;
    } cases[] = {
        {"doc.velmora", "./doc.velmora", true},    {"doc.velmora", "sub/../doc.velmora", true},
        {"doc.velmora", "link.velmora", true},     {"new.velmora", "sub/.././new.velmora", true},
        {"doc.velmora", "other.velmora", false},   {"new.velmora", "sub/new.velmora", false},
        {"doc.velmora", "sub/doc.velmora", false}, {"new.velmora", "new.csv", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.a + " " + c.b).toStdString());
        EXPECT_EQ(sameFile(folder + "/" + c.a, folder + "/" + c.b), c.same);
    }
}

}  // namespace
}  // namespace velmora
