// Reading and saving document files.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "document/atomic_file.h"
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
    const QFileInfo info(path);
    if (!info.exists()) {
        return problemWith(path, QStringLiteral("no such file"));
    }
    if (info.isDir()) {
        return problemWith(path, QStringLiteral("a folder, not a document"));
    }
    // A pipe or a device could block the reader or never end.
    if (!info.isFile()) {
        return problemWith(path, QStringLiteral("not a regular file"));
    }
    // Checked before reading, so a huge file costs nothing.
    if (info.size() > maxDocumentBytes) {
        return problemWith(path, tooLarge(info.size()));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return problemWith(path, QStringLiteral("cannot be read: ") + file.errorString());
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
    if (const QFileInfo target(path); target.exists() && !target.isFile() && !target.isDir()) {
        return problemWith(path, QStringLiteral("cannot be saved: not a regular file"));
    }
    if (const auto reason = writeFileAtomically(path, documentText(document, metadata))) {
        return problemWith(path, QStringLiteral("cannot be saved: ") + *reason);
    }
    return std::nullopt;
}

std::optional<QString> writeFileAtomically(const QString& path, QByteArrayView bytes) {
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
