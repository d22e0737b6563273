#pragma once

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include <QByteArray>
#include <QString>

// Zip archives as libxlsxwriter writes workbooks: read back to check them and
// to write their figures exactly, and packed again.
namespace velmora::report {

/// One file of a zip archive, as its central directory tells it.
struct ZipEntry {
    QByteArray name;
    std::uint16_t method = 0;  ///< 0 stored, 8 deflated
    std::uint16_t time = 0;
    std::uint16_t date = 0;
    std::uint32_t crc = 0;
    std::uint32_t externalAttributes = 0;
    std::uint32_t size = 0;  ///< unpacked
    QByteArray data;         ///< as stored
};

/// The files of `zip` in the order of its directory, or what is wrong with
/// it: "no directory of its parts", "a broken directory of its parts", or
/// "NAME is missing" for a file the directory names that is not all there.
[[nodiscard]] std::variant<std::vector<ZipEntry>, QString> zipEntries(const QByteArray& zip);

/// The bytes of `entry` unpacked, when they unpack to its size and checksum.
[[nodiscard]] std::optional<QByteArray> unpacked(const ZipEntry& entry);

/// Makes `bytes` the contents of `entry`, deflated; false when zlib fails,
/// leaving `entry` as it was.
[[nodiscard]] bool repack(ZipEntry& entry, const QByteArray& bytes);

/// A zip archive of `files`, in order.
[[nodiscard]] QByteArray zipped(const std::vector<ZipEntry>& files);

}  // namespace velmora::report
