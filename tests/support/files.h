#pragma once

#include <QFile>

// Files read and written whole, for tests of what is on disk.
namespace velmora {

/// The bytes of the file at `path`, or "(unreadable)".
inline QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

/// Writes `bytes` as the whole file at `path`; whether it could.
inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace velmora
