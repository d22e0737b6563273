#pragma once

#include <memory>
#include <vector>

#include <qcustomplot.h>

#include "engine/spread/simulation.h"
#include "ui/charts/chart_data.h"
#include "ui/charts/plan_marks.h"
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
    /// With `spreads`, one per scenario in the same order (null for one
    /// without ranges), each line is drawn in a translucent band of its colour
    /// from the 10th to the 90th percentile of its monthly proceeds.
    void setData(const std::vector<ChartData>& points, const std::vector<double>& xTicks,
                 const std::vector<std::shared_ptr<const Spread>>& spreads = {});

    /// Draws `marks` (the months where the scenarios' plans change something),
    /// which the tips of their months name, and names the months by the
    /// calendar from the baseline's M0 in `start` when given.
    void setPlanMarks(std::vector<PlanMark> marks, const std::optional<CalendarMonth>& start);
    [[nodiscard]] const PlanMarkLines& planMarkLines() const { return marks_; }

    /// Shows or hides the bands; they are shown at first.
    void setShowBands(bool show);
    [[nodiscard]] bool showsBands() const { return showBands_; }
    /// The band of scenario `index`, as a closed outline; empty without a
    /// spread for it.
    [[nodiscard]] QCPCurve* band(int index) const;
    [[nodiscard]] int bandCount() const { return static_cast<int>(bands_.size()); }

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
    void fitValues();

    std::vector<QVector<double>> incomes_;  ///< each line's incomes as figures, for the tip
    std::vector<QCPCurve*> bands_;
    bool showBands_ = true;
    FiniteSpan lineSpan_;
    FiniteSpan bandSpan_;
    bool empty_ = true;
    ValueScale scale_;
    QCPItemText* note_;
    MonthCursor* cursor_ = nullptr;
    PlanMarkLines marks_;
    std::optional<CalendarMonth> start_;
    std::vector<double> ticks_;
};

}  // namespace velmora
