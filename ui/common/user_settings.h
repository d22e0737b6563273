#pragma once

#include <QSettings>

namespace velmora {

/// The user's settings, which every window and the next start share: named
/// after Velmora rather than the running program, so that the application and
/// its tests read the same ones (which tests move elsewhere).
[[nodiscard]] QSettings userSettings();

}  // namespace velmora
