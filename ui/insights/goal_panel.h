#pragma once

#include <array>
#include <optional>

#include <QGroupBox>

#include "engine/decisions/goal_seek.h"
#include "ui/insights/latest_job.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QPushButton;

namespace velmora {

class FigureLine;
class NumberField;
class ScenarioEditor;
class SubscriptionInputs;

/// Goal seek, "what it takes": the user picks a figure to reach, its value
/// and the input to change; the panel finds the input's value off the main
/// thread, says whether it reaches the target, and Apply writes it into the
/// scenario as one edit. An answer is shown only for the question and the
/// scenario it was found for.
class GoalPanel final : public QGroupBox {
    Q_OBJECT

public:
    /// Answers about `inputs`, whose edits go to `editor`; both must outlive it.
    GoalPanel(SubscriptionInputs* inputs, ScenarioEditor* editor, QWidget* parent);

    /// The scenario as projected now: asks again unless the answer shown, or
    /// being found, is for these values.
    void setScenario(const ScenarioValues& values);
    /// The scenario is changing: drops the answer and stops finding it.
    void withdraw();
    /// Finds answers through `runner` from now on, asking the question anew.
    void setRunner(JobRunner runner);

    /// The question as the controls put it.
    [[nodiscard]] Goal goal() const;
    /// The answer shown; none while it is being found.
    [[nodiscard]] const std::optional<GoalSeekResult>& answer() const { return answer_; }
    [[nodiscard]] bool isSolving() const;

    [[nodiscard]] QComboBox* metricPicker() const { return metricPicker_; }
    [[nodiscard]] NumberField* targetField() const { return target_; }
    [[nodiscard]] QComboBox* inputPicker() const { return inputPicker_; }
    [[nodiscard]] QPushButton* applyButton() const { return apply_; }
    /// The input's value found, with its title.
    [[nodiscard]] FigureLine* valueLine() const { return value_; }
    /// Whether the target is reached, in words.
    [[nodiscard]] QLabel* status() const { return status_; }
    /// Why the target's text could not be read, until it can.
    [[nodiscard]] QLabel* message() const { return message_; }

private:
    struct Asked {
        ScenarioValues values;
        Goal goal;
    };

    [[nodiscard]] QFormLayout* questionForm();
    void ask();
    void showAnswer();
    void showSolving();
    void apply();
    [[nodiscard]] Metric metric() const;

    SubscriptionInputs* inputs_;
    ScenarioEditor* editor_;
    std::array<double, allMetrics.size()> targets_{30'000, 50'000, 600'000, 10, 6, 3, 12, 100'000};
    QComboBox* metricPicker_;
    NumberField* target_;
    QLabel* targetEcho_;
    QComboBox* inputPicker_;
    QLabel* message_;
    FigureLine* value_;
    QLabel* status_;
    QPushButton* apply_;
    LatestJob* job_;
    std::optional<ScenarioValues> scenario_;
    std::optional<Asked> asked_;
    std::optional<GoalSeekResult> answer_;
};

}  // namespace velmora
