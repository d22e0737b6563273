#include "ui/insights/insights_page.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/projection/calculation.h"
#include "ui/common/page_layout.h"
#include "ui/common/rebuild.h"
#include "ui/common/scenario_spread.h"
#include "ui/form/number_field.h"
#include "ui/insights/cash_chart.h"
#include "ui/insights/economics_panel.h"
#include "ui/insights/goal_panel.h"
#include "ui/insights/sensitivity_panel.h"
#include "ui/insights/settle_panel.h"
#include "ui/insights/tornado_chart.h"

namespace velmora {

namespace {

constexpr int toolsWidth = 440;

QString describe(const ScenarioValues& values, const SubscriptionCalculation* projection) {
    using Style = NumberFormatter::Style;
    const double months =
        projection != nullptr ? static_cast<double>(projection->monthlySnapshots.size()) : 0;
    const QString cost =
        values.costPerTrial > 0
            ? QStringLiteral(", %1 a trial")
                  .arg(NumberFormatter(Style::Currency, 2).format(values.costPerTrial))
            : QString();
    return QStringLiteral(
               "The scenario of Basic Analysis: %1 a month, %2 daily trials%3, %4 "
               "months projected.")
        .arg(NumberFormatter(Style::Currency, 2).format(values.price),
             formText(formFormatter(), values.dailyNewSubs), cost,
             NumberFormatter(Style::Decimal, 0).format(months));
}

}  // namespace

InsightsPage::InsightsPage(SubscriptionInputs* inputs, ScenarioEditor* editor, QWidget* parent)
    : QWidget(parent),
      inputs_(inputs),
      scenarioLine_(new QLabel(this)),
      settle_(new SettlePanel(this)),
      goal_(new GoalPanel(inputs, editor != nullptr ? editor : &direct_, this)),
      economics_(new EconomicsPanel(inputs, editor != nullptr ? editor : &direct_, this)),
      sensitivity_(new SensitivityPanel(this)),
      rebuild_(new Rebuild([this] { rebuild(); }, this)) {
    setAccessibleName(QStringLiteral("Insights"));
    scenarioLine_->setWordWrap(true);
    scenarioLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = scenarioLine_->font();
    bold.setBold(true);
    scenarioLine_->setFont(bold);

    auto* tools = new QVBoxLayout;
    tools->addWidget(settle_);
    tools->addWidget(goal_);
    tools->addWidget(economics_, 1);
    auto* toolsColumn = new QWidget(this);
    toolsColumn->setLayout(tools);
    toolsColumn->setFixedWidth(toolsWidth);
    tools->setContentsMargins(0, 0, 0, 0);
    auto* panels = new QHBoxLayout;
    // On a laptop's screen the costs' chart scrolls below the questions, where
    // it would otherwise make the window taller than the screen.
    panels->addWidget(scrollUpAndDown(this, toolsColumn));
    panels->addWidget(sensitivity_, 1);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);
    page->addWidget(scenarioLine_);
    page->addLayout(panels, 1);

    QWidget* previous = goal_->metricPicker();
    for (QWidget* next : std::initializer_list<QWidget*>{
             goal_->targetField(), goal_->inputPicker(), goal_->applyButton(),
             economics_->costField(), economics_->chart(), sensitivity_->metricPicker(),
             sensitivity_->chart()}) {
        setTabOrder(previous, next);
        previous = next;
    }

    rebuild_->watch(inputs_);
    rebuild();
}

void InsightsPage::followSpread(const ScenarioSpread* spread) {
    connect(spread, &ScenarioSpread::changed, economics_,
            [this, spread] { economics_->setSpread(spread->spread()); });
    economics_->setSpread(spread->spread());
}

void InsightsPage::setRunner(const JobRunner& runner) {
    goal_->setRunner(runner);
    sensitivity_->setRunner(runner);
}

bool InsightsPage::isBusy() const {
    return inputs_->isRecalculationPending() || rebuild_->isPending() || goal_->isSolving() ||
           sensitivity_->isBusy();
}

void InsightsPage::rebuild() {
    // The values run ahead of the projection until it is rebuilt: nothing
    // found for the older ones may be applied meanwhile.
    if (inputs_->isRecalculationPending()) {
        goal_->withdraw();
        sensitivity_->withdraw();
        return;
    }
    const ScenarioValues values = inputs_->scenarioValues();
    const auto projection = inputs_->projection();
    scenarioLine_->setText(describe(values, projection.get()));
    settle_->showScenario(values, projection.get());
    goal_->setScenario(values);
    economics_->showScenario(values, projection.get());
    sensitivity_->setScenario(values);
}

}  // namespace velmora
