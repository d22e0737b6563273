#pragma once

#include <QWidget>

#include "ui/common/scenario_factory.h"

class QComboBox;

namespace velmora {

class InputsView;
class ProjectionChart;
class Rebuild;
class SubscriptionInputs;
class TableView;

/// The page of one scenario: its form beside its table, and below them the
/// chart the user picks (the simple chart first).
class SingleAnalysis final : public QWidget {
    Q_OBJECT

public:
    /// Option values of the chart picker.
    static constexpr int cohortChart = 0;
    static constexpr int simpleChart = 1;

    /// Shows a scenario that starts from `initial`.
    explicit SingleAnalysis(QWidget* parent = nullptr,
                            const ScenarioFactory& makeScenario = defaultScenarios(),
                            const ScenarioValues& initial = {});

    [[nodiscard]] SubscriptionInputs* inputs() const { return inputs_; }
    /// 0 shows the cohort chart, any other value the simple chart.
    [[nodiscard]] int showCohorts() const { return showCohorts_; }
    void setShowCohorts(int value);

    [[nodiscard]] InputsView* form() const { return form_; }
    [[nodiscard]] TableView* table() const { return table_; }
    [[nodiscard]] QComboBox* chartPicker() const { return picker_; }
    [[nodiscard]] ProjectionChart* chart() const { return chart_; }
    /// Rebuilds of the page from its scenario so far.
    [[nodiscard]] int rebuildCount() const;

private:
    void rebuild();

    SubscriptionInputs* inputs_;
    int showCohorts_ = simpleChart;
    QWidget* content_;
    InputsView* form_;
    TableView* table_;
    QComboBox* picker_;
    ProjectionChart* chart_;
    Rebuild* rebuild_;
};

}  // namespace velmora
