#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "ui/document/recovery_bar.h"

namespace velmora {
namespace {

RecoveryLeftover leftover(const QString& recoveryOf, bool readable = true) {
    const QDateTime written(QDate(2025, 5, 12), QTime(14, 3));
    if (!readable) {
        return {"b.velmora", written, DocumentProblem{"/r/b.velmora: line 1, column 2: ..."}, {}};
    }
    return {"a.velmora", written, ScenarioDocument{}, recoveryOf};
}

TEST(RecoveryBar, TellsWhatWasFoundAndOffersRestoreWhileAnyCanBeRead) {
    const QString found =
        "Velmora found %1 with unsaved changes from a session that ended "
        "unexpectedly.";
    const struct {
        std::vector<RecoveryLeftover> leftovers;
        QString message;
        QString details;
        bool restore;
    } cases[] = {
        {{leftover("/home/ann/plan.velmora"), leftover("")},
         found.arg("2 documents"),
         "plan.velmora, written 5/12/25 2:03 PM\nUntitled, written 5/12/25 2:03 PM",
         true},
        {{leftover("", false)},
         found.arg("a document") + " It cannot be read.",
         "A copy that cannot be read, written 5/12/25 2:03 PM",
         false},
    };
    QWidget window;
    auto* bar = new RecoveryBar(&window);
    EXPECT_FALSE(bar->isVisibleTo(&window)) << "nothing found yet";
    for (const auto& c : cases) {
        bar->setLeftovers(c.leftovers);
        EXPECT_TRUE(bar->isVisibleTo(&window));
        EXPECT_EQ(bar->message()->text(), c.message);
        EXPECT_EQ(bar->details()->text(), c.details);
        EXPECT_EQ(bar->restoreButton()->isEnabled(), c.restore);
    }
    bar->setLeftovers({});
    EXPECT_FALSE(bar->isVisibleTo(&window));
}

TEST(RecoveryBar, ButtonsSignalTheChoiceFromTheKeyboardAndNotNowHidesIt) {
    QWidget window;
    auto* bar = new RecoveryBar(&window);
    bar->setLeftovers({leftover("/home/ann/plan.velmora")});
    QSignalSpy restore(bar, &RecoveryBar::restoreRequested);
    QSignalSpy discard(bar, &RecoveryBar::discardRequested);
    for (QPushButton* button : {bar->restoreButton(), bar->discardButton(), bar->laterButton()}) {
        EXPECT_TRUE(button->focusPolicy() & Qt::TabFocus) << button->text().toStdString();
        EXPECT_FALSE(button->accessibleDescription().isEmpty());
    }
    QTest::keyClick(bar->restoreButton(), Qt::Key_Space);
    QTest::keyClick(bar->discardButton(), Qt::Key_Space);
    EXPECT_EQ(restore.size(), 1);
    EXPECT_EQ(discard.size(), 1);
    EXPECT_TRUE(bar->isVisibleTo(&window)) << "the window decides when the offer ends";
    bar->laterButton()->click();
    EXPECT_FALSE(bar->isVisibleTo(&window));
    EXPECT_EQ(restore.size() + discard.size(), 2);
}

}  // namespace
}  // namespace velmora
