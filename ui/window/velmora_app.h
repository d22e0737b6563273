#pragma once

#include <memory>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QStringList>

#include "document/scenario_document.h"
#include "ui/common/scenario_factory.h"

namespace velmora {

class DocumentDialogs;
class MainWindow;

/// The application: its windows, one document each, and what spans them
/// (opening files, quitting). A closed window is deleted, and closing the
/// last one ends the application.
class VelmoraApp final : public QObject {
    Q_OBJECT

public:
    /// Windows ask their questions through `dialogs` (none: Qt's own), which
    /// must outlive the application.
    explicit VelmoraApp(ScenarioFactory makeScenario = defaultScenarios(),
                        DocumentDialogs* dialogs = nullptr, QObject* parent = nullptr);
    ~VelmoraApp() override;

    /// Opens and shows a new window on `document`, whose file is `path`
    /// (none: an untitled one).
    MainWindow* openWindow(const ScenarioDocument& document = {}, const QString& path = {});
    /// At start: opens each file in a window of its own. Files that cannot
    /// be read are told on standard error and in a warning that does not
    /// wait; when none could be opened, an untitled window opens.
    void openFiles(const QStringList& paths);
    /// Opens the document at `path` for `from`: into `from` when it is
    /// untitled and unmodified, else into a new window; a window that shows
    /// it already comes to the front instead. A file that cannot be read is
    /// refused with a warning, and nothing changes.
    void open(const QString& path, MainWindow* from);
    /// Asks every window with unsaved changes in turn; when nobody cancels,
    /// closes them all.
    void quit();
    /// Closes every window without asking (the process was told to end).
    void terminate();

    /// The windows open now, oldest first.
    [[nodiscard]] std::vector<MainWindow*> windows() const;

private:
    [[nodiscard]] MainWindow* windowShowing(const QString& path) const;

    ScenarioFactory makeScenario_;
    std::unique_ptr<DocumentDialogs> ownDialogs_;
    DocumentDialogs* dialogs_;
    std::vector<QPointer<MainWindow>> windows_;
    bool terminating_ = false;
};

}  // namespace velmora
