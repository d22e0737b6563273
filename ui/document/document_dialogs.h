#pragma once

#include <QString>

class QWidget;

namespace velmora {

/// The questions a window asks about its document, and the failures it tells
/// of. An interface, so that tests answer in place of a person.
class DocumentDialogs {
public:
    enum class Answer { Save, Discard, Cancel };

    virtual ~DocumentDialogs() = default;

    /// The document file to open, starting in `folder`; empty when cancelled.
    [[nodiscard]] virtual QString fileToOpen(QWidget* parent, const QString& folder) = 0;
    /// The file to save to, `suggestion` offered; empty when cancelled.
    [[nodiscard]] virtual QString fileToSave(QWidget* parent, const QString& suggestion) = 0;
    /// The file to export to, titled `title`, `suggestion` offered and `filters`
    /// (as a file dialog takes them, ";;" between) to choose from; a name
    /// given without an extension takes the chosen filter's. Empty when
    /// cancelled.
    [[nodiscard]] virtual QString fileToExport(QWidget* parent, const QString& title,
                                               const QString& suggestion,
                                               const QString& filters) = 0;
    /// Save, Discard or Cancel the changes of `name` before it closes.
    [[nodiscard]] virtual Answer askToSave(QWidget* parent, const QString& name) = 0;
    /// Whether to throw the changes of `name` away and go back to its file.
    [[nodiscard]] virtual bool confirmRevert(QWidget* parent, const QString& name) = 0;
    /// Tells of a failure and waits until the user has read it.
    virtual void warn(QWidget* parent, const QString& title, const QString& message) = 0;
    /// The cohort table to import, starting in `folder`; empty when cancelled
    /// (as it always is, unless overridden).
    [[nodiscard]] virtual QString fileToImport(QWidget* parent, const QString& folder) {
        Q_UNUSED(parent);
        Q_UNUSED(folder);
        return {};
    }

protected:
    DocumentDialogs() = default;
    DocumentDialogs(const DocumentDialogs&) = default;
    DocumentDialogs& operator=(const DocumentDialogs&) = default;
};

/// The questions as Qt's file dialogs and message boxes, each modal.
class QtDocumentDialogs final : public DocumentDialogs {
public:
    [[nodiscard]] QString fileToOpen(QWidget* parent, const QString& folder) override;
    [[nodiscard]] QString fileToSave(QWidget* parent, const QString& suggestion) override;
    [[nodiscard]] QString fileToExport(QWidget* parent, const QString& title,
                                       const QString& suggestion, const QString& filters) override;
    [[nodiscard]] Answer askToSave(QWidget* parent, const QString& name) override;
    [[nodiscard]] bool confirmRevert(QWidget* parent, const QString& name) override;
    void warn(QWidget* parent, const QString& title, const QString& message) override;
    [[nodiscard]] QString fileToImport(QWidget* parent, const QString& folder) override;
};

}  // namespace velmora
