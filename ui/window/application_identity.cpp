#include "ui/window/application_identity.h"

#include <array>

#include <QApplication>

#include "packaging/version.h"

namespace velmora {

namespace {

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QIcon applicationIcon() {
    // The sizes of packaging/icons, built into the ui library as resources.
    static constexpr std::array<int, 8> sizes{16, 22, 24, 32, 48, 64, 128, 256};
    QIcon builtIn;
    for (const int size : sizes) {
        builtIn.addFile(QStringLiteral(":/icons/velmora-%1.png").arg(size), QSize(size, size));
    }
    return QIcon::fromTheme(fromView(applicationId), builtIn);
}

void setApplicationIdentity() {
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(fromView(versionText));
    QGuiApplication::setDesktopFileName(fromView(applicationId));
    QApplication::setWindowIcon(applicationIcon());
}

}  // namespace velmora
