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
    : QCustomPlot(parent), note_(addNothingDrawnNote(this)) {
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
    connect(this, &QCustomPlot::mouseMove, this,
            [this](QMouseEvent* event) { showToolTip(this, event, toolTipAt(event->position())); });
}

void ComparisonChart::setData(const std::vector<ChartData>& points,
                              const std::vector<double>& xTicks) {
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
    scale_ = ValueScale::forLargest(span.largest());
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
    setTicksAt(xAxis, xTicks);
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
    fitValueAxis(yAxis, series.empty() ? FiniteSpan{.low = 0, .high = 0} : span, scale_);
    // The keyboard reads the whole months of the baseline, as hovering does.
    bool found = false;
    const QCPRange months = series.empty() ? QCPRange() : graph(0)->getKeyRange(found);
    cursor_->setMonths(found ? std::ceil(months.lower) : 0, found ? std::floor(months.upper) : -1);
    replot(rpQueuedReplot);
}

QString ComparisonChart::toolTipAt(const QPointF& pixel) const {
    if (graphCount() == 0 || !axisRect()->rect().contains(pixel.toPoint())) {
        return {};
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
    return comparisonChartTip(month, lines);
}

}  // namespace velmora
