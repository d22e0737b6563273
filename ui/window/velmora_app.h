#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QStringList>

#include "document/recovery_store.h"
#include "document/scenario_document.h"
#include "inputs/recalculation_timer.h"
#include "ui/common/scenario_factory.h"

namespace velmora {

class DocumentDialogs;
class MainWindow;

/// Where an application keeps the recovery copies of its windows' documents,
/// and the clock their writes wait on; tests give a folder and a clock of
/// their own.
struct RecoverySetup {
    QString folder = RecoveryStore::standardFolder();
    std::function<std::unique_ptr<RecalculationTimer>()> makeTimer = [] {
        return std::unique_ptr<RecalculationTimer>(std::make_unique<QtRecalculationTimer>());
    };
};

/// The application: its windows, one document each, and what spans them
/// (opening files, quitting, the recovery copies of unsaved documents). A
/// closed window is deleted, and closing the last one ends the application.
class VelmoraApp final : public QObject {
    Q_OBJECT

public:
    /// Windows ask their questions through `dialogs` (none: Qt's own), which
    /// must outlive the application, and keep their recovery copies as
    /// `recovery` says.
    explicit VelmoraApp(ScenarioFactory makeScenario = defaultScenarios(),
                        DocumentDialogs* dialogs = nullptr, RecoverySetup recovery = {},
                        QObject* parent = nullptr);
    ~VelmoraApp() override;

    /// Opens and shows a new window on `document`, whose file is `path`
    /// (none: an untitled one).
    MainWindow* openWindow(const ScenarioDocument& document = {}, const QString& path = {});
    /// At start: opens each file in a window of its own. Files that cannot
    /// be read are told on standard error and in a warning that does not
    /// wait; when none could be opened, an untitled window opens. When an
    /// earlier session left unsaved documents, the first window offers them
    /// in its recovery bar: Restore opens each readable one in a window,
    /// marked unsaved, with the file it came from (the first one into the
    /// offering window while that is untitled and unchanged); Discard deletes
    /// them.
    void openFiles(const QStringList& paths);
    /// Opens the document at `path` for `from`: into `from` when it is
    /// untitled and unmodified, else into a new window; a window that shows
    /// it already comes to the front instead. A file that cannot be read is
    /// refused with a warning, and nothing changes.
    void open(const QString& path, MainWindow* from);
    /// Asks every window with unsaved changes in turn; when nobody cancels,
    /// closes them all.
    void quit();
    /// Writes the recovery copy of every window with unsaved changes at once,
    /// and closes every window without asking (the process was told to end).
    /// The copies stay, to be offered at the next start.
    void terminate();

    /// The windows open now, oldest first.
    [[nodiscard]] std::vector<MainWindow*> windows() const;

private:
    [[nodiscard]] MainWindow* windowShowing(const QString& path) const;
    void restoreLeftovers(MainWindow* offering);
    void discardLeftovers(MainWindow* offering);
    /// Lists the leftovers again, in the bar of `offering`.
    void offerLeftovers(MainWindow* offering);

    ScenarioFactory makeScenario_;
    std::unique_ptr<DocumentDialogs> ownDialogs_;
    DocumentDialogs* dialogs_;
    RecoveryStore recoveryStore_;  ///< outlives every window, which the destructor deletes
    std::function<std::unique_ptr<RecalculationTimer>()> makeRecoveryTimer_;
    std::vector<RecoveryLeftover> offered_;  ///< what the recovery bar lists
    std::vector<QPointer<MainWindow>> windows_;
    bool terminating_ = false;
};

}  // namespace velmora
