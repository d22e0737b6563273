#pragma once

#include <deque>
#include <functional>

#include <QApplication>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

#include <gtest/gtest.h>

#include "support/fake_scenarios.h"
#include "ui/document/document_dialogs.h"
#include "ui/document/document_session.h"
#include "ui/form/number_field.h"
#include "ui/pages/content_view.h"
#include "ui/pages/dual_analysis.h"
#include "ui/pages/single_analysis.h"
#include "ui/window/main_window.h"
#include "ui/window/velmora_app.h"

namespace velmora {

/// Types `text` into `field` and commits it with Return, as a user does.
inline void typeAndCommit(NumberField* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
    drain();
}

/// The centre of the slider's handle.
inline QPoint handleCentre(const QSlider& slider) {
    QStyleOptionSlider option;
    option.initFrom(&slider);
    option.orientation = slider.orientation();
    option.minimum = slider.minimum();
    option.maximum = slider.maximum();
    option.sliderPosition = slider.sliderPosition();
    option.sliderValue = slider.value();
    return slider.style()
        ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, &slider)
        .center();
}

/// Answers the window's questions as the test says, and keeps what was asked.
class FakeDialogs final : public DocumentDialogs {
public:
    QString fileToOpen(QWidget*, const QString&) override { return openPath; }
    QString fileToSave(QWidget*, const QString&) override { return savePath; }
    QString fileToExport(QWidget*, const QString&, const QString& suggestion,
                         const QString& filters) override {
        exportSuggestions << suggestion;
        exportFilters << filters;
        return exportPath;
    }
    Answer askToSave(QWidget*, const QString& name) override {
        asked << name;
        if (whileAsking) {
            whileAsking();
        }
        if (answers.empty()) {
            ADD_FAILURE() << "nobody said what to answer about " << name.toStdString();
            return Answer::Cancel;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool confirmRevert(QWidget*, const QString& name) override {
        asked << name;
        return revert;
    }
    void warn(QWidget*, const QString&, const QString& message) override { warnings << message; }
    QString fileToImport(QWidget*, const QString&) override { return importPath; }

    QString openPath;
    QString importPath;
    QString savePath;
    QString exportPath;
    QStringList exportSuggestions;
    QStringList exportFilters;
    std::deque<Answer> answers;
    bool revert = true;
    std::function<void()> whileAsking;
    QStringList asked;
    QStringList warnings;
};

/// The clocks of the windows' recovery copies, in the order the windows opened.
class RecoveryClocks {
public:
    /// Where an application keeps its copies (in `folder`) on these clocks.
    RecoverySetup setup(const QString& folder) {
        return {folder, [this] {
                    auto timer = std::make_unique<FakeTimer>();
                    made.push_back(timer.get());
                    return std::unique_ptr<RecalculationTimer>(std::move(timer));
                }};
    }

    std::vector<FakeTimer*> made;  // owned by the windows, gone with them
};

/// An application on a fake clock and fake dialogs, with one window open and
/// a folder for its files and one for its recovery copies.
class DocumentWindow : public ::testing::Test {
protected:
    using Field = SubscriptionInputs::Field;
    using Answer = DocumentDialogs::Answer;

    DocumentWindow()
        : app(scenarios.factory(), &dialogs, clocks.setup(recovery.path())),
          window(app.openWindow()) {
        QApplication::setActiveWindow(window);
    }

    [[nodiscard]] SingleAnalysis& single() const { return *window->content()->single(); }
    [[nodiscard]] DualAnalysis& dual() const { return *window->content()->dual(); }
    [[nodiscard]] QUndoStack& history() const { return *window->session()->history(); }
    [[nodiscard]] QString file(const QString& name) const { return folder.filePath(name); }

    static void type(NumberField* field, const QString& text) { typeAndCommit(field, text); }
    /// Presses `key` with `modifiers` where the focus is, as a shortcut would come.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) const {
        QWidget* target =
            QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : window;
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
        drain();
    }
    /// Lets deleted windows go.
    static void settle() {
        drain();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    FakeScenarios scenarios;
    FakeDialogs dialogs;
    QTemporaryDir folder;
    QTemporaryDir recovery;
    RecoveryClocks clocks;
    VelmoraApp app;
    MainWindow* window;
};

}  // namespace velmora
