#pragma once

#include <vector>

#include <QColor>
#include <QFont>
#include <QString>

class QPaintDevice;
class QPainter;

namespace velmora {

/// What an exported chart says about itself above the plot: the document and
/// the page in bold, then the values of each scenario drawn, a line each in
/// the colour of its line in the chart.
struct ChartCaption {
    struct Line {
        QString text;
        QColor colour;
    };
    QString title;  ///< "plan.velmora — Basic Analysis"
    std::vector<Line> lines;
};

/// The height the caption takes when its lines wrap at `width`, in the
/// logical units of `device` with `font`; 0 for a caption without text.
[[nodiscard]] double captionHeight(const ChartCaption& caption, const QFont& font,
                                   QPaintDevice* device, double width);

/// Draws the caption from the top left corner of `painter`'s coordinates,
/// wrapping at `width`.
void drawCaption(QPainter& painter, const ChartCaption& caption, const QFont& font, double width);

}  // namespace velmora
