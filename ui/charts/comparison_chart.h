#pragma once

#include <vector>

#include <qcustomplot.h>

#include "ui/charts/chart_data.h"
#include "ui/charts/value_axis.h"

namespace velmora {

class MonthCursor;

/// The income of the compared scenarios over time, one line each, with a
/// legend in a row above the plot. Hovering tells every scenario's income in
/// the month under the pointer; with the focus, the arrow keys step through
/// the months and tell theirs. The value axis follows the finite incomes
/// drawn, whatever their size.
class ComparisonChart final : public QCustomPlot {
    Q_OBJECT

public:
    explicit ComparisonChart(QWidget* parent = nullptr);

    /// One line per scenario name, in order of first appearance, through that
    /// scenario's points; month marks at exactly `xTicks`.
    void setData(const std::vector<ChartData>& points, const std::vector<double>& xTicks);

    /// The tip for the pointer at `pixel`; empty where nothing is under it.
    [[nodiscard]] QString toolTipAt(const QPointF& pixel) const;
    /// Every scenario's income in whole month `month`.
    [[nodiscard]] QString monthTip(double month) const;
    /// Reads the chart a month at a time from the keyboard.
    [[nodiscard]] MonthCursor* cursor() const { return cursor_; }

    /// How the incomes are drawn on the value axis.
    [[nodiscard]] const ValueScale& valueScale() const { return scale_; }
    /// Shown when there are incomes but none finite to draw.
    [[nodiscard]] QCPItemText* nothingDrawnNote() const { return note_; }

private:
    std::vector<QVector<double>> incomes_;  ///< each line's incomes as figures, for the tip
    ValueScale scale_;
    QCPItemText* note_;
    MonthCursor* cursor_ = nullptr;
};

}  // namespace velmora
