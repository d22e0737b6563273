#include "ui/document/export_file.h"

#include <QDir>
#include <QSaveFile>

namespace velmora {

std::optional<QString> writeExport(const QString& path,
                                   const std::function<QString(QIODevice&)>& write) {
    const auto problem = [&path](const QString& reason) {
        return QDir::toNativeSeparators(path) + QStringLiteral(": cannot be written: ") + reason;
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return problem(file.errorString());
    }
    if (const QString failed = write(file); !failed.isEmpty()) {
        file.cancelWriting();
        return problem(failed);
    }
    // A failed write is remembered by QSaveFile and makes the commit fail.
    if (!file.commit()) {
        return problem(file.errorString());
    }
    return std::nullopt;
}

}  // namespace velmora
