#include "report/exact_numbers.h"

#include <zlib.h>

#include <cstdint>
#include <optional>

namespace velmora::report {

namespace {

constexpr std::uint32_t localSignature = 0x04034b50;
constexpr std::uint32_t centralSignature = 0x02014b50;
constexpr std::uint32_t endSignature = 0x06054b50;
constexpr std::size_t localSize = 30;
constexpr std::size_t centralSize = 46;
constexpr std::size_t endSize = 22;

std::uint32_t read(const QByteArray& bytes, std::size_t at, int width) {
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

/// One file of the zip, as its central directory tells it.
struct Entry {
    QByteArray name;
    std::uint16_t method = 0;
    std::uint16_t time = 0;
    std::uint16_t date = 0;
    std::uint32_t crc = 0;
    std::uint32_t externalAttributes = 0;
    std::uint32_t size = 0;
    QByteArray data;  ///< as stored: deflated when `method` is 8
};

std::optional<std::vector<Entry>> entries(const QByteArray& zip) {
    const auto total = static_cast<std::size_t>(zip.size());
    if (total < endSize) {
        return std::nullopt;
    }
    std::size_t end = total - endSize;
    while (read(zip, end, 4) != endSignature) {
        if (end == 0 || total - end > endSize + 0xFFFF) {
            return std::nullopt;
        }
        --end;
    }
    const std::size_t count = read(zip, end + 10, 2);
    std::size_t at = read(zip, end + 16, 4);
    std::vector<Entry> found;
    for (std::size_t i = 0; i < count; ++i) {
        if (at + centralSize > total || read(zip, at, 4) != centralSignature) {
            return std::nullopt;
        }
        Entry entry;
        entry.method = static_cast<std::uint16_t>(read(zip, at + 10, 2));
        entry.time = static_cast<std::uint16_t>(read(zip, at + 12, 2));
        entry.date = static_cast<std::uint16_t>(read(zip, at + 14, 2));
        entry.crc = read(zip, at + 16, 4);
        const std::uint32_t stored = read(zip, at + 20, 4);
        entry.size = read(zip, at + 24, 4);
        const std::size_t name = read(zip, at + 28, 2);
        const std::size_t extra = read(zip, at + 30, 2);
        const std::size_t comment = read(zip, at + 32, 2);
        entry.externalAttributes = read(zip, at + 38, 4);
        const std::size_t local = read(zip, at + 42, 4);
        if (at + centralSize + name > total || local + localSize > total ||
            read(zip, local, 4) != localSignature) {
            return std::nullopt;
        }
        entry.name =
            zip.mid(static_cast<qsizetype>(at + centralSize), static_cast<qsizetype>(name));
        const std::size_t data =
            local + localSize + read(zip, local + 26, 2) + read(zip, local + 28, 2);
        if (data + stored > total) {
            return std::nullopt;
        }
        entry.data = zip.mid(static_cast<qsizetype>(data), static_cast<qsizetype>(stored));
        found.push_back(std::move(entry));
        at += centralSize + name + extra + comment;
    }
    return found;
}

std::uint32_t checksum(const QByteArray& bytes) {
    return static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.constData()),
                                            static_cast<uInt>(bytes.size())));
}

std::optional<QByteArray> inflated(const Entry& entry) {
    if (entry.method == 0) {
        return entry.data;
    }
    if (entry.method != Z_DEFLATED) {
        return std::nullopt;
    }
    QByteArray out(static_cast<qsizetype>(entry.size), Qt::Uninitialized);
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
    if (!whole || checksum(out) != entry.crc) {
        return std::nullopt;
    }
    return out;
}

std::optional<QByteArray> deflated(const QByteArray& text) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
        return std::nullopt;
    }
    QByteArray out(static_cast<qsizetype>(deflateBound(&stream, static_cast<uLong>(text.size()))),
                   Qt::Uninitialized);
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

/// `sheet` with the value of each cell of `cells` written as given.
QByteArray withExact(const QByteArray& sheet, const std::map<std::string, std::string>& cells) {
    QByteArray out;
    out.reserve(sheet.size() + static_cast<qsizetype>(cells.size()) * 2);
    qsizetype from = 0;
    static const QByteArray cellStart = QByteArrayLiteral("<c r=\"");
    for (qsizetype at = sheet.indexOf(cellStart); at >= 0; at = sheet.indexOf(cellStart, at + 1)) {
        const qsizetype refStart = at + cellStart.size();
        const qsizetype refEnd = sheet.indexOf('"', refStart);
        const qsizetype cellEnd = sheet.indexOf("</c>", refStart);
        if (refEnd < 0 || cellEnd < 0) {
            break;
        }
        const auto exact = cells.find(sheet.mid(refStart, refEnd - refStart).toStdString());
        if (exact == cells.end()) {
            continue;
        }
        const qsizetype valueStart = sheet.indexOf("<v>", refEnd);
        const qsizetype valueEnd = sheet.indexOf("</v>", refEnd);
        if (valueStart < 0 || valueEnd < 0 || valueEnd > cellEnd) {
            continue;
        }
        out.append(sheet.mid(from, valueStart + 3 - from));
        out.append(exact->second.data(), static_cast<qsizetype>(exact->second.size()));
        from = valueEnd;
    }
    out.append(sheet.mid(from));
    return out;
}

QByteArray zipped(const std::vector<Entry>& files) {
    QByteArray zip;
    QByteArray central;
    for (const Entry& entry : files) {
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

}  // namespace

std::string cellName(unsigned row, unsigned column) {
    std::string letters;
    for (unsigned left = column + 1; left > 0; left = (left - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (left - 1) % 26));
    }
    return letters + std::to_string(row + 1);
}

QString writeExactNumbers(QByteArray& xlsx, const ExactCells& cells) {
    bool any = false;
    for (const auto& sheet : cells) {
        any = any || !sheet.empty();
    }
    if (!any) {
        return {};
    }
    auto files = entries(xlsx);
    if (!files) {
        return QStringLiteral("the workbook written could not be read back");
    }
    for (Entry& entry : *files) {
        for (std::size_t sheet = 0; sheet < cells.size(); ++sheet) {
            if (cells[sheet].empty() ||
                entry.name != "xl/worksheets/sheet" + QByteArray::number(sheet + 1) + ".xml") {
                continue;
            }
            const auto text = inflated(entry);
            if (!text) {
                return QStringLiteral("the sheet written could not be read back");
            }
            const QByteArray exact = withExact(*text, cells[sheet]);
            auto packed = deflated(exact);
            if (!packed) {
                return QStringLiteral("the sheet could not be compressed");
            }
            entry.method = Z_DEFLATED;
            entry.crc = checksum(exact);
            entry.size = static_cast<std::uint32_t>(exact.size());
            entry.data = std::move(*packed);
        }
    }
    xlsx = zipped(*files);
    return {};
}

}  // namespace velmora::report
