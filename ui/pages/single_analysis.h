#pragma once

#include <QWidget>

#include "document/scenario_document.h"
#include "ui/common/scenario_editor.h"
#include "ui/common/scenario_factory.h"

class QComboBox;
class QScrollArea;

namespace velmora {

class InputsView;
class ProjectionChart;
class Rebuild;
class ScenarioSpread;
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

    /// Shows a scenario that starts from `initial`, drawn as `initialChart`, and
    /// sends the user's edits to `editor` (none: written directly).
    explicit SingleAnalysis(QWidget* parent = nullptr,
                            const ScenarioFactory& makeScenario = defaultScenarios(),
                            const ScenarioValues& initial = {},
                            ChartType initialChart = ChartType::Simple,
                            ScenarioEditor* editor = nullptr);

    [[nodiscard]] SubscriptionInputs* inputs() const { return inputs_; }
    /// 0 shows the cohort chart, any other value the simple chart.
    [[nodiscard]] int showCohorts() const { return showCohorts_; }
    void setShowCohorts(int value);
    [[nodiscard]] ChartType chartType() const {
        return showCohorts_ == cohortChart ? ChartType::Cohorts : ChartType::Simple;
    }
    void setChartType(ChartType type) {
        setShowCohorts(type == ChartType::Cohorts ? cohortChart : simpleChart);
    }

    [[nodiscard]] InputsView* form() const { return form_; }
    [[nodiscard]] TableView* table() const { return table_; }
    [[nodiscard]] QComboBox* chartPicker() const { return picker_; }
    [[nodiscard]] ProjectionChart* chart() const { return chart_; }
    /// The spread of outcomes the chart and the summary show with ranges.
    [[nodiscard]] ScenarioSpread* spread() const { return spread_; }
    /// Scrolls the page where the window is smaller than it.
    [[nodiscard]] QScrollArea* scroller() const { return scroller_; }
    /// Rebuilds of the page from its scenario so far.
    [[nodiscard]] int rebuildCount() const;

private:
    void rebuild();

    SubscriptionInputs* inputs_;
    DirectEditor direct_;
    ScenarioEditor* editor_;
    int showCohorts_;
    QWidget* content_;
    InputsView* form_;
    TableView* table_;
    QComboBox* picker_;
    ProjectionChart* chart_;
    Rebuild* rebuild_;
    ScenarioSpread* spread_;
    QScrollArea* scroller_ = nullptr;
};

}  // namespace velmora
