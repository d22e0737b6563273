#include "ui/window/main_window.h"

#include <QApplication>
#include <QMenuBar>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/pages/content_view.h"
#include "ui/window/about_dialog.h"

namespace velmora {

namespace {

/// Shows every part of both pages on a 1440 x 900 screen without scrolling.
constexpr QSize preferredSize(1400, 860);
/// Around the tabs: small, so that the comparison page fits a 1280 x 800 screen.
constexpr int margin = 6;

}  // namespace

MainWindow::MainWindow(const ScenarioFactory& makeScenario, QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(tr("Velmora"));

    auto* central = new QWidget(this);
    content_ = new ContentView(central, makeScenario);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(content_);
    setCentralWidget(central);

    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* newWindow = file->addAction(tr("&New Window"));
    newWindow->setShortcut(QKeySequence::New);
    connect(newWindow, &QAction::triggered, this, &MainWindow::newWindowRequested);
    QAction* close = file->addAction(tr("&Close Window"));
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);
    file->addSeparator();
    QAction* quit = file->addAction(tr("&Quit"));
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, qApp, &QApplication::closeAllWindows);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    QAction* about = help->addAction(tr("&About Velmora"));
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
    QAction* aboutQt = help->addAction(tr("About &Qt"));
    aboutQt->setMenuRole(QAction::AboutQtRole);
    connect(aboutQt, &QAction::triggered, qApp, &QApplication::aboutQt);

    QSize size = preferredSize;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableSize());
    }
    resize(size);
}

void MainWindow::showAbout() {
    // One dialog a window: asking again brings it forward.
    if (about_ == nullptr) {
        about_ = new AboutDialog(this);
    }
    about_->show();
    about_->raise();
    about_->activateWindow();
}

}  // namespace velmora
