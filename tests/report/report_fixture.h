#pragma once

#include "engine/decisions/goal_seek.h"
#include "engine/decisions/sensitivity.h"
#include "engine/decisions/settle_point.h"
#include "report/report.h"
#include "support/projected.h"

namespace velmora::report {

inline ReportScenario scenarioOf(const QString& name, const QColor& colour,
                                 const ScenarioValues& values) {
    return {name, colour, values, project(values)};
}

/// The three pages' reports: Basic Analysis over `months`, three compared
/// scenarios of different horizons and prices, and the answers of Insights.
inline std::vector<Report> threeReports(double months) {
    ScenarioValues basic{28, months, 250, 1200, 4.99, 0.61, 0.7, 0.8, 0.85, 0.9, 0.91, 0.92, 0.96};
    Report single{"plan.velmora",
                  QDate(2026, 3, 14),
                  ReportKind::Basic,
                  false,
                  {scenarioOf("Basic Analysis", Qt::blue, basic)},
                  {},
                  {}};
    Report compared{"plan.velmora", QDate(2026, 3, 14), ReportKind::Comparison, false, {}, {}, {}};
    const double horizons[] = {60, 36, 48};
    const QColor colours[] = {Qt::blue, Qt::darkGreen, Qt::red};
    const char* names[] = {"Baseline", "Alternate 1", "Alternate 2"};
    for (int i = 0; i < 3; ++i) {
        ScenarioValues values;
        values.monthsToProject = horizons[i];
        values.price = 1.99 + i;
        compared.scenarios.push_back(scenarioOf(names[i], colours[i], values));
    }
    Report insights = single;
    insights.kind = ReportKind::Insights;
    std::vector<double> actives;
    for (const SubscriptionSnapshot& month : insights.scenarios[0].projection->monthlySnapshots) {
        actives.push_back(month.active);
    }
    insights.answers.settle = settlePoint(basic, actives);
    const Goal goal{Metric::MonthlyProceeds, 50'000, Input::DailyNewSubs};
    insights.answers.goal = GoalAnswer{goal, seekGoal(basic, goal)};
    insights.answers.sensitivity = sensitivity(basic);
    ScenarioValues costed = basic;
    costed.costPerTrial = 2;
    insights.scenarios[0].values = costed;
    insights.answers.economics = economics(costed, actives);
    insights.answers.costPerTrial = 2;
    return {single, compared, insights};
}

/// The report of the Calibration page: a table of three cohorts with trials
/// and days, fitted, with its ranges, beside the scenario of `basic` values.
inline Report calibrationReport() {
    Report made = threeReports(36).front();
    made.kind = ReportKind::Calibration;
    auto table = std::make_shared<CohortTable>(
        std::get<CohortTable>(readCohortTable("cohort,0,1,2,3,4,trials,days\n"
                                              "\"2025-01, first\",1000,700,560,490,441,1700,31\n"
                                              "2025-02,1200,830,670,580,,2100,28\n"
                                              "2025-03,900,640,510,,,1500,31\n")));
    made.calibration.table = table;
    made.calibration.source = "cohorts.csv: 3 cohorts, up to 4 renewals, with trials and days";
    made.calibration.fitted = std::get<Calibration>(calibrate(*table, {36, 1}));
    made.calibration.ranges = calibrationRanges(*table, {36, 1}, 1, 50);
    return made;
}

}  // namespace velmora::report
