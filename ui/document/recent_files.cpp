#include "ui/document/recent_files.h"

#include <QFileInfo>
#include <QSettings>

namespace velmora {

namespace {

constexpr char key[] = "recentFiles";

/// Named here rather than after the running program, so that the application
/// and its tests read the same settings (which tests move elsewhere).
QSettings userSettings() {
    return QSettings(QStringLiteral("Velmora"), QStringLiteral("Velmora"));
}

}  // namespace

QStringList recentFiles() {
    return userSettings().value(QLatin1String(key)).toStringList().mid(0, recentFilesLimit);
}

void addRecentFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList list = recentFiles();
    list.removeAll(absolute);
    list.prepend(absolute);
    userSettings().setValue(QLatin1String(key), list.mid(0, recentFilesLimit));
}

void clearRecentFiles() {
    userSettings().remove(QLatin1String(key));
}

}  // namespace velmora
