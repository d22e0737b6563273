#pragma once

#include <functional>
#include <optional>

#include <QObject>
#include <QString>

class QCPItemStraightLine;
class QCustomPlot;

namespace velmora {

/// Reads a chart from the keyboard. While the chart has the focus, a line
/// marks one of its months and a tip beside it tells that month's figures, as
/// hovering does: the chart shows where the keyboard is. Left and Right step
/// a month, Page Up and Page Down a year, Home and End go to the first and the
/// last month. The month is kept while the chart is away, so coming back by
/// Tab finds it where it was (at first the last month).
class MonthCursor final : public QObject {
    Q_OBJECT

public:
    /// The tip for whole month `month`.
    using TipAt = std::function<QString(double month)>;

    /// Makes `plot` take the focus and reads it by keyboard with `tipAt`.
    MonthCursor(QCustomPlot* plot, TipAt tipAt);

    /// The whole months the chart shows, `first` to `last`; none while `last`
    /// is below `first`.
    void setMonths(double first, double last);
    /// The month marked, while the chart has the focus and shows a month.
    [[nodiscard]] std::optional<double> month() const;
    /// The tip of the month marked; empty while none is.
    [[nodiscard]] QString tip() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool step(int key);
    void show();
    void hide();

    QCustomPlot* plot_;
    TipAt tipAt_;
    QCPItemStraightLine* line_;
    double first_ = 0;
    double last_ = -1;
    std::optional<double> month_;
};

}  // namespace velmora
