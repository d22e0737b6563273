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

QString inputTitle(PlanInput input) {
    using Field = SubscriptionInputs::Field;
    switch (input) {
        case PlanInput::DailyNewSubs:
            return fieldTitle(Field::DailyNewSubs);
        case PlanInput::Price:
            return fieldTitle(Field::Price);
        case PlanInput::TrialRetention:
            return fieldTitle(Field::TrialRetention);
        case PlanInput::CostPerTrial:
            break;
    }
    return fieldTitle(Field::CostPerTrial);
}

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
            said << inputTitle(change.input) + QLatin1Char(' ') + formText(form, change.value);
        }
        marks.push_back(
            {static_cast<double>(event.month),
             lead + QStringLiteral("M%1: ").arg(event.month) + said.join(QStringLiteral("; "))});
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
        lines_.pop_back();
    }
    QColor faded = plot_->palette().color(QPalette::WindowText);
    faded.setAlpha(150);
    for (std::size_t i = 0; i < marks_.size(); ++i) {
        if (i == lines_.size()) {
            lines_.push_back(new QCPItemStraightLine(plot_));
            lines_.back()->setSelectable(false);
        }
        QCPItemStraightLine* line = lines_[i];
        const QColor colour = marks_[i].colour.isValid() ? marks_[i].colour : faded;
        line->setPen(QPen(colour, 1, Qt::DashLine));
        line->point1->setCoords(marks_[i].month, 0);
        line->point2->setCoords(marks_[i].month, 1);
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
