#include "ui/pages/content_view.h"

#include "inputs/subscription_inputs.h"
#include "ui/calibration/calibration_page.h"
#include "ui/insights/insights_page.h"
#include "ui/pages/dual_analysis.h"
#include "ui/pages/single_analysis.h"

namespace velmora {

namespace {

void write(SubscriptionInputs& scenario, const ScenarioValues& values,
           const std::vector<Range>& ranges) {
    scenario.setRanges(ranges);
    scenario.setMonthDuration(values.monthDuration);
    scenario.setMonthsToProject(values.monthsToProject);
    scenario.setDailyNewSubs(values.dailyNewSubs);
    scenario.setStartingSubs(values.startingSubs);
    scenario.setPrice(values.price);
    scenario.setTrialRetention(values.trialRetention);
    scenario.setRt1(values.rt1);
    scenario.setRt2(values.rt2);
    scenario.setRt3(values.rt3);
    scenario.setRt4(values.rt4);
    scenario.setRt5(values.rt5);
    scenario.setRt6(values.rt6);
    scenario.setRtPlus(values.rtPlus);
    scenario.setCostPerTrial(values.costPerTrial);
    scenario.setLaterRates(values.laterRates);
    scenario.setPlan(values.plan);
}

}  // namespace

ContentView::ContentView(QWidget* parent, const ScenarioFactory& makeScenario,
                         const ScenarioDocument& document, ScenarioEditor* editor)
    : QTabWidget(parent),
      single_(new SingleAnalysis(this, makeScenario, document.basic, document.chartType, editor)),
      dual_(new DualAnalysis(this, makeScenario, document.comparison, editor)),
      insights_(new InsightsPage(single_->inputs(), editor, this)),
      calibration_(new CalibrationPage(single_->inputs(), editor, std::nullopt, this)) {
    // The pages start from the document's values, so nothing rebuilds for them;
    // the rest of it is written as any document loaded later.
    setDocument(document);
    insights_->followSpread(single_->spread());
    addTab(single_, tr("Basic Analysis"));
    addTab(dual_, tr("Comparative Analysis"));
    addTab(insights_, tr("Insights"));
    addTab(calibration_, tr("Calibration"));
    connect(calibration_, &CalibrationPage::revealRequested, this,
            [this] { setCurrentWidget(calibration_); });
    setCurrentIndex(0);
    setAccessibleName(tr("Analyses"));
}

ScenarioDocument ContentView::document() const {
    ScenarioDocument document;
    document.basic = single_->inputs()->scenarioValues();
    document.basicRanges = single_->inputs()->ranges();
    for (int i = 0; i < DualAnalysis::scenarioCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        document.comparison[at] = dual_->scenario(i)->scenarioValues();
        document.comparisonRanges[at] = dual_->scenario(i)->ranges();
    }
    document.chartType = single_->chartType();
    document.cohortTable = calibration_->keptTable();
    return document;
}

void ContentView::setDocument(const ScenarioDocument& document) {
    write(*single_->inputs(), document.basic, document.basicRanges);
    for (int i = 0; i < DualAnalysis::scenarioCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        write(*dual_->scenario(i), document.comparison[at], document.comparisonRanges[at]);
    }
    single_->setChartType(document.chartType);
    calibration_->setTable(document.cohortTable
                               ? std::make_shared<const ImportedTable>(ImportedTable{
                                     *document.cohortTable, tr("Kept in the document"), true})
                               : nullptr);
}

void ContentView::reveal(const SubscriptionInputs& scenario) {
    if (&scenario == single_->inputs() && currentWidget() == calibration_) {
        return;  // it speaks of that scenario too
    }
    if (&scenario != single_->inputs()) {
        setCurrentWidget(dual_);
    } else if (currentWidget() != insights_) {
        setCurrentWidget(single_);
    }
}

}  // namespace velmora
