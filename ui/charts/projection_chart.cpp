#include "ui/charts/projection_chart.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "ui/charts/chart_data.h"
#include "ui/charts/chart_style.h"
#include "ui/charts/cohort_plottable.h"

namespace velmora {

ProjectionChart::ProjectionChart(QWidget* parent)
    : QCustomPlot(parent),
      line_(addGraph()),
      points_(addGraph()),
      bars_(new CohortPlottable(xAxis, yAxis)) {
    applyChartStyle(this, QStringLiteral("Projection chart"));
    points_->setLineStyle(QCPGraph::lsNone);
    points_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 5));
    setTicksAt(xAxis, monthMarks());
    setValueLabels(yAxis, NumberFormatter::Style::Decimal);
    connect(this, &QCustomPlot::mouseMove, this,
            [this](QMouseEvent* event) { showToolTip(this, event, toolTipAt(event->position())); });
    refresh();
}

void ProjectionChart::setProjection(std::shared_ptr<const SubscriptionCalculation> projection) {
    if (projection == projection_) {
        return;
    }
    projection_ = std::move(projection);
    // What the other kind of chart held is dropped now rather than kept stale.
    bars_->setStack({});
    line_->data()->clear();
    points_->data()->clear();
    lineCurrent_ = false;
    barsCurrent_ = false;
    refresh();
}

void ProjectionChart::setShowCohorts(int value) {
    const bool show = value == 0;
    if (show == showCohorts_) {
        return;
    }
    showCohorts_ = show;
    refresh();
}

// Only the kind of chart on screen is filled; the other waits until it is shown.
void ProjectionChart::refresh() {
    if (showCohorts_ && !barsCurrent_) {
        fillBars();
    }
    if (!showCohorts_ && !lineCurrent_) {
        fillLine();
    }
    bars_->setVisible(showCohorts_);
    // What each mark stands for, as assistive technology reads the chart out.
    setAccessibleDescription(showCohorts_ ? QStringLiteral("Shape Type, Total Count, Shape Color")
                                          : QStringLiteral("Month, Active"));
    line_->setVisible(!showCohorts_);
    points_->setVisible(!showCohorts_);
    fitRanges();
    replot(rpQueuedReplot);
}

void ProjectionChart::fillLine() {
    lineCurrent_ = true;
    QVector<double> days;
    QVector<double> active;
    QVector<double> months;
    QVector<double> monthly;
    if (projection_) {
        const auto& snapshots = projection_->snapshots;
        days.reserve(static_cast<qsizetype>(snapshots.size()));
        active.reserve(static_cast<qsizetype>(snapshots.size()));
        for (const SubscriptionSnapshot& snapshot : snapshots) {
            days.append(static_cast<double>(snapshot.epoch) / 30);
            active.append(snapshot.active);
        }
        for (const SubscriptionSnapshot& snapshot : projection_->monthlySnapshots) {
            months.append(static_cast<double>(snapshot.epoch));
            monthly.append(snapshot.active);
        }
    }
    line_->setData(days, active, true);
    points_->setData(months, monthly, true);
}

void ProjectionChart::fillBars() {
    barsCurrent_ = true;
    bars_->setStack(projection_ ? stackProjection(*projection_) : CohortStack{});
}

void ProjectionChart::fitRanges() {
    bool found = false;
    QCPRange keys;
    QCPRange values;
    const std::array<const QCPAbstractPlottable*, 3> plottables{bars_, line_, points_};
    for (const QCPAbstractPlottable* shown : plottables) {
        bool has = false;
        const QCPRange key = shown->getKeyRange(has);
        bool hasValue = false;
        const QCPRange value = shown->getValueRange(hasValue);
        if (!shown->visible() || !has || !hasValue) {
            continue;
        }
        keys = found ? QCPRange(std::min(keys.lower, key.lower), std::max(keys.upper, key.upper))
                     : key;
        values = found ? QCPRange(std::min(values.lower, value.lower),
                                  std::max(values.upper, value.upper))
                       : value;
        found = true;
    }
    if (!found) {
        // Nothing to fit: the month marks alone, on a unit scale.
        xAxis->setRange(-1, 49);
        yAxis->setRange(0, 1);
        return;
    }
    const double low = std::min(keys.lower, 0.0);
    const double pad = std::max(1.0, (keys.upper - low) * 0.02);
    xAxis->setRange(low - pad, keys.upper + pad);
    const double bottom = std::min(values.lower, 0.0);
    const double top = std::max(values.upper, 0.0);
    const double span = top - bottom;
    const double margin = span > 0 ? span * 0.05 : 1.0;
    yAxis->setRange(bottom < 0 ? bottom - margin : 0.0, top + margin);
}

QString ProjectionChart::toolTipAt(const QPointF& pixel) const {
    if (!axisRect()->rect().contains(pixel.toPoint())) {
        return {};
    }
    if (showCohorts_) {
        const auto hit = bars_->hitAt(pixel);
        if (!hit) {
            return {};
        }
        const CohortSegment& segment = *hit->segment;
        return cohortChartTip(segment.month, segment.cohort, segment.top - segment.base,
                              hit->bar->total);
    }
    if (!projection_ || projection_->monthlySnapshots.empty()) {
        return {};
    }
    // The whole month nearest the pointer, as the points mark them.
    const auto& monthly = projection_->monthlySnapshots;
    const double month = std::round(xAxis->pixelToCoord(pixel.x()));
    const double last = static_cast<double>(monthly.size() - 1);
    const auto index =
        static_cast<std::size_t>(std::clamp(std::isnan(month) ? 0.0 : month, 0.0, last));
    const SubscriptionSnapshot& snapshot = monthly[index];
    return simpleChartTip(static_cast<double>(snapshot.epoch), snapshot.active);
}

}  // namespace velmora
