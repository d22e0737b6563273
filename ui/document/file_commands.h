#pragma once

#include <QObject>

class QAction;
class QMenu;
class QWidget;

namespace velmora {

class DocumentDialogs;
class DocumentSession;

/// The file commands of one window's document: Open…, Open Recent, Save,
/// Save As…, Revert to Saved, and the question before the window closes.
/// Failures are told in a warning and change nothing: a refused file leaves
/// the document as it was, and a failed save leaves it modified.
class FileCommands final : public QObject {
    Q_OBJECT

public:
    /// The commands of `session`, the document of `window`, asking through
    /// `dialogs`; all three must outlive this child of `window`.
    FileCommands(QWidget* window, DocumentSession* session, DocumentDialogs* dialogs);

    /// Adds Open…, Open Recent, Save, Save As… and Revert to Saved to `menu`.
    void addTo(QMenu* menu);
    [[nodiscard]] QMenu* recentMenu() const { return recent_; }
    [[nodiscard]] QAction* revertAction() const { return revert_; }

    /// Asks for a document and requests its opening.
    void open();
    /// Saves to the document's file, or asks for one; true when saved.
    bool save();
    /// Asks for a file and saves to it; true when saved.
    bool saveAs();
    /// Asks, then loads the document's file again.
    void revert();
    /// Before the window closes: when the document has changes, asks whether
    /// to save them, and saves at once on Save. True when the window may
    /// close; false on Cancel, or when the save was cancelled or failed.
    bool confirmClose();

signals:
    /// The user chose a document to open, by Open… or from the recent files.
    void openRequested(const QString& path);
    /// The user answered Discard: the window closes with its changes unsaved.
    void changesDiscarded();

private:
    void commitTyping();
    bool saveTo(const QString& path);
    void fillRecentMenu();

    QWidget* window_;
    DocumentSession* session_;
    DocumentDialogs* dialogs_;
    QAction* open_;
    QMenu* recent_;
    QAction* save_;
    QAction* saveAs_;
    QAction* revert_;
};

}  // namespace velmora
