#include "report/zip_archive.h"

#include <zlib.h>

namespace velmora::report {

namespace {

constexpr std::uint32_t localSignature = 0x04034b50;
constexpr std::uint32_t centralSignature = 0x02014b50;
constexpr std::uint32_t endSignature = 0x06054b50;
constexpr std::size_t localSize = 30;
constexpr std::size_t centralSize = 46;
constexpr std::size_t endSize = 22;

// A little-endian field; zero past the end, so a cut archive reads as broken.
std::uint32_t read(const QByteArray& bytes, std::size_t at, int width) {
    if (at + static_cast<std::size_t>(width) > static_cast<std::size_t>(bytes.size())) {
        return 0;
    }
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = value << 8 | static_cast<std::uint8_t>(bytes[static_cast<qsizetype>(at) + i]);
    }
    return value;
}

void write(QByteArray& bytes, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
        bytes.append(static_cast<char>(value >> (8 * i) & 0xFF));
    }
}

std::uint32_t checksum(const QByteArray& bytes) {
    return static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.constData()),
                                            static_cast<uInt>(bytes.size())));
}

std::optional<QByteArray> deflated(const QByteArray& text) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
        return std::nullopt;
    }
    QByteArray out(static_cast<qsizetype>(deflateBound(&stream, static_cast<uLong>(text.size()))),
                   Qt::Uninitialized);
    // zlib's interface takes no const; it only reads the input.
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.constData()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(static_cast<qsizetype>(stream.total_out));
    deflateEnd(&stream);
    if (result != Z_STREAM_END) {
        return std::nullopt;
    }
    return out;
}

}  // namespace

std::variant<std::vector<ZipEntry>, QString> zipEntries(const QByteArray& zip) {
    const auto total = static_cast<std::size_t>(zip.size());
    if (total < endSize) {
        return QStringLiteral("no directory of its parts");
    }
    std::size_t end = total - endSize;
    while (read(zip, end, 4) != endSignature) {
        if (end == 0 || total - end > endSize + 0xFFFF) {
            return QStringLiteral("no directory of its parts");
        }
        --end;
    }
    const std::size_t count = read(zip, end + 10, 2);
    std::size_t at = read(zip, end + 16, 4);
    std::vector<ZipEntry> found;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t name = read(zip, at + 28, 2);
        if (read(zip, at, 4) != centralSignature || at + centralSize + name > total) {
            return QStringLiteral("a broken directory of its parts");
        }
        ZipEntry entry;
        entry.method = static_cast<std::uint16_t>(read(zip, at + 10, 2));
        entry.time = static_cast<std::uint16_t>(read(zip, at + 12, 2));
        entry.date = static_cast<std::uint16_t>(read(zip, at + 14, 2));
        entry.crc = read(zip, at + 16, 4);
        const std::uint32_t stored = read(zip, at + 20, 4);
        entry.size = read(zip, at + 24, 4);
        entry.externalAttributes = read(zip, at + 38, 4);
        const std::size_t local = read(zip, at + 42, 4);
        entry.name =
            zip.mid(static_cast<qsizetype>(at + centralSize), static_cast<qsizetype>(name));
        const std::size_t data =
            local + localSize + read(zip, local + 26, 2) + read(zip, local + 28, 2);
        if (read(zip, local, 4) != localSignature || data + stored > total) {
            return QString::fromUtf8(entry.name) + QStringLiteral(" is missing");
        }
        entry.data = zip.mid(static_cast<qsizetype>(data), static_cast<qsizetype>(stored));
        at += centralSize + name + read(zip, at + 30, 2) + read(zip, at + 32, 2);
        found.push_back(std::move(entry));
    }
    return found;
}

std::optional<QByteArray> unpacked(const ZipEntry& entry) {
    if (entry.method == 0) {
        return entry.data.size() == static_cast<qsizetype>(entry.size) &&
                       checksum(entry.data) == entry.crc
                   ? std::optional(entry.data)
                   : std::nullopt;
    }
    if (entry.method != Z_DEFLATED) {
        return std::nullopt;
    }
    // One byte more than recorded, so that a part longer than its record shows.
    QByteArray out(static_cast<qsizetype>(entry.size) + 1, Qt::Uninitialized);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        return std::nullopt;
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(entry.data.constData()));
    stream.avail_in = static_cast<uInt>(entry.data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&stream, Z_FINISH);
    const bool whole = result == Z_STREAM_END && stream.total_out == entry.size;
    inflateEnd(&stream);
    out.truncate(static_cast<qsizetype>(entry.size));
    if (!whole || checksum(out) != entry.crc) {
        return std::nullopt;
    }
    return out;
}

bool repack(ZipEntry& entry, const QByteArray& bytes) {
    auto packed = deflated(bytes);
    if (!packed) {
        return false;
    }
    entry.method = Z_DEFLATED;
    entry.crc = checksum(bytes);
    entry.size = static_cast<std::uint32_t>(bytes.size());
    entry.data = std::move(*packed);
    return true;
}

QByteArray zipped(const std::vector<ZipEntry>& files) {
    QByteArray zip;
    QByteArray central;
    for (const ZipEntry& entry : files) {
        const auto header = [&entry](QByteArray& out, bool local) {
            write(out, local ? localSignature : centralSignature, 4);
            if (!local) {
                write(out, 20, 2);  // made by: MS-DOS attributes, zip 2.0
            }
            write(out, 20, 2);  // needs zip 2.0
            write(out, 0, 2);   // flags: sizes in the header
            write(out, entry.method, 2);
            write(out, entry.time, 2);
            write(out, entry.date, 2);
            write(out, entry.crc, 4);
            write(out, static_cast<std::uint32_t>(entry.data.size()), 4);
            write(out, entry.size, 4);
            write(out, static_cast<std::uint32_t>(entry.name.size()), 2);
            write(out, 0, 2);  // no extra field
        };
        header(central, false);
        write(central, 0, 2);  // no comment
        write(central, 0, 2);  // disk
        write(central, 0, 2);  // internal attributes
        write(central, entry.externalAttributes, 4);
        write(central, static_cast<std::uint32_t>(zip.size()), 4);
        central.append(entry.name);
        header(zip, true);
        zip.append(entry.name);
        zip.append(entry.data);
    }
    const auto offset = static_cast<std::uint32_t>(zip.size());
    zip.append(central);
    write(zip, endSignature, 4);
    write(zip, 0, 2);
    write(zip, 0, 2);
    write(zip, static_cast<std::uint32_t>(files.size()), 2);
    write(zip, static_cast<std::uint32_t>(files.size()), 2);
    write(zip, static_cast<std::uint32_t>(central.size()), 4);
    write(zip, offset, 4);
    write(zip, 0, 2);
    return zip;
}

}  // namespace velmora::report
