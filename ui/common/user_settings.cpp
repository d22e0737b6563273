#include "ui/common/user_settings.h"

namespace velmora {

QSettings userSettings() {
    return QSettings(QStringLiteral("Velmora"), QStringLiteral("Velmora"));
}

}  // namespace velmora
