#pragma once

#include <QWidget>

class QScrollArea;

namespace velmora {

/// Fills `page` with a frameless scroll area that holds `content`: given less
/// room than `content` needs to keep its controls at their least sizes, the
/// page scrolls rather than squeezing them; given more, `content` grows to
/// fill it. `page` must have no layout yet.
QScrollArea* scrollContent(QWidget* page, QWidget* content);

/// A place for a view whose width may change with its figures (a table
/// beside a form, a column beside others). It asks for no more width than its
/// least, so places given equal stretch share a row equally, and what one
/// holds never moves the others.
class EvenSlot final : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;

    [[nodiscard]] QSize sizeHint() const override;
};

}  // namespace velmora
