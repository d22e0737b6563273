// Reading and saving document files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>

#include "document/atomic_file.h"
#include "document/file_name.h"
#include "document/scenario_document.h"

namespace velmora {

namespace {

DocumentProblem problemWith(const QString& path, const QString& reason) {
    return {QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason};
}

QString tooLarge(qint64 bytes) {
    return QStringLiteral("%1 bytes, larger than the 1 MiB a document may hold").arg(bytes);
}

// What QSaveFile does, for a name Qt cannot spell (one that is not UTF-8): a
// new file beside the target, every byte written and synced, renamed over it.
// A link is followed, and the permissions of a file replaced are kept.
std::optional<QString> writeByName(const QByteArray& name, QByteArrayView bytes) {
    QByteArray target = name;
    if (char* resolved = ::realpath(name.constData(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    QByteArray temporary;
    int descriptor = -1;
    for (int attempt = 0; descriptor < 0; ++attempt) {
        temporary = target + '.' + QByteArray::number(QRandomGenerator::system()->generate(), 36);
        // 0666 less the umask, as for any new file.
        descriptor = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0 && (errno != EEXIST || attempt == 16)) {
            return qt_error_string();
        }
    }
    const auto fail = [&](int error) {
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        ::unlink(temporary.constData());
        return std::optional(qt_error_string(error));
    };
    if (struct stat earlier{}; ::stat(target.constData(), &earlier) == 0 &&
                               ::fchmod(descriptor, earlier.st_mode & 07777) != 0) {
        return fail(errno);
    }
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t more =
            ::write(descriptor, bytes.data() + done, static_cast<std::size_t>(bytes.size() - done));
        if (more < 0 && errno == EINTR) {
            continue;
        }
        if (more <= 0) {
            return fail(more < 0 ? errno : ENOSPC);
        }
        done += more;
    }
    if (::fsync(descriptor) != 0) {
        return fail(errno);
    }
    const int closed = ::close(descriptor);
    descriptor = -1;
    if (closed != 0 || ::rename(temporary.constData(), target.constData()) != 0) {
        return fail(errno);
    }
    return std::nullopt;
}

}  // namespace

std::variant<ScenarioDocument, DocumentProblem> readDocumentFile(const QString& path,
                                                                 DocumentMetadata* metadata) {
    // Opened by its bytes, so a name that is not UTF-8 reads that very file.
    const QByteArray name = fileNameBytes(path);
    struct stat info {};
    if (name.isEmpty() || name.contains('\0') || ::stat(name.constData(), &info) != 0) {
        const bool missing = name.isEmpty() || name.contains('\0') || errno == ENOENT;
        return problemWith(path, missing ? QStringLiteral("no such file")
                                         : QStringLiteral("cannot be read: ") + qt_error_string());
    }
    if (S_ISDIR(info.st_mode)) {
        return problemWith(path, QStringLiteral("a folder, not a document"));
    }
    // A pipe or a device could block the reader or never end; it is not even
    // opened. Checked again on what was opened, which may have been replaced.
    const auto regular = [&path](const struct stat& file) -> std::optional<DocumentProblem> {
        if (!S_ISREG(file.st_mode)) {
            return problemWith(path, QStringLiteral("not a regular file"));
        }
        // Checked before reading, so a huge file costs nothing.
        if (file.st_size > maxDocumentBytes) {
            return problemWith(path, tooLarge(file.st_size));
        }
        return std::nullopt;
    };
    if (auto problem = regular(info)) {
        return *problem;
    }
    const int descriptor = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    QFile file;
    if (descriptor < 0 ||
        !file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        return problemWith(path, QStringLiteral("cannot be read: ") + qt_error_string());
    }
    if (::fstat(descriptor, &info) != 0) {
        return problemWith(path, QStringLiteral("cannot be read: ") + qt_error_string());
    }
    if (auto problem = regular(info)) {
        return *problem;
    }
    // One byte more than allowed tells a file that grew since it was measured.
    const QByteArray bytes = file.read(maxDocumentBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        return problemWith(path, QStringLiteral("cannot be read: ") + file.errorString());
    }
    if (bytes.size() > maxDocumentBytes) {
        return problemWith(path, tooLarge(file.size()));
    }
    auto result = parseDocument(bytes, metadata);
    if (auto* problem = std::get_if<DocumentProblem>(&result)) {
        *problem = problemWith(path, problem->message);
    }
    return result;
}

std::optional<DocumentProblem> saveDocumentFile(const QString& path,
                                                const ScenarioDocument& document,
                                                const DocumentMetadata& metadata) {
    if (const std::optional<QString> problem = documentProblem(document)) {
        return problemWith(path, QStringLiteral("cannot be saved: ") + *problem);
    }
    // The rename would put a regular file in place of a device or a pipe.
    if (struct stat target{}; ::stat(fileNameBytes(path).constData(), &target) == 0 &&
                              !S_ISREG(target.st_mode) && !S_ISDIR(target.st_mode)) {
        return problemWith(path, QStringLiteral("cannot be saved: not a regular file"));
    }
    if (const auto reason = writeFileAtomically(path, documentText(document, metadata))) {
        return problemWith(path, QStringLiteral("cannot be saved: ") + *reason);
    }
    return std::nullopt;
}

std::optional<QString> writeFileAtomically(const QString& path, QByteArrayView bytes) {
    if (const QByteArray name = fileNameBytes(path); name != QFile::encodeName(path)) {
        return writeByName(name, bytes);
    }
    QSaveFile file(path);
    // Unbuffered, and written until every byte is in: QSaveFile takes a write
    // cut short (as on a full disk) for a whole one and commits it; only the
    // write after it fails, with the reason.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return file.errorString();
    }
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 more = file.write(bytes.data() + written, bytes.size() - written);
        if (more <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return reason;
        }
        written += more;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return std::nullopt;
}

}  // namespace velmora
