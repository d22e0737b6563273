#pragma once

#include <vector>

#include <qcustomplot.h>

#include "ui/charts/chart_data.h"

namespace velmora {

/// The income of the compared scenarios over time, one line each, with a
/// legend. Hovering tells every scenario's income in the month under the pointer.
class ComparisonChart final : public QCustomPlot {
    Q_OBJECT

public:
    explicit ComparisonChart(QWidget* parent = nullptr);

    /// One line per scenario name, in order of first appearance, through that
    /// scenario's points; month marks at exactly `xTicks`.
    void setData(const std::vector<ChartData>& points, const std::vector<double>& xTicks);

    /// The tip for the pointer at `pixel`; empty where nothing is under it.
    [[nodiscard]] QString toolTipAt(const QPointF& pixel) const;
};

}  // namespace velmora
