#include "report/workbook_check.h"

#include <QXmlStreamReader>

#include "document/atomic_file.h"
#include "report/zip_archive.h"

namespace velmora::report {

QString damagedPart(const QByteArray& zip, qint64& unpackedSize) {
    unpackedSize = 0;
    const auto broken = [](const QString& what) {
        return QStringLiteral("the workbook came out damaged: ") + what;
    };
    const auto read = zipEntries(zip);
    if (const auto* problem = std::get_if<QString>(&read)) {
        return broken(*problem);
    }
    for (const ZipEntry& entry : std::get<std::vector<ZipEntry>>(read)) {
        const QString name = QString::fromUtf8(entry.name);
        const auto bytes = unpacked(entry);
        if (!bytes) {
            return broken(name + QStringLiteral(" does not unpack"));
        }
        unpackedSize += bytes->size();
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
