#include <QAction>
#include <QDir>
#include <QMenu>
#include <QPushButton>

#include "document/recovery_store.h"
#include "tests/support/every_key_document.h"
#include "ui/document/file_commands.h"
#include "ui/document/recent_files.h"
#include "ui/document/recovery_bar.h"
#include "ui/form/inputs_view.h"
#include "window_fixture.h"

namespace velmora {
namespace {

class DocumentKeys : public DocumentWindow {
protected:
    DocumentKeys() { clearRecentFiles(); }
    ~DocumentKeys() override { clearRecentFiles(); }

    /// A file of its own for each path: a document open already is only raised.
    QString written(const QString& name) const {
        EXPECT_EQ(saveDocumentFile(file(name), original), std::nullopt);
        return file(name);
    }

    /// The window that `open` brought up: the one showing `path`.
    MainWindow* showing(const VelmoraApp& in, const QString& path) const {
        for (MainWindow* candidate : in.windows()) {
            if (candidate->session()->filePath() == path) {
                return candidate;
            }
        }
        ADD_FAILURE() << "no window shows " << path.toStdString();
        return nullptr;
    }

    /// A window that is not untitled and unchanged, so that a file opens beside it.
    MainWindow* changedWindow() {
        MainWindow* changed = app.openWindow();
        type(changed->content()->single()->form()->field(Field::Price), "5");
        return changed;
    }

    // Holds the whole document, and saved after a change of Daily Trials it
    // holds that change and the rest as it was.
    void expectKept(MainWindow* shown, const char* how) {
        SCOPED_TRACE(how);
        ASSERT_NE(shown, nullptr);
        scenarios.elapse();
        EXPECT_TRUE(identical(shown->session()->document(), original));
        type(shown->content()->single()->form()->field(Field::DailyNewSubs), "77");
        dialogs.savePath = file(QStringLiteral("saved %1.velmora").arg(++saves));
        ASSERT_TRUE(shown->fileCommands()->saveAs());
        const auto read = readDocumentFile(dialogs.savePath);
        ASSERT_TRUE(std::holds_alternative<ScenarioDocument>(read));
        ScenarioDocument expected = original;
        expected.basic.dailyNewSubs = 77;
        EXPECT_TRUE(identical(std::get<ScenarioDocument>(read), expected));
    }

    const ScenarioDocument original = everyKeyDocument();
    int saves = 0;
};

TEST_F(DocumentKeys, EveryKeySurvivesEveryWayOfOpeningAndIsSavedAgain) {
    VelmoraApp start(scenarios.factory(), &dialogs, clocks.setup(recovery.path()));
    const QString started = written("start.velmora");
    start.openFiles({started});
    expectKept(showing(start, started), "velmora FILE");

    dialogs.openPath = written("open.velmora");
    window->fileCommands()->open();
    expectKept(showing(app, dialogs.openPath), "File > Open into an untitled window");

    dialogs.openPath = written("beside.velmora");
    changedWindow()->fileCommands()->open();
    expectKept(showing(app, dialogs.openPath), "File > Open beside a changed window");

    const QString recent = written("recent.velmora");
    addRecentFile(recent);
    MainWindow* from = changedWindow();
    emit from->fileCommands()->recentMenu()->aboutToShow();
    for (QAction* entry : from->fileCommands()->recentMenu()->actions()) {
        if (entry->text() == QDir::toNativeSeparators(recent)) {
            entry->trigger();
        }
    }
    expectKept(showing(app, recent), "Open Recent");

    const QString reverted = written("revert.velmora");
    app.openFiles({reverted});
    MainWindow* changed = showing(app, reverted);
    type(changed->content()->single()->form()->field(Field::Price), "5");
    changed->fileCommands()->revert();
    expectKept(changed, "Revert to Saved");

    window->activateWindow();
    press(Qt::Key_N);
    dialogs.openPath = written("new window.velmora");
    app.windows().back()->fileCommands()->open();
    expectKept(showing(app, dialogs.openPath), "New Window, then File > Open");
}

// One copy restored into the untitled window, the other into a new one.
TEST_F(DocumentKeys, EveryKeySurvivesARestoredRecoveryCopy) {
    QTemporaryDir copies;
    {
        RecoveryStore crashed(copies.path());
        for (const QString& name : {QStringLiteral("a.velmora"), QStringLiteral("b.velmora")}) {
            auto made = crashed.create();
            ASSERT_TRUE(std::holds_alternative<std::unique_ptr<RecoveryCopy>>(made));
            ASSERT_EQ(std::get<std::unique_ptr<RecoveryCopy>>(made)->write(original, file(name)),
                      std::nullopt);
        }
    }
    VelmoraApp start(scenarios.factory(), &dialogs, clocks.setup(copies.path()));
    start.openFiles({});
    start.windows().at(0)->recoveryBar()->restoreButton()->click();
    ASSERT_EQ(start.windows().size(), 2u);
    expectKept(showing(start, file("a.velmora")), "restored into the untitled window");
    expectKept(showing(start, file("b.velmora")), "restored into a new window");
}

}  // namespace
}  // namespace velmora
