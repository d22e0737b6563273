#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <qcustomplot.h>

#include "engine/projection/calculation.h"
#include "engine/projection/plan.h"
#include "engine/spread/simulation.h"
#include "ui/charts/plan_marks.h"
#include "ui/charts/value_axis.h"

namespace velmora {

class CohortPlottable;
class MonthCursor;

/// The subscribers of one scenario's projection over time: either a line
/// through every day with a point on the first day of each month, or stacked
/// bars of each month's cohorts. Hovering tells the figures under the pointer;
/// with the focus, the arrow keys step through the months and tell theirs.
/// The value axis follows the finite figures drawn, whatever their size.
/// A plan marks the months where it changes something with thin lines, which
/// the tips of those months name; with M0's calendar month, months are named
/// by the calendar as well.
class ProjectionChart final : public QCustomPlot {
    Q_OBJECT

public:
    /// The monthly points are drawn while they stand at least this many
    /// pixels apart; closer, they would fuse into a band, and the line is
    /// drawn alone.
    static constexpr double leastPointSpacing = 6;

    explicit ProjectionChart(QWidget* parent = nullptr);

    /// Shows `projection` (none: an empty chart). Setting the projection shown
    /// already costs nothing.
    void setProjection(std::shared_ptr<const SubscriptionCalculation> projection);
    /// Shades, on the line, the band from the 10th to the 90th percentile of
    /// the active subscribers of `spread` (none: no band). The line stays.
    void setSpread(std::shared_ptr<const Spread> spread);
    /// Tells, over the plot, how much of the days of the projection is built
    /// (a share from 0 to 1), while it has its monthly figures alone; nothing
    /// once the days are there. Until then the line joins the first days and
    /// the cohort bars wait.
    void setDayProgress(std::optional<double> share);
    /// Marks the months where `plan` (the scenario's now, none without one)
    /// changes something, and names months by its calendar month of M0.
    void setPlan(const std::optional<Plan>& plan);
    [[nodiscard]] const PlanMarkLines& planMarkLines() const { return marks_; }
    /// 0 shows the cohort bars, any other value the line; the bars are the default.
    void setShowCohorts(int value);
    [[nodiscard]] bool showsCohorts() const { return showCohorts_; }

    /// The tip for the pointer at `pixel`; empty where nothing is under it.
    [[nodiscard]] QString toolTipAt(const QPointF& pixel) const;
    /// The tip of whole month `month`: its subscribers on its first day.
    [[nodiscard]] QString monthTip(double month) const;
    /// Reads the chart a month at a time from the keyboard.
    [[nodiscard]] MonthCursor* cursor() const { return cursor_; }

    /// The marks of the month axis for a projection of `months` months: every
    /// twelfth month from 0 to its end, and 0 to 48 whatever its length.
    [[nodiscard]] static std::vector<double> monthMarks(std::size_t months);
    /// How the figures of the chart shown are drawn on the value axis.
    [[nodiscard]] const ValueScale& valueScale() const;
    /// Shown when the projection has months but no finite figure to draw.
    [[nodiscard]] QCPItemText* nothingDrawnNote() const { return note_; }
    /// Shown while the days are being built.
    [[nodiscard]] QCPItemText* progressNote() const { return progress_; }

    [[nodiscard]] QCPGraph* dailyLine() const { return line_; }
    [[nodiscard]] QCPGraph* monthlyPoints() const { return points_; }
    [[nodiscard]] CohortPlottable* cohortBars() const { return bars_; }
    /// The band's lower edge (the 10th percentile) and upper edge, filled
    /// down to the lower one; empty without a spread.
    [[nodiscard]] QCPGraph* bandLow() const { return bandLow_; }
    [[nodiscard]] QCPGraph* bandHigh() const { return bandHigh_; }

private:
    void refresh();
    void fillLine();
    void fillBars();
    void fitRanges();
    void showPointsWhereSpaced();
    void showPlan();
    [[nodiscard]] std::optional<CalendarMonth> startMonth() const;

    std::shared_ptr<const SubscriptionCalculation> projection_;
    std::shared_ptr<const Spread> spread_;
    std::optional<Plan> plan_;
    bool showCohorts_ = true;
    bool lineCurrent_ = true;
    bool barsCurrent_ = true;
    QCPGraph* line_;
    QCPGraph* points_;
    QCPGraph* bandLow_;
    QCPGraph* bandHigh_;
    CohortPlottable* bars_;
    QCPItemText* note_;
    QCPItemText* progress_;
    MonthCursor* cursor_ = nullptr;
    PlanMarkLines marks_;
    FiniteSpan lineSpan_;
    FiniteSpan barsSpan_;
    ValueScale lineScale_;
    ValueScale barsScale_;
};

}  // namespace velmora
