#include "ui/window/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QUndoStack>
#include <QVBoxLayout>

#include "ui/calibration/calibration_commands.h"
#include "ui/document/document_dialogs.h"
#include "ui/document/document_session.h"
#include "ui/document/export_commands.h"
#include "ui/document/file_commands.h"
#include "ui/document/recovery_bar.h"
#include "ui/document/recovery_writer.h"
#include "ui/pages/content_view.h"
#include "ui/window/about_dialog.h"

namespace velmora {

namespace {

/// Shows every part of Basic Analysis on a 1440 x 900 screen without
/// scrolling, and of Comparative Analysis all but the costs' row, which the
/// columns scroll to above the chart.
constexpr QSize preferredSize(1400, 860);
/// What the window's frame and title bar take beyond its size, about.
constexpr QSize frameAllowance(8, 48);
/// Around the tabs: small, so that the comparison page keeps more of the screen.
constexpr int margin = 4;

}  // namespace

MainWindow::MainWindow(const ScenarioFactory& makeScenario, const ScenarioDocument& document,
                       DocumentDialogs* dialogs, QWidget* parent)
    : QMainWindow(parent),
      ownDialogs_(dialogs != nullptr ? nullptr : std::make_unique<QtDocumentDialogs>()),
      session_(new DocumentSession(this)) {
    auto* central = new QWidget(this);
    recoveryBar_ = new RecoveryBar(central);
    content_ = new ContentView(central, makeScenario, document, session_->editor());
    session_->attach(content_);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(recoveryBar_);
    layout->addWidget(content_);
    setCentralWidget(central);

    DocumentDialogs* asking = dialogs != nullptr ? dialogs : ownDialogs_.get();
    commands_ = new FileCommands(this, session_, asking);
    exports_ = new ExportCommands(this, content_, session_, asking);
    connect(commands_, &FileCommands::openRequested, this, &MainWindow::openRequested);
    calibration_ = new CalibrationCommands(this, content_->calibration(), session_, asking);
    buildMenus();
    connect(session_, &DocumentSession::stateChanged, this, &MainWindow::showState);
    showState();

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    QAction* about = help->addAction(tr("&About Velmora"));
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
    QAction* aboutQt = help->addAction(tr("About &Qt"));
    aboutQt->setMenuRole(QAction::AboutQtRole);
    connect(aboutQt, &QAction::triggered, qApp, &QApplication::aboutQt);

    QSize size = preferredSize;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // Smaller screens get a smaller window, its title bar still on them;
        // the pages scroll where they must.
        size = size.boundedTo(screen->availableSize() - frameAllowance);
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

// The pages go first: their controls send edits to the session's history
// until they are gone.
MainWindow::~MainWindow() {
    delete takeCentralWidget();
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* newWindow = file->addAction(tr("&New Window"));
    newWindow->setShortcut(QKeySequence::New);
    connect(newWindow, &QAction::triggered, this, &MainWindow::newWindowRequested);
    commands_->addTo(file);
    file->addSeparator();
    exportTable_ = file->addAction(tr("Export &Table…"), exports_, &ExportCommands::exportTable);
    exportChart_ = file->addAction(tr("Export C&hart…"), exports_, &ExportCommands::exportChart);
    exportReport_ = file->addAction(tr("Export &Report…"), exports_, &ExportCommands::exportReport);
    print_ = file->addAction(tr("&Print…"), exports_, &ExportCommands::print);
    print_->setShortcut(QKeySequence::Print);
    importCohorts_ =
        file->addAction(tr("&Import Cohort Data…"), calibration_, &CalibrationCommands::importFile);
    file->addSeparator();
    QAction* close = file->addAction(tr("&Close Window"));
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);
    QAction* quit = file->addAction(tr("&Quit"));
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &MainWindow::quitRequested);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    QAction* undo = session_->history()->createUndoAction(this);
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = session_->history()->createRedoAction(this);
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    copyChart_ = edit->addAction(tr("&Copy Chart"), exports_, &ExportCommands::copyChart);
    copyChart_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
}

void MainWindow::showState() {
    QString name = session_->displayName();
    // "[*]" is where the modified mark goes; one in the name is written twice.
    name.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
    setWindowTitle(tr("%1[*] — Velmora").arg(name));
    setWindowFilePath(session_->filePath());
    setWindowModified(session_->isModified());
}

void MainWindow::keepRecoveryCopies(RecoveryStore& store,
                                    std::unique_ptr<RecalculationTimer> timer) {
    recovery_ = new RecoveryWriter(
        store, [this] { return session_->document(); }, [this] { return session_->filePath(); },
        std::move(timer), this);
    connect(session_, &DocumentSession::edited, recovery_, [this] {
        if (session_->isModified()) {
            recovery_->documentChanged();
        }
    });
    // Saved, reverted, or undone back to the file.
    connect(session_, &DocumentSession::stateChanged, recovery_, [this] {
        if (!session_->isModified()) {
            recovery_->documentClean();
        }
    });
    connect(commands_, &FileCommands::changesDiscarded, recovery_, &RecoveryWriter::documentClean);
    connect(recovery_, &RecoveryWriter::problem, this, &MainWindow::showRecoveryProblem);
    connect(recovery_, &RecoveryWriter::updated, this, [this] {
        if (recoveryProblem_ != nullptr) {
            showRecoveryProblem({});
        }
    });
}

void MainWindow::showRecoveryProblem(const QString& message) {
    // A widget of its own: the status bar's messages are cleared by any menu
    // item the pointer passes.
    if (recoveryProblem_ == nullptr) {
        recoveryProblem_ = new QLabel(this);
        recoveryProblem_->setWordWrap(true);
        statusBar()->addPermanentWidget(recoveryProblem_, 1);
    }
    recoveryProblem_->setText(message.isEmpty()
                                  ? QString()
                                  : tr("The recovery copy could not be updated: %1").arg(message));
    statusBar()->setVisible(!message.isEmpty());
}

QString MainWindow::recoveryProblem() const {
    return recoveryProblem_ != nullptr ? recoveryProblem_->text() : QString();
}

void MainWindow::closeWithoutAsking() {
    askBeforeClosing_ = false;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Asked again after the question: the application may have been told to
    // end while it was being asked.
    if (askBeforeClosing_ && !commands_->confirmClose() && askBeforeClosing_) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

}  // namespace velmora
