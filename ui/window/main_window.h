#pragma once

#include <QMainWindow>

#include "ui/common/scenario_factory.h"

namespace velmora {

class AboutDialog;
class ContentView;

/// One window of the application, titled "Velmora", with its own pages and
/// scenarios.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(const ScenarioFactory& makeScenario = defaultScenarios(),
                        QWidget* parent = nullptr);

    [[nodiscard]] ContentView* content() const { return content_; }

    /// Shows Help > About Velmora without waiting for it to close.
    void showAbout();

signals:
    /// The user asked for another window (File > New Window, Ctrl+N).
    void newWindowRequested();

private:
    ContentView* content_;
    AboutDialog* about_ = nullptr;  ///< made on first use, owned by the window
};

}  // namespace velmora
