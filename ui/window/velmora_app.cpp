#include "ui/window/velmora_app.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include <QApplication>
#include <QMessageBox>

#include "document/file_name.h"
#include "ui/document/document_dialogs.h"
#include "ui/document/document_session.h"
#include "ui/document/file_commands.h"
#include "ui/document/recent_files.h"
#include "ui/document/recovery_bar.h"
#include "ui/document/recovery_writer.h"
#include "ui/window/main_window.h"

namespace velmora {

VelmoraApp::VelmoraApp(ScenarioFactory makeScenario, DocumentDialogs* dialogs,
                       RecoverySetup recovery, QObject* parent)
    : QObject(parent),
      makeScenario_(std::move(makeScenario)),
      ownDialogs_(dialogs != nullptr ? nullptr : std::make_unique<QtDocumentDialogs>()),
      dialogs_(dialogs != nullptr ? dialogs : ownDialogs_.get()),
      recoveryStore_(std::move(recovery.folder)),
      makeRecoveryTimer_(std::move(recovery.makeTimer)) {}

VelmoraApp::~VelmoraApp() {
    for (const QPointer<MainWindow>& window : windows_) {
        delete window.data();
    }
}

MainWindow* VelmoraApp::openWindow(const ScenarioDocument& document, const QString& path) {
    std::erase_if(windows_, [](const QPointer<MainWindow>& window) { return window.isNull(); });
    auto* window = new MainWindow(makeScenario_, document, dialogs_);
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (!path.isEmpty()) {
        window->session()->setFilePath(path);
    }
    window->keepRecoveryCopies(recoveryStore_, makeRecoveryTimer_());
    connect(window->recoveryBar(), &RecoveryBar::restoreRequested, this,
            [this, window] { restoreLeftovers(window); });
    connect(window->recoveryBar(), &RecoveryBar::discardRequested, this,
            [this, window] { discardLeftovers(window); });
    connect(window, &MainWindow::newWindowRequested, this, [this] { openWindow(); });
    connect(window, &MainWindow::openRequested, this,
            [this, window](const QString& file) { open(file, window); });
    connect(window, &MainWindow::quitRequested, this, &VelmoraApp::quit);
    windows_.emplace_back(window);
    window->show();
    return window;
}

void VelmoraApp::openFiles(const QStringList& paths) {
    QStringList problems;
    for (const QString& path : paths) {
        if (MainWindow* showing = windowShowing(path)) {
            showing->raise();
            continue;
        }
        auto read = readDocumentFile(path);
        if (const auto* problem = std::get_if<DocumentProblem>(&read)) {
            std::fprintf(stderr, "velmora: %s\n", qPrintable(problem->message));
            problems << problem->message;
            continue;
        }
        openWindow(std::get<ScenarioDocument>(read), path);
        addRecentFile(path);
    }
    if (windows().empty()) {
        openWindow();
    }
    offerLeftovers(windows().front());
    if (!problems.isEmpty()) {
        // Shown without waiting for it, so a start never blocks.
        auto* box =
            new QMessageBox(QMessageBox::Warning, tr("Velmora"),
                            problems.size() == 1 ? tr("A document could not be opened.")
                                                 : tr("Some documents could not be opened."),
                            QMessageBox::Ok, windows().back());
        box->setInformativeText(problems.join('\n'));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
}

void VelmoraApp::open(const QString& path, MainWindow* from) {
    if (MainWindow* showing = windowShowing(path)) {
        showing->raise();
        showing->activateWindow();
        addRecentFile(path);
        return;
    }
    auto read = readDocumentFile(path);
    if (const auto* problem = std::get_if<DocumentProblem>(&read)) {
        dialogs_->warn(from, tr("The document could not be opened"), problem->message);
        return;
    }
    const auto& document = std::get<ScenarioDocument>(read);
    if (from != nullptr && from->session()->isPristine()) {
        from->session()->load(document, path);
    } else {
        openWindow(document, path);
    }
    addRecentFile(path);
}

void VelmoraApp::quit() {
    std::vector<QPointer<MainWindow>> asked;
    for (MainWindow* window : windows()) {
        const bool agreed = window->fileCommands()->confirmClose();
        if (terminating_) {
            return;  // told to end while asking: every window is closing
        }
        if (!agreed) {
            // Those answered Discard stay open with their changes, and need
            // their recovery copies back.
            for (const QPointer<MainWindow>& kept : asked) {
                if (!kept.isNull() && kept->session()->isModified()) {
                    kept->recoveryWriter()->documentChanged();
                    kept->recoveryWriter()->writeNow();
                }
            }
            return;
        }
        asked.emplace_back(window);
    }
    for (MainWindow* window : windows()) {
        window->closeWithoutAsking();
    }
}

void VelmoraApp::terminate() {
    terminating_ = true;
    // Before any window closes: a window's copy outlives it.
    for (MainWindow* window : windows()) {
        window->recoveryWriter()->writeNow();
    }
    // A question being asked goes unanswered, as a Cancel; the windows close
    // all the same.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isModal() && widget->isVisible()) {
            widget->close();
        }
    }
    for (MainWindow* window : windows()) {
        window->closeWithoutAsking();
    }
}

void VelmoraApp::offerLeftovers(MainWindow* offering) {
    offered_ = recoveryStore_.leftovers();
    offering->recoveryBar()->setLeftovers(offered_);
}

void VelmoraApp::restoreLeftovers(MainWindow* offering) {
    MainWindow* into = offering->session()->isPristine() ? offering : nullptr;
    for (RecoveryLeftover& leftover : offered_) {
        if (!leftover.readable()) {
            continue;  // stays offered, to be discarded
        }
        std::unique_ptr<RecoveryCopy> copy = recoveryStore_.takeOver(leftover.name);
        if (copy == nullptr) {
            continue;
        }
        const auto& document = std::get<ScenarioDocument>(leftover.document);
        MainWindow* window = std::exchange(into, nullptr);
        if (window != nullptr) {
            window->session()->load(document, leftover.recoveryOf);
        } else {
            window = openWindow(document, leftover.recoveryOf);
        }
        window->session()->markUnsaved();
        window->recoveryWriter()->adopt(std::move(copy));
    }
    offerLeftovers(offering);
}

void VelmoraApp::discardLeftovers(MainWindow* offering) {
    for (const RecoveryLeftover& leftover : offered_) {
        if (const auto problem = recoveryStore_.discard(leftover.name)) {
            offering->showRecoveryProblem(problem->message);
        }
    }
    offerLeftovers(offering);
}

std::vector<MainWindow*> VelmoraApp::windows() const {
    std::vector<MainWindow*> open;
    for (const QPointer<MainWindow>& window : windows_) {
        if (!window.isNull() && window->isVisible()) {
            open.push_back(window.data());
        }
    }
    return open;
}

MainWindow* VelmoraApp::windowShowing(const QString& path) const {
    const QString wanted = canonicalFileName(path);
    if (wanted.isEmpty()) {
        return nullptr;
    }
    for (MainWindow* window : windows()) {
        const QString& file = window->session()->filePath();
        if (!file.isEmpty() && canonicalFileName(file) == wanted) {
            return window;
        }
    }
    return nullptr;
}

}  // namespace velmora
