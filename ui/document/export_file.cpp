#include "ui/document/export_file.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "document/atomic_file.h"

namespace velmora {

std::optional<QString> writeExport(const QString& path,
                                   const std::function<QString(QIODevice&)>& write) {
    const auto problem = [&path](const QString& reason) {
        return QDir::toNativeSeparators(path) + QStringLiteral(": cannot be written: ") + reason;
    };
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (const QString failed = write(buffer); !failed.isEmpty()) {
        return problem(failed);
    }
    if (const auto reason = writeFileAtomically(path, buffer.data())) {
        return problem(*reason);
    }
    return std::nullopt;
}

QString wrongExtension(const QString& path, const QString& accepted) {
    const QString suffix = QFileInfo(path).suffix();
    const QString found =
        suffix.isEmpty() ? QCoreApplication::translate("Export", "has no extension")
                         : QCoreApplication::translate("Export", "ends in \".%1\"").arg(suffix);
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + found + QStringLiteral("; ") +
           accepted;
}

}  // namespace velmora
