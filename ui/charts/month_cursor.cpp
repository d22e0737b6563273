#include "ui/charts/month_cursor.h"

#include <algorithm>
#include <cmath>

#include <qcustomplot.h>
#include <QKeyEvent>
#include <QToolTip>

namespace velmora {

namespace {

constexpr double monthsPerPage = 12;

}  // namespace

MonthCursor::MonthCursor(QCustomPlot* plot, TipAt tipAt)
    : QObject(plot), plot_(plot), tipAt_(std::move(tipAt)), line_(new QCPItemStraightLine(plot)) {
    plot_->setFocusPolicy(Qt::StrongFocus);
    line_->setPen(QPen(plot_->palette().color(QPalette::Highlight), 2));
    line_->setVisible(false);
    plot_->installEventFilter(this);
}

void MonthCursor::setMonths(double first, double last) {
    first_ = first;
    last_ = last;
    if (month_ && plot_->hasFocus()) {
        show();
    }
}

std::optional<double> MonthCursor::month() const {
    if (!plot_->hasFocus() || !(first_ <= last_) || !month_) {
        return std::nullopt;
    }
    return std::clamp(*month_, first_, last_);
}

QString MonthCursor::tip() const {
    const std::optional<double> shown = month();
    return shown ? tipAt_(*shown) : QString();
}

bool MonthCursor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == plot_) {
        switch (event->type()) {
            case QEvent::FocusIn:
                show();
                break;
            case QEvent::FocusOut:
                hide();
                break;
            case QEvent::KeyPress:
                if (step(static_cast<QKeyEvent*>(event)->key())) {
                    return true;
                }
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool MonthCursor::step(int key) {
    if (!(first_ <= last_)) {
        return false;
    }
    const double now = std::clamp(month_.value_or(last_), first_, last_);
    double next = now;
    switch (key) {
        case Qt::Key_Left:
            next = now - 1;
            break;
        case Qt::Key_Right:
            next = now + 1;
            break;
        case Qt::Key_PageUp:
            next = now - monthsPerPage;
            break;
        case Qt::Key_PageDown:
            next = now + monthsPerPage;
            break;
        case Qt::Key_Home:
            next = first_;
            break;
        case Qt::Key_End:
            next = last_;
            break;
        default:
            return false;
    }
    month_ = std::clamp(next, first_, last_);
    show();
    return true;
}

void MonthCursor::show() {
    const std::optional<double> shown = [this]() -> std::optional<double> {
        if (!(first_ <= last_)) {
            return std::nullopt;
        }
        month_ = std::clamp(month_.value_or(last_), first_, last_);
        return month_;
    }();
    if (!shown) {
        hide();
        return;
    }
    line_->point1->setCoords(*shown, 0);
    line_->point2->setCoords(*shown, 1);
    line_->setVisible(true);
    plot_->replot(QCustomPlot::rpQueuedReplot);
    // The tip stands at the top of the line, where it covers the least.
    const QPoint at(static_cast<int>(plot_->xAxis->coordToPixel(*shown)), plot_->axisRect()->top());
    QToolTip::showText(plot_->mapToGlobal(at), tipAt_(*shown), plot_);
}

void MonthCursor::hide() {
    if (line_->visible()) {
        line_->setVisible(false);
        plot_->replot(QCustomPlot::rpQueuedReplot);
    }
    QToolTip::hideText();
}

}  // namespace velmora
