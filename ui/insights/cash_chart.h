#pragma once

#include <qcustomplot.h>

#include "engine/economics.h"
#include "ui/charts/value_axis.h"

namespace velmora {

/// The cash curve of a plan: its cumulative net month by month, a line that
/// crosses the zero line where the plan breaks even, with the break-even
/// month and the lowest point (the cash needed) marked and labelled. Hovering
/// tells a month's figures.
class CashChart final : public QCustomPlot {
    Q_OBJECT

public:
    explicit CashChart(QWidget* parent = nullptr);

    /// Draws `flow`, its months from M0; an empty flow draws nothing.
    void setCashFlow(const CashFlow& flow);

    /// The tip for the pointer at `pixel`; empty where no month is under it.
    [[nodiscard]] QString toolTipAt(const QPointF& pixel) const;

    [[nodiscard]] QCPGraph* line() const { return line_; }
    /// The break-even point, and its label ("Break-even M14"); hidden without one.
    [[nodiscard]] QCPGraph* breakEvenMark() const { return breakEven_; }
    [[nodiscard]] QCPItemText* breakEvenLabel() const { return breakEvenLabel_; }
    /// The lowest point, and its label ("Cash needed $45,210 (M6)"); hidden
    /// when the net never falls below zero.
    [[nodiscard]] QCPGraph* lowestMark() const { return lowest_; }
    [[nodiscard]] QCPItemText* lowestLabel() const { return lowestLabel_; }

private:
    void mark(QCPGraph* point, QCPItemText* label, std::optional<std::int64_t> month,
              const QString& text, bool above);

    CashFlow flow_;
    ValueScale scale_;
    QCPGraph* line_;
    QCPGraph* breakEven_;
    QCPGraph* lowest_;
    QCPItemText* breakEvenLabel_;
    QCPItemText* lowestLabel_;
    QCPItemText* note_;
};

}  // namespace velmora
