#pragma once

#include <QTabWidget>

#include "document/scenario_document.h"
#include "ui/common/scenario_editor.h"
#include "ui/common/scenario_factory.h"

namespace velmora {

class CalibrationPage;
class DualAnalysis;
class InsightsPage;
class SingleAnalysis;
class SubscriptionInputs;

/// The content of a window: the two pages as tabs, "Basic Analysis" first,
/// then "Insights", the decision tools about the scenario of "Basic
/// Analysis", and "Calibration", which fits that scenario to a cohort table.
/// Each of the two pages owns its scenarios, so they share nothing.
class ContentView final : public QTabWidget {
    Q_OBJECT

public:
    /// Shows `document`'s scenarios and chart type, sending the user's edits
    /// to `editor` (none: written directly).
    explicit ContentView(QWidget* parent = nullptr,
                         const ScenarioFactory& makeScenario = defaultScenarios(),
                         const ScenarioDocument& document = {}, ScenarioEditor* editor = nullptr);

    [[nodiscard]] SingleAnalysis* single() const { return single_; }
    [[nodiscard]] DualAnalysis* dual() const { return dual_; }
    [[nodiscard]] InsightsPage* insights() const { return insights_; }
    [[nodiscard]] CalibrationPage* calibration() const { return calibration_; }

    /// The document as the pages hold it now.
    [[nodiscard]] ScenarioDocument document() const;
    /// Writes `document` into the pages: every scenario's values and ranges
    /// through its setters (each changed scenario rebuilds once, after the
    /// usual wait), the chart type and the kept cohort table.
    void setDocument(const ScenarioDocument& document);

    /// Brings a page that shows `scenario` into view: its own, or "Insights"
    /// or "Calibration" when shown and speaking of it.
    void reveal(const SubscriptionInputs& scenario);

private:
    SingleAnalysis* single_;
    DualAnalysis* dual_;
    InsightsPage* insights_;
    CalibrationPage* calibration_;
};

}  // namespace velmora
