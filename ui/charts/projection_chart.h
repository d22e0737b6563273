#pragma once

#include <memory>
#include <vector>

#include <qcustomplot.h>

#include "engine/calculation.h"

namespace velmora {

class CohortPlottable;

/// The subscribers of one scenario's projection over time: either a line
/// through every day with a point on the first day of each month, or stacked
/// bars of each month's cohorts. Hovering tells the figures under the pointer.
class ProjectionChart final : public QCustomPlot {
    Q_OBJECT

public:
    explicit ProjectionChart(QWidget* parent = nullptr);

    /// Shows `projection` (none: an empty chart). Setting the projection shown
    /// already costs nothing.
    void setProjection(std::shared_ptr<const SubscriptionCalculation> projection);
    /// 0 shows the cohort bars, any other value the line; the bars are the default.
    void setShowCohorts(int value);
    [[nodiscard]] bool showsCohorts() const { return showCohorts_; }

    /// The tip for the pointer at `pixel`; empty where nothing is under it.
    [[nodiscard]] QString toolTipAt(const QPointF& pixel) const;

    /// The marks of the month axis, the same for every projection.
    [[nodiscard]] static std::vector<double> monthMarks() { return {0, 12, 24, 36, 48}; }

    [[nodiscard]] QCPGraph* dailyLine() const { return line_; }
    [[nodiscard]] QCPGraph* monthlyPoints() const { return points_; }
    [[nodiscard]] CohortPlottable* cohortBars() const { return bars_; }

private:
    void refresh();
    void fillLine();
    void fillBars();
    void fitRanges();

    std::shared_ptr<const SubscriptionCalculation> projection_;
    bool showCohorts_ = true;
    bool lineCurrent_ = true;
    bool barsCurrent_ = true;
    QCPGraph* line_;
    QCPGraph* points_;
    CohortPlottable* bars_;
};

}  // namespace velmora
