#include "ui/document/recent_files.h"

#include <QFileInfo>

#include "ui/common/user_settings.h"

namespace velmora {

namespace {

constexpr char key[] = "recentFiles";

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
