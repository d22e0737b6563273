#pragma once

#include <functional>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include <QString>

#include "document/scenario_document.h"
#include "inputs/subscription_inputs.h"

namespace velmora {

/// Where the views send the user's edits of a scenario and of a page's chart
/// type. A window sends them to its undo history; without one they are
/// written directly (`DirectEditor`). Either way the scenario's setters write
/// them, so the refresh and the rebuilt projection follow as for any write.
class ScenarioEditor {
public:
    using Field = SubscriptionInputs::Field;

    virtual ~ScenarioEditor() = default;

    /// One committed edit of `field`.
    virtual void setValue(SubscriptionInputs& scenario, Field field, double value) = 0;
    /// One position of a run of steps on `field` (a slider being dragged or
    /// stepped by keys); the positions sent until `endRun` count as one edit.
    virtual void step(SubscriptionInputs& scenario, Field field, double value) = 0;
    /// Ends the run of `step`s, if one is going on.
    virtual void endRun() = 0;
    /// On the page of `scenario`, the user picked the chart type `chosen`
    /// where `shown` was shown; `apply` shows a type.
    virtual void setChartType(SubscriptionInputs& scenario, ChartType shown, ChartType chosen,
                              std::function<void(ChartType)> apply) = 0;
    /// Several fields of `scenario`, and its `ranges` and `laterRates` when
    /// given, written as one edit called `title`, which undo takes back whole;
    /// fields already at their value are left out.
    virtual void setValues(SubscriptionInputs& scenario,
                           std::span<const std::pair<Field, double>> values, const QString& title,
                           const std::optional<std::vector<Range>>& ranges = std::nullopt,
                           const std::optional<std::vector<double>>& laterRates = std::nullopt) = 0;
    /// One edit, called `title`, of what else the document holds (an imported
    /// table): `redo` makes it, now and again after an undo; `undo` takes it back.
    virtual void edit(const QString& title, std::function<void()> redo,
                      std::function<void()> undo) = 0;

protected:
    ScenarioEditor() = default;
    ScenarioEditor(const ScenarioEditor&) = default;
    ScenarioEditor& operator=(const ScenarioEditor&) = default;
};

/// Writes every edit at once, keeping no history.
class DirectEditor final : public ScenarioEditor {
public:
    void setValue(SubscriptionInputs& scenario, Field field, double value) override {
        scenario.setValue(field, value);
    }
    void step(SubscriptionInputs& scenario, Field field, double value) override {
        scenario.setValue(field, value);
    }
    void endRun() override {}
    void setChartType(SubscriptionInputs&, ChartType, ChartType chosen,
                      std::function<void(ChartType)> apply) override {
        apply(chosen);
    }
    void setValues(SubscriptionInputs& scenario, std::span<const std::pair<Field, double>> values,
                   const QString&, const std::optional<std::vector<Range>>& ranges,
                   const std::optional<std::vector<double>>& laterRates) override {
        for (const auto& [field, value] : values) {
            scenario.setValue(field, value);
        }
        if (ranges) {
            scenario.setRanges(*ranges);
        }
        if (laterRates) {
            scenario.setLaterRates(*laterRates);
        }
    }
    void edit(const QString&, std::function<void()> redo, std::function<void()>) override {
        redo();
    }
};

}  // namespace velmora
