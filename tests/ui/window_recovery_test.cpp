#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

#include "support/files.h"
#include "ui/document/file_commands.h"
#include "ui/document/recovery_bar.h"
#include "ui/document/recovery_writer.h"
#include "ui/form/inputs_view.h"
#include "window_fixture.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

class Recovery : public DocumentWindow {
protected:
    [[nodiscard]] QStringList copies() const {
        return QDir(recovery.path()).entryList({"*.velmora"}, QDir::Files);
    }
    /// The one copy, read back with the file it stands for.
    [[nodiscard]] std::pair<ScenarioDocument, QString> copy() const {
        EXPECT_EQ(copies().size(), 1);
        DocumentMetadata metadata;
        const auto read = readDocumentFile(recovery.filePath(copies().value(0)), &metadata);
        return {std::get<ScenarioDocument>(read), metadata.recoveryOf};
    }
    static NumberField* price(const MainWindow* of) {
        return of->content()->single()->form()->field(Field::Price);
    }
};

TEST_F(Recovery, KeepsACopyWhileUnsavedUntilSavedUndoneOrDiscarded) {
    FakeTimer& clock = *clocks.made.at(0);
    type(price(window), "5");
    clock.advance(RecoveryWriter::wait - 1ms);
    EXPECT_TRUE(copies().isEmpty()) << "not before the wait";
    clock.advance(1ms);
    EXPECT_TRUE(identical(copy().first, window->session()->document()));
    EXPECT_EQ(copy().second, "");

    press(Qt::Key_Z);  // back to the clean point
    EXPECT_TRUE(copies().isEmpty());
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    clock.advance(RecoveryWriter::wait);
    ASSERT_EQ(copies().size(), 1);

    dialogs.savePath = file("plan.velmora");
    press(Qt::Key_S);
    EXPECT_TRUE(copies().isEmpty());
    type(price(window), "6");
    clock.advance(RecoveryWriter::wait);
    EXPECT_EQ(copy().first.basic.price, 6);
    EXPECT_EQ(copy().second, file("plan.velmora"));

    dialogs.answers = {Answer::Discard};
    window->close();
    settle();
    EXPECT_TRUE(QDir(recovery.path()).isEmpty()) << "neither the copy nor its lock is left";
}

TEST_F(Recovery, TerminatingWritesEveryCopyAtOnceAndLeavesThemForTheNextStart) {
    MainWindow* second = app.openWindow();
    for (MainWindow* edited : {window, second}) {
        type(price(edited), "5");
    }
    // A quit cancelled at the second window: the first, answered Discard,
    // stays open with its changes, and gets its copy back at once.
    dialogs.answers = {Answer::Discard, Answer::Cancel};
    app.quit();
    EXPECT_EQ(copies().size(), 1);

    app.openWindow();  // unchanged: nothing to keep
    app.terminate();
    settle();
    EXPECT_TRUE(app.windows().empty());
    RecoveryStore next(recovery.path());
    const std::vector<RecoveryLeftover> leftovers = next.leftovers();
    ASSERT_EQ(leftovers.size(), 2u);
    for (const RecoveryLeftover& leftover : leftovers) {
        ASSERT_TRUE(leftover.readable());
        EXPECT_EQ(std::get<ScenarioDocument>(leftover.document).basic.price, 5);
    }
}

TEST_F(Recovery, AStartOffersTheLeftoversInItsFirstWindowAndRestoresOrDiscardsThem) {
    VelmoraApp clean(scenarios.factory(), &dialogs, clocks.setup(recovery.path()));
    clean.openFiles({});
    EXPECT_FALSE(clean.windows().at(0)->recoveryBar()->isVisible()) << "nothing to offer";

    ScenarioDocument untitled;
    untitled.basic.price = 0.1 + 0.2;
    untitled.comparison[1].startingSubs = -0.0;
    untitled.comparison[2].rt3 = 5e-324;
    const ScenarioDocument titled{.basic = {}, .comparison = {}, .chartType = ChartType::Cohorts};
    const std::pair<ScenarioDocument, QString> restorable[] = {{untitled, ""},
                                                               {titled, file("plan.velmora")}};
    {
        RecoveryStore crashed(recovery.path());
        for (const auto& [document, path] : restorable) {
            ASSERT_FALSE(std::get<0>(crashed.create())->write(document, path));
        }
        ASSERT_TRUE(writeFile(recovery.filePath("damaged.velmora"), "{"));
    }

    VelmoraApp start(scenarios.factory(), &dialogs, clocks.setup(recovery.path()));
    start.openFiles({});
    ASSERT_EQ(start.windows().size(), 1u);
    RecoveryBar* bar = start.windows()[0]->recoveryBar();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->message()->text(),
              "Velmora found 3 documents with unsaved changes from a session that ended "
              "unexpectedly. 1 of them cannot be read.");

    bar->restoreButton()->click();
    const std::vector<MainWindow*> windows = start.windows();
    ASSERT_EQ(windows.size(), 2u) << "one into the untitled, unchanged window";
    for (const auto& [document, path] : restorable) {
        const auto shown = std::ranges::find_if(
            windows, [&](MainWindow* w) { return w->session()->filePath() == path; });
        ASSERT_NE(shown, windows.end()) << path.toStdString();
        EXPECT_TRUE(identical((*shown)->session()->document(), document)) << path.toStdString();
        EXPECT_TRUE((*shown)->isWindowModified());
        EXPECT_TRUE(QFile::exists((*shown)->recoveryWriter()->copyPath())) << "adopted";
    }
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->details()->text().startsWith("A copy that cannot be read"));
    bar->discardButton()->click();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(copies().size(), 2);

    // Saved (the untitled one as a file of its own): the adopted copies go.
    dialogs.savePath = file("untitled.velmora");
    for (MainWindow* restored : windows) {
        EXPECT_TRUE(restored->fileCommands()->save());
    }
    EXPECT_TRUE(copies().isEmpty());
}

TEST_F(Recovery, TellsAProblemInTheStatusBarUntilACopyIsWritten) {
    ASSERT_TRUE(writeFile(file("taken"), {}));  // where the folder should be
    VelmoraApp blocked(scenarios.factory(), &dialogs, clocks.setup(file("taken/recovery")));
    MainWindow* edited = blocked.openWindow();
    EXPECT_TRUE(edited->statusBar()->isHidden());
    type(price(edited), "5");
    clocks.made.back()->advance(RecoveryWriter::wait);
    EXPECT_EQ(edited->recoveryProblem(), "The recovery copy could not be updated: " +
                                             QDir::toNativeSeparators(file("taken/recovery")) +
                                             ": cannot be made");
    EXPECT_TRUE(edited->statusBar()->isVisible());

    ASSERT_TRUE(QFile::remove(file("taken")));
    type(price(edited), "6");
    clocks.made.back()->advance(RecoveryWriter::wait);
    EXPECT_EQ(edited->recoveryProblem(), "");
    EXPECT_TRUE(edited->statusBar()->isHidden());
}

}  // namespace
}  // namespace velmora
