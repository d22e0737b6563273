#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

/// Generous bounds for a loaded machine: the test waits for events, and only
/// fails when one never comes.
constexpr int patienceMs = 60'000;

class Application : public ::testing::Test {
protected:
    /// Starts the application on `arguments`, its settings and data kept in a
    /// folder of the test's own.
    void start(const QStringList& arguments = {}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("XDG_DATA_HOME", home.filePath("data"));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(VELMORA_EXECUTABLE, arguments);
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
        QByteArray out;
        const QDeadlineTimer deadline(patienceMs);
        while (out.count('\n') < lines && process.state() == QProcess::Running &&
               !deadline.hasExpired()) {
            process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
            out += process.readAllStandardOutput();
        }
        return out;
    }

    QTemporaryDir home;
    QProcess process;
};

TEST_F(Application, PrintsOneLinePerScenarioAtStartAndRunsUntilClosed) {
    start();
    QByteArray out = readLines(4);
    EXPECT_EQ(out, "Calculated\nCalculated\nCalculated\nCalculated\n");

    // Still running, and building nothing more while nobody edits.
    EXPECT_FALSE(process.waitForFinished(1000));
    ASSERT_EQ(process.state(), QProcess::Running);

    // Closing (as a session's end does) ends it normally, having printed nothing else.
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(patienceMs));
    out += process.readAllStandardOutput();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(out, "Calculated\nCalculated\nCalculated\nCalculated\n");
    EXPECT_EQ(process.readAllStandardError().count("QPainter"), 0);
}

// Help and version need no display; a bad option is named, with status 2.
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

// A document named at start is projected from its own values only: four
// projections again. One that cannot be read is told on standard error, and
// the warning shown for it does not hold up the end of the process.
TEST_F(Application, OpensTheDocumentsNamedAtStart) {
    const QString good = home.filePath("plan.velmora");
    QFile file(good);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"format": "velmora", "version": 1, "basic": {"monthsToProject": 600}})");
    file.close();
    const QString missing = home.filePath("missing.velmora");
    for (const QString& path : {good, missing}) {
        start({path});
        QByteArray out = readLines(4);
        EXPECT_FALSE(process.waitForFinished(1000));
        process.terminate();
        ASSERT_TRUE(process.waitForFinished(patienceMs)) << path.toStdString();
        out += process.readAllStandardOutput();
        EXPECT_EQ(out, "Calculated\nCalculated\nCalculated\nCalculated\n") << path.toStdString();
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_EQ(process.readAllStandardError().contains(missing.toUtf8()), path == missing);
    }
}

TEST(Screenshots, RendersEveryPageAndRefusesBadFlagsByName) {
    const QString directory = QDir::temp().filePath(
        QStringLiteral("velmora-screenshots-%1").arg(QCoreApplication::applicationPid()));
    QProcess good;
    good.start(VELMORA_SCREENSHOTS, {"--out", directory, "--size", "1280x780"});
    ASSERT_TRUE(good.waitForFinished(patienceMs));
    EXPECT_EQ(good.exitCode(), 0) << good.readAllStandardError().toStdString();
    for (const char* page : {"basic.png", "basic-cohorts.png", "basic-600-months.png",
                             "basic-600-months-cohorts.png", "comparison.png", "insights.png"}) {
        const QImage image(QDir(directory).filePath(page));
        EXPECT_EQ(image.size(), QSize(1280, 780)) << page;
    }
    QDir(directory).removeRecursively();

    const std::pair<QStringList, const char*> bad[] = {
        {{"--bogus"}, "--bogus"},
        {{"--size", "9x9"}, "--size"},
        {{"--size", "900x600"}, "--size"},  // below the window's smallest layout
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
