#include "ui/charts/projection_chart.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "format/number_format.h"
#include "ui/charts/chart_data.h"
#include "ui/charts/chart_style.h"
#include "ui/charts/cohort_plottable.h"
#include "ui/charts/month_cursor.h"

namespace velmora {

ProjectionChart::ProjectionChart(QWidget* parent)
    : QCustomPlot(parent),
      line_(addGraph()),
      points_(addGraph()),
      bandLow_(addGraph()),
      bandHigh_(addGraph()),
      bars_(new CohortPlottable(xAxis, yAxis)),
      note_(addNothingDrawnNote(this)),
      progress_(new QCPItemText(this)),
      marks_(this) {
    applyChartStyle(this, QStringLiteral("Projection chart"));
    progress_->position->setType(QCPItemPosition::ptAxisRectRatio);
    progress_->position->setCoords(0.5, 0.08);
    progress_->setPositionAlignment(Qt::AlignCenter);
    progress_->setVisible(false);
    cursor_ = new MonthCursor(this, [this](double month) { return monthTip(month); });
    // The band lies under the line and the grid's lines show through it.
    addLayer(QStringLiteral("band"), layer(QStringLiteral("main")), QCustomPlot::limBelow);
    const QColor lineColour = line_->pen().color();
    QColor shade = lineColour;
    shade.setAlpha(50);
    for (QCPGraph* edge : {bandLow_, bandHigh_}) {
        edge->setLayer(QStringLiteral("band"));
        edge->setPen(Qt::NoPen);
        edge->removeFromLegend();
    }
    bandHigh_->setBrush(shade);
    bandHigh_->setChannelFillGraph(bandLow_);
    points_->setLineStyle(QCPGraph::lsNone);
    points_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 5));
    xAxis->setLabel(QStringLiteral("Month"));
    setTicksAt(xAxis, monthMarks(0));
    setValueLabels(yAxis, NumberFormatter::Style::Decimal);
    connect(this, &QCustomPlot::mouseMove, this,
            [this](QMouseEvent* event) { showToolTip(this, event, toolTipAt(event->position())); });
    // Laid out afresh (resized, or new ranges), the plot knows how far apart the points stand.
    connect(this, &QCustomPlot::afterLayout, this, &ProjectionChart::showPointsWhereSpaced);
    refresh();
}

std::vector<double> ProjectionChart::monthMarks(std::size_t months) {
    constexpr std::size_t alwaysMarked = 49;  // 0 to 48
    return xAxisValues(static_cast<double>(std::max(months, alwaysMarked)));
}

const ValueScale& ProjectionChart::valueScale() const {
    return showCohorts_ ? barsScale_ : lineScale_;
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
    lineCurrent_ = barsCurrent_ = false;
    const std::size_t months = projection_ ? projection_->monthlySnapshots.size() : 0;
    cursor_->setMonths(0, static_cast<double>(months) - 1);
    showPlan();
    refresh();
}

void ProjectionChart::setPlan(const std::optional<Plan>& plan) {
    if (plan == plan_) {
        return;
    }
    plan_ = plan;
    showPlan();
    replot(rpQueuedReplot);
}

std::optional<CalendarMonth> ProjectionChart::startMonth() const {
    return plan_ ? plan_->startMonth : std::nullopt;
}

void ProjectionChart::showPlan() {
    const std::size_t months = projection_ ? projection_->monthlySnapshots.size() : 0;
    setTicksAt(xAxis, monthMarks(months), startMonth());
    marks_.setMarks(planMarks(plan_, static_cast<std::int64_t>(months)));
}

void ProjectionChart::setDayProgress(std::optional<double> share) {
    progress_->setVisible(share.has_value());
    if (share) {
        progress_->setText(
            QStringLiteral("Building the day-by-day projection: %1%")
                .arg(NumberFormatter(NumberFormatter::Style::Decimal, 0).format(*share * 100)));
    }
    replot(rpQueuedReplot);
}

void ProjectionChart::setSpread(std::shared_ptr<const Spread> spread) {
    if (spread == spread_) {
        return;
    }
    spread_ = std::move(spread);
    lineCurrent_ = false;
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
    bandLow_->setVisible(!showCohorts_ && spread_ != nullptr);
    bandHigh_->setVisible(!showCohorts_ && spread_ != nullptr);
    yAxis->setLabel(showCohorts_ ? QStringLiteral("Subscribers by cohort")
                                 : QStringLiteral("Active subscribers"));
    fitRanges();
    showPointsWhereSpaced();
    replot(rpQueuedReplot);
}

void ProjectionChart::showPointsWhereSpaced() {
    const double spacing = std::abs(xAxis->coordToPixel(1) - xAxis->coordToPixel(0));
    points_->setVisible(!showCohorts_ && spacing >= leastPointSpacing);
}

void ProjectionChart::fillLine() {
    lineCurrent_ = true;
    QVector<double> days;
    QVector<double> active;
    QVector<double> months;
    QVector<double> monthly;
    FiniteSpan span;
    if (projection_) {
        // Without its days, the line joins the first days of the months.
        const bool hasDays = projection_->hasDays();
        const auto& snapshots = hasDays ? projection_->snapshots : projection_->monthlySnapshots;
        // Days on the month axis, so that the line meets the monthly points.
        const auto monthDuration = hasDays ? static_cast<double>(projection_->monthDuration) : 1.0;
        days.reserve(static_cast<qsizetype>(snapshots.size()));
        active.reserve(static_cast<qsizetype>(snapshots.size()));
        for (const SubscriptionSnapshot& snapshot : snapshots) {
            days.append(static_cast<double>(snapshot.epoch) / monthDuration);
            active.append(snapshot.active);
            span.add(snapshot.active);
        }
        for (const SubscriptionSnapshot& snapshot : projection_->monthlySnapshots) {
            months.append(static_cast<double>(snapshot.epoch));
            monthly.append(snapshot.active);
        }
    }
    QVector<double> bandMonths;
    QVector<double> low;
    QVector<double> high;
    if (projection_ && spread_) {
        // A spread of other months (simulated before the months changed) is
        // drawn where the two overlap.
        const std::size_t count =
            std::min(spread_->months.size(), static_cast<std::size_t>(months.size()));
        for (std::size_t m = 0; m < count; ++m) {
            bandMonths.append(static_cast<double>(m));
            low.append(spread_->months[m].active.p10);
            high.append(spread_->months[m].active.p90);
            span.add(low.back());
            span.add(high.back());
        }
    }
    lineSpan_ = span;
    lineScale_ = ValueScale::forLargest(span.largest());
    toDrawn(active, lineScale_);
    toDrawn(monthly, lineScale_);
    line_->setData(days, active, true);
    points_->setData(months, monthly, true);
    toDrawn(low, lineScale_);
    toDrawn(high, lineScale_);
    bandLow_->setData(bandMonths, low, true);
    bandHigh_->setData(bandMonths, high, true);
}

void ProjectionChart::fillBars() {
    barsCurrent_ = true;
    CohortStack stack = projection_ ? stackProjection(*projection_) : CohortStack{};
    FiniteSpan span;
    for (const CohortBar& bar : stack.bars) {
        if (std::isfinite(bar.low) && std::isfinite(bar.high)) {
            span.add(bar.low);
            span.add(bar.high);
            continue;
        }
        // A stack that overflowed: its finite ends still count.
        for (std::size_t i = bar.first; i < bar.end; ++i) {
            span.add(stack.segments[i].base);
            span.add(stack.segments[i].top);
        }
    }
    barsSpan_ = span;
    barsScale_ = ValueScale::forLargest(span.largest());
    bars_->setStack(std::move(stack), barsScale_);
}

void ProjectionChart::fitRanges() {
    // The months the projection covers, whatever can be drawn of them.
    const std::size_t months = projection_ ? projection_->monthlySnapshots.size() : 0;
    const FiniteSpan& span = showCohorts_ ? barsSpan_ : lineSpan_;
    note_->setVisible(months > 0 && span.empty());
    if (months == 0) {
        // Nothing to fit: the month marks alone, on a unit scale.
        xAxis->setRange(-1, 49);
        yAxis->setRange(0, 1);
        yAxis->setTickLabels(true);
        return;
    }
    const double last = static_cast<double>(months - 1);
    const double end = showCohorts_ || !projection_->hasDays()
                           ? last
                           : static_cast<double>(projection_->snapshots.size() - 1) /
                                 static_cast<double>(projection_->monthDuration);
    const double pad = std::max(1.0, end * 0.02);
    xAxis->setRange(-pad, end + pad);
    fitValueAxis(yAxis, span, valueScale());
}

QString ProjectionChart::toolTipAt(const QPointF& pixel) const {
    if (!axisRect()->rect().contains(pixel.toPoint())) {
        return {};
    }
    if (showCohorts_) {
        const auto hit = bars_->hitAt(pixel);
        if (!hit) {
            return marks_.textNear(pixel.x());
        }
        const CohortSegment& segment = *hit->segment;
        return marks_.withTextAt(
            cohortChartTip(segment.month, segment.cohort, segment.top - segment.base,
                           hit->bar->total, startMonth()),
            segment.month);
    }
    // The whole month nearest the pointer, as the points mark them.
    const double month = std::round(xAxis->pixelToCoord(pixel.x()));
    return monthTip(std::isnan(month) ? 0.0 : month);
}

QString ProjectionChart::monthTip(double month) const {
    if (!projection_ || projection_->monthlySnapshots.empty()) {
        return {};
    }
    const auto& monthly = projection_->monthlySnapshots;
    const double last = static_cast<double>(monthly.size() - 1);
    const auto index = static_cast<std::size_t>(std::clamp(month, 0.0, last));
    const SubscriptionSnapshot& snapshot = monthly[index];
    const auto whole = static_cast<double>(snapshot.epoch);
    return marks_.withTextAt(simpleChartTip(whole, snapshot.active, startMonth()), whole);
}

}  // namespace velmora
