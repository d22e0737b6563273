#pragma once

#include <optional>
#include <vector>

#include <qcustomplot.h>

#include "engine/decisions/sensitivity.h"
#include "ui/charts/value_axis.h"

namespace velmora {

/// The sensitivity of one figure as a "tornado": a row per input, largest
/// effect on top, with the change the input (a share: its churn) at 90% causes
/// (the upper bar of the row, orange) and at 110% (the lower bar, blue), each
/// labelled with its signed change and what moved. Hovering a row, or stepping through
/// the rows with the arrow keys while the chart has the focus, tells its
/// exact figures.
class TornadoChart final : public QCustomPlot {
    Q_OBJECT

public:
    explicit TornadoChart(QWidget* parent = nullptr);

    /// Draws `sensitivity`, or nothing.
    void setSensitivity(const std::optional<Sensitivity>& sensitivity);
    [[nodiscard]] const std::optional<Sensitivity>& sensitivity() const { return shown_; }

    /// Rows drawn, from the top.
    [[nodiscard]] int rowCount() const;
    /// The label at the end of a bar: "+$2,646 at 110%", "-$8,983 at 110%
    /// churn", "+$0 at 1.05 (capped)", "never pays back at 90%".
    [[nodiscard]] QString barLabel(int row, bool up) const;
    /// One row in a line: "Price: -$2,646 at 90%, +$2,646 at 110%".
    [[nodiscard]] QString rowSummary(int row) const;
    /// One row's exact figures: the input's values and the figure they give.
    [[nodiscard]] QString rowDetails(int row) const;
    /// The tip for the pointer at `pixel`; empty where no row is under it.
    [[nodiscard]] QString toolTipAt(const QPointF& pixel) const;

    /// The row the keyboard is on; -1 before the chart had the focus.
    [[nodiscard]] int currentRow() const { return current_; }
    [[nodiscard]] QCPBars* downBars() const { return down_; }
    [[nodiscard]] QCPBars* upBars() const { return up_; }

signals:
    /// The keyboard moved to another row.
    void currentRowChanged(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    [[nodiscard]] const SensitivityBar& bar(int row) const;
    void addLabel(double key, double change, const QString& text);
    void fitValueRange();
    void setCurrentRow(int row);
    void placeHighlight();

    std::optional<Sensitivity> shown_;
    ValueScale scale_;  ///< how the changes are drawn: past 1e250 the chart takes no range
    QCPBars* down_;
    QCPBars* up_;
    QCPItemRect* highlight_;
    std::vector<QCPItemText*> labels_;
    int current_ = -1;
};

}  // namespace velmora
