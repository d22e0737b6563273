#include "document/file_name.h"

#include <cstdlib>

#include "engine/support/utf8.h"

namespace velmora {

namespace {

constexpr char16_t escapeBase = 0xDC00;

// Whether the code unit at `i` stands for a byte: a low surrogate of the
// escaped range with no high surrogate before it to pair with.
bool isEscapedByte(QStringView name, qsizetype i) {
    const char16_t unit = name[i].unicode();
    return unit >= escapeBase + 0x80 && unit <= escapeBase + 0xFF &&
           !(i > 0 && name[i - 1].isHighSurrogate());
}

qsizetype firstEscaped(QStringView name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (isEscapedByte(name, i)) {
            return i;
        }
    }
    return -1;
}

}  // namespace

QString fileNameFromBytes(QByteArrayView bytes) {
    const std::string_view text(bytes.data(), static_cast<std::size_t>(bytes.size()));
    QString name;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t bad = invalidUtf8Offset(text.substr(start));
        const std::size_t good = bad == std::string_view::npos ? text.size() - start : bad;
        name += QString::fromUtf8(text.data() + start, static_cast<qsizetype>(good));
        start += good;
        if (start < text.size()) {
            name += QChar(escapeBase + static_cast<unsigned char>(text[start]));
            ++start;
        }
    }
    return name;
}

QByteArray fileNameBytes(QStringView name) {
    QByteArray bytes;
    qsizetype run = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (isEscapedByte(name, i)) {
            bytes += name.sliced(run, i - run).toUtf8();
            bytes += static_cast<char>(name[i].unicode() - escapeBase);
            run = i + 1;
        }
    }
    return bytes + name.sliced(run).toUtf8();
}

QString canonicalFileName(QStringView name) {
    const QByteArray bytes = fileNameBytes(name);
    char* resolved = bytes.isEmpty() ? nullptr : ::realpath(bytes.constData(), nullptr);
    if (resolved == nullptr) {
        return {};
    }
    QString canonical = fileNameFromBytes(resolved);
    std::free(resolved);
    return canonical;
}

QString showableName(QStringView name) {
    const qsizetype bad = firstEscaped(name);
    if (bad < 0) {
        return name.toString();
    }
    // The deepest folder named before the first byte that is not UTF-8.
    const qsizetype cut = name.first(bad).lastIndexOf(u'/');
    const QString folder = cut > 0    ? name.first(cut).toString()
                           : cut == 0 ? QStringLiteral("/")
                                      : QString();
    const QStringView file = name.sliced(name.lastIndexOf(u'/') + 1);
    if (firstEscaped(file) >= 0) {
        return folder;
    }
    return folder.isEmpty() || folder.endsWith(u'/') ? folder + file.toString()
                                                     : folder + u'/' + file.toString();
}

}  // namespace velmora
