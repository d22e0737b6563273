#include <QApplication>
#include <QLabel>
#include <QMenuBar>

#include <gtest/gtest.h>

#include "support/fake_scenarios.h"
#include "ui/window/about_dialog.h"
#include "ui/window/application_identity.h"
#include "ui/window/main_window.h"

namespace velmora {
namespace {

QStringList actionTexts(const QList<QAction*>& actions) {
    QStringList texts;
    for (const QAction* action : actions) {
        texts << action->text();
    }
    return texts;
}

TEST(About, HelpMenuShowsVersionLicenceAndLibrariesWithoutBlocking) {
    FakeScenarios scenarios;
    MainWindow window(scenarios.factory());
    const QList<QAction*> menus = window.menuBar()->actions();
    ASSERT_EQ(actionTexts(menus).last(), "&Help");
    const QList<QAction*> help = menus.last()->menu()->actions();
    ASSERT_EQ(actionTexts(help), QStringList({"&About Velmora", "About &Qt"}));

    help.first()->trigger();  // returns at once: the dialog is not modal
    const auto* dialog = window.findChild<AboutDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    const auto text = [dialog](const char* name) {
        const auto* label = dialog->findChild<QLabel*>(name);
        return label == nullptr ? QString() : label->text();
    };
    EXPECT_EQ(text("version"), "Version " VELMORA_PROJECT_VERSION);
    EXPECT_TRUE(text("licence").contains("GPL-3.0-or-later"));
    EXPECT_TRUE(text("libraries").contains(QStringLiteral("Qt ") + qVersion()));
    EXPECT_TRUE(text("libraries").contains("QCustomPlot 2."));

    // Asking again brings the same dialog forward.
    help.first()->trigger();
    EXPECT_EQ(window.findChildren<AboutDialog*>().size(), 1);
}

TEST(About, WindowIconComesFromTheBuiltInPngsAtEverySize) {
    setApplicationIdentity();
    const QIcon icon = QApplication::windowIcon();
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        EXPECT_EQ(icon.pixmap(size, size).size(), QSize(size, size)) << size;
    }
    EXPECT_EQ(QGuiApplication::desktopFileName(), VELMORA_APP_ID);
    EXPECT_EQ(QApplication::applicationVersion(), VELMORA_PROJECT_VERSION);
}

}  // namespace
}  // namespace velmora
