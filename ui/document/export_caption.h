#pragma once

#include <QString>

#include "engine/projection/scenario.h"
#include "ui/document/chart_caption.h"

namespace velmora {

class ContentView;

/// A scenario's values in one line, as the form writes them: "Price $1.99 ·
/// Daily Trials 100 · Trial Retention 0.59 · Retention 0.65, 0.84, 0.87, 0.89,
/// 0.9, 0.91, rest 0.95 · Starting Subscribers 0 · 36 months of 30 days".
[[nodiscard]] QString scenarioValuesLine(const ScenarioValues& values);

/// The caption of the chart of the page shown in `content`, of the document
/// named `documentName`: "plan.velmora — Comparative Analysis", then a line
/// of values for each scenario drawn, and on Insights the figure the tornado
/// shows the changes of; on Calibration the cohort table's source and the
/// fit's errors and model.
[[nodiscard]] ChartCaption chartCaption(const ContentView& content, const QString& documentName);

}  // namespace velmora
