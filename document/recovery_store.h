#pragma once

#include <map>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include <QDateTime>
#include <QString>

#include "document/scenario_document.h"

class QLockFile;

namespace velmora {

/// One window's recovery copy: a document file under a unique name in a
/// `RecoveryStore`'s folder, held by a lock file for as long as this object
/// lives, so that no store (in this process or another) lists, restores or
/// discards it. Destroying it releases the lock and keeps the copy: a quit that
/// wrote the copy instead of asking (SIGTERM) leaves it to be offered at the
/// next start. Call `remove` first to drop it.
class RecoveryCopy {
public:
    ~RecoveryCopy();
    RecoveryCopy(const RecoveryCopy&) = delete;
    RecoveryCopy& operator=(const RecoveryCopy&) = delete;

    /// The copy's file; it exists only between a `write` and a `remove`.
    [[nodiscard]] const QString& path() const { return path_; }

    /// Replaces the copy with `document` atomically (a failed write leaves the
    /// earlier copy whole). `recoveryOf` is the file the document was opened
    /// from or last saved to, empty for an untitled one.
    [[nodiscard]] std::optional<DocumentProblem> write(const ScenarioDocument& document,
                                                       const QString& recoveryOf);

    /// Deletes the copy, keeping the name and the lock for the next `write`.
    /// Nothing to report when there is no copy.
    [[nodiscard]] std::optional<DocumentProblem> remove();

private:
    friend class RecoveryStore;
    RecoveryCopy(QString path, std::unique_ptr<QLockFile> lock);

    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

/// A copy whose window no longer runs: its process ended, by a crash, a kill
/// or a quit on SIGTERM, without the document being saved or discarded.
struct RecoveryLeftover {
    QString name;       ///< identifies the copy to `discard` and `takeOver`
    QDateTime written;  ///< when the copy was last written
    /// The document, or why the copy cannot be read (a damaged copy).
    std::variant<ScenarioDocument, DocumentProblem> document;
    /// The file the document was opened from or saved to; empty for an
    /// untitled document and for a damaged copy.
    QString recoveryOf;

    [[nodiscard]] bool readable() const {
        return std::holds_alternative<ScenarioDocument>(document);
    }
};

/// The recovery copies of every window in one folder, shared by all running
/// instances of the application: a copy is "live" while the lock of its
/// window is held, and a leftover once the lock is released or its owner died
/// (a stale lock). Use on one thread; copies made by `create` and `takeOver`
/// must not outlive their store's folder being in use, but may outlive the
/// store object itself.
class RecoveryStore {
public:
    /// Keeps copies in `folder`, made when the first copy is.
    explicit RecoveryStore(QString folder);
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    /// The user's folder for recovery copies: the application data folder's
    /// "recovery". Empty when the system names no such folder.
    [[nodiscard]] static QString standardFolder();

    [[nodiscard]] const QString& folder() const { return folder_; }

    /// A copy for a new window under a name of its own, locked; none written
    /// yet. Refused when the folder cannot be made or locked in.
    [[nodiscard]] std::variant<std::unique_ptr<RecoveryCopy>, DocumentProblem> create();

    /// The leftovers, oldest first, each read back (a damaged one with its
    /// problem). Listing claims them for this store, so another instance
    /// starting meanwhile does not offer them as well; claims end with
    /// `discard`, `takeOver` or the store. Also clears the locks that dead
    /// windows left without a copy.
    [[nodiscard]] std::vector<RecoveryLeftover> leftovers();

    /// Deletes the leftover `name`. Refused for a copy this store has not
    /// listed (a live window's) and when the file cannot be deleted.
    [[nodiscard]] std::optional<DocumentProblem> discard(const QString& name);

    /// Makes the leftover `name` the copy of the window that restores it:
    /// the file stays as it is, and the lock passes to the returned copy. Null
    /// for a copy this store has not listed.
    [[nodiscard]] std::unique_ptr<RecoveryCopy> takeOver(const QString& name);

private:
    [[nodiscard]] QString pathOf(const QString& name) const;

    QString folder_;
    std::map<QString, std::unique_ptr<QLockFile>> claimed_;
};

}  // namespace velmora
