#pragma once

#include <QStringList>

namespace velmora {

/// The most documents the list of recent files holds.
inline constexpr qsizetype recentFilesLimit = 10;

/// The documents opened or saved last, newest first, as kept in the user's
/// settings, which every window and the next start share.
[[nodiscard]] QStringList recentFiles();
/// Puts `path` first in the list (as an absolute path), once, dropping the
/// oldest beyond `recentFilesLimit`.
void addRecentFile(const QString& path);
void clearRecentFiles();

}  // namespace velmora
