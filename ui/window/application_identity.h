#pragma once

#include <QIcon>

namespace velmora {

/// Velmora's icon: the theme's icon of the application id when an installed
/// theme has one, otherwise the PNGs built into the program.
[[nodiscard]] QIcon applicationIcon();

/// Tells Qt and the desktop who this application is: its name, version,
/// desktop entry (so that the shell matches windows to the launcher) and the
/// icon of every window. Call once the QApplication exists.
void setApplicationIdentity();

}  // namespace velmora
