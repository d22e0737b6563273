#pragma once

#include <QObject>

class QWidget;

namespace velmora {

class CalibrationPage;
class DocumentDialogs;
class DocumentSession;

/// How a window brings cohort tables to its Calibration page: File > Import
/// Cohort Data…, the page's Import button, and files or text dropped on the
/// window. Problems are told through the window's dialogs.
class CalibrationCommands final : public QObject {
    Q_OBJECT

public:
    /// Serves `page` in `window`, asking through `dialogs` (which must outlive
    /// it) and starting file dialogs in the folder of `session`'s document.
    CalibrationCommands(QWidget* window, CalibrationPage* page, const DocumentSession* session,
                        DocumentDialogs* dialogs);

    /// Asks for a file and imports it.
    void importFile();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    CalibrationPage* page_;
    const DocumentSession* session_;
    DocumentDialogs* dialogs_;
};

}  // namespace velmora
