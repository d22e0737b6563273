#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// File names hold bytes, which need not be UTF-8; Qt's own decoding replaces
// what is not. These keep every byte, so a name the user gave opens and saves
// exactly that file.
namespace velmora {

/// A file name as the system gives it, as text: its UTF-8 decoded, and each
/// byte that is not part of well-formed UTF-8 as the lone surrogate
/// U+DC00 + byte, which no well-formed text holds.
[[nodiscard]] QString fileNameFromBytes(QByteArrayView bytes);

/// The bytes of the file name `name`: the inverse of `fileNameFromBytes`, and
/// the UTF-8 of a name from anywhere else.
[[nodiscard]] QByteArray fileNameBytes(QStringView name);

/// The absolute name of the file `name` names, without links or "." and "..",
/// as `fileNameFromBytes` gives it; empty when there is no such file.
[[nodiscard]] QString canonicalFileName(QStringView name);

/// Where a file dialog can start for `name`: `name` itself when every byte of
/// it is UTF-8, else its deepest folder whose name is, with the file's name
/// (when that is UTF-8). Qt's dialogs reach files by UTF-8 names only; one
/// given a folder they cannot name would start in the working directory.
[[nodiscard]] QString showableName(QStringView name);

}  // namespace velmora
