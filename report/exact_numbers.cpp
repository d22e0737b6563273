#include "report/exact_numbers.h"

#include "report/zip_archive.h"

namespace velmora::report {

namespace {

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
    auto read = zipEntries(xlsx);
    auto* files = std::get_if<std::vector<ZipEntry>>(&read);
    if (files == nullptr) {
        return QStringLiteral("the workbook written could not be read back");
    }
    for (ZipEntry& entry : *files) {
        for (std::size_t sheet = 0; sheet < cells.size(); ++sheet) {
            if (cells[sheet].empty() ||
                entry.name != "xl/worksheets/sheet" + QByteArray::number(sheet + 1) + ".xml") {
                continue;
            }
            const auto text = unpacked(entry);
            if (!text) {
                return QStringLiteral("the sheet written could not be read back");
            }
            if (!repack(entry, withExact(*text, cells[sheet]))) {
                return QStringLiteral("the sheet could not be compressed");
            }
        }
    }
    xlsx = zipped(*files);
    return {};
}

}  // namespace velmora::report
