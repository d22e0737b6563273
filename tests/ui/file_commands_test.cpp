#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

#include "support/files.h"
#include "ui/document/file_commands.h"
#include "ui/document/recent_files.h"
#include "ui/form/inputs_view.h"
#include "window_fixture.h"

namespace velmora {
namespace {

using Files = DocumentWindow;

QString writeDocument(const QString& path, double price, ChartType chart = ChartType::Simple) {
    ScenarioDocument document;
    document.basic.price = price;
    document.comparison[2].rt1 = 0.5;
    document.chartType = chart;
    EXPECT_EQ(saveDocumentFile(path, document), std::nullopt);
    return path;
}

QAction* action(const MainWindow& window, const QString& text) {
    for (QAction* candidate : window.findChildren<QAction*>()) {
        if (candidate->text() == text) {
            return candidate;
        }
    }
    ADD_FAILURE() << "no action " << text.toStdString();
    return nullptr;
}

TEST_F(Files, OpensIntoAnUntitledUnchangedWindowElseIntoANewOne) {
    dialogs.openPath = writeDocument(file("plan.velmora"), 4.99, ChartType::Cohorts);
    press(Qt::Key_O);
    ASSERT_EQ(app.windows().size(), 1u);
    EXPECT_EQ(single().inputs()->price(), 4.99);
    EXPECT_EQ(dual().input2()->rt1(), 0.5);
    EXPECT_EQ(single().chartType(), ChartType::Cohorts);
    EXPECT_EQ(window->windowTitle(), "plan.velmora[*] — Velmora");
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_FALSE(history().canUndo());

    // This window has a file now: the next one opens beside it.
    dialogs.openPath = writeDocument(file("other.velmora"), 2.49);
    press(Qt::Key_O);
    ASSERT_EQ(app.windows().size(), 2u);
    EXPECT_EQ(app.windows()[1]->content()->single()->inputs()->price(), 2.49);
    EXPECT_EQ(single().inputs()->price(), 4.99);

    // A document open already comes to the front, in no new window.
    dialogs.openPath = file("plan.velmora");
    press(Qt::Key_O);
    EXPECT_EQ(app.windows().size(), 2u);
    EXPECT_EQ(recentFiles().mid(0, 2), QStringList({file("plan.velmora"), file("other.velmora")}));
}

TEST_F(Files, ARefusedFileChangesNothing) {
    dialogs.openPath = file("bad.velmora");
    ASSERT_TRUE(writeFile(dialogs.openPath, R"({"format": "velmora", "version": 2})"));
    for (const bool modified : {false, true}) {
        if (modified) {
            type(single().form()->field(SubscriptionInputs::Field::Price), "3.5");
        }
        const ScenarioDocument before = window->session()->document();
        press(Qt::Key_O);
        ASSERT_EQ(dialogs.warnings.size(), modified ? 2 : 1);
        EXPECT_TRUE(dialogs.warnings.back().startsWith(dialogs.openPath)) << modified;
        EXPECT_TRUE(dialogs.warnings.back().contains("newer")) << modified;
        EXPECT_EQ(app.windows().size(), 1u);
        EXPECT_EQ(window->session()->document(), before);
        EXPECT_EQ(window->windowTitle(), "Untitled[*] — Velmora");
        EXPECT_EQ(window->isWindowModified(), modified);
    }
}

TEST_F(Files, SaveTakesWhatIsBeingTypedAndAFailedSaveKeepsTheMark) {
    NumberField* price = single().form()->field(SubscriptionInputs::Field::Price);
    price->setFocus();
    price->selectAll();
    QTest::keyClicks(price, "3.25");
    dialogs.savePath = file("gone/plan.velmora");
    press(Qt::Key_S);
    ASSERT_EQ(dialogs.warnings.size(), 1);
    EXPECT_TRUE(dialogs.warnings[0].startsWith(dialogs.savePath))
        << dialogs.warnings[0].toStdString();
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(window->windowTitle(), "Untitled[*] — Velmora");

    dialogs.savePath = file("plan.velmora");
    press(Qt::Key_S);
    EXPECT_FALSE(window->isWindowModified());
    const auto saved = readDocumentFile(dialogs.savePath);
    ASSERT_TRUE(std::holds_alternative<ScenarioDocument>(saved));
    EXPECT_EQ(std::get<ScenarioDocument>(saved).basic.price, 3.25)
        << "the typed text was committed";

    // Revert to Saved: only with a file and changes; asks first.
    QAction* revert = action(*window, "Re&vert to Saved");
    EXPECT_FALSE(revert->isEnabled());
    type(price, "9");
    ASSERT_TRUE(revert->isEnabled());
    dialogs.revert = false;
    revert->trigger();
    EXPECT_EQ(single().inputs()->price(), 9);
    dialogs.revert = true;
    revert->trigger();
    EXPECT_EQ(single().inputs()->price(), 3.25);
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_FALSE(history().canUndo());
}

TEST_F(Files, EachAnswerToTheCloseQuestionDoesWhatItSays) {
    struct Row {
        Answer answer;
        const char* savePath;  // none: the save dialog is cancelled
        bool closed;
        bool written;
    };
    const Row rows[] = {
        {Answer::Save, "a.velmora", true, true},        {Answer::Save, "", false, false},
        {Answer::Save, "gone/b.velmora", false, false}, {Answer::Discard, "c.velmora", true, false},
        {Answer::Cancel, "d.velmora", false, false},
    };
    int discarded = 0;
    for (const Row& row : rows) {
        MainWindow* edited = app.openWindow();
        type(edited->content()->single()->form()->field(SubscriptionInputs::Field::Price), "5");
        dialogs.savePath = *row.savePath != 0 ? file(row.savePath) : QString();
        dialogs.answers = {row.answer};
        dialogs.asked.clear();
        discarded = 0;
        QObject::connect(edited->fileCommands(), &FileCommands::changesDiscarded, edited,
                         [&discarded] { ++discarded; });
        edited->close();
        settle();
        EXPECT_EQ(discarded, row.answer == Answer::Discard ? 1 : 0);
        EXPECT_EQ(dialogs.asked, QStringList{"Untitled"}) << row.savePath;
        const bool open = std::ranges::count(app.windows(), edited) == 1;
        EXPECT_EQ(!open, row.closed) << row.savePath;
        EXPECT_EQ(QFile::exists(dialogs.savePath), row.written) << row.savePath;
        if (open) {
            EXPECT_TRUE(edited->isWindowModified()) << row.savePath;
        }
    }
    dialogs.asked.clear();
    window->close();
    EXPECT_TRUE(dialogs.asked.isEmpty()) << "an unchanged window closes without a question";
}

TEST_F(Files, QuitAsksEveryChangedWindowAndAnyCancelKeepsThemAll) {
    press(Qt::Key_N);  // New Window, with scenarios of its own
    press(Qt::Key_N);  // unchanged: never asked about
    ASSERT_EQ(app.windows().size(), 3u);
    MainWindow* second = app.windows()[1];
    EXPECT_NE(second->content()->single()->inputs(), single().inputs());
    for (MainWindow* edited : {window, second}) {
        type(edited->content()->single()->form()->field(SubscriptionInputs::Field::Price), "5");
    }
    dialogs.savePath = file("first.velmora");
    dialogs.answers = {Answer::Save, Answer::Cancel};
    app.quit();
    settle();
    EXPECT_EQ(dialogs.asked, QStringList({"Untitled", "Untitled"}));
    EXPECT_EQ(app.windows().size(), 3u);
    EXPECT_FALSE(window->isWindowModified()) << "saved at once";

    dialogs.answers = {Answer::Discard};
    app.quit();
    settle();
    EXPECT_TRUE(app.windows().empty());
}

TEST_F(Files, TerminatingClosesEveryWindowWithoutAsking) {
    type(single().form()->field(SubscriptionInputs::Field::Price), "5");
    MainWindow* second = app.openWindow();
    type(second->content()->single()->form()->field(SubscriptionInputs::Field::Price), "5");
    // Told to end while the first window's question is open: the question
    // goes unanswered, and every window closes all the same.
    dialogs.whileAsking = [this] { app.terminate(); };
    dialogs.answers = {Answer::Cancel};
    window->close();
    settle();
    EXPECT_EQ(dialogs.asked.size(), 1);
    EXPECT_TRUE(app.windows().empty());
}

TEST(DocumentDialogs, TheQuestionBoxAnswersWithTheButtonClicked) {
    const std::pair<QMessageBox::StandardButton, DocumentDialogs::Answer> rows[] = {
        {QMessageBox::Save, DocumentDialogs::Answer::Save},
        {QMessageBox::Discard, DocumentDialogs::Answer::Discard},
        {QMessageBox::Cancel, DocumentDialogs::Answer::Cancel},
    };
    QtDocumentDialogs dialogs;
    for (const auto& [button, answer] : rows) {
        QString shown;
        QTimer::singleShot(0, [&shown, button = button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            shown = box->text();
            box->button(button)->click();
        });
        EXPECT_EQ(dialogs.askToSave(nullptr, "budget.velmora"), answer);
        EXPECT_EQ(shown, "Save changes to “budget.velmora” before closing?");
    }
}

TEST_F(Files, RecentFilesAreNewestFirstTenAtMostOnceEachAndOutliveTheApplication) {
    clearRecentFiles();
    for (int i = 0; i < 12; ++i) {
        addRecentFile(file(QString("f%1.velmora").arg(i)));
    }
    addRecentFile(file("f5.velmora"));
    QStringList expected{file("f5.velmora")};
    for (int i : {11, 10, 9, 8, 7, 6, 4, 3, 2}) {
        expected << file(QString("f%1.velmora").arg(i));
    }
    EXPECT_EQ(recentFiles(), expected);

    VelmoraApp later(scenarios.factory(), &dialogs);
    MainWindow* next = later.openWindow();
    QMenu* menu = next->fileCommands()->recentMenu();
    emit menu->aboutToShow();
    const QList<QAction*> entries = menu->actions();
    ASSERT_EQ(entries.size(), 12);  // ten files, a separator, Clear Menu
    EXPECT_EQ(entries[0]->text(), file("f5.velmora"));
    entries[0]->trigger();  // never written: refused with the reader's message
    ASSERT_EQ(dialogs.warnings.size(), 1);
    EXPECT_TRUE(dialogs.warnings[0].startsWith(file("f5.velmora")));
    EXPECT_EQ(later.windows().size(), 1u);

    entries.back()->trigger();
    EXPECT_TRUE(recentFiles().isEmpty());
}

TEST_F(Files, AStartOpensEachFileInAWindowOfItsOwnAndTellsOfThoseItCannot) {
    std::vector<ScenarioValues> initial;
    const ScenarioFactory inner = scenarios.factory();
    VelmoraApp start(
        [&](QObject* parent, const ScenarioValues& values) {
            initial.push_back(values);
            return inner(parent, values);
        },
        &dialogs);
    start.openFiles({writeDocument(file("a.velmora"), 4.99), file("missing.velmora"),
                     writeDocument(file("b.velmora"), 2.49)});
    ASSERT_EQ(start.windows().size(), 2u);
    ASSERT_EQ(initial.size(), 8u) << "four scenarios a window, each made once";
    EXPECT_EQ(initial[0].price, 4.99) << "made from the file's values";
    EXPECT_EQ(initial[4].price, 2.49);
    EXPECT_EQ(initial[7].rt1, 0.5);
    EXPECT_EQ(start.windows()[1]->windowTitle(), "b.velmora[*] — Velmora");

    const auto boxes = start.windows()[1]->findChildren<QMessageBox*>();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0]->isVisible()) << "shown without waiting";
    EXPECT_TRUE(boxes[0]->informativeText().startsWith(file("missing.velmora")));

    VelmoraApp nothing(scenarios.factory(), &dialogs);
    nothing.openFiles({file("missing.velmora")});
    ASSERT_EQ(nothing.windows().size(), 1u);
    EXPECT_EQ(nothing.windows()[0]->windowTitle(), "Untitled[*] — Velmora");
}

}  // namespace
}  // namespace velmora
