#include "ui/pages/content_view.h"

#include "ui/calibration/calibration_page.h"
#include "ui/insights/insights_page.h"
#include "ui/pages/dual_analysis.h"
#include "ui/pages/single_analysis.h"

namespace velmora {

ContentView::ContentView(QWidget* parent, const ScenarioFactory& makeScenario,
                         const ScenarioDocument& document, ScenarioEditor* editor)
    : QTabWidget(parent),
      single_(new SingleAnalysis(this, makeScenario, document.basic, document.chartType, editor)),
      dual_(new DualAnalysis(this, makeScenario, document.comparison, editor)),
      insights_(new InsightsPage(single_->inputs(), editor, this)),
      calibration_(new CalibrationPage(single_->inputs(), editor, document.cohortTable, this)) {
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
