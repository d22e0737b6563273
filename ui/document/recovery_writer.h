#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include <QObject>

#include "document/recovery_store.h"
#include "inputs/recalculation_timer.h"

namespace velmora {

/// Keeps the recovery copy of one window's document: written a short wait
/// after the last change, so that a crash loses at most that wait of edits,
/// and removed once the document is clean (saved, reverted or discarded).
/// The copy is made on the first write, so a window never edited leaves no
/// file behind.
class RecoveryWriter final : public QObject {
    Q_OBJECT

public:
    /// The wait after the last change before the copy is written.
    static constexpr std::chrono::milliseconds wait{2000};

    /// What the window holds now, read at every write.
    using DocumentSource = std::function<ScenarioDocument()>;
    /// The file the document was opened from or last saved to; empty while
    /// untitled. Read at every write.
    using PathSource = std::function<QString()>;

    /// Writes into `store`, which must outlive this writer.
    RecoveryWriter(RecoveryStore& store, DocumentSource document, PathSource filePath,
                   QObject* parent = nullptr);
    /// The same, waiting on `timer` (a test's clock) instead of a Qt timer.
    RecoveryWriter(RecoveryStore& store, DocumentSource document, PathSource filePath,
                   std::unique_ptr<RecalculationTimer> timer, QObject* parent = nullptr);
    ~RecoveryWriter() override;

    /// The document changed: the copy is written `wait` after the last change.
    void documentChanged();
    /// The document matches its file (or was discarded): drops a pending
    /// write and removes the copy.
    void documentClean();
    /// Writes the copy at once when the document changed since it was last
    /// written or clean, for a quit that does not ask (SIGTERM).
    void writeNow();
    /// Makes a restored leftover this window's copy. The document counts as
    /// changed (it is unsaved) but written: the copy holds it already.
    void adopt(std::unique_ptr<RecoveryCopy> copy);

    /// The copy's file, whether written or not; empty before the first write.
    [[nodiscard]] QString copyPath() const;
    /// Whether a write is being waited for.
    [[nodiscard]] bool isPending() const { return timer_->isActive(); }

signals:
    /// A copy could not be written or removed: the message names the file and
    /// the reason. A failed write is tried again at the next change.
    void problem(const QString& message);
    /// The copy was written or removed as asked: a problem told before is over.
    void updated();

private:
    void write();

    RecoveryStore& store_;
    DocumentSource document_;
    PathSource filePath_;
    std::unique_ptr<RecalculationTimer> timer_;
    std::unique_ptr<RecoveryCopy> copy_;
    bool unwritten_ = false;  ///< changed since the copy was last written or removed
};

}  // namespace velmora
