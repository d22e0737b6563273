#include "ui/common/elided_label.h"

#include <algorithm>
#include <cmath>

#include <QEvent>
#include <QFontMetricsF>
#include <QRegularExpression>

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

namespace {

QString shortenedText(const QString& text, const QFontMetricsF& metrics, qreal room) {
    // A figure in e-notation keeps its exponent, which says the most about
    // it: the digits just before it give way first ("1.69126…e+302").
    static const QRegularExpression lastDigits(QStringLiteral("(\\d+)(e[+-]\\d+)"));
    const QRegularExpressionMatch figure = lastDigits.match(text);
    if (figure.hasMatch()) {
        const QString before = text.left(figure.capturedStart(1));
        const QString after = QStringLiteral("…") + text.mid(figure.capturedStart(2));
        for (qsizetype kept = figure.capturedLength(1) - 1; kept >= 1; --kept) {
            const QString shorter = before + figure.captured(1).left(kept) + after;
            if (metrics.horizontalAdvance(shorter) <= room) {
                return shorter;
            }
        }
    }
    // Otherwise the leading digits say the most about a figure, so the end gives way.
    return metrics.elidedText(text, Qt::ElideRight, room);
}

}  // namespace

void ElidedLabel::elide() {
    const int room = width() - horizontalRoom();
    const QFontMetricsF metrics(font());
    const bool fits = metrics.horizontalAdvance(full_) <= room;
    const QString shown = fits ? full_ : shortenedText(full_, metrics, room);
    if (shown != text()) {
        setText(shown);
    }
    setToolTip(fits ? QString() : full_);
}

QStringList shownTexts(std::span<ElidedLabel* const> lines) {
    QStringList shown;
    for (const ElidedLabel* line : lines) {
        if (!line->isHidden()) {
            shown << line->fullText();
        }
    }
    return shown;
}

}  // namespace velmora
