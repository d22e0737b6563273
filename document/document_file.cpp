// Reading and saving document files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <QDir>
#include <QFile>

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
    if (const auto reason = writeFileAtomically(path, documentText(document, metadata))) {
        return problemWith(path, QStringLiteral("cannot be saved: ") + *reason);
    }
    return std::nullopt;
}

}  // namespace velmora
