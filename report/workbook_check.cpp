#include "report/workbook_check.h"

#include <zlib.h>

#include <optional>

#include <QXmlStreamReader>

#include "document/atomic_file.h"

namespace velmora::report {

namespace {

// Little-endian fields of the zip format; zero past the end.
quint32 field(QByteArrayView zip, qsizetype at, int bytes) {
    if (at < 0 || at + bytes > zip.size()) {
        return 0;
    }
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(zip[at + i]);
    }
    return value;
}

constexpr quint32 endSignature = 0x06054b50;
constexpr quint32 entrySignature = 0x02014b50;
constexpr quint32 localSignature = 0x04034b50;
constexpr int stored = 0;
constexpr int deflated = 8;

// The bytes `packed` unpack to with `method`, expected to be `size` long;
// nothing when they do not unpack.
std::optional<QByteArray> unpack(QByteArrayView packed, int method, quint32 size) {
    if (method == stored) {
        return packed.toByteArray();
    }
    if (method != deflated) {
        return std::nullopt;
    }
    QByteArray bytes(static_cast<qsizetype>(size) + 1, Qt::Uninitialized);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        return std::nullopt;
    }
    // zlib's interface takes no const; it only reads the input.
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(bytes.data());
    stream.avail_out = static_cast<uInt>(bytes.size());
    const int ended = inflate(&stream, Z_FINISH);
    const auto out = static_cast<qsizetype>(stream.total_out);
    inflateEnd(&stream);
    if (ended != Z_STREAM_END) {
        return std::nullopt;
    }
    bytes.truncate(out);
    return bytes;
}

}  // namespace

QString damagedPart(QByteArrayView zip, qint64& unpacked) {
    unpacked = 0;
    const auto broken = [](const QString& what) {
        return QStringLiteral("the workbook came out damaged: ") + what;
    };
    // The directory's end is the last record; the library writes no comment.
    const qsizetype end = zip.size() - 22;
    if (end < 0 || field(zip, end, 4) != endSignature) {
        return broken(QStringLiteral("no directory of its parts"));
    }
    const quint32 parts = field(zip, end + 10, 2);
    qsizetype entry = field(zip, end + 16, 4);
    for (quint32 part = 0; part < parts; ++part) {
        if (field(zip, entry, 4) != entrySignature) {
            return broken(QStringLiteral("a broken directory of its parts"));
        }
        const int method = static_cast<int>(field(zip, entry + 10, 2));
        const quint32 checksum = field(zip, entry + 16, 4);
        const quint32 packedSize = field(zip, entry + 20, 4);
        const quint32 size = field(zip, entry + 24, 4);
        const quint32 nameSize = field(zip, entry + 28, 2);
        const qsizetype local = field(zip, entry + 42, 4);
        if (entry + 46 + nameSize > zip.size()) {
            return broken(QStringLiteral("a broken directory of its parts"));
        }
        const QString name = QString::fromUtf8(zip.sliced(entry + 46, nameSize));
        entry += 46 + nameSize + field(zip, entry + 30, 2) + field(zip, entry + 32, 2);

        const qsizetype data = local + 30 + field(zip, local + 26, 2) + field(zip, local + 28, 2);
        if (field(zip, local, 4) != localSignature || data + packedSize > zip.size()) {
            return broken(name + QStringLiteral(" is missing"));
        }
        const auto bytes = unpack(zip.sliced(data, packedSize), method, size);
        unpacked += bytes ? bytes->size() : 0;
        if (!bytes || bytes->size() != static_cast<qsizetype>(size) ||
            crc32(0, reinterpret_cast<const Bytef*>(bytes->constData()), size) != checksum) {
            return broken(name + QStringLiteral(" does not unpack"));
        }
        if (!name.endsWith(QLatin1String(".xml")) && !name.endsWith(QLatin1String(".rels"))) {
            continue;
        }
        QXmlStreamReader xml(*bytes);
        while (!xml.atEnd()) {
            xml.readNext();
        }
        if (xml.hasError()) {
            return broken(name + QStringLiteral(" is not whole"));
        }
    }
    return {};
}

QString whyNotWritten(const QString& folder, qint64 bytes) {
    AtomicFile probe(folder + QStringLiteral("/probe"));
    if (!probe.open(QIODevice::WriteOnly)) {
        return probe.problem();
    }
    // Blocks as large as the file's own go straight to the disk.
    const QByteArray block(1 << 16, '\0');
    for (qint64 written = 0; written < bytes && probe.problem().isEmpty();
         written += block.size()) {
        probe.write(block);
    }
    return probe.problem();
}

}  // namespace velmora::report
