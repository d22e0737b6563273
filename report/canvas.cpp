#include "report/canvas.h"

#include <algorithm>

#include <QFontMetricsF>
#include <QGuiApplication>

namespace velmora::report {

Canvas::Canvas(QPaintDevice& device, QPainter* painter)
    : device_(device), painter_(painter), scale_(device.logicalDpiY() / 72.0) {}

QPainter& Canvas::shapes() {
    painter_->setTransform(QTransform::fromScale(scale_, scale_));
    return *painter_;
}

QRectF Canvas::toDevice(const QRectF& box) const {
    return {box.x() * scale_, box.y() * scale_, box.width() * scale_, box.height() * scale_};
}

void Canvas::text(const QRectF& box, int flags, const QString& text, const QFont& font,
                  const QColor& colour) {
    painter_->resetTransform();
    painter_->setFont(font);
    painter_->setPen(colour);
    painter_->drawText(toDevice(box), flags, text);
}

void Canvas::verticalText(const QPointF& centre, const QString& text, const QFont& font) {
    painter_->setTransform(QTransform::fromTranslate(centre.x() * scale_, centre.y() * scale_));
    painter_->rotate(-90);
    painter_->setFont(font);
    painter_->setPen(Qt::black);
    const double width = QFontMetricsF(font, &device_).horizontalAdvance(text);
    const double height = QFontMetricsF(font, &device_).height();
    painter_->drawText(QRectF(-width / 2, -height / 2, width, height), Qt::AlignCenter, text);
    painter_->resetTransform();
}

QRectF Canvas::textBox(const QRectF& room, int flags, const QString& text,
                       const QFont& font) const {
    const QRectF found = QFontMetricsF(font, &device_).boundingRect(toDevice(room), flags, text);
    return {found.x() / scale_, found.y() / scale_, found.width() / scale_,
            found.height() / scale_};
}

double Canvas::textWidth(const QString& text, const QFont& font) const {
    return QFontMetricsF(font, &device_).horizontalAdvance(text) / scale_;
}

double Canvas::lineHeight(const QFont& font) const {
    return QFontMetricsF(font, &device_).height() / scale_;
}

QFont reportFont(double points, bool bold) {
    QFont font = QGuiApplication::font();
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

}  // namespace velmora::report
