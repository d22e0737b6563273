#pragma once

#include <QTabWidget>

#include "document/scenario_document.h"
#include "ui/common/scenario_editor.h"
#include "ui/common/scenario_factory.h"

namespace velmora {

class DualAnalysis;
class SingleAnalysis;

/// The content of a window: the two pages as tabs, "Basic Analysis" first.
/// Each page owns its scenarios, so the tabs share nothing.
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

private:
    SingleAnalysis* single_;
    DualAnalysis* dual_;
};

}  // namespace velmora
