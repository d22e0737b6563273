#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// PDF files read as their readers do, through poppler's tools.
namespace velmora {

/// What `program` prints for `arguments`; "(failed)" when it does not run or fails.
inline QString toolOutput(const QString& program, const QStringList& arguments) {
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(60'000) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0) {
        return QStringLiteral("(failed)");
    }
    return QString::fromUtf8(tool.readAllStandardOutput());
}

/// The text of the PDF at `path` as pdftotext finds it, in reading order.
inline QString pdfText(const QString& path, const QStringList& options = {}) {
    return toolOutput("pdftotext", QStringList(options) << "-enc"
                                                        << "UTF-8" << path << "-");
}

/// The pages of the PDF at `path`, rendered at `dpi`.
inline std::vector<QImage> renderPdf(const QString& path, double dpi) {
    QTemporaryDir folder;
    toolOutput("pdftoppm", {"-r", QString::number(dpi), "-png", path, folder.filePath("page")});
    std::vector<QImage> pages;
    // Named page-1.png, or page-01.png when there are ten or more.
    for (const QString& name : QDir(folder.path()).entryList({"*.png"}, QDir::Files, QDir::Name)) {
        pages.emplace_back(folder.filePath(name));
    }
    return pages;
}

/// The median height of the words of the PDF at `path`, in points.
inline double medianWordHeight(const QString& path) {
    const QString boxes = pdfText(path, {"-bbox"});
    static const QRegularExpression word(R"re(<word [^>]*yMin="([\d.]+)"[^>]*yMax="([\d.]+)")re");
    std::vector<double> heights;
    for (auto match = word.globalMatch(boxes); match.hasNext();) {
        const auto found = match.next();
        heights.push_back(found.captured(2).toDouble() - found.captured(1).toDouble());
    }
    if (heights.empty()) {
        return 0;
    }
    std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
    return heights[heights.size() / 2];
}

/// The mean difference of grey, 0 to 255, between two pictures shrunk to a
/// quarter of `a`'s size, where antialiasing and font hinting no longer count.
inline double pictureDifference(const QImage& a, const QImage& b) {
    const QSize size = a.size() / 4;
    const QImage x = a.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         .convertToFormat(QImage::Format_Grayscale8);
    const QImage y = b.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         .convertToFormat(QImage::Format_Grayscale8);
    double total = 0;
    for (int row = 0; row < size.height(); ++row) {
        for (int column = 0; column < size.width(); ++column) {
            total += std::abs(x.constScanLine(row)[column] - y.constScanLine(row)[column]);
        }
    }
    return total / std::max(1, size.width() * size.height());
}

}  // namespace velmora
