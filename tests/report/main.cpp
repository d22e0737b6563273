#include <QGuiApplication>
#include <QLocale>

#include <gtest/gtest.h>

// Reports are drawn offscreen in a fixed locale, so every figure they hold is
// written the same way on every machine.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
