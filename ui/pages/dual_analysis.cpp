#include "ui/pages/dual_analysis.h"

#include <algorithm>

#include <QCheckBox>
#include <QHBoxLayout>
#include <QTableView>
#include <QVBoxLayout>

#include "inputs/subscription_inputs.h"
#include "ui/charts/chart_data.h"
#include "ui/charts/chart_style.h"
#include "ui/charts/comparison_chart.h"
#include "ui/charts/plan_marks.h"
#include "ui/common/page_layout.h"
#include "ui/common/rebuild.h"
#include "ui/common/scenario_spread.h"
#include "ui/form/number_field.h"
#include "ui/pages/baseline_difference.h"
#include "ui/pages/cost_comparison.h"
#include "ui/pages/scenario_column.h"
#include "ui/table/table_view.h"

namespace velmora {

DualAnalysis::DualAnalysis(QWidget* parent, const ScenarioFactory& makeScenario,
                           const std::array<ScenarioValues, scenarioCount>& initial,
                           ScenarioEditor* editor)
    : QWidget(parent),
      chart_(new ComparisonChart(this)),
      showRanges_(new QCheckBox(tr("Show ranges"), this)),
      rebuild_(new Rebuild([this] { rebuild(); }, this)) {
    auto* content = new QWidget(this);
    auto* columns = new QHBoxLayout(content);
    columns->setSpacing(3);
    QWidget* lastCost = nullptr;
    for (int i = 0; i < scenarioCount; ++i) {
        SubscriptionInputs* inputs = makeScenario(this, initial[static_cast<std::size_t>(i)]);
        columns_[i] = new ScenarioColumn(inputs, seriesColour(i), seriesName(i), content, editor);
        // Equal thirds, whatever the figures in each column would like.
        columns->addWidget(columns_[i], 1);
        if (i > 0) {
            BaselineDifference::addTo(columns_[i], baseline());
        }
        lastCost =
            CostComparison::addTo(columns_[i], i > 0 ? baseline() : nullptr, editor)->costField();
        rebuild_->watch(inputs);
        spreads_[i] = new ScenarioSpread(inputs, this);
        connect(spreads_[i], &ScenarioSpread::changed, rebuild_, &Rebuild::request);
    }
    showRanges_->setChecked(true);
    showRanges_->setToolTip(
        tr("Shade where each scenario's proceeds lie, from the 10th to "
           "the 90th percentile of its ranges"));
    connect(showRanges_, &QCheckBox::toggled, chart_, &ComparisonChart::setShowBands);

    // Tight margins: three columns fit beside each other on a 1024 px screen.
    columns->setContentsMargins(2, 2, 2, 2);
    auto* below = new QWidget(this);
    auto* chartStack = new QVBoxLayout(below);
    chartStack->setContentsMargins(2, 0, 2, 2);
    chartStack->addWidget(showRanges_, 0, Qt::AlignHCenter);
    chartStack->addWidget(chart_, 1);
    // The chart stays in view on a laptop's screen; the columns scroll above it.
    split_ = new ChartSplit(content, below, QStringLiteral("comparisonChartHeight"), this);
    scroller_ = scrollContent(this, split_);

    // Tab walks the columns left to right (the order they were made in), each
    // down to its cost, then the chart.
    setTabOrder(lastCost, showRanges_);
    setTabOrder(showRanges_, chart_);
    rebuild();
}

SubscriptionInputs* DualAnalysis::scenario(int index) const {
    return columns_.at(index)->inputs();
}

int DualAnalysis::rebuildCount() const {
    return rebuild_->count();
}

void DualAnalysis::rebuild() {
    Drawn now;
    for (int i = 0; i < scenarioCount; ++i) {
        columns_[i]->refresh();
        now.projections[i] = scenario(i)->projection();
        now.prices[i] = scenario(i)->price();
        now.spreads[i] = spreads_[i]->spread();
        now.plans[i] = scenario(i)->plan();
        columns_[i]->table()->setSpread(now.spreads[i]);
    }
    showRanges_->setVisible(std::any_of(now.spreads.begin(), now.spreads.end(),
                                        [](const auto& spread) { return spread != nullptr; }));
    now.baselineMonths = baseline()->monthsToProject();
    // Equal prices compare equal bit for bit; a NaN price redraws each time,
    // which is harmless.
    if (drawn_ && now.projections == drawn_->projections && now.prices == drawn_->prices &&
        now.spreads == drawn_->spreads && now.baselineMonths == drawn_->baselineMonths &&
        now.plans == drawn_->plans) {
        return;
    }
    drawn_ = std::move(now);
    std::vector<PlanMark> marks;
    for (int i = 0; i < scenarioCount; ++i) {
        const auto& projection = drawn_->projections[static_cast<std::size_t>(i)];
        const auto months =
            projection ? static_cast<std::int64_t>(projection->monthlySnapshots.size()) : 0;
        for (PlanMark& mark :
             planMarks(drawn_->plans[static_cast<std::size_t>(i)], months, seriesName(i))) {
            mark.colour = seriesColour(i);
            marks.push_back(std::move(mark));
        }
    }
    // The baseline's first where two scenarios mark the same month.
    std::stable_sort(marks.begin(), marks.end(),
                     [](const PlanMark& a, const PlanMark& b) { return a.month < b.month; });
    const std::optional<Plan>& baselinePlan = drawn_->plans.front();
    chart_->setData(chartPoints(*baseline(), *input1(), *input2(), ids_), xAxisValues(*baseline()),
                    {drawn_->spreads.begin(), drawn_->spreads.end()});
    chart_->setPlanMarks(std::move(marks), baselinePlan ? baselinePlan->startMonth : std::nullopt);
}

}  // namespace velmora
