#include <cstdio>
#include <deque>
#include <numeric>
#include <random>

#include <QAction>
#include <QComboBox>

#include "support/projected.h"
#include "ui/form/inputs_view.h"
#include "ui/pages/cost_comparison.h"
#include "ui/pages/scenario_column.h"
#include "ui/table/table_model.h"
#include "ui/table/table_view.h"
#include "window_fixture.h"

namespace velmora {
namespace {

/// The summary and every row of `table`, as lines of text.
QStringList figures(const TableView& table) {
    QList<int> rows(table.model()->rowCount());
    std::iota(rows.begin(), rows.end(), 0);
    return table.summaryTexts() + tabSeparated(*table.model(), rows).split('\n');
}

// Thousands of random user actions on real windows, with the figures of every
// table and the modified mark of every window checked after each burst. The
// seed is printed; VELMORA_MONKEY_SEED (a number, or "random") and
// VELMORA_MONKEY_ACTIONS replay or lengthen a run.
class Monkey : public DocumentWindow {
protected:
    int pick(int below) { return std::uniform_int_distribution(0, below - 1)(random); }
    template <typename List>
    const auto& any(const List& list) {
        return list[pick(static_cast<int>(std::size(list)))];
    }

    /// The form of a random scenario of the current window, its page shown.
    InputsView* anyForm(std::string& said) {
        const int page = pick(4);
        window->content()->setCurrentIndex(page == 0 ? 0 : 1);
        said += page == 0 ? "basic " : "column " + std::to_string(page - 1) + " ";
        return page == 0 ? single().form() : dual().column(page - 1)->form();
    }

    std::string typeText() {
        static const QStringList texts =
            QString(
                "2.99|0.5|0.9|1|0|250|12.5|1,000|0.0004|95|-0.3|abc|1,2,3||1e308|-1e308|"
                "5e-324|-0|nan|inf|-inf|3.|.7|1e9|12345678901234567890123456789012345678901")
                .split('|');
        std::string said = "type into ";
        InputsView* form = anyForm(said);
        // A compared scenario's cost of a trial too, which no projection reads.
        const auto* column = qobject_cast<ScenarioColumn*>(form->parentWidget());
        const int which = pick(column != nullptr ? 12 : 11);
        NumberField* field = which < 11
                                 ? form->field(static_cast<SubscriptionInputs::Field>(1 + which))
                                 : column->findChild<CostComparison*>()->costField();
        const QString& text = any(texts);
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        const char* const ways[] = {"Return", "Escape", "focus out"};
        const int way = pick(3);
        if (way == 2) {
            form->slider()->setFocus();
        } else {
            QTest::keyClick(field, way == 0 ? Qt::Key_Return : Qt::Key_Escape);
        }
        return said + field->accessibleName().toStdString() + " \"" + text.toStdString() + "\" " +
               ways[way];
    }

    std::string moveSlider(int how) {
        static const Qt::Key keys[] = {Qt::Key_Left,   Qt::Key_Right,    Qt::Key_Up,  Qt::Key_Down,
                                       Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home};
        std::string said = "on the slider of ";
        QSlider* slider = anyForm(said)->slider();
        if (how == 0) {
            const QPoint start = handleCentre(*slider);
            const int dx = pick(36) - 22;  // leftwards more: months stay modest
            QTest::mousePress(slider, Qt::LeftButton, {}, start);
            QTest::mouseMove(slider, start + QPoint(dx / 2, 0));
            QTest::mouseMove(slider, start + QPoint(dx, 0));
            QTest::mouseRelease(slider, Qt::LeftButton, {}, start + QPoint(dx, 0));
            return said + "drag by " + std::to_string(dx);
        }
        // 600 months now and then; mostly fewer, so thousands of actions run fast.
        const Qt::Key key = how == 1 ? any(keys) : pick(6) == 0 ? Qt::Key_End : Qt::Key_Home;
        slider->setFocus();
        QTest::keyClick(slider, key);
        return said + QKeySequence(key).toString().toStdString();
    }

    std::string closeWindow() {
        if (app.windows().size() < 2) {
            return "(no close: one window)";
        }
        static const std::pair<Answer, const char*> answers[] = {
            {Answer::Save, "Save"}, {Answer::Discard, "Discard"}, {Answer::Cancel, "Cancel"}};
        const auto& [answer, name] = any(answers);
        const std::string said = "close " + window->windowTitle().toStdString() + ", " + name;
        dialogs.answers = {answer};
        dialogs.savePath = freshFile();
        trigger("&Close Window");  // Ctrl+W or Ctrl+F4, as the platform has it
        dialogs.answers.clear();
        settle();
        if (std::ranges::count(app.windows(), window) == 0) {
            window = app.windows().back();
        }
        return said;
    }

    void trigger(const QString& text) const {
        for (QAction* command : window->findChildren<QAction*>()) {
            if (command->text() == text && command->isEnabled()) {
                command->trigger();
            }
        }
    }

    std::string fileCommand(int which) {
        const std::size_t before = app.windows().size();
        if (which == 3) {
            trigger("Re&vert to Saved");
            return "revert to saved";
        }
        if (which == 2) {
            dialogs.openPath = saved == 0 || pick(8) == 0
                                   ? file("missing.velmora")
                                   : file(QString("m%1.velmora").arg(pick(saved)));
            press(Qt::Key_O);
            window = app.windows().size() > before ? app.windows().back() : window;
            return "open " + dialogs.openPath.toStdString();
        }
        dialogs.savePath = pick(8) == 0 ? file("gone/x.velmora") : freshFile();
        press(Qt::Key_S,
              which == 1 ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
        return (which == 1 ? "save as " : "save to ") + dialogs.savePath.toStdString();
    }
    QString freshFile() { return file(QString("m%1.velmora").arg(saved++)); }

    /// Does action `kind` of those `weights` lists, and says what it did.
    std::string act(int kind) {
        switch (kind) {
            case 0:
                return typeText();
            case 1:
            case 2:
            case 3:
                return moveSlider(kind - 1);
            case 4:
                window->content()->setCurrentIndex(0);
                single().chartPicker()->setFocus();
                press(pick(2) == 0 ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
                return "chart picker";
            case 5:
                window->content()->setCurrentIndex(pick(3));
                return "tab " + std::to_string(window->content()->currentIndex());
            case 6:
                press(Qt::Key_Z);
                return "undo";
            case 7:
                press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
                return "redo";
            case 8:
                press(Qt::Key_N);
                window = app.windows().back();  // where the user goes on
                return "new window";
            case 9:
                return closeWindow();
            case 10:
                window = any(app.windows());
                return "switch to " + window->windowTitle().toStdString();
            default:
                return fileCommand(kind - 11);
        }
    }
    // typing, the slider (drag, keys, Home or End), the picker, tabs, undo,
    // redo, new, close, switch, save, save as, open, revert
    static constexpr int weights[] = {40, 8, 10, 1, 4, 4, 10, 6, 1, 1, 2, 2, 1, 2, 1};

    /// Every table's figures against the engine's own projection of its
    /// scenario's values, and every window's mark against its file.
    std::string broken() {
        scenarios.elapse();
        scenarios.elapse();
        settle();
        std::string said;
        for (MainWindow* shown : app.windows()) {
            const std::string name = shown->windowTitle().toStdString() + ": ";
            if (shown == window && shown->grab().isNull()) {  // draws whatever was typed
                said += name + "cannot be drawn\n";
            }
            const SingleAnalysis& basic = *shown->content()->single();
            const DualAnalysis& dual = *shown->content()->dual();
            const char* const names[] = {"basic", "baseline", "alternate 1", "alternate 2"};
            for (int i = 0; i < 4; ++i) {
                const ScenarioValues values =
                    (i == 0 ? basic.inputs() : dual.scenario(i - 1))->scenarioValues();
                expected.setProjection(project(values), values.price);
                const QStringList got =
                    figures(i == 0 ? *basic.table() : *dual.column(i - 1)->table());
                const QStringList want = figures(expected);
                for (qsizetype line = 0; line < std::max(got.size(), want.size()); ++line) {
                    if (got.value(line) != want.value(line)) {
                        said += name + names[i] + " shows \"" + got.value(line).toStdString() +
                                "\" instead of \"" + want.value(line).toStdString() + "\"\n";
                        break;
                    }
                }
            }
            const DocumentSession& session = *shown->session();
            auto read = session.filePath().isEmpty() ? ScenarioDocument{}
                                                     : readDocumentFile(session.filePath());
            // An edit and its reverse, typed by hand, leave the mark (the
            // history is away from its clean point): only an unmarked window
            // must equal its file, or a new document when it has none.
            if (shown->isWindowModified() != session.isModified() ||
                (!session.isModified() &&
                 !(std::holds_alternative<ScenarioDocument>(read) &&
                   identical(session.document(), std::get<ScenarioDocument>(read))))) {
                said += name + "the mark disagrees with the history or the file\n";
            }
        }
        return said;
    }

    TableView expected;  // the figures of the engine's projection
    std::mt19937 random;
    int saved = 0;
};

TEST_F(Monkey, RandomActionsKeepEveryFigureAndMarkTrue) {
    const QByteArray chosen = qgetenv("VELMORA_MONKEY_SEED");
    const unsigned seed = chosen == "random" ? std::random_device{}()
                          : chosen.isEmpty() ? 20261206u
                                             : chosen.toUInt();
    const int given = qEnvironmentVariableIntValue("VELMORA_MONKEY_ACTIONS");
    const int actions = given > 0 ? given : 5000;
    std::printf("monkey: seed %u, %d actions\n", seed, actions);
    random.seed(seed);
    const int total = std::accumulate(std::begin(weights), std::end(weights), 0);
    std::deque<std::string> last;
    for (int done = 1; done <= actions; ++done) {
        QApplication::setActiveWindow(window);
        int kind = 0;
        for (int roll = pick(total); roll >= weights[kind]; roll -= weights[kind++]) {
        }
        // Four windows are enough: the next action closes one.
        last.push_back("  " + std::to_string(done) + ": " +
                       (app.windows().size() > 3 ? closeWindow() : act(kind)) + "\n");
        drain();
        if (last.size() > 20) {
            last.pop_front();
        }
        const std::string problem = done % 40 == 0 || done == actions ? broken() : "";
        ASSERT_TRUE(problem.empty())
            << problem << "seed " << seed << " (VELMORA_MONKEY_SEED=" << seed << "), after action "
            << done << "; the last actions:\n"
            << std::accumulate(last.begin(), last.end(), std::string());
    }
}

}  // namespace
}  // namespace velmora
