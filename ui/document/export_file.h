#pragma once

#include <functional>
#include <optional>

#include <QString>

class QIODevice;

namespace velmora {

/// Writes a file the way a save does: what `write` puts in a buffer goes to a
/// temporary file beside `path`, which is renamed over it only when everything
/// was written, so a failed export leaves an earlier file as it was. `write` returns why it
/// failed, or an empty text. The result is the problem as one sentence naming
/// the file ("FILE: cannot be written: REASON"), or nothing on success.
[[nodiscard]] std::optional<QString> writeExport(const QString& path,
                                                 const std::function<QString(QIODevice&)>& write);

/// The refusal of a file whose extension names no format written:
/// "FILE: ends in \".bmp\"; a chart is exported as .png, .pdf or .svg", where
/// `accepted` is what follows the semicolon.
[[nodiscard]] QString wrongExtension(const QString& path, const QString& accepted);

}  // namespace velmora
