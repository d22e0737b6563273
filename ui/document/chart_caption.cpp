#include "ui/document/chart_caption.h"

#include <QFontMetricsF>
#include <QPainter>

namespace velmora {

namespace {

constexpr double margin = 8;
constexpr double lineGap = 2;

struct PlacedLine {
    QString text;
    QColor colour;
    QFont font;
    QRectF box;
};

/// Each line of the caption in its font, wrapped at `width` and placed
/// below the one before.
std::vector<PlacedLine> place(const ChartCaption& caption, const QFont& font, QPaintDevice* device,
                              double width) {
    std::vector<PlacedLine> placed;
    QFont bold = font;
    bold.setBold(true);
    std::vector<PlacedLine> wanted;
    if (!caption.title.isEmpty()) {
        wanted.push_back({caption.title, Qt::black, bold, {}});
    }
    for (const ChartCaption::Line& line : caption.lines) {
        wanted.push_back({line.text, line.colour.isValid() ? line.colour : Qt::black, font, {}});
    }
    double top = margin;
    const double textWidth = std::max(width - 2 * margin, 1.0);
    for (PlacedLine& line : wanted) {
        const QRectF room(margin, top, textWidth, 1e6);
        line.box =
            QFontMetricsF(line.font, device)
                .boundingRect(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, line.text);
        line.box.setWidth(textWidth);
        top = line.box.bottom() + lineGap;
        placed.push_back(std::move(line));
    }
    return placed;
}

}  // namespace

double captionHeight(const ChartCaption& caption, const QFont& font, QPaintDevice* device,
                     double width) {
    const auto placed = place(caption, font, device, width);
    return placed.empty() ? 0 : placed.back().box.bottom() + margin;
}

void drawCaption(QPainter& painter, const ChartCaption& caption, const QFont& font, double width) {
    painter.save();
    for (const PlacedLine& line : place(caption, font, painter.device(), width)) {
        painter.setFont(line.font);
        painter.setPen(line.colour);
        painter.drawText(line.box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, line.text);
    }
    painter.restore();
}

}  // namespace velmora
