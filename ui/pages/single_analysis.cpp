#include "ui/pages/single_analysis.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "inputs/subscription_inputs.h"
#include "ui/charts/projection_chart.h"
#include "ui/common/page_layout.h"
#include "ui/common/rebuild.h"
#include "ui/common/scenario_spread.h"
#include "ui/form/inputs_view.h"
#include "ui/table/table_view.h"

namespace velmora {

SingleAnalysis::SingleAnalysis(QWidget* parent, const ScenarioFactory& makeScenario,
                               const ScenarioValues& initial, ChartType initialChart,
                               ScenarioEditor* editor)
    : QWidget(parent),
      inputs_(makeScenario(this, initial)),
      editor_(editor != nullptr ? editor : &direct_),
      showCohorts_(initialChart == ChartType::Cohorts ? cohortChart : simpleChart),
      content_(new QWidget(this)),
      form_(new InputsView(inputs_, content_, editor_)),
      table_(new TableView(content_)),
      picker_(new QComboBox(content_)),
      chart_(new ProjectionChart(content_)),
      rebuild_(new Rebuild([this] { rebuild(); }, this)),
      spread_(new ScenarioSpread(inputs_, this)) {
    // The form ends and the table starts at the middle of the page, each in a
    // half of its own, so that wider figures widen the table rightwards and
    // never push the form's fields from under the pointer.
    auto* formHalf = new EvenSlot(content_);
    auto* formRow = new QHBoxLayout(formHalf);
    formRow->setContentsMargins(0, 0, 0, 0);
    formRow->addStretch();
    formRow->addWidget(form_, 0, Qt::AlignTop);
    auto* tableHalf = new EvenSlot(content_);
    auto* tableRow = new QHBoxLayout(tableHalf);
    tableRow->setContentsMargins(0, 0, 0, 0);
    tableRow->addWidget(table_);
    tableRow->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(formHalf, 1);
    top->addWidget(tableHalf, 1);

    picker_->addItem(tr("Show Cohort Chart"), cohortChart);
    picker_->addItem(tr("Show Simple Chart"), simpleChart);
    picker_->setCurrentIndex(picker_->findData(showCohorts_));
    picker_->setAccessibleName(tr("Chart Type"));
    auto* pickerLabel = new QLabel(tr("Chart Type"), content_);
    pickerLabel->setBuddy(picker_);
    auto* pickerRow = new QHBoxLayout;
    pickerRow->addStretch();
    pickerRow->addWidget(pickerLabel);
    pickerRow->addWidget(picker_);
    pickerRow->addStretch();
    connect(picker_, &QComboBox::activated, this, [this](int index) {
        const ChartType chosen = picker_->itemData(index).toInt() == cohortChart
                                     ? ChartType::Cohorts
                                     : ChartType::Simple;
        editor_->setChartType(*inputs_, chartType(), chosen,
                              [this](ChartType type) { setChartType(type); });
    });

    auto* column = new QVBoxLayout(content_);
    column->addLayout(top);
    column->addLayout(pickerRow);
    column->addWidget(chart_, 1);

    scroller_ = scrollContent(this, content_);

    rebuild_->watch(inputs_);
    connect(inputs_, &SubscriptionInputs::dayProgressChanged, chart_,
            [this] { chart_->setDayProgress(inputs_->dayProgress()); });
    connect(spread_, &ScenarioSpread::changed, rebuild_, &Rebuild::request);
    rebuild();
}

void SingleAnalysis::setShowCohorts(int value) {
    showCohorts_ = value;
    const int index = picker_->findData(value == cohortChart ? cohortChart : simpleChart);
    picker_->setCurrentIndex(index);
    chart_->setShowCohorts(value);
}

int SingleAnalysis::rebuildCount() const {
    return rebuild_->count();
}

void SingleAnalysis::rebuild() {
    const auto projection = inputs_->projection();
    // Without a projection the page shows nothing at all, not even the form.
    content_->setVisible(projection != nullptr);
    if (!projection) {
        return;
    }
    const std::optional<Plan>& plan = inputs_->plan();
    table_->setProjection(projection, inputs_->price(), plan ? plan->startMonth : std::nullopt);
    table_->setSpread(spread_->spread());
    chart_->setShowCohorts(showCohorts_);
    chart_->setProjection(projection);
    chart_->setPlan(plan);
    chart_->setSpread(spread_->spread());
    chart_->setDayProgress(inputs_->dayProgress());
}

}  // namespace velmora
