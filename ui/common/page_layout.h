#pragma once

#include <QSplitter>
#include <QWidget>

class QScrollArea;

namespace velmora {

/// Fills `page` with a frameless scroll area that holds `content`: given less
/// room than `content` needs to keep its controls at their least sizes, the
/// page scrolls rather than squeezing them; given more, `content` grows to
/// fill it. `page` must have no layout yet.
QScrollArea* scrollContent(QWidget* page, QWidget* content);

/// A frameless scroll area, made in `parent`, that holds `content` and scrolls
/// it up and down only, never sideways: it asks for the content's least width
/// and a few lines of height, so that a column of controls beside a chart
/// never makes the window taller than a laptop's screen.
QScrollArea* scrollUpAndDown(QWidget* parent, QWidget* content);

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

/// A page's controls above its chart, with a line between them that the user
/// drags. The chart keeps at least its least height; the controls take what
/// is left, up to their own least height, and scroll up and down within it, so
/// that every control stays reachable while the chart stays in view. The
/// chart's height the user chose is kept in the user's settings under
/// `settingsKey` and taken again by every later page of that key.
class ChartSplit final : public QSplitter {
    Q_OBJECT

public:
    /// The least height of the controls' place, when the chart needs the rest.
    static constexpr int leastControlsHeight = 120;

    ChartSplit(QWidget* controls, QWidget* chart, const QString& settingsKey,
               QWidget* parent = nullptr);

    /// Scrolls the controls within their place.
    [[nodiscard]] QScrollArea* controlsArea() const { return controlsArea_; }
    /// The chart's height the user last chose, in pixels; 0 for none yet.
    [[nodiscard]] int chosenHeight() const { return chosen_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    [[nodiscard]] QSplitterHandle* createHandle() override;

private:
    /// Gives the chart the height chosen, or else all the controls leave it.
    void place();

    QScrollArea* controlsArea_;
    QWidget* chart_;
    QString key_;
    int chosen_ = 0;
};

}  // namespace velmora
