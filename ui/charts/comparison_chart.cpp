#include "ui/charts/comparison_chart.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>

#include "ui/charts/chart_style.h"
#include "ui/charts/month_cursor.h"

namespace velmora {

namespace {

struct Series {
    QString name;
    QVector<double> months;
    QVector<double> incomes;
};

/// Puts the points of `line` in order of month, as the plot keeps them, so
/// that the plot's point n is the line's income n.
void sortByMonth(Series& line) {
    if (std::is_sorted(line.months.cbegin(), line.months.cend())) {
        return;
    }
    std::vector<qsizetype> order(static_cast<std::size_t>(line.months.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return line.months[a] < line.months[b]; });
    Series sorted{line.name, {}, {}};
    for (const qsizetype i : order) {
        sorted.months.append(line.months[i]);
        sorted.incomes.append(line.incomes[i]);
    }
    line = std::move(sorted);
}

/// The index of the point of `graph` nearest to `key`; the graph must hold at least one.
std::size_t nearest(const QCPGraph& graph, double key) {
    const auto& data = *graph.data();
    auto at = data.findBegin(key, false);
    if (at == data.constEnd() || (at != data.constBegin() && key - (at - 1)->key < at->key - key)) {
        --at;
    }
    return static_cast<std::size_t>(at - data.constBegin());
}

}  // namespace

ComparisonChart::ComparisonChart(QWidget* parent)
    : QCustomPlot(parent), note_(addNothingDrawnNote(this)), marks_(this) {
    applyChartStyle(this, QStringLiteral("Proceeds comparison chart"));
    cursor_ = new MonthCursor(this, [this](double month) { return monthTip(month); });
    // What each mark stands for, as assistive technology reads the chart out.
    setAccessibleDescription(QStringLiteral("Date, Proceeds, Projection"));
    // The legend goes in a row of its own above the plot, centred between two
    // empty cells, where it covers no line.
    axisRect()->insetLayout()->take(legend);
    auto* legendRow = new QCPLayoutGrid;
    plotLayout()->insertRow(0);
    plotLayout()->addElement(0, 0, legendRow);
    plotLayout()->setRowStretchFactor(0, 0.001);
    legendRow->addElement(0, 0, new QCPLayoutElement(this));
    legendRow->addElement(0, 1, legend);
    legendRow->addElement(0, 2, new QCPLayoutElement(this));
    legendRow->setColumnStretchFactor(1, 0.001);
    legendRow->setMargins({});
    legend->setFillOrder(QCPLegend::foColumnsFirst);
    legend->setBorderPen(Qt::NoPen);
    legend->setBrush(Qt::NoBrush);
    legend->setSizeConstraintRect(QCPLayoutElement::scrOuterRect);
    xAxis->setLabel(QStringLiteral("Month"));
    // "Proceeds", as the tables and summaries name the same money.
    yAxis->setLabel(QStringLiteral("Proceeds"));
    setValueLabels(yAxis, NumberFormatter::Style::Currency);
    setTicksAt(xAxis, {});
    // Bands lie under the lines.
    addLayer(QStringLiteral("band"), layer(QStringLiteral("main")), QCustomPlot::limBelow);
    connect(this, &QCustomPlot::mouseMove, this,
            [this](QMouseEvent* event) { showToolTip(this, event, toolTipAt(event->position())); });
}

void ComparisonChart::setData(const std::vector<ChartData>& points,
                              const std::vector<double>& xTicks,
                              const std::vector<std::shared_ptr<const Spread>>& spreads) {
    std::vector<Series> series;
    std::unordered_map<QString, std::size_t> index;
    for (const ChartData& point : points) {
        const auto [at, added] = index.try_emplace(point.inputName, series.size());
        if (added) {
            series.push_back({point.inputName, {}, {}});
        }
        Series& line = series[at->second];
        line.months.append(point.month);
        line.incomes.append(point.income);
    }
    while (graphCount() > static_cast<int>(series.size())) {
        removeGraph(graphCount() - 1);
    }
    FiniteSpan span;
    for (const Series& line : series) {
        for (const double income : line.incomes) {
            span.add(income);
        }
    }
    // Each band as one closed outline: along the 90th percentile, back along the 10th.
    std::vector<std::pair<QVector<double>, QVector<double>>> outlines(series.size());
    FiniteSpan bandSpan;
    for (std::size_t i = 0; i < series.size() && i < spreads.size(); ++i) {
        if (!spreads[i]) {
            continue;
        }
        const auto& months = spreads[i]->months;
        auto& [keys, values] = outlines[i];
        for (std::size_t m = 0; m < months.size(); ++m) {
            keys.append(static_cast<double>(m));
            values.append(months[m].monthlyProceeds.p90);
        }
        for (std::size_t m = months.size(); m-- > 0;) {
            keys.append(static_cast<double>(m));
            values.append(months[m].monthlyProceeds.p10);
        }
        for (const double value : values) {
            bandSpan.add(value);
        }
    }
    FiniteSpan both = span;
    if (!bandSpan.empty()) {
        both.add(bandSpan.low);
        both.add(bandSpan.high);
    }
    scale_ = ValueScale::forLargest(both.largest());
    while (bands_.size() > series.size()) {
        removePlottable(bands_.back());
        bands_.pop_back();
    }
    for (std::size_t i = 0; i < series.size(); ++i) {
        if (i == bands_.size()) {
            auto* band = new QCPCurve(xAxis, yAxis);
            band->setLayer(QStringLiteral("band"));
            band->setPen(Qt::NoPen);
            band->removeFromLegend();
            bands_.push_back(band);
        }
        QColor shade = seriesColour(static_cast<int>(i));
        shade.setAlpha(45);
        bands_[i]->setBrush(shade);
        auto& [keys, values] = outlines[i];
        toDrawn(values, scale_);
        QVector<double> order(keys.size());
        std::iota(order.begin(), order.end(), 0.0);
        bands_[i]->setData(order, keys, values, true);
        bands_[i]->setVisible(showBands_);
    }
    lineSpan_ = span;
    bandSpan_ = bandSpan;
    empty_ = series.empty();
    incomes_.clear();
    for (std::size_t i = 0; i < series.size(); ++i) {
        const int number = static_cast<int>(i);
        QCPGraph* graph = number < graphCount() ? this->graph(number) : addGraph();
        graph->setName(series[i].name);
        graph->setPen(QPen(seriesColour(number), 2));
        sortByMonth(series[i]);
        incomes_.push_back(series[i].incomes);
        QVector<double> drawn = series[i].incomes;
        toDrawn(drawn, scale_);
        graph->setData(series[i].months, drawn, true);
    }
    ticks_ = xTicks;
    setTicksAt(xAxis, ticks_, start_);
    legend->setVisible(!series.empty());
    legend->setMaximumSize(legend->minimumOuterSizeHint());
    note_->setVisible(!series.empty() && span.empty());
    if (series.empty()) {
        xAxis->setRange(0, 1);
        yAxis->setRange(0, 1);
    } else {
        xAxis->rescale();
        const QCPRange months = xAxis->range();
        const double pad = std::max(0.5, months.size() * 0.02);
        xAxis->setRange(months.lower - pad, months.upper + pad);
    }
    fitValues();
    // The keyboard reads the whole months of the baseline, as hovering does.
    bool found = false;
    const QCPRange months = series.empty() ? QCPRange() : graph(0)->getKeyRange(found);
    cursor_->setMonths(found ? std::ceil(months.lower) : 0, found ? std::floor(months.upper) : -1);
    replot(rpQueuedReplot);
}

void ComparisonChart::setPlanMarks(std::vector<PlanMark> marks,
                                   const std::optional<CalendarMonth>& start) {
    marks_.setMarks(std::move(marks));
    start_ = start;
    setTicksAt(xAxis, ticks_, start_);
    replot(rpQueuedReplot);
}

void ComparisonChart::fitValues() {
    FiniteSpan span = empty_ ? FiniteSpan{.low = 0, .high = 0} : lineSpan_;
    if (showBands_ && !bandSpan_.empty()) {
        span.add(bandSpan_.low);
        span.add(bandSpan_.high);
    }
    fitValueAxis(yAxis, span, scale_);
}

void ComparisonChart::setShowBands(bool show) {
    showBands_ = show;
    for (QCPCurve* band : bands_) {
        band->setVisible(show);
    }
    fitValues();
    replot(rpQueuedReplot);
}

QCPCurve* ComparisonChart::band(int index) const {
    return bands_.at(static_cast<std::size_t>(index));
}

QString ComparisonChart::toolTipAt(const QPointF& pixel) const {
    if (!axisRect()->rect().contains(pixel.toPoint())) {
        return {};
    }
    if (graphCount() == 0) {
        return marks_.textNear(pixel.x());
    }
    bool found = false;
    const QCPRange months = graph(0)->getKeyRange(found);
    const double pointer = xAxis->pixelToCoord(pixel.x());
    if (!found || std::isnan(pointer)) {
        return {};
    }
    // The whole month nearest the pointer, within the months drawn; lines that
    // span less than a month are read where the pointer is.
    const double firstMonth = std::ceil(months.lower);
    const double lastMonth = std::floor(months.upper);
    const double month = firstMonth <= lastMonth
                             ? std::clamp(std::round(pointer), firstMonth, lastMonth)
                             : std::clamp(pointer, months.lower, months.upper);
    return monthTip(month);
}

QString ComparisonChart::monthTip(double month) const {
    std::vector<SeriesIncome> lines;
    for (int i = 0; i < graphCount(); ++i) {
        const QCPGraph* line = graph(i);
        if (!line->data()->isEmpty()) {
            lines.push_back({line->name(), incomes_[static_cast<std::size_t>(
                                               i)][static_cast<qsizetype>(nearest(*line, month))]});
        }
    }
    return marks_.withTextAt(comparisonChartTip(month, lines, start_), month);
}

}  // namespace velmora
