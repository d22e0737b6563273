#pragma once

#include <QTabWidget>

#include "ui/common/scenario_factory.h"

namespace velmora {

class DualAnalysis;
class SingleAnalysis;

/// The content of a window: the two pages as tabs, "Basic Analysis" first.
/// Each page owns its scenarios, so the tabs share nothing.
class ContentView final : public QTabWidget {
    Q_OBJECT

public:
    explicit ContentView(QWidget* parent = nullptr,
                         const ScenarioFactory& makeScenario = defaultScenarios());

    [[nodiscard]] SingleAnalysis* single() const { return single_; }
    [[nodiscard]] DualAnalysis* dual() const { return dual_; }

private:
    SingleAnalysis* single_;
    DualAnalysis* dual_;
};

}  // namespace velmora
