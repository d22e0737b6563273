#include "ui/charts/comparison_chart.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "ui/charts/chart_style.h"

namespace velmora {

namespace {

struct Series {
    QString name;
    QVector<double> months;
    QVector<double> incomes;
};

/// The point of `graph` nearest to `key`; the graph must hold at least one.
QCPGraphData nearest(const QCPGraph& graph, double key) {
    const auto& data = *graph.data();
    auto after = data.findBegin(key, false);
    if (after == data.constEnd()) {
        return *(after - 1);
    }
    if (after != data.constBegin() && key - (after - 1)->key < after->key - key) {
        return *(after - 1);
    }
    return *after;
}

}  // namespace

ComparisonChart::ComparisonChart(QWidget* parent) : QCustomPlot(parent) {
    applyChartStyle(this, QStringLiteral("Income comparison chart"));
    // What each mark stands for, as assistive technology reads the chart out.
    setAccessibleDescription(QStringLiteral("Date, Income, Projection"));
    axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignBottom | Qt::AlignRight);
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
    for (std::size_t i = 0; i < series.size(); ++i) {
        const int number = static_cast<int>(i);
        QCPGraph* graph = number < graphCount() ? this->graph(number) : addGraph();
        graph->setName(series[i].name);
        graph->setPen(QPen(seriesColour(number), 2));
        const bool sorted = std::is_sorted(series[i].months.cbegin(), series[i].months.cend());
        graph->setData(series[i].months, series[i].incomes, sorted);
    }
    setTicksAt(xAxis, xTicks);
    legend->setVisible(!series.empty());
    if (series.empty()) {
        xAxis->setRange(0, 1);
        yAxis->setRange(0, 1);
    } else {
        rescaleAxes();
        const QCPRange months = xAxis->range();
        const double pad = std::max(0.5, months.size() * 0.02);
        xAxis->setRange(months.lower - pad, months.upper + pad);
        yAxis->scaleRange(1.1, yAxis->range().center());
    }
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
    std::vector<SeriesIncome> lines;
    for (int i = 0; i < graphCount(); ++i) {
        const QCPGraph* line = graph(i);
        if (!line->data()->isEmpty()) {
            lines.push_back({line->name(), nearest(*line, month).value});
        }
    }
    return comparisonChartTip(month, lines);
}

}  // namespace velmora
