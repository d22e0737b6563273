#include "ui/common/page_layout.h"

#include <QScrollArea>
#include <QVBoxLayout>

namespace velmora {

QScrollArea* scrollContent(QWidget* page, QWidget* content) {
    auto* area = new QScrollArea(page);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    // Tab goes to the controls; the area follows the focus to keep them in view.
    area->setFocusPolicy(Qt::NoFocus);
    // The page's own ground, not the darker one of a scroll area's viewport.
    area->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(area);
    return area;
}

QSize EvenSlot::sizeHint() const {
    return {minimumSizeHint().width(), QWidget::sizeHint().height()};
}

}  // namespace velmora
