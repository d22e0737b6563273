#pragma once

#include <memory>

#include <QMainWindow>

#include "document/scenario_document.h"
#include "ui/common/scenario_factory.h"

class QLabel;

namespace velmora {

class AboutDialog;
class CalibrationCommands;
class ContentView;
class DocumentDialogs;
class DocumentSession;
class ExportCommands;
class FileCommands;
class RecalculationTimer;
class RecoveryBar;
class RecoveryStore;
class RecoveryWriter;

/// One window of the application: one document, with its own pages,
/// scenarios and undo history, titled after its file ("Untitled" until it
/// has one) and marked while it holds unsaved changes.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    /// A window whose pages start from `document`'s values, asking its
    /// questions through `dialogs` (none: Qt's own), which must outlive it.
    explicit MainWindow(const ScenarioFactory& makeScenario = defaultScenarios(),
                        const ScenarioDocument& document = {}, DocumentDialogs* dialogs = nullptr,
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    [[nodiscard]] ContentView* content() const { return content_; }
    [[nodiscard]] DocumentSession* session() const { return session_; }
    [[nodiscard]] FileCommands* fileCommands() const { return commands_; }

    /// File > Export Table…, Export Chart… and Edit > Copy Chart (Ctrl+Shift+C),
    /// of the page shown.
    [[nodiscard]] QAction* exportTableAction() const { return exportTable_; }
    [[nodiscard]] QAction* exportChartAction() const { return exportChart_; }
    [[nodiscard]] QAction* copyChartAction() const { return copyChart_; }
    /// File > Export Report… and Print… (Ctrl+P), of the page shown.
    [[nodiscard]] QAction* exportReportAction() const { return exportReport_; }
    [[nodiscard]] QAction* printAction() const { return print_; }
    [[nodiscard]] ExportCommands* exportCommands() const { return exports_; }
    /// File > Import Cohort Data…, for the Calibration page.
    [[nodiscard]] QAction* importCohortsAction() const { return importCohorts_; }

    /// The offer to restore unsaved documents, above the pages; hidden until
    /// the application gives it something to offer.
    [[nodiscard]] RecoveryBar* recoveryBar() const { return recoveryBar_; }

    /// Keeps a recovery copy of the document in `store` (which must outlive
    /// the window) while it has unsaved changes, waiting on `timer` after each
    /// change: written after the wait, removed once the document is saved,
    /// undone back to its file or discarded. Problems are told in the status
    /// bar, without a box to close.
    void keepRecoveryCopies(RecoveryStore& store, std::unique_ptr<RecalculationTimer> timer);
    /// The writer of the recovery copies; null until they are kept.
    [[nodiscard]] RecoveryWriter* recoveryWriter() const { return recovery_; }
    /// Tells of a problem with the recovery copies in the status bar, or
    /// clears what was told when `message` is empty.
    void showRecoveryProblem(const QString& message);
    /// What the status bar tells of the recovery copies now; empty for nothing.
    [[nodiscard]] QString recoveryProblem() const;

    /// Closes the window without asking about unsaved changes, also when a
    /// question about them is being asked right now.
    void closeWithoutAsking();

    /// Shows Help > About Velmora without waiting for it to close.
    void showAbout();

signals:
    /// The user asked for another window (File > New Window, Ctrl+N).
    void newWindowRequested();
    /// The user chose a document to open (File > Open…, Open Recent).
    void openRequested(const QString& path);
    /// The user asked to quit (File > Quit, Ctrl+Q).
    void quitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void showState();

    std::unique_ptr<DocumentDialogs> ownDialogs_;
    DocumentSession* session_;
    ContentView* content_;
    AboutDialog* about_ = nullptr;  ///< made on first use, owned by the window
    FileCommands* commands_;
    ExportCommands* exports_;
    CalibrationCommands* calibration_;
    RecoveryBar* recoveryBar_;
    RecoveryWriter* recovery_ = nullptr;
    QLabel* recoveryProblem_ = nullptr;  ///< made on the first problem, in the status bar
    QAction* exportTable_ = nullptr;
    QAction* exportChart_ = nullptr;
    QAction* copyChart_ = nullptr;
    QAction* exportReport_ = nullptr;
    QAction* print_ = nullptr;
    QAction* importCohorts_ = nullptr;
    bool askBeforeClosing_ = true;
};

}  // namespace velmora
