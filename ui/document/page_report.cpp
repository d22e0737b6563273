#include "ui/document/page_report.h"

#include <vector>

#include <QLabel>

#include "inputs/subscription_inputs.h"
#include "ui/calibration/calibration_page.h"
#include "ui/charts/chart_style.h"
#include "ui/charts/projection_chart.h"
#include "ui/document/shown_page.h"
#include "ui/insights/goal_panel.h"
#include "ui/insights/insights_page.h"
#include "ui/insights/sensitivity_panel.h"
#include "ui/insights/tornado_chart.h"
#include "ui/pages/content_view.h"
#include "ui/pages/dual_analysis.h"
#include "ui/pages/single_analysis.h"

namespace velmora {

namespace {

report::ReportScenario scenarioOf(const SubscriptionInputs& inputs, const QString& name,
                                  const QColor& colour) {
    return {name, colour, inputs.scenarioValues(), inputs.projection()};
}

report::InsightAnswers answersOf(const InsightsPage& page, const report::ReportScenario& shown) {
    report::InsightAnswers answers;
    std::vector<double> actives;
    if (shown.projection != nullptr) {
        for (const SubscriptionSnapshot& month : shown.projection->monthlySnapshots) {
            actives.push_back(month.active);
        }
    }
    answers.settle = settlePoint(shown.values, actives);
    if (const auto& found = page.goal()->answer()) {
        answers.goal = report::GoalAnswer{page.goal()->goal(), *found};
    }
    answers.sensitivity = page.sensitivity()->chart()->sensitivity();
    if (hasCost(shown.values)) {
        answers.economics = economics(shown.values, actives);
        answers.costPerTrial = shown.values.costPerTrial;
    }
    return answers;
}

report::CalibrationFigures calibrationOf(const CalibrationPage& page) {
    report::CalibrationFigures figures;
    if (const SharedTable& table = page.table()) {
        // Shares the page's table, which is never changed once made.
        figures.table = std::shared_ptr<const CohortTable>(table, &table->table);
        figures.source = page.sourceLine()->text();
    }
    figures.fitted = page.fitted();
    figures.ranges = page.ranges();
    return figures;
}

}  // namespace

report::Report pageReport(const ContentView& content, const QString& documentName) {
    report::Report made;
    made.documentName = documentName;
    made.date = QDate::currentDate();
    switch (shownPage(content)) {
        case ShownPage::Comparison:
            made.kind = report::ReportKind::Comparison;
            for (int i = 0; i < DualAnalysis::scenarioCount; ++i) {
                made.scenarios.push_back(
                    scenarioOf(*content.dual()->scenario(i), seriesName(i), seriesColour(i)));
            }
            return made;
        case ShownPage::Insights:
            made.kind = report::ReportKind::Insights;
            break;
        case ShownPage::Calibration:
            made.kind = report::ReportKind::Calibration;
            made.calibration = calibrationOf(*content.calibration());
            break;
        case ShownPage::Basic:
            made.cohorts = content.single()->chartType() == ChartType::Cohorts;
            break;
    }
    made.scenarios.push_back(scenarioOf(*content.single()->inputs(),
                                        report::pageTitle(report::ReportKind::Basic),
                                        content.single()->chart()->dailyLine()->pen().color()));
    if (made.kind == report::ReportKind::Insights) {
        made.answers = answersOf(*content.insights(), made.scenarios.front());
    }
    return made;
}

}  // namespace velmora
