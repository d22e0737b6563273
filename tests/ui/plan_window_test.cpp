#include <QPushButton>

#include "document/scenario_document.h"
#include "engine/projection/monthly_projection.h"
#include "engine/projection/plan_months.h"
#include "engine/table/table_figures.h"
#include "format/number_format.h"
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

}  // namespace
}  // namespace velmora
