#pragma once

#include <vector>

#include <QColor>
#include <QPointF>
#include <QString>

#include "engine/decisions/sensitivity.h"
#include "report/figures.h"
#include "report/page_layout.h"

namespace velmora::report {

/// A line through figures over months.
struct Series {
    QString name;
    QColor colour;
    std::vector<QPointF> points;  ///< x in months, y the figure; figures not finite are left out
};

/// One month's stacked bar: its pieces from zero outwards, positive ones up,
/// negative ones down.
struct StackedBar {
    double month;
    std::vector<std::pair<double, QColor>> pieces;
};

/// A chart over months (or renewals), drawn with the painter alone.
struct MonthChart {
    QString title;   ///< above the plot
    QString yTitle;  ///< along the value axis
    QString xTitle = QStringLiteral("Month");
    bool months = true;  ///< marks every 12 months as "M12"; else round numbers
    bool money = false;
    std::vector<Series> lines;
    std::vector<StackedBar> bars;
    bool legend = false;  ///< the lines' names in a row above the plot
};

/// Adds `chart`, `height` points tall, its value axis labelled in `figures`.
void addChart(PageLayout& layout, MonthChart chart, double height, const Figures& figures);

/// Adds the tornado of `sensitivity`: a row per input, its change at 90% above
/// its change at 110%, each labelled with the signed change.
void addTornado(PageLayout& layout, const Sensitivity& sensitivity, const Figures& figures);

/// Round ticks covering `low` to `high`: 1, 2 or 5 times a power of ten apart.
[[nodiscard]] std::vector<double> niceTicks(double low, double high, int most = 6);

}  // namespace velmora::report
