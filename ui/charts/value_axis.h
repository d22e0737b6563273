#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

#include <QLocale>
#include <QString>
#include <QVector>

#include "format/number_format.h"

class QCPAxis;
class QCPItemText;
class QCustomPlot;

namespace velmora {

/// Figures as a chart draws them: divided by a power of ten when they are too
/// large or too small for the chart library, which refuses ranges beyond
/// 1e250 or narrower than 1e-280, while a figure may be anything from 5e-324
/// to 1.8e308. Ordinary figures are drawn as they are.
class ValueScale {
public:
    ValueScale() = default;
    /// The scale that draws figures up to `largest` (their largest absolute
    /// value) between 1 and 10, or none when they can be drawn as they are.
    [[nodiscard]] static ValueScale forLargest(double largest);

    /// The power of ten that figures are divided by.
    [[nodiscard]] int exponent() const { return exponent_; }
    [[nodiscard]] double toDrawn(double figure) const { return figure * down_[0] * down_[1]; }
    [[nodiscard]] double toFigure(double drawn) const { return drawn * up_[0] * up_[1]; }

    friend bool operator==(const ValueScale& a, const ValueScale& b) {
        return a.exponent_ == b.exponent_;
    }

private:
    explicit ValueScale(int exponent);

    int exponent_ = 0;
    // Each power in two factors, for 10^323 is beyond a double.
    double down_[2] = {1, 1};
    double up_[2] = {1, 1};
};

/// The lowest and highest finite figure drawn; empty when none is.
struct FiniteSpan {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();

    void add(double figure) {
        if (std::isfinite(figure)) {
            low = std::min(low, figure);
            high = std::max(high, figure);
        }
    }
    [[nodiscard]] bool empty() const { return !(low <= high); }
    [[nodiscard]] double largest() const {
        return empty() ? 0 : std::max(std::abs(low), std::abs(high));
    }
};

/// Replaces each value of `values` by its drawn value, and the ones that are
/// not finite by not-a-number, which the charts leave out.
void toDrawn(QVector<double>& values, const ValueScale& scale);

/// Labels for ticks at `figures`, compact at any size: grouped digits below a
/// trillion ("12,500", "$0.25"), otherwise the fewest digits in e-notation
/// that give each tick exactly ("2.5e+300", "$1e+15").
[[nodiscard]] QVector<QString> axisLabels(const QVector<double>& figures,
                                          NumberFormatter::Style style,
                                          const QLocale& locale = figureLocale());

/// Makes `axis` a value axis labelled as `axisLabels` writes figures.
void setValueLabels(QCPAxis* axis, NumberFormatter::Style style);

/// Fits the value axis `axis` (labelled by `setValueLabels`) to the figures
/// of `span` drawn at `scale`: zero and every figure in view, with a margin
/// of a twentieth. With no figure to show, the axis shows no labels at all.
void fitValueAxis(QCPAxis* axis, const FiniteSpan& span, const ValueScale& scale);

/// A hidden note across the middle of the plot, to show when the chart has
/// figures but none of them finite, so that none can be drawn.
[[nodiscard]] QCPItemText* addNothingDrawnNote(QCustomPlot* plot);

}  // namespace velmora
