#pragma once

#include <optional>

#include <QByteArrayView>
#include <QString>

namespace velmora {

/// Writes `bytes` to the file at `path` through a temporary file beside it,
/// renamed over it only once every byte is written, so a failed write (a full
/// disk, a folder that cannot be written) leaves an earlier file as it was.
/// Returns why it failed, in the system's words, or nothing.
[[nodiscard]] std::optional<QString> writeFileAtomically(const QString& path, QByteArrayView bytes);

}  // namespace velmora
