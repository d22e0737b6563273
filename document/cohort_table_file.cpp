#include "document/cohort_table_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velmora {

namespace {

DocumentProblem problemWith(const QString& source, const QString& reason) {
    return {source + QStringLiteral(": ") + reason};
}

QString tooLarge(qint64 bytes) {
    return QStringLiteral("%1 bytes, larger than the 16 MiB a cohort table may hold").arg(bytes);
}

}  // namespace

std::variant<CohortTable, DocumentProblem> readCohortTableText(QByteArrayView text,
                                                               const QString& source) {
    auto read = readCohortTable({text.data(), static_cast<std::size_t>(text.size())});
    if (auto* problem = std::get_if<TableProblem>(&read)) {
        return problemWith(source, QString::fromStdString(problem->text()));
    }
    return std::get<CohortTable>(std::move(read));
}

std::variant<CohortTable, DocumentProblem> readCohortTableFile(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists()) {
        return problemWith(shown, QStringLiteral("no such file"));
    }
    if (info.isDir()) {
        return problemWith(shown, QStringLiteral("a folder, not a cohort table"));
    }
    // A pipe or a device could block the reader or never end.
    if (!info.isFile()) {
        return problemWith(shown, QStringLiteral("not a regular file"));
    }
    constexpr auto limit = static_cast<qint64>(maxCohortTableBytes);
    if (info.size() > limit) {
        return problemWith(shown, tooLarge(info.size()));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return problemWith(shown, QStringLiteral("cannot be read: ") + file.errorString());
    }
    const QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError) {
        return problemWith(shown, QStringLiteral("cannot be read: ") + file.errorString());
    }
    if (bytes.size() > limit) {
        return problemWith(shown, tooLarge(file.size()));
    }
    return readCohortTableText(bytes, shown);
}

}  // namespace velmora
