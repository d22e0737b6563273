#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

namespace velmora {

/// A file replaced whole or not at all, the one way every file is written.
///
/// What is written goes to a new file beside the target (beside the file a
/// link names, so the link stays), every write checked, in blocks. `commit`
/// syncs it and renames it over the target, keeping the earlier file's
/// permissions. Until then, and after any failure, the target is as it was,
/// and a new file not committed is removed on `close` or destruction. A target
/// that exists and is not a regular file (a folder, a pipe, a device) is
/// refused by `open`, so nothing ever takes its place. The name is taken by
/// its bytes (file_name.h), so a name that is not UTF-8 writes that very file.
class AtomicFile final : public QIODevice {
public:
    explicit AtomicFile(const QString& path, QObject* parent = nullptr);
    ~AtomicFile() override;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// Starts the new file; `mode` must be write only. On failure `problem`
    /// (and `errorString`) says why.
    bool open(OpenMode mode) override;
    /// Removes the new file unless it was committed.
    void close() override;
    [[nodiscard]] bool isSequential() const override { return true; }

    /// Puts the new file in place of the target. Returns why it could not,
    /// in the system's words ("No space left on device"), or nothing.
    [[nodiscard]] std::optional<QString> commit();

    /// Why the file cannot be written, or an empty text while it can.
    [[nodiscard]] QString problem() const { return problem_; }

protected:
    qint64 readData(char* data, qint64 size) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool fail(int error);
    bool fail(const QString& reason);
    bool writeBlock();
    bool writeAll(const char* data, qint64 size);
    void discard();

    QByteArray name_;
    QByteArray target_;
    QByteArray temporary_;
    QByteArray block_;
    int descriptor_ = -1;
    QString problem_;
};

/// Writes `bytes` as the whole file at `path` through an AtomicFile. Returns
/// why it failed, in the system's words, or nothing.
[[nodiscard]] std::optional<QString> writeFileAtomically(const QString& path, QByteArrayView bytes);

/// Why `path` cannot be replaced by a regular file, when it exists and is not
/// one ("Is a directory", "not a regular file"), or nothing.
[[nodiscard]] std::optional<QString> notReplaceable(const QString& path);

/// Whether `a` and `b` name the same file however they are spelled: the same
/// device and inode with links resolved or, for a file not there yet, the
/// same name in the same folder.
[[nodiscard]] bool sameFile(const QString& a, const QString& b);

}  // namespace velmora
