#include <QComboBox>
#include <QSlider>

#include "ui/charts/projection_chart.h"
#include "ui/form/inputs_view.h"
#include "ui/pages/scenario_column.h"
#include "ui/table/table_view.h"
#include "window_fixture.h"

namespace velmora {
namespace {

using Undo = DocumentWindow;

// Each edit is typed into a form of the window, undone and redone by the
// shortcuts, with the modified mark, the fields and the scenario at each step.
TEST_F(Undo, EditsAreUndoneAndRedoneThroughTheForms) {
    struct Row {
        int page;  // 0 basic, 1 baseline, 2 and 3 the alternates
        Field field;
        const char* typed;
        double before;
        double after;
        const char* undoText;
    };
    const Row rows[] = {
        {0, Field::Price, "2.99", 1.99, 2.99, "Undo Price"},
        {2, Field::Rt3, "0.5", 0.87, 0.5, "Undo Retention Rate 3"},
        {1, Field::DailyNewSubs, "250", 100, 250, "Undo Daily Trials"},
    };
    for (const Row& row : rows) {
        window->content()->setCurrentIndex(row.page == 0 ? 0 : 1);
        InputsView* form = row.page == 0 ? single().form() : dual().column(row.page - 1)->form();
        NumberField* field = form->field(row.field);
        type(field, row.typed);
        EXPECT_EQ(form->inputs()->value(row.field), row.after) << row.typed;
        EXPECT_TRUE(window->isWindowModified()) << row.typed;
        EXPECT_EQ(history().undoText(), QString(row.undoText).mid(5));

        window->content()->setCurrentIndex(row.page == 0 ? 1 : 0);
        press(Qt::Key_Z);
        EXPECT_EQ(window->content()->currentIndex(), row.page == 0 ? 0 : 1) << "shown where undone";
        EXPECT_EQ(form->inputs()->value(row.field), row.before) << row.typed;
        EXPECT_EQ(field->lastGoodValue(), row.before) << row.typed;
        // Only the first row's undo comes back to the clean point.
        EXPECT_EQ(window->isWindowModified(), &row != rows) << row.typed;

        press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(form->inputs()->value(row.field), row.after) << row.typed;
        EXPECT_TRUE(window->isWindowModified()) << row.typed;
    }
    EXPECT_EQ(history().count(), 3);
}

TEST_F(Undo, TheTableFollowsAnUndoneEditAfterTheWait) {
    NumberField* trials = single().form()->field(Field::DailyNewSubs);
    const auto subscribers = [this] { return single().table()->summaryTexts().value(0); };
    ASSERT_EQ(subscribers(), "15,642");
    type(trials, "250");
    scenarios.elapse();
    EXPECT_EQ(subscribers(), "39,105") << "2.5 times as many, from no starting subscribers";

    // While text is being typed, Ctrl+Z undoes the typing, not the history.
    QTest::keyClicks(trials, "7");
    press(Qt::Key_Z);
    EXPECT_EQ(trials->text(), "250");
    EXPECT_EQ(history().index(), 1);

    press(Qt::Key_Z);
    EXPECT_EQ(trials->text(), "100");
    EXPECT_EQ(subscribers(), "39,105") << "the rebuild waits";
    scenarios.elapse();
    EXPECT_EQ(subscribers(), "15,642");
}

TEST_F(Undo, ASliderDragOrARunOfKeyStepsIsOneStep) {
    QSlider* slider = single().form()->slider();
    SubscriptionInputs& inputs = *single().inputs();
    const auto drag = [slider](std::initializer_list<int> moves) {
        const QPoint start = handleCentre(*slider);
        QTest::mousePress(slider, Qt::LeftButton, {}, start);
        for (int dx : moves) {
            QTest::mouseMove(slider, start + QPoint(dx, 0));
        }
        QTest::mouseRelease(slider, Qt::LeftButton, {}, start + QPoint(*std::rbegin(moves), 0));
        drain();
    };

    drag({10, 25, 40, 60});
    EXPECT_GT(inputs.monthsToProject(), 36);
    EXPECT_EQ(history().count(), 1);
    EXPECT_EQ(history().undoText(), "Months to Project");

    press(Qt::Key_Right, Qt::NoModifier);
    press(Qt::Key_Right, Qt::NoModifier);
    press(Qt::Key_PageUp, Qt::NoModifier);
    EXPECT_EQ(history().count(), 2) << "the release ended the drag; the key steps are one step";
    const double afterKeys = inputs.monthsToProject();

    drag({-20, -40});
    EXPECT_EQ(history().count(), 3) << "pressing the slider ends the run of keys";
    drag({30, 60, 0});
    EXPECT_EQ(history().count(), 3) << "a drag back to where it began is no step";
    press(Qt::Key_Z);
    EXPECT_EQ(inputs.monthsToProject(), afterKeys);
    press(Qt::Key_Right, Qt::NoModifier);
    EXPECT_EQ(history().count(), 3) << "undo ends the run: a new step replaces the undone one";

    press(Qt::Key_Tab, Qt::NoModifier);  // the slider loses focus
    slider->setFocus();
    press(Qt::Key_Left, Qt::NoModifier);
    EXPECT_EQ(history().count(), 4);
    for (int step = 0; step < 4; ++step) {
        press(Qt::Key_Z);
    }
    EXPECT_EQ(inputs.monthsToProject(), 36);
    EXPECT_EQ(slider->value(), 3600);
    EXPECT_FALSE(window->isWindowModified());
}

TEST_F(Undo, SwitchingTheChartTypeIsOneStep) {
    QComboBox& picker = *single().chartPicker();
    picker.activated(picker.findData(SingleAnalysis::cohortChart));
    EXPECT_EQ(single().chartType(), ChartType::Cohorts);
    EXPECT_TRUE(single().chart()->showsCohorts());
    EXPECT_EQ(history().undoText(), "Chart Type");
    picker.activated(picker.findData(SingleAnalysis::cohortChart));
    EXPECT_EQ(history().count(), 1) << "choosing what is shown is no step";
    history().undo();
    EXPECT_EQ(single().chartType(), ChartType::Simple);
    EXPECT_FALSE(single().chart()->showsCohorts());
    EXPECT_EQ(picker.currentText(), "Show Simple Chart");
    EXPECT_FALSE(window->isWindowModified());
}

TEST_F(Undo, SavingSetsTheCleanPointAndOpeningClearsTheHistory) {
    type(single().form()->field(Field::Price), "2.99");
    dialogs.savePath = file("budget");
    press(Qt::Key_S);
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_EQ(window->windowTitle(), "budget.velmora[*] — Velmora");
    press(Qt::Key_Z);
    EXPECT_TRUE(window->isWindowModified()) << "away from the saved point";
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(window->isWindowModified());

    press(Qt::Key_Z);
    window->session()->load(ScenarioDocument{}, file("other.velmora"));
    EXPECT_EQ(history().count(), 0);
    EXPECT_FALSE(window->isWindowModified());

    // A restored document is unsaved, though nothing can be undone.
    window->session()->markUnsaved();
    EXPECT_TRUE(window->isWindowModified());
    type(single().form()->field(Field::Price), "2.99");
    press(Qt::Key_Z);
    EXPECT_TRUE(window->isWindowModified());
}

}  // namespace
}  // namespace velmora
