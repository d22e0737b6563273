#pragma once

#include <vector>

#include <QObject>
#include <QPointer>

#include "ui/common/scenario_factory.h"

namespace velmora {

class MainWindow;

/// The application: opens its first window, and another one on each request.
/// Every window holds its own pages and scenarios; a closed window is deleted,
/// and closing the last one ends the application.
class VelmoraApp final : public QObject {
    Q_OBJECT

public:
    explicit VelmoraApp(ScenarioFactory makeScenario = defaultScenarios(),
                        QObject* parent = nullptr);
    ~VelmoraApp() override;

    /// Opens and shows a new window.
    MainWindow* openWindow();
    /// The windows open now, oldest first.
    [[nodiscard]] std::vector<MainWindow*> windows() const;

private:
    ScenarioFactory makeScenario_;
    std::vector<QPointer<MainWindow>> windows_;
};

}  // namespace velmora
