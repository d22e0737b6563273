#pragma once

#include <optional>

#include <QObject>
#include <QString>

#include "document/scenario_document.h"

class QUndoStack;

namespace velmora {

class ContentView;
class ScenarioEditor;
class UndoEditor;

/// The document of one window: the values of its four scenarios and its chart
/// type, the file it belongs to, and the undo history of its edits. The
/// document is modified exactly when the history is away from its clean
/// point, which a save or a load sets.
class DocumentSession final : public QObject {
    Q_OBJECT

public:
    explicit DocumentSession(QObject* parent = nullptr);

    /// Where the window's views send their edits: onto the history.
    [[nodiscard]] ScenarioEditor* editor() const;
    [[nodiscard]] QUndoStack* history() const { return history_; }

    /// The pages whose scenarios and chart type make up the document; they
    /// must outlive this session's use of them.
    void attach(ContentView* content) { content_ = content; }

    /// The document as the pages hold it now.
    [[nodiscard]] ScenarioDocument document() const;
    /// Writes `document` into the pages' scenarios through their setters (each
    /// changed scenario rebuilds once, after the usual wait) and its chart
    /// type, makes `path` the document's file, and starts a new history.
    void load(const ScenarioDocument& document, const QString& path);

    /// The file of the document, as an absolute path; empty for one never saved.
    [[nodiscard]] const QString& filePath() const { return path_; }
    void setFilePath(const QString& path);
    /// Where file dialogs for the document start: its file's folder, or the
    /// user's documents folder while it has no file.
    [[nodiscard]] QString folder() const;
    /// "Untitled", or the file's name ("budget.velmora").
    [[nodiscard]] QString displayName() const;
    [[nodiscard]] bool isModified() const;
    /// Whether the document has no file and no changes: a window an opened
    /// file may take over.
    [[nodiscard]] bool isPristine() const { return path_.isEmpty() && !isModified(); }

    /// Saves the document to `path`, which becomes its file, and marks the
    /// history clean. On failure nothing changes: the document stays
    /// modified and an earlier file stays as it was.
    [[nodiscard]] std::optional<DocumentProblem> saveTo(const QString& path);
    /// Loads the document's file again; on failure nothing changes.
    [[nodiscard]] std::optional<DocumentProblem> revert();
    /// Marks the document modified with no step to undo back to a clean
    /// point, as for a document restored from a recovery copy.
    void markUnsaved();

signals:
    /// The file, or whether the document is modified, changed.
    void stateChanged();
    /// The document's values or chart type changed: an edit (each position of
    /// a slider being dragged too), an undo, a redo, or a load.
    void edited();

private:
    QUndoStack* history_;
    UndoEditor* editor_;
    ContentView* content_ = nullptr;
    QString path_;
};

}  // namespace velmora
