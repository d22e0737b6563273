#pragma once

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include <QWidget>

#include "engine/support/uuid.h"
#include "ui/common/scenario_editor.h"
#include "ui/common/scenario_factory.h"

class QCheckBox;
class QScrollArea;

namespace velmora {

class ChartSplit;
class ComparisonChart;
class Rebuild;
class ScenarioColumn;
class ScenarioSpread;
struct Spread;
struct SubscriptionCalculation;

/// The comparison page: a baseline and two alternates, each in a framed column
/// with its form and table, and one chart of the income of all three.
class DualAnalysis final : public QWidget {
    Q_OBJECT

public:
    static constexpr int scenarioCount = 3;

    /// Compares scenarios that start from `initial`: the baseline, then the
    /// two alternates. The user's edits go to `editor` (none: written directly).
    explicit DualAnalysis(QWidget* parent = nullptr,
                          const ScenarioFactory& makeScenario = defaultScenarios(),
                          const std::array<ScenarioValues, scenarioCount>& initial = {},
                          ScenarioEditor* editor = nullptr);

    [[nodiscard]] SubscriptionInputs* baseline() const { return scenario(0); }
    [[nodiscard]] SubscriptionInputs* input1() const { return scenario(1); }
    [[nodiscard]] SubscriptionInputs* input2() const { return scenario(2); }
    /// The scenario of column `index`: 0 baseline, 1 and 2 the alternates.
    [[nodiscard]] SubscriptionInputs* scenario(int index) const;
    [[nodiscard]] ScenarioColumn* column(int index) const { return columns_.at(index); }
    [[nodiscard]] ComparisonChart* chart() const { return chart_; }
    /// The spread of outcomes of scenario `index`, banded on the chart.
    [[nodiscard]] ScenarioSpread* spread(int index) const { return spreads_.at(index); }
    /// Shows or hides the bands; in view only while some scenario has ranges.
    [[nodiscard]] QCheckBox* showRanges() const { return showRanges_; }
    /// Scrolls the page where the window is smaller than it.
    [[nodiscard]] QScrollArea* scroller() const { return scroller_; }
    /// The columns above the chart, scrolling where the chart leaves them too little.
    [[nodiscard]] ChartSplit* split() const { return split_; }
    /// Kept with the page's state; this page shows no cohort chart.
    [[nodiscard]] int showCohorts() const { return showCohorts_; }
    /// Rebuilds of the page from its scenarios so far.
    [[nodiscard]] int rebuildCount() const;

private:
    /// What the chart was last drawn from, so that edits which change none of
    /// it (a slider of an alternate, a rate being typed) leave the chart alone.
    struct Drawn {
        std::array<std::shared_ptr<const SubscriptionCalculation>, scenarioCount> projections;
        std::array<double, scenarioCount> prices{};
        std::array<std::shared_ptr<const Spread>, scenarioCount> spreads;
        double baselineMonths = 0;
        std::array<std::optional<Plan>, scenarioCount> plans;
    };

    void rebuild();

    std::array<ScenarioColumn*, scenarioCount> columns_{};
    ComparisonChart* chart_;
    QCheckBox* showRanges_;
    Rebuild* rebuild_;
    std::array<ScenarioSpread*, scenarioCount> spreads_{};
    QScrollArea* scroller_ = nullptr;
    ChartSplit* split_ = nullptr;
    UuidGenerator ids_;
    std::optional<Drawn> drawn_;
    int showCohorts_ = 1;
};

}  // namespace velmora
