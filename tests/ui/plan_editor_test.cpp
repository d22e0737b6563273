#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>

#include "ui/form/inputs_view.h"
#include "ui/form/plan_changes.h"
#include "ui/form/plan_dialog.h"
#include "ui/form/plan_field.h"
#include "ui/form/plan_texts.h"
#include "ui/pages/scenario_column.h"
#include "window_fixture.h"

namespace velmora {
namespace {

using PlanEditor = DocumentWindow;
using Read = std::variant<std::vector<PlanChange>, QString>;

Plan fullPlan() {
    Plan plan{5.123456789, 12, CalendarMonth{2027, 1}};
    plan.seasonality = std::array<double, 12>{0.8, 0.9, 1, 1.1, 1.2, 1.3, 1.25, 1, 1, 0.95, 0.9, 2};
    plan.priceChangesApply = PriceChangesApply::NewSubscribers;
    plan.changes = {{PlanInput::Price, 6, 2.99},
                    {PlanInput::TrialRetention, 3, 0.55},
                    {PlanInput::CostPerTrial, 9, 1.2}};
    return plan;
}

TEST(PlanTexts, ReadsPastedChangesOrNamesTheLineItCannot) {
    const std::pair<const char*, Read> cases[] = {
        {"6\tPrice\t2.99\n\nM3, trial retention ,0.55\r\n9,costPerTrial,1,200",
         std::vector<PlanChange>{{PlanInput::Price, 6, 2.99},
                                 {PlanInput::TrialRetention, 3, 0.55},
                                 {PlanInput::CostPerTrial, 9, 1200}}},
        {"", std::vector<PlanChange>{}},
        {"1,Daily Trials,40\n2,Speed,3", QStringLiteral("line 2: “Speed” is not an input")},
        {"0,Price,3", QStringLiteral("line 1: “0” is not a month from 1 to 12000")},
        {"2.5,Price,3", QStringLiteral("line 1: “2.5” is not a month from 1 to 12000")},
        {"2,Price,abc", QStringLiteral("line 1: “abc” is not a number")},
        {"2,Price", QStringLiteral("line 1: a change is a month, an input and a value")},
        {"4,dailyNewSubs,-1",
         QStringLiteral("line 1: The change of dailyNewSubs at M4 must be a number of 0 or more.")},
    };
    for (const auto& [text, read] : cases) {
        EXPECT_EQ(readPlanChanges(QString::fromUtf8(text)), read) << text;
    }
}

TEST(PlanTexts, TheButtonCountsTheChangesOrNamesWhatElseThePlanDoes) {
    Plan growth{5};
    Plan seasons{std::nullopt, std::nullopt, CalendarMonth{}, std::array<double, 12>{2}};
    Plan both = seasons;
    both.growthPercent = 3;
    const std::pair<std::optional<Plan>, const char*> cases[] = {
        {std::nullopt, "Plan…"},
        {Plan{}, "Plan…"},
        {growth, "Plan (growth)…"},
        {seasons, "Plan (seasons)…"},
        {both, "Plan (growth, seasons)…"},
        {fullPlan(), "Plan (3 changes)…"},
        {Plan{.changes = {{}}}, "Plan (1 change)…"},
    };
    for (const auto& [plan, text] : cases) {
        EXPECT_EQ(planButtonText(plan), QString::fromUtf8(text)) << text;
    }
    EXPECT_EQ(
        planSummary(fullPlan()).split('\n'),
        QStringList({"Daily trials grow 5.123% a month until M12", "Seasons; M0 is Jan 2027",
                     "Price 2.99 from M6", "Trial Retention 0.55 from M3",
                     "Cost per Trial 1.2 from M9", "Price changes apply to new subscribers only"}));
    EXPECT_EQ(planSummary(Plan{.startMonth = CalendarMonth{2027, 3}}), "M0 is Mar 2027");
}

TEST_F(PlanEditor, ShowsEveryPartOfAPlanAndGivesItBackExactly) {
    ScenarioValues values;
    values.plan = fullPlan();
    PlanDialog dialog(values, window);
    EXPECT_EQ(dialog.plan(), fullPlan());
    EXPECT_EQ(dialog.growthField()->text(), "5.123");
    EXPECT_EQ(dialog.startDate()->text(), "Jan 2027");
    EXPECT_EQ(dialog.factorField(11)->text(), "2");
    EXPECT_EQ(dialog.changes()->inputBox(1)->currentText(), "Trial Retention");
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == "Clear Plan") {
            button->click();
        }
    }
    EXPECT_EQ(dialog.plan(), std::nullopt);

    // Each part typed anew, a calendar month without seasons.
    dialog.growthField()->setText("-2.5");
    dialog.untilField()->setText("24");
    dialog.startBox()->setChecked(true);
    dialog.startDate()->setDate(QDate(2030, 7, 1));
    dialog.newSubscribersButton()->setChecked(true);
    dialog.changes()->addRow();
    dialog.changes()->valueField(0)->setText("3.49");
    dialog.changes()->addRow();
    Plan typed{-2.5, 24, CalendarMonth{2030, 7}};
    typed.priceChangesApply = PriceChangesApply::NewSubscribers;
    typed.changes = {{PlanInput::Price, 1, 3.49}, {PlanInput::Price, 2, 3.49}};
    EXPECT_EQ(dialog.plan(), typed);
}

// A field that cannot take its text keeps its value and disables OK, saying
// why; so does a plan the engine cannot use.
TEST_F(PlanEditor, RefusesWhatCannotBeReadOrUsedAndKeepsTheLastGoodValue) {
    ScenarioValues values;
    values.plan = fullPlan();
    PlanDialog dialog(values, window);
    const std::pair<PlanField*, const char*> fields[] = {
        {dialog.growthField(),
         "Monthly growth of daily trials (%): “abc” is not a number. Kept 5.123."},
        {dialog.untilField(),
         "Growth stops after month: “2.5”: a month is a whole number from 0 to 12000. Kept 12."},
        {dialog.factorField(0), "January: an empty field is not a number. Kept 0.8."},
        {dialog.changes()->valueField(2), "Value of change 3: “1.2x” is not a number. Kept 1.2."},
    };
    const QStringList texts = {"abc", "2.5", "", "1.2x"};
    for (int i = 0; i < 4; ++i) {
        const QString before = fields[i].first->text();
        fields[i].first->setText(texts[i]);
        EXPECT_EQ(dialog.message()->text(), QString::fromUtf8(fields[i].second));
        EXPECT_FALSE(dialog.okButton()->isEnabled());
        EXPECT_EQ(dialog.plan(), fullPlan()) << "the last good value is kept";
        fields[i].first->setText(before);
        EXPECT_TRUE(dialog.okButton()->isEnabled());
    }
    dialog.growthField()->setText("-100");
    EXPECT_EQ(dialog.message()->text(), "The monthly growth must be a number above -100%.");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected) << "OK is disabled";
    dialog.growthField()->setText("5");
    dialog.changes()->monthBox(1)->setValue(6);
    dialog.changes()->inputBox(1)->setCurrentIndex(1);
    EXPECT_EQ(dialog.message()->text(), "The change of price at M6 is given twice.");
    dialog.changes()->removeRow(1);
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    EXPECT_EQ(dialog.changes()->valueField(1)->accessibleName(), "Value of change 2");

    // A paste adds its lines, replacing a change of the same input and month,
    // or adds nothing and names the line.
    EXPECT_FALSE(dialog.changes()->paste("6,Price,3.99\n7,Price,x"));
    EXPECT_EQ(dialog.message()->text(), "Nothing pasted: line 2: “x” is not a number.");
    EXPECT_EQ(dialog.plan()->changes.size(), 2u);
    EXPECT_TRUE(dialog.changes()->paste("6\tPrice\t3.99\n12\tDaily Trials\t80\n9\tPrice\t4"));
    EXPECT_EQ(dialog.message()->text(), "");
    EXPECT_EQ(dialog.plan()->changes, (std::vector<PlanChange>{{PlanInput::Price, 6, 3.99},
                                                               {PlanInput::CostPerTrial, 9, 1.2},
                                                               {PlanInput::DailyNewSubs, 12, 80},
                                                               {PlanInput::Price, 9, 4}}));
}

// Accepted in a form, the plan is one step of the history; each column of the
// comparison keeps its own.
TEST_F(PlanEditor, AcceptingIsOneUndoableEditOfThatFormsScenarioOnly) {
    const auto edit = [this](InputsView& form, const QString& changes) {
        form.planButton()->click();
        auto* dialog = form.findChild<PlanDialog*>();
        EXPECT_TRUE(dialog->changes()->paste(changes));
        dialog->growthField()->setText("5");
        dialog->okButton()->click();
        settle();
    };
    InputsView& form = *single().form();
    edit(form, "6,Price,2.99\n3,Trial Retention,0.55\n9,Cost per Trial,1.2");
    const std::optional<Plan> planned = single().inputs()->plan();
    ASSERT_TRUE(planned);
    EXPECT_EQ(planned->changes.size(), 3u);
    EXPECT_EQ(history().undoText(), "Plan");
    EXPECT_EQ(form.planButton()->text(), "Plan (3 changes)…");
    EXPECT_TRUE(form.planButton()->toolTip().contains("Price 2.99 from M6"));
    history().undo();
    drain();
    EXPECT_EQ(single().inputs()->plan(), std::nullopt);
    EXPECT_EQ(form.planButton()->text(), "Plan…");
    history().redo();
    drain();
    EXPECT_EQ(single().inputs()->plan(), planned);
    EXPECT_EQ(form.planButton()->text(), "Plan (3 changes)…");

    // Cancelled, nothing changes.
    form.planButton()->click();
    form.findChild<PlanDialog*>()->clear();
    form.findChild<PlanDialog*>()->reject();
    settle();
    EXPECT_EQ(history().count(), 1);
    // A second edit undone brings back the first plan.
    edit(form, "12,Daily Trials,80");
    history().undo();
    drain();
    EXPECT_EQ(single().inputs()->plan(), planned);

    InputsView& second = *dual().column(1)->form();
    edit(second, "4,Daily Trials,40");
    EXPECT_EQ(dual().input1()->plan()->changes.size(), 1u);
    EXPECT_EQ(second.planButton()->text(), "Plan (1 change)…");
    EXPECT_EQ(dual().baseline()->plan(), std::nullopt);
    EXPECT_EQ(dual().column(2)->form()->planButton()->text(), "Plan…");
    EXPECT_EQ(single().inputs()->plan(), planned);
}

}  // namespace
}  // namespace velmora
