#pragma once

#include <QByteArray>
#include <QString>

namespace velmora::report {

/// Why the workbook `zip` (an .xlsx file) cannot be read whole, or an empty
/// text: a part that does not unpack to its recorded size and checksum, or an
/// XML part that ends before its last element closes ("xl/worksheets/sheet1.xml
/// is not whole"). The library writes each part to a temporary file without
/// checking those writes, and packs what is there. `unpacked` is set to the
/// size of the parts read, added up.
[[nodiscard]] QString damagedPart(const QByteArray& zip, qint64& unpacked);

/// Why `bytes` cannot be written to a new file in `folder`, in the system's
/// words ("No space left on device", "File too large"), or an empty text. The
/// file is removed. The library does not tell why a part came out short, but
/// a full disk or a file-size limit refuses as much again in its folder.
[[nodiscard]] QString whyNotWritten(const QString& folder, qint64 bytes);

}  // namespace velmora::report
