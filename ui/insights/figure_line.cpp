#include "ui/insights/figure_line.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

namespace velmora {

namespace {

constexpr double figureScale = 1.4;

}  // namespace

FigureLine::FigureLine(QWidget* parent)
    : QWidget(parent), figure_(new QLabel(this)), caption_(new QLabel(this)) {
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(6);
    line->addWidget(figure_, 0, Qt::AlignBaseline);
    line->addWidget(caption_, 1, Qt::AlignBaseline);
    caption_->setWordWrap(true);
    figure_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    applyFonts();
}

void FigureLine::setFigure(const QString& figure, const QString& caption) {
    figure_->setText(figure);
    caption_->setText(caption);
    setAccessibleName(text());
    figure_->setAccessibleName(text());
}

QString FigureLine::text() const {
    return figure_->text() + QLatin1Char(' ') + caption_->text();
}

void FigureLine::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        applyFonts();
    }
}

void FigureLine::applyFonts() {
    QFont large = font();
    if (large.pointSizeF() > 0) {
        large.setPointSizeF(large.pointSizeF() * figureScale);
    } else {
        large.setPixelSize(static_cast<int>(large.pixelSize() * figureScale));
    }
    figure_->setFont(large);
}

}  // namespace velmora
