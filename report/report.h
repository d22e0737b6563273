#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QColor>
#include <QDate>
#include <QString>

#include "engine/calibration/calibration_ranges.h"
#include "engine/decisions/economics.h"
#include "engine/decisions/goal_seek.h"
#include "engine/decisions/sensitivity.h"
#include "engine/decisions/settle_point.h"
#include "engine/projection/calculation.h"
#include "engine/projection/scenario.h"

namespace velmora::report {

/// The page a report is of.
enum class ReportKind { Basic, Comparison, Insights, Calibration };

/// One scenario of a report: its values, its projection, and how it is named
/// and drawn.
struct ReportScenario {
    QString name;  ///< "Baseline", "Alternate 1", ...; "Basic Analysis" for the one of that page
    QColor colour;
    ScenarioValues values;  ///< as they are now; the price is the one every money figure uses
    std::shared_ptr<const SubscriptionCalculation> projection;  ///< null: none yet
};

/// A goal and what seeking it found.
struct GoalAnswer {
    Goal goal;
    GoalSeekResult result;
};

/// The answers of the decision tools about a scenario, each when there is one.
struct InsightAnswers {
    std::optional<SettlePoint> settle;
    std::optional<GoalAnswer> goal;
    std::optional<Sensitivity> sensitivity;
    /// The costs and cash, when the scenario gives a cost per trial.
    std::optional<Economics> economics;
    double costPerTrial = 0;  ///< the cost the economics are of
};

/// What the Calibration page shows: the cohort table, what was fitted to it
/// and the ranges of the fitted values, each when there is one.
struct CalibrationFigures {
    std::shared_ptr<const CohortTable> table;
    QString source;  ///< "plan.csv: 12 cohorts, up to 11 renewals"
    std::optional<Calibration> fitted;
    std::optional<CalibrationRanges> ranges;
};

/// What a report, a printout or a workbook of one page holds.
struct Report {
    QString documentName;  ///< "plan.velmora", or "Untitled"
    QDate date;
    ReportKind kind = ReportKind::Basic;
    bool cohorts = false;  ///< Basic Analysis draws the cohort bars, not the line
    /// Basic Analysis and Insights: its one scenario; Comparative Analysis: the
    /// baseline, then the alternates.
    std::vector<ReportScenario> scenarios;
    InsightAnswers answers;  ///< Insights only
    /// Calibration only; its scenario is the one calibrated, with today's values.
    CalibrationFigures calibration;
};

/// "Basic Analysis", "Comparative Analysis", "Insights".
[[nodiscard]] QString pageTitle(ReportKind kind);

/// What a cohort table read from `source` holds, as the Calibration page and
/// its report say it: "cohorts.csv: 3 cohorts, up to 4 renewals, with trials
/// and days".
[[nodiscard]] QString cohortTableSummary(const CohortTable& table, const QString& source);

}  // namespace velmora::report
