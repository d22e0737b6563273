#include "ui/common/elided_label.h"

#include <algorithm>
#include <cmath>
#include <utility>

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

namespace {

// Where the digits before the first exponent ("e+302") of a text begin and
// end, or an empty span when the text has no figure in e-notation.
std::pair<qsizetype, qsizetype> digitsBeforeExponent(const QString& text) {
    for (qsizetype e = 1; e + 2 < text.size(); ++e) {
        if (text[e] == u'e' && (text[e + 1] == u'+' || text[e + 1] == u'-') &&
            text[e + 2].isDigit() && text[e - 1].isDigit()) {
            qsizetype first = e - 1;
            while (first > 0 && text[first - 1].isDigit()) {
                --first;
            }
            return {first, e};
        }
    }
    return {0, 0};
}

QString shortenedText(const QString& text, const QFontMetricsF& metrics, qreal room) {
    // A figure in e-notation keeps its exponent, which says the most about
    // it: the digits just before it give way first ("1.69126…e+302").
    const auto [first, exponent] = digitsBeforeExponent(text);
    if (exponent > first) {
        const QString before = text.left(first);
        const QString digits = text.mid(first, exponent - first);
        const QString after = QStringLiteral("…") + text.mid(exponent);
        for (qsizetype kept = digits.size() - 1; kept >= 1; --kept) {
            const QString shorter = before + digits.left(kept) + after;
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
