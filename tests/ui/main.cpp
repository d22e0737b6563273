#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

// Widget tests run offscreen in a fixed locale, so every figure they read is
// written the same way on every machine.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
