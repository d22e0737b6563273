#include <filesystem>
#include <functional>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "document/scenario_document.h"
#include "tests/support/files.h"

namespace {

/// Generous bounds for a loaded machine: the test waits for events, and only
/// fails when one never comes.
constexpr int patienceMs = 60'000;

class Application : public ::testing::Test {
protected:
    /// Its settings and data in a folder of the test's own.
    [[nodiscard]] QProcessEnvironment environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("XDG_DATA_HOME", home.filePath("data"));
        return environment;
    }
    /// Starts the application (or `program`) on `arguments`.
    void start(const QStringList& arguments = {}, const QString& program = VELMORA_EXECUTABLE) {
        process.setProcessEnvironment(environment());
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(program, arguments);
        ASSERT_TRUE(process.waitForStarted(patienceMs));
    }
    void TearDown() override {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(patienceMs);
        }
    }

    /// Reads standard output until it holds `lines` lines, or the process ends.
    QByteArray readLines(int lines) {
        return readUntil([lines](const QByteArray& out) { return out.count('\n') >= lines; });
    }
    /// Reads standard output until `done` says so, or the process ends.
    QByteArray readUntil(const std::function<bool(const QByteArray&)>& done) {
        QByteArray out;
        const QDeadlineTimer deadline(patienceMs);
        while (!done(out) && process.state() == QProcess::Running && !deadline.hasExpired()) {
            process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
            out += process.readAllStandardOutput();
        }
        return out;
    }

    QTemporaryDir home;
    QProcess process;
};

// Help and version need no display; a bad option is named, with status 2, and
// a window without a display is refused in words.
TEST(CommandLine, AnswersHelpAndVersionAnywhereAndRefusesUnknownOptions) {
    struct Case {
        QStringList arguments;
        int status;
        QByteArray out;  // what standard output starts with
        QByteArray err;  // a line standard error holds (Qt may add notes on the environment)
    };
    const Case cases[] = {
        {{"--version"}, 0, "Velmora " VELMORA_PROJECT_VERSION "\n", ""},
        {{"-v"}, 0, "Velmora " VELMORA_PROJECT_VERSION "\n", ""},
        {{"--help"}, 0, "Usage: " VELMORA_EXECUTABLE " [options] [file...]\n", ""},
        {{"-platform", "offscreen", "--bogus"}, 2, "", "velmora: Unknown option 'bogus'.\n"},
        {{"--bogus"}, 2, "", "velmora: Unknown option 'bogus'.\n"},
        {{"plan.velmora"}, 1, "", "velmora: no display to open a window on"},
    };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(name);
    }
    for (const Case& test : cases) {
        SCOPED_TRACE(test.arguments.join(' ').toStdString());
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(VELMORA_EXECUTABLE, test.arguments);
        ASSERT_TRUE(process.waitForFinished(patienceMs));
        const QByteArray out = process.readAllStandardOutput();
        EXPECT_EQ(process.exitCode(), test.status);
        EXPECT_TRUE(out.startsWith(test.out)) << out.toStdString();
        EXPECT_EQ(out.isEmpty(), test.out.isEmpty());
        EXPECT_TRUE(process.readAllStandardError().contains(test.err));
    }
}

// Started without a document or with one, it prints one line per scenario it
// projects (a document's own values only: four again), builds nothing more
// while nobody edits, and ends normally when closed, as at a session's end. A
// document that cannot be read is told on standard error, and the warning
// shown for it does not hold up the end of the process.
TEST_F(Application, ProjectsEachScenarioOnceAndRunsUntilClosed) {
    const QString good = home.filePath("plan.velmora");
    ASSERT_TRUE(velmora::writeFile(
        good, R"({"format": "velmora", "version": 1, "basic": {"monthsToProject": 600}})"));
    // A name that is not UTF-8, which QProcess cannot pass: a shell adds the byte.
    std::filesystem::copy_file(QFile::encodeName(good).toStdString(),
                               QFile::encodeName(good).toStdString() + "\xff");
    const QString missing = home.filePath("missing.velmora");
    for (const QString& path : {QString(), good, missing, good + "\\377"}) {
        if (path.endsWith("\\377")) {
            start({"-c", R"sh(exec "$0" "$(printf "$1")")sh", VELMORA_EXECUTABLE, path}, "/bin/sh");
        } else {
            start(path.isEmpty() ? QStringList() : QStringList{path});
        }
        QByteArray out = readLines(4);
        EXPECT_FALSE(process.waitForFinished(1000));
        process.terminate();
        ASSERT_TRUE(process.waitForFinished(patienceMs)) << path.toStdString();
        out += process.readAllStandardOutput();
        EXPECT_EQ(out, "Calculated\nCalculated\nCalculated\nCalculated\n") << path.toStdString();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        const QByteArray err = process.readAllStandardError();
        EXPECT_EQ(err.count("QPainter"), 0);
        EXPECT_EQ(err.contains(missing.toUtf8()), path == missing);
        EXPECT_EQ(err.contains("no such file"), path == missing);
    }
}

// A session ended by SIGKILL (a crash) or SIGTERM (a session's end) leaves
// the recovery copy of its unsaved document; the next start offers it and
// restores it bit for bit, with the file it came from.
class Recovery : public Application {
protected:
    /// The edits the session child makes.
    static velmora::ScenarioDocument edited(velmora::ScenarioDocument document) {
        document.basic.price = 0.1 + 0.2;
        document.comparison[1].startingSubs = -0.0;
        document.comparison[2].rt3 = 5e-324;
        return document;
    }
    void expectRestored(const velmora::ScenarioDocument& document, const QString& path) {
        QProcess next;
        next.setProcessEnvironment(environment());
        const QString out = home.filePath("restored.velmora");
        next.start(VELMORA_SESSION_CHILD, {"restore", out});
        ASSERT_TRUE(next.waitForFinished(patienceMs));
        EXPECT_EQ(next.exitCode(), 0) << next.readAllStandardError().toStdString();
        EXPECT_EQ(next.readAllStandardOutput().replace("Calculated\n", ""),
                  "offered 1\nrestored windows=1 modified=1 adopted=1\n");
        velmora::DocumentMetadata metadata;
        const auto read = velmora::readDocumentFile(out, &metadata);
        ASSERT_TRUE(std::holds_alternative<velmora::ScenarioDocument>(read));
        EXPECT_TRUE(velmora::identical(std::get<velmora::ScenarioDocument>(read), document));
        EXPECT_EQ(metadata.recoveryOf, path);
    }
    /// Reads standard output until the session child prints `line`.
    bool readUntilTold(const QByteArray& line) {
        return readUntil([&line](const QByteArray& out) { return out.contains(line); })
            .contains(line);
    }
};

TEST_F(Recovery, AKilledSessionLosesNothingWrittenAndTheNextStartRestoresIt) {
    velmora::ScenarioDocument plan;
    plan.basic.monthsToProject = 24;
    plan.comparison[0].price = 9.99;
    const QString path = home.filePath("plan.velmora");
    ASSERT_FALSE(velmora::saveDocumentFile(path, plan));
    start({"edit", path}, VELMORA_SESSION_CHILD);
    ASSERT_TRUE(readUntilTold("written\n"));
    process.kill();
    ASSERT_TRUE(process.waitForFinished(patienceMs));

    // The real application offers it without waiting for an answer, and
    // builds its four projections; ended unanswered, it leaves the copy.
    start();
    EXPECT_EQ(readLines(4), "Calculated\nCalculated\nCalculated\nCalculated\n");
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(patienceMs));
    expectRestored(edited(plan), path);
}

TEST_F(Recovery, SigtermQuitsWithoutAskingAndLeavesTheCopyOfAnUnsavedWindow) {
    start({"edit"}, VELMORA_SESSION_CHILD);
    ASSERT_TRUE(readUntilTold("edited\n"));
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(patienceMs));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    expectRestored(edited({}), "");
}

TEST(Screenshots, RendersEveryPageAndRefusesBadFlagsByName) {
    const QString directory = QDir::temp().filePath(
        QStringLiteral("velmora-screenshots-%1").arg(QCoreApplication::applicationPid()));
    QProcess good;
    good.start(VELMORA_SCREENSHOTS, {"--out", directory, "--size", "1280x780"});
    ASSERT_TRUE(good.waitForFinished(patienceMs));
    EXPECT_EQ(good.exitCode(), 0) << good.readAllStandardError().toStdString();
    for (const char* page :
         {"basic.png", "basic-cohorts.png", "basic-600-months.png", "basic-600-months-cohorts.png",
          "comparison.png", "insights.png", "calibration.png"}) {
        const QImage image(QDir(directory).filePath(page));
        EXPECT_EQ(image.size(), QSize(1280, 780)) << page;
    }
    QDir(directory).removeRecursively();

    const std::pair<QStringList, const char*> bad[] = {
        {{"--bogus"}, "--bogus"},
        {{"--size", "9x9"}, "--size"},
        {{"--size", "700x300"}, "--size"},  // below the window's smallest layout
        {{"--out"}, "--out"}};
    for (const auto& [arguments, named] : bad) {
        QProcess process;
        process.start(VELMORA_SCREENSHOTS, arguments);
        ASSERT_TRUE(process.waitForFinished(patienceMs));
        EXPECT_EQ(process.exitCode(), 2) << named;
        EXPECT_TRUE(process.readAllStandardError().contains(named)) << named;
        EXPECT_FALSE(process.readAllStandardOutput().contains(".png")) << named;
    }
}

}  // namespace
