#include "ui/charts/plan_marks.h"

#include <cmath>

#include <qcustomplot.h>
#include <QStringList>

#include "engine/projection/plan_events.h"
#include "format/number_format.h"
#include "ui/common/field_titles.h"

namespace velmora {

namespace {

/// How near the pointer must be to a mark's line, in pixels, to tell it.
constexpr double nearPixels = 4;

}  // namespace

std::vector<PlanMark> planMarks(const std::optional<Plan>& plan, std::int64_t months,
                                const QString& owner) {
    std::vector<PlanMark> marks;
    if (!plan) {
        return marks;
    }
    const NumberFormatter form = formFormatter();
    const QString lead = owner.isEmpty() ? QString() : owner + QStringLiteral(" — ");
    for (const PlanEvent& event : planEvents(*plan, months)) {
        QStringList said;
        if (event.growthStops) {
            said << QStringLiteral("Growth stops");
        }
        for (const PlanChange& change : event.changes) {
            said << planInputTitle(change.input) + QLatin1Char(' ') + formText(form, change.value);
        }
        const QString label =
            QStringLiteral("M%1: ").arg(event.month) + said.join(QStringLiteral("; "));
        marks.push_back({static_cast<double>(event.month), lead + label, label});
    }
    return marks;
}

QString calendarName(const std::optional<CalendarMonth>& start, double month) {
    if (!start || !(month >= 0 && month <= static_cast<double>(Plan::lastMonth)) ||
        month != std::floor(month)) {
        return {};
    }
    return QString::fromStdString(calendarMonthName(*start, static_cast<std::int64_t>(month)));
}

PlanMarkLines::PlanMarkLines(QCustomPlot* plot) : plot_(plot) {}

void PlanMarkLines::setMarks(std::vector<PlanMark> marks) {
    marks_ = std::move(marks);
    while (lines_.size() > marks_.size()) {
        plot_->removeItem(lines_.back());
        plot_->removeItem(labels_.back());
        lines_.pop_back();
        labels_.pop_back();
    }
    QColor faded = plot_->palette().color(QPalette::WindowText);
    faded.setAlpha(150);
    QColor ground = plot_->palette().color(QPalette::Base);
    ground.setAlpha(210);
    QFont small = plot_->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    for (std::size_t i = 0; i < marks_.size(); ++i) {
        if (i == lines_.size()) {
            lines_.push_back(new QCPItemStraightLine(plot_));
            lines_.back()->setSelectable(false);
            QCPItemText* label = labels_.emplace_back(new QCPItemText(plot_));
            label->setSelectable(false);
            label->position->setTypeX(QCPItemPosition::ptPlotCoords);
            label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
            label->setRotation(-90);
            label->setPadding(QMargins(3, 1, 3, 1));
        }
        const PlanMark& mark = marks_[i];
        const QColor colour = mark.colour.isValid() ? mark.colour : faded;
        lines_[i]->setPen(QPen(colour, 1, Qt::DashLine));
        lines_[i]->point1->setCoords(mark.month, 0);
        lines_[i]->point2->setCoords(mark.month, 1);
        // Read up the line from the top of the plot, on its right; a second
        // mark of the same month (another scenario's) on its left.
        QCPItemText* label = labels_[i];
        const bool second = i > 0 && marks_[i - 1].month == mark.month;
        label->setPositionAlignment(Qt::AlignRight | (second ? Qt::AlignBottom : Qt::AlignTop));
        label->position->setCoords(mark.month, 0.01);
        label->setText(mark.label);
        label->setFont(small);
        label->setColor(mark.colour.isValid() ? mark.colour.darker(130)
                                              : plot_->palette().color(QPalette::WindowText));
        label->setBrush(ground);
    }
}

QString PlanMarkLines::textAt(double month) const {
    QStringList said;
    for (const PlanMark& mark : marks_) {
        if (mark.month == month) {
            said << mark.text;
        }
    }
    return said.join(QLatin1Char('\n'));
}

QString PlanMarkLines::withTextAt(const QString& tip, double month) const {
    const QString said = textAt(month);
    return said.isEmpty() ? tip : tip + QLatin1Char('\n') + said;
}

QString PlanMarkLines::textNear(double x) const {
    QStringList said;
    for (const PlanMark& mark : marks_) {
        if (std::abs(plot_->xAxis->coordToPixel(mark.month) - x) <= nearPixels) {
            said << mark.text;
        }
    }
    return said.join(QLatin1Char('\n'));
}

}  // namespace velmora
