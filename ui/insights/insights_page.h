#pragma once

#include <QWidget>

#include "ui/common/scenario_editor.h"
#include "ui/insights/latest_job.h"

class QLabel;

namespace velmora {

class EconomicsPanel;
class GoalPanel;
class Rebuild;
class ScenarioSpread;
class SensitivityPanel;
class SettlePanel;

/// The decision tools about one scenario (the one of "Basic Analysis"): where
/// it settles, what it takes to reach a target, its costs and cash, and which
/// input matters most. They follow the scenario once its projection is rebuilt; while a
/// rebuild is awaited, no answer for the older values is offered.
class InsightsPage final : public QWidget {
    Q_OBJECT

public:
    /// Answers about `inputs`, whose edits (Apply) go to `editor` (none:
    /// written directly); both must outlive the page.
    InsightsPage(SubscriptionInputs* inputs, ScenarioEditor* editor, QWidget* parent);

    [[nodiscard]] QLabel* scenarioLine() const { return scenarioLine_; }
    [[nodiscard]] SettlePanel* settle() const { return settle_; }
    [[nodiscard]] GoalPanel* goal() const { return goal_; }
    [[nodiscard]] EconomicsPanel* economics() const { return economics_; }
    [[nodiscard]] SensitivityPanel* sensitivity() const { return sensitivity_; }

    /// Writes the ranges of `spread`, the spread of the same scenario, under
    /// the figures of the costs; it must outlive the page.
    void followSpread(const ScenarioSpread* spread);

    /// Runs both tools' jobs through `runner` from now on.
    void setRunner(const JobRunner& runner);
    /// Whether an answer or the chart's figures are being found.
    [[nodiscard]] bool isBusy() const;

private:
    void rebuild();

    SubscriptionInputs* inputs_;
    DirectEditor direct_;
    QLabel* scenarioLine_;
    SettlePanel* settle_;
    GoalPanel* goal_;
    EconomicsPanel* economics_;
    SensitivityPanel* sensitivity_;
    Rebuild* rebuild_;
};

}  // namespace velmora
