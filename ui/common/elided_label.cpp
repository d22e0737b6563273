#include "ui/common/elided_label.h"

#include <algorithm>
#include <cmath>

#include <QEvent>
#include <QFontMetricsF>

namespace velmora {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {}

void ElidedLabel::setFullText(const QString& text) {
    if (text == full_) {
        return;
    }
    full_ = text;
    updateGeometry();
    elide();
}

void ElidedLabel::setWidest(int pixels) {
    widest_ = pixels;
    updateGeometry();
}

int ElidedLabel::horizontalRoom() const {
    const QMargins margins = contentsMargins();
    return margins.left() + margins.right() + 2 * margin();
}

QSize ElidedLabel::sizeHint() const {
    const auto textWidth =
        static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(full_)));
    return {std::min(widest_, textWidth + horizontalRoom()), QLabel::sizeHint().height()};
}

QSize ElidedLabel::minimumSizeHint() const {
    // Room for a digit or two and the mark.
    const auto least = static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance("0…")));
    return {least + horizontalRoom(), QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
        elide();
    }
}

void ElidedLabel::elide() {
    const int room = width() - horizontalRoom();
    const QFontMetricsF metrics(font());
    const bool fits = metrics.horizontalAdvance(full_) <= room;
    // The leading digits say the most about a figure, so the end gives way.
    const QString shown = fits ? full_ : metrics.elidedText(full_, Qt::ElideRight, room);
    if (shown != text()) {
        setText(shown);
    }
    setToolTip(fits ? QString() : full_);
}

}  // namespace velmora
