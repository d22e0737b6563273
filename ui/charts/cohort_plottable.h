#pragma once

#include <optional>

#include <qcustomplot.h>

#include "ui/charts/cohort_bars.h"
#include "ui/charts/value_axis.h"

namespace velmora {

/// The stacked cohort bars, painted by hand in one pass: a long projection
/// holds hundreds of thousands of segments, far more than QCPBars draws in
/// good time. Bars are a fixed number of pixels wide at every zoom. The key
/// axis must be the horizontal one.
class CohortPlottable final : public QCPAbstractPlottable {
public:
    static constexpr int barWidth = 10;

    /// What lies under a point of the plot.
    struct Hit {
        const CohortSegment* segment;
        const CohortBar* bar;
    };

    /// Belongs to the plot of `keyAxis`, like every QCustomPlot plottable.
    CohortPlottable(QCPAxis* keyAxis, QCPAxis* valueAxis);

    /// Draws `stack`, its counts at `scale` on the value axis.
    void setStack(CohortStack stack, const ValueScale& scale = {});
    [[nodiscard]] const CohortStack& stack() const { return stack_; }

    /// The segment painted at `pixel`, topmost first, as bars painted later
    /// cover earlier ones where they overlap.
    [[nodiscard]] std::optional<Hit> hitAt(const QPointF& pixel) const;

    double selectTest(const QPointF& pos, bool onlySelectable,
                      QVariant* details = nullptr) const override;
    QCPRange getKeyRange(bool& foundRange,
                         QCP::SignDomain inSignDomain = QCP::sdBoth) const override;
    QCPRange getValueRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth,
                           const QCPRange& inKeyRange = QCPRange()) const override;

protected:
    void draw(QCPPainter* painter) override;
    void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override;

private:
    CohortStack stack_;
    ValueScale scale_;
};

}  // namespace velmora
