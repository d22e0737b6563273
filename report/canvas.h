#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>

namespace velmora::report {

/// Draws on a page measured in points, whatever the resolution of the device:
/// shapes through the painter's transform, text in fonts of point sizes at
/// the device's own resolution, so that text has the size asked for (a font
/// scaled by a transform would grow by the device's dots per point again).
class Canvas {
public:
    /// Measures text on `device` and draws through `painter` (none: measures
    /// only), begun on it, from the device's origin.
    explicit Canvas(QPaintDevice& device, QPainter* painter = nullptr);

    /// The painter, its transform set to points, for lines, paths and fills.
    [[nodiscard]] QPainter& shapes();

    /// Draws `text` in `box` (points) with Qt's alignment and wrapping `flags`.
    void text(const QRectF& box, int flags, const QString& text, const QFont& font,
              const QColor& colour = Qt::black);
    /// Draws one line of `text` upwards, centred on `centre` (points).
    void verticalText(const QPointF& centre, const QString& text, const QFont& font);
    /// The box `text` takes in `room` (points) with `flags`.
    [[nodiscard]] QRectF textBox(const QRectF& room, int flags, const QString& text,
                                 const QFont& font) const;
    [[nodiscard]] double textWidth(const QString& text, const QFont& font) const;
    /// The height of a line of `font`, in points.
    [[nodiscard]] double lineHeight(const QFont& font) const;

private:
    [[nodiscard]] QRectF toDevice(const QRectF& box) const;

    QPaintDevice& device_;
    QPainter* painter_;
    double scale_;
};

/// A font of the report: the application's family at `points`.
[[nodiscard]] QFont reportFont(double points, bool bold = false);

}  // namespace velmora::report
