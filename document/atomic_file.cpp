#include "document/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <tuple>

#include <QRandomGenerator>

#include "document/file_name.h"

namespace velmora {

namespace {

// Large enough that a report's many small writes cost few system calls.
constexpr qsizetype blockSize = 1 << 16;

std::optional<QString> notReplaceableFile(const struct stat& file) {
    if (S_ISDIR(file.st_mode)) {
        return qt_error_string(EISDIR);
    }
    if (!S_ISREG(file.st_mode)) {
        return QStringLiteral("not a regular file");
    }
    return std::nullopt;
}

// The folder and the last name of `name`, as the system reads them.
std::pair<QByteArray, QByteArray> split(const QByteArray& name) {
    const qsizetype slash = name.lastIndexOf('/');
    if (slash < 0) {
        return {QByteArrayLiteral("."), name};
    }
    return {slash == 0 ? QByteArrayLiteral("/") : name.left(slash), name.mid(slash + 1)};
}

// What tells a file from every other: its device and inode, or for a file not
// there yet, its folder's and its name in it.
std::optional<std::tuple<dev_t, ino_t, QByteArray>> identity(const QString& path) {
    const QByteArray name = fileNameBytes(path);
    if (name.isEmpty() || name.contains('\0')) {
        return std::nullopt;
    }
    struct stat file {};
    if (::stat(name.constData(), &file) == 0) {
        return std::tuple{file.st_dev, file.st_ino, QByteArray()};
    }
    const auto [folder, last] = split(name);
    if (last.isEmpty() || last == "." || last == ".." || ::stat(folder.constData(), &file) != 0) {
        return std::nullopt;
    }
    return std::tuple{file.st_dev, file.st_ino, last};
}

}  // namespace

AtomicFile::AtomicFile(const QString& path, QObject* parent)
    : QIODevice(parent), name_(fileNameBytes(path)) {}

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::open(OpenMode mode) {
    if (isOpen() || (mode & ReadOnly) != 0 || (mode & WriteOnly) == 0) {
        return fail(QStringLiteral("opened for writing only, once"));
    }
    problem_.clear();
    if (name_.isEmpty() || name_.contains('\0')) {
        return fail(ENOENT);
    }
    target_ = name_;
    struct stat earlier {};
    const bool replaces = ::stat(name_.constData(), &earlier) == 0;
    if (replaces) {
        if (const auto refused = notReplaceableFile(earlier)) {
            return fail(*refused);
        }
        // The file a link names is replaced, and the link kept.
        if (char* resolved = ::realpath(name_.constData(), nullptr)) {
            target_ = resolved;
            std::free(resolved);
        }
    }
    for (int attempt = 0; descriptor_ < 0; ++attempt) {
        temporary_ = target_ + '.' + QByteArray::number(QRandomGenerator::system()->generate(), 36);
        // 0666 less the umask, as for any new file.
        descriptor_ = ::open(temporary_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor_ < 0 && (errno != EEXIST || attempt == 16)) {
            const int error = errno;
            temporary_.clear();
            return fail(error);
        }
    }
    if (replaces && ::fchmod(descriptor_, earlier.st_mode & 07777) != 0) {
        return fail(errno);
    }
    block_.reserve(blockSize);
    return QIODevice::open(mode);
}

void AtomicFile::close() {
    discard();
    QIODevice::close();
}

std::optional<QString> AtomicFile::commit() {
    if (!isOpen() && problem_.isEmpty()) {
        fail(QStringLiteral("not opened"));
    }
    if (problem_.isEmpty() && writeBlock()) {
        if (::fsync(descriptor_) != 0) {
            fail(errno);
        } else {
            const int closed = ::close(descriptor_);
            descriptor_ = -1;
            struct stat now {};
            // The target may have been replaced by a pipe or a folder meanwhile.
            if (closed != 0) {
                fail(errno);
            } else if (::stat(target_.constData(), &now) == 0 && notReplaceableFile(now)) {
                fail(*notReplaceableFile(now));
            } else if (::rename(temporary_.constData(), target_.constData()) != 0) {
                fail(errno);
            } else {
                temporary_.clear();
                // The new name lasts through a crash only once its folder is synced;
                // the file is in place either way, so a failure here changes nothing.
                if (const int folder = ::open(split(target_).first.constData(),
                                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                    folder >= 0) {
                    ::fsync(folder);
                    ::close(folder);
                }
            }
        }
    }
    QIODevice::close();
    if (!problem_.isEmpty()) {
        return problem_;
    }
    return std::nullopt;
}

qint64 AtomicFile::readData(char* /*data*/, qint64 /*size*/) {
    return -1;
}

qint64 AtomicFile::writeData(const char* data, qint64 size) {
    if (!problem_.isEmpty() || descriptor_ < 0) {
        return -1;
    }
    if (block_.size() + size > blockSize && !writeBlock()) {
        return -1;
    }
    if (size >= blockSize) {
        return writeAll(data, size) ? size : -1;  // not copied first
    }
    block_.append(data, static_cast<qsizetype>(size));
    return size;
}

bool AtomicFile::writeBlock() {
    const bool written = writeAll(block_.constData(), block_.size());
    block_.resize(0);  // keeps its room
    return written;
}

bool AtomicFile::writeAll(const char* data, qint64 size) {
    for (qint64 done = 0; done < size;) {
        const ssize_t more =
            ::write(descriptor_, data + done, static_cast<std::size_t>(size - done));
        if (more < 0 && errno == EINTR) {
            continue;
        }
        if (more <= 0) {
            // A write that takes nothing and says nothing: the disk is full.
            return fail(more < 0 ? errno : ENOSPC);
        }
        done += more;
    }
    return true;
}

bool AtomicFile::fail(int error) {
    return fail(qt_error_string(error));
}

bool AtomicFile::fail(const QString& reason) {
    problem_ = reason;
    setErrorString(reason);
    discard();
    return false;
}

void AtomicFile::discard() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    if (!temporary_.isEmpty()) {
        ::unlink(temporary_.constData());
        temporary_.clear();
    }
    block_.clear();
}

std::optional<QString> writeFileAtomically(const QString& path, QByteArrayView bytes) {
    AtomicFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.problem();
    }
    file.write(bytes.data(), bytes.size());
    return file.commit();
}

std::optional<QString> notReplaceable(const QString& path) {
    const QByteArray name = fileNameBytes(path);
    struct stat file {};
    if (name.isEmpty() || name.contains('\0') || ::stat(name.constData(), &file) != 0) {
        return std::nullopt;
    }
    return notReplaceableFile(file);
}

bool sameFile(const QString& a, const QString& b) {
    if (a == b) {
        return true;
    }
    const auto first = identity(a);
    return first.has_value() && first == identity(b);
}

}  // namespace velmora
