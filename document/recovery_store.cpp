// Recovery copies of the open windows' documents, one locked file each.
#include "document/recovery_store.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QUuid>

namespace velmora {

namespace {

const QString lockSuffix = QStringLiteral(".lock");

DocumentProblem problemWith(const QString& path, const QString& reason) {
    return {QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason};
}

/// The lock of the copy at `copyPath`, taken, or null while another window
/// holds it. Only a dead owner makes a lock stale, never its age: a window
/// may stay open for weeks.
std::unique_ptr<QLockFile> lockCopy(const QString& copyPath,
                                    QLockFile::LockError* error = nullptr) {
    auto lock = std::make_unique<QLockFile>(copyPath + lockSuffix);
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (error != nullptr) {
            *error = lock->error();
        }
        return nullptr;
    }
    return lock;
}

QString lockErrorText(QLockFile::LockError error) {
    switch (error) {
        case QLockFile::LockFailedError:
            return QStringLiteral("held by another window");
        case QLockFile::PermissionError:
            return QStringLiteral("permission denied");
        default:
            return QStringLiteral("unknown error");
    }
}

}  // namespace

RecoveryCopy::RecoveryCopy(QString path, std::unique_ptr<QLockFile> lock)
    : path_(std::move(path)), lock_(std::move(lock)) {}

RecoveryCopy::~RecoveryCopy() = default;

std::optional<DocumentProblem> RecoveryCopy::write(const ScenarioDocument& document,
                                                   const QString& recoveryOf) {
    // The folder may have been cleared while the window was open.
    QDir().mkpath(QFileInfo(path_).path());
    return saveDocumentFile(path_, document, DocumentMetadata{recoveryOf});
}

std::optional<DocumentProblem> RecoveryCopy::remove() {
    QFile file(path_);
    if (file.exists() && !file.remove()) {
        return problemWith(path_, QStringLiteral("cannot be deleted: ") + file.errorString());
    }
    return std::nullopt;
}

RecoveryStore::RecoveryStore(QString folder) : folder_(std::move(folder)) {}

RecoveryStore::~RecoveryStore() = default;

QString RecoveryStore::standardFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return data.isEmpty() ? QString() : data + QStringLiteral("/recovery");
}

QString RecoveryStore::pathOf(const QString& name) const {
    return QDir(folder_).filePath(name);
}

std::variant<std::unique_ptr<RecoveryCopy>, DocumentProblem> RecoveryStore::create() {
    if (folder_.isEmpty()) {
        return DocumentProblem{QStringLiteral("No folder for recovery copies")};
    }
    if (!QDir().mkpath(folder_)) {
        return problemWith(folder_, QStringLiteral("cannot be made"));
    }
    const QString path = pathOf(QUuid::createUuid().toString(QUuid::WithoutBraces) +
                                QLatin1Char('.') + QLatin1String(documentSuffix));
    QLockFile::LockError error = QLockFile::NoError;
    std::unique_ptr<QLockFile> lock = lockCopy(path, &error);
    if (lock == nullptr) {
        return problemWith(path + lockSuffix,
                           QStringLiteral("cannot be locked: ") + lockErrorText(error));
    }
    return std::unique_ptr<RecoveryCopy>(new RecoveryCopy(path, std::move(lock)));
}

std::vector<RecoveryLeftover> RecoveryStore::leftovers() {
    // QDir reads an empty path as the working folder, whose documents are no copies.
    if (folder_.isEmpty()) {
        return {};
    }
    const QDir folder(folder_);
    const QString copies = QStringLiteral("*.") + QLatin1String(documentSuffix);
    std::erase_if(claimed_,
                  [this](const auto& claim) { return !QFile::exists(pathOf(claim.first)); });

    std::vector<RecoveryLeftover> found;
    for (const QFileInfo& file : folder.entryInfoList({copies}, QDir::Files | QDir::Hidden)) {
        const QString name = file.fileName();
        if (!claimed_.contains(name)) {
            std::unique_ptr<QLockFile> lock = lockCopy(file.filePath());
            if (lock == nullptr) {
                continue;  // its window is open, here or in another instance
            }
            claimed_.emplace(name, std::move(lock));
        }
        DocumentMetadata metadata;
        RecoveryLeftover& leftover = found.emplace_back(RecoveryLeftover{
            name, file.lastModified(), readDocumentFile(file.filePath(), &metadata), QString()});
        if (leftover.readable()) {
            leftover.recoveryOf = metadata.recoveryOf;
        }
    }

    // A window killed after its document was saved leaves a lock and no copy.
    for (const QFileInfo& file : folder.entryInfoList({copies + lockSuffix}, QDir::Files)) {
        const QString copy = file.filePath().chopped(lockSuffix.size());
        if (!QFile::exists(copy)) {
            lockCopy(copy);  // taken only when stale, and released (deleted) at once
        }
    }

    std::stable_sort(
        found.begin(), found.end(),
        [](const RecoveryLeftover& a, const RecoveryLeftover& b) { return a.written < b.written; });
    return found;
}

std::optional<DocumentProblem> RecoveryStore::discard(const QString& name) {
    const auto claim = claimed_.find(name);
    if (claim == claimed_.end()) {
        return problemWith(pathOf(name), QStringLiteral("not a leftover recovery copy"));
    }
    QFile file(pathOf(name));
    if (file.exists() && !file.remove()) {
        return problemWith(file.fileName(),
                           QStringLiteral("cannot be deleted: ") + file.errorString());
    }
    claimed_.erase(claim);
    return std::nullopt;
}

std::unique_ptr<RecoveryCopy> RecoveryStore::takeOver(const QString& name) {
    const auto claim = claimed_.find(name);
    if (claim == claimed_.end()) {
        return nullptr;
    }
    std::unique_ptr<RecoveryCopy> copy(new RecoveryCopy(pathOf(name), std::move(claim->second)));
    claimed_.erase(claim);
    return copy;
}

}  // namespace velmora
