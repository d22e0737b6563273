#include "ui/document/export_file.h"

#include <QBuffer>
#include <QDir>

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

}  // namespace velmora
