#include "ui/window/velmora_app.h"

#include <algorithm>

#include "ui/window/main_window.h"

namespace velmora {

VelmoraApp::VelmoraApp(ScenarioFactory makeScenario, QObject* parent)
    : QObject(parent), makeScenario_(std::move(makeScenario)) {}

VelmoraApp::~VelmoraApp() {
    for (const QPointer<MainWindow>& window : windows_) {
        delete window.data();
    }
}

MainWindow* VelmoraApp::openWindow() {
    std::erase_if(windows_, [](const QPointer<MainWindow>& window) { return window.isNull(); });
    auto* window = new MainWindow(makeScenario_);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &MainWindow::newWindowRequested, this, &VelmoraApp::openWindow);
    windows_.emplace_back(window);
    window->show();
    return window;
}

std::vector<MainWindow*> VelmoraApp::windows() const {
    std::vector<MainWindow*> open;
    for (const QPointer<MainWindow>& window : windows_) {
        if (!window.isNull()) {
            open.push_back(window.data());
        }
    }
    return open;
}

}  // namespace velmora
