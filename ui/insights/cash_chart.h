#pragma once

#include <qcustomplot.h>

#include <optional>

#include "engine/decisions/economics.h"
#include "engine/projection/plan.h"
#include "ui/charts/plan_marks.h"
#include "ui/charts/value_axis.h"

namespace velmora {

/// The cash curve of a plan: its cumulative net month by month, a line that
/// crosses the zero line where the plan breaks even, with the break-even month
/// and the lowest point (the cash needed) marked on it and named in the legend
/// above the plot. Hovering tells a month's figures.
class CashChart final : public QCustomPlot {
    Q_OBJECT

public:
    explicit CashChart(QWidget* parent = nullptr);

    /// Draws `flow`, its months from M0; an empty flow draws nothing. Marks
    /// the months where `plan` changes something, and names months by its
    /// calendar month of M0.
    void setCashFlow(const CashFlow& flow, const std::optional<Plan>& plan = std::nullopt);

    /// The tip for the pointer at `pixel`; empty where no month is under it.
    [[nodiscard]] QString toolTipAt(const QPointF& pixel) const;

    [[nodiscard]] QCPGraph* line() const { return line_; }
    /// The break-even point, named "Break-even M14"; empty and out of the
    /// legend without one.
    [[nodiscard]] QCPGraph* breakEvenMark() const { return breakEven_; }
    /// The lowest point, named "Cash needed $45,210 (M6)"; empty and out of
    /// the legend when the net never falls below zero.
    [[nodiscard]] QCPGraph* lowestMark() const { return lowest_; }
    [[nodiscard]] const PlanMarkLines& planMarkLines() const { return marks_; }

private:
    void mark(QCPGraph* point, std::optional<std::int64_t> month, const QString& name);

    CashFlow flow_;
    ValueScale scale_;
    QCPGraph* line_;
    QCPGraph* lowest_;
    QCPGraph* breakEven_;
    QCPItemText* note_;
    PlanMarkLines marks_;
    std::optional<CalendarMonth> start_;
};

}  // namespace velmora
