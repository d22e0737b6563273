#include <QPushButton>

#include "document/scenario_document.h"
#include "engine/projection/monthly_projection.h"
#include "engine/projection/plan_months.h"
#include "engine/table/table_figures.h"
#include "format/number_format.h"
#include "ui/charts/comparison_chart.h"
#include "ui/charts/projection_chart.h"
#include "ui/form/inputs_view.h"
#include "ui/pages/scenario_column.h"
#include "ui/table/table_model.h"
#include "ui/table/table_view.h"
#include "window_fixture.h"

namespace velmora {
namespace {

using PlanWindow = DocumentWindow;

// The window's table and summary show the plan's proceeds, the engine's month by
// month, and the plan survives an edit of another field and a save.
TEST_F(PlanWindow, ShowsThePlansProceedsAndKeepsThePlanThroughAnEditAndASave) {
    Plan plan{3, 10};
    plan.priceChangesApply = PriceChangesApply::NewSubscribers;
    plan.changes = {{PlanInput::Price, 4, 3.49}, {PlanInput::DailyNewSubs, 8, 40}};
    Plan shrinking{-2};
    shrinking.changes = {{PlanInput::CostPerTrial, 3, 1.5}};
    ScenarioDocument document;
    document.basic.plan = plan;
    document.comparison[1].plan = shrinking;
    dialogs.openPath = file("plan.velmora");
    ASSERT_EQ(saveDocumentFile(dialogs.openPath, document), std::nullopt);
    press(Qt::Key_O);
    scenarios.elapse();
    const ScenarioValues values = single().inputs()->scenarioValues();
    ASSERT_EQ(values.plan, plan);
    EXPECT_EQ(single().form()->planButton()->text(), "Plan (2 changes)…");
    EXPECT_EQ(dual().column(1)->form()->planButton()->text(), "Plan (1 change)…");

    const std::vector<double> actives = monthlyActives(values);
    const std::vector<double> proceeds = monthlyProceedsOf(values, actives);
    const NumberFormatter money(NumberFormatter::Style::Currency, 0);
    const ProjectionTableModel& table = *single().table()->model();
    ASSERT_EQ(table.rowCount(), static_cast<int>(actives.size()));
    for (std::size_t m = 0; m < actives.size(); ++m) {
        EXPECT_EQ(table.text(static_cast<int>(m), ProjectionTableModel::Proceeds),
                  money.format(proceeds[m]))
            << "month " << m;
    }
    EXPECT_NE(money.format(proceeds.back()),
              money.format(monthlyProceeds(actives.back(), values.price)))
        << "the plan moves the figures";
    EXPECT_TRUE(single().table()->summaryTexts().contains(money.format(proceeds.back())));

    type(single().form()->field(SubscriptionInputs::Field::Rt1), "0.7");
    press(Qt::Key_S);
    const auto saved = readDocumentFile(dialogs.openPath);
    ASSERT_TRUE(std::holds_alternative<ScenarioDocument>(saved));
    const ScenarioDocument& written = std::get<ScenarioDocument>(saved);
    EXPECT_EQ(written.basic.rt1, 0.7);
    EXPECT_EQ(written.basic.plan, plan);
    EXPECT_EQ(written.comparison[1].plan, shrinking);
}

// The charts mark the plan's months and the table names the calendar's, as
// the opened document has them, and follow an edit of the plan.
TEST_F(PlanWindow, ChartsMarkThePlansMonthsAndFollowItsEdits) {
    Plan plan{.growthPercent = 5,
              .growthUntil = 12,
              .startMonth = CalendarMonth{2026, 12},
              .changes = {{PlanInput::Price, 6, 2.99}, {PlanInput::TrialRetention, 3, 0.55}}};
    ScenarioDocument document;
    document.basic.plan = plan;
    document.comparison[2].plan = Plan{.changes = {{PlanInput::DailyNewSubs, 4, 80}}};
    dialogs.openPath = file("marks.velmora");
    ASSERT_EQ(saveDocumentFile(dialogs.openPath, document), std::nullopt);
    const auto shown = [&](double month, std::size_t marks, const char* tip, const char* row) {
        scenarios.elapse();
        settle();
        const ProjectionChart& chart = *single().chart();
        EXPECT_EQ(chart.planMarkLines().marks().size(), marks);
        EXPECT_EQ(chart.monthTip(month).toStdString(), tip);
        EXPECT_EQ(single().table()->model()->text(1, ProjectionTableModel::Month), row);
    };
    const int items = single().chart()->itemCount();
    press(Qt::Key_O);
    shown(6, 3, "Month 6 · Jun 2027\n6,868 active\nM6: Price 2.99", "M1 · Jan 2027");
    const auto ticks = qSharedPointerCast<QCPAxisTickerText>(single().chart()->xAxis->ticker());
    EXPECT_EQ(ticks->ticks().value(12), "12\nDec 2027");
    EXPECT_EQ(dual().chart()->monthTip(4).toStdString(),
              "Month 4\nBaseline $8,039\nAlternate 1 $8,039\nAlternate 2 $8,019\n"
              "Alternate 2 — M4: Daily Trials 80");

    plan.changes.front().month = 9;
    plan.startMonth.reset();
    // A change in the projection's last month is marked too.
    const int last = single().table()->model()->rowCount() - 1;
    plan.changes.push_back({PlanInput::DailyNewSubs, last, 50});
    single().inputs()->setPlan(plan);
    shown(9, 4, "Month 9\n9,601 active\nM9: Price 2.99", "M1");
    single().inputs()->setPlan(std::nullopt);
    shown(6, 0, "Month 6\n6,170 active", "M1");
    EXPECT_EQ(single().chart()->itemCount(), items) << "every mark's line and label taken off";
}

}  // namespace
}  // namespace velmora
