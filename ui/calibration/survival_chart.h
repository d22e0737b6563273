#pragma once

#include <qcustomplot.h>

#include "engine/calibration/calibration.h"
#include "ui/calibration/imported_table.h"

namespace velmora {

/// The share of a cohort still paying after each renewal: each cohort of the
/// table as a thin line, the pooled survival as points, the projection from
/// the fitted values as a line to the horizon, with the fitted curve of later
/// rates and with one constant later rate, and the model's curve dashed. The
/// renewals the backtest hid are shaded, with the recommended choice's
/// forecast of them.
class SurvivalChart final : public QCustomPlot {
    Q_OBJECT

public:
    /// At most this many cohorts are drawn as lines, evenly spread over the table.
    static constexpr std::size_t drawnCohorts = 240;

    explicit SurvivalChart(QWidget* parent = nullptr);

    /// Shows `table` and what was fitted to it (none: the table alone).
    void display(const SharedTable& table, const Calibration* fitted);

    /// The tip for the pointer at `pixel`; empty where nothing is under it.
    [[nodiscard]] QString toolTipAt(const QPointF& pixel) const;

    [[nodiscard]] QCPCurve* cohortLines() const { return cohorts_; }
    [[nodiscard]] QCPGraph* pooledPoints() const { return pooled_; }
    /// The projection with the fitted curve of later rates.
    [[nodiscard]] QCPGraph* projectionLine() const { return projection_; }
    /// The projection with one constant later rate.
    [[nodiscard]] QCPGraph* constantLine() const { return constant_; }
    [[nodiscard]] QCPGraph* modelLine() const { return model_; }
    [[nodiscard]] QCPGraph* backtestLine() const { return backtest_; }
    [[nodiscard]] QCPItemRect* heldOut() const { return heldOut_; }

protected:
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QCPCurve* cohorts_;
    QCPGraph* pooled_;
    QCPGraph* projection_;
    QCPGraph* constant_;
    QCPGraph* model_;
    QCPGraph* backtest_;
    QCPItemRect* heldOut_;
    QCPItemText* heldOutLabel_;
};

}  // namespace velmora
