#include "ui/common/page_layout.h"

#include <algorithm>

#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "ui/common/user_settings.h"

namespace velmora {

namespace {

void blendIn(QScrollArea* area, QWidget* content) {
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    // Tab goes to the controls; the area follows the focus to keep them in view.
    area->setFocusPolicy(Qt::NoFocus);
    // The page's own ground, not the darker one of a scroll area's viewport.
    area->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
}

/// Scrolls its content up and down only: as wide as the content's least
/// width and its scroll bar, and as short as the split allows.
class UpAndDown final : public QScrollArea {
public:
    using QScrollArea::QScrollArea;

    [[nodiscard]] QSize minimumSizeHint() const override {
        return {leastWidth() + verticalScrollBar()->sizeHint().width(),
                ChartSplit::leastControlsHeight};
    }
    [[nodiscard]] QSize sizeHint() const override {
        const QSize content = widget() != nullptr ? widget()->sizeHint() : QSize();
        return {std::max(content.width(), leastWidth()) + verticalScrollBar()->sizeHint().width(),
                content.height()};
    }

private:
    /// Of a content of fixed width too, which its hints need not tell.
    [[nodiscard]] int leastWidth() const {
        return widget() != nullptr
                   ? std::max(widget()->minimumSizeHint().width(), widget()->minimumWidth())
                   : 0;
    }
};

/// The line between the controls and the chart, with a grip at its middle
/// that tells it can be dragged.
class Grip final : public QSplitterHandle {
public:
    using QSplitterHandle::QSplitterHandle;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const int middle = height() / 2;
        painter.setPen(palette().color(QPalette::Midlight));
        painter.drawLine(0, middle, width(), middle);
        constexpr int gripWidth = 48;
        const int left = (width() - gripWidth) / 2;
        painter.setPen(palette().color(QPalette::Mid));
        for (const int y : {middle - 2, middle + 2}) {
            painter.drawLine(left, y, left + gripWidth, y);
        }
    }
};

}  // namespace

QScrollArea* scrollUpAndDown(QWidget* parent, QWidget* content) {
    auto* area = new UpAndDown(parent);
    blendIn(area, content);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return area;
}

QScrollArea* scrollContent(QWidget* page, QWidget* content) {
    auto* area = new QScrollArea(page);
    blendIn(area, content);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(area);
    return area;
}

QSize EvenSlot::sizeHint() const {
    return {minimumSizeHint().width(), QWidget::sizeHint().height()};
}

ChartSplit::ChartSplit(QWidget* controls, QWidget* chart, const QString& settingsKey,
                       QWidget* parent)
    : QSplitter(Qt::Vertical, parent),
      controlsArea_(scrollUpAndDown(this, controls)),
      chart_(chart),
      key_(settingsKey),
      chosen_(std::max(0, userSettings().value(key_).toInt())) {
    setHandleWidth(9);
    addWidget(controlsArea_);
    addWidget(chart);
    setChildrenCollapsible(false);
    setAccessibleName(tr("Controls and chart"));
    connect(this, &QSplitter::splitterMoved, this, [this] {
        chosen_ = sizes().value(1);
        userSettings().setValue(key_, chosen_);
    });
}

void ChartSplit::resizeEvent(QResizeEvent* event) {
    QSplitter::resizeEvent(event);
    place();
}

QSplitterHandle* ChartSplit::createHandle() {
    return new Grip(orientation(), this);
}

void ChartSplit::place() {
    const int room = height() - handleWidth();
    const int least = chart_->minimumSizeHint().height();
    const int most = std::max(least, room - controlsArea_->minimumSizeHint().height());
    // Unless chosen, the controls get what they need to show whole, no more.
    const int wanted =
        chosen_ > 0 ? chosen_ : room - controlsArea_->widget()->minimumSizeHint().height();
    const int chart = std::clamp(wanted, least, most);
    setSizes({room - chart, chart});
}

}  // namespace velmora
