#include "ui/charts/cohort_plottable.h"

#include <algorithm>
#include <cmath>

#include "ui/charts/chart_style.h"

namespace velmora {

namespace {

/// Narrows `range` to the part inside `domain`; false when nothing is left.
bool clipToDomain(QCPRange& range, QCP::SignDomain domain) {
    if (domain == QCP::sdPositive) {
        range.lower = std::max(range.lower, 0.0);
        return range.upper > 0;
    }
    if (domain == QCP::sdNegative) {
        range.upper = std::min(range.upper, 0.0);
        return range.lower < 0;
    }
    return true;
}

int leftEdge(double centre) {
    return static_cast<int>(std::lround(centre - CohortPlottable::barWidth / 2.0));
}

}  // namespace

CohortPlottable::CohortPlottable(QCPAxis* keyAxis, QCPAxis* valueAxis)
    : QCPAbstractPlottable(keyAxis, valueAxis) {
    setSelectable(QCP::stNone);
    setAntialiased(false);
}

void CohortPlottable::setStack(CohortStack stack, const ValueScale& scale) {
    stack_ = std::move(stack);
    scale_ = scale;
}

std::optional<CohortPlottable::Hit> CohortPlottable::hitAt(const QPointF& pixel) const {
    const QCPAxis* keyAxis = mKeyAxis.data();
    const QCPAxis* valueAxis = mValueAxis.data();
    if (!keyAxis || !valueAxis || !clipRect().contains(pixel.toPoint())) {
        return std::nullopt;
    }
    const double value = scale_.toFigure(valueAxis->pixelToCoord(pixel.y()));
    for (auto bar = stack_.bars.rbegin(); bar != stack_.bars.rend(); ++bar) {
        const int left = leftEdge(keyAxis->coordToPixel(bar->month));
        if (pixel.x() < left || pixel.x() >= left + barWidth || value < bar->low ||
            value > bar->high) {
            continue;
        }
        for (std::size_t i = bar->first; i < bar->end; ++i) {
            const CohortSegment& segment = stack_.segments[i];
            if (value >= std::min(segment.base, segment.top) &&
                value <= std::max(segment.base, segment.top)) {
                return Hit{&segment, &*bar};
            }
        }
    }
    return std::nullopt;
}

double CohortPlottable::selectTest(const QPointF&, bool, QVariant*) const {
    return -1;
}

QCPRange CohortPlottable::getKeyRange(bool& foundRange, QCP::SignDomain inSignDomain) const {
    foundRange = false;
    if (stack_.bars.empty()) {
        return {};
    }
    QCPRange range(stack_.bars.front().month, stack_.bars.front().month);
    for (const CohortBar& bar : stack_.bars) {
        range.expand(bar.month);
    }
    foundRange = clipToDomain(range, inSignDomain);
    return range;
}

QCPRange CohortPlottable::getValueRange(bool& foundRange, QCP::SignDomain inSignDomain,
                                        const QCPRange& inKeyRange) const {
    foundRange = false;
    const bool allKeys = inKeyRange == QCPRange();
    QCPRange range;
    for (const CohortBar& bar : stack_.bars) {
        if (!allKeys && !inKeyRange.contains(bar.month)) {
            continue;
        }
        const double low = scale_.toDrawn(bar.low);
        const double high = scale_.toDrawn(bar.high);
        range = foundRange ? QCPRange(std::min(range.lower, low), std::max(range.upper, high))
                           : QCPRange(low, high);
        foundRange = true;
    }
    if (foundRange) {
        foundRange = clipToDomain(range, inSignDomain);
    }
    return range;
}

void CohortPlottable::draw(QCPPainter* painter) {
    const QCPAxis* keyAxis = mKeyAxis.data();
    const QCPAxis* valueAxis = mValueAxis.data();
    if (!keyAxis || !valueAxis || stack_.empty()) {
        return;
    }
    painter->setAntialiasing(false);
    painter->setPen(Qt::NoPen);
    const QRect clip = clipRect();
    // Pixel rows far outside the plot are pinned to its edge, so that huge
    // counts never overflow an int.
    const double above = clip.top() - 1.0;
    const double below = clip.bottom() + 2.0;
    // On a linear axis a row is one multiply-add away; other scales ask the axis.
    const bool linear = valueAxis->scaleType() == QCPAxis::stLinear;
    const double origin = valueAxis->coordToPixel(0);
    const double slope = valueAxis->coordToPixel(1) - origin;
    const bool scaled = scale_.exponent() != 0;
    const auto row = [&](double value) {
        const double drawn = scaled ? scale_.toDrawn(value) : value;
        const double pixel = linear ? origin + drawn * slope : valueAxis->coordToPixel(drawn);
        // A pixel that is not a number fails the first test and lands above.
        const double pinned = pixel >= above ? std::min(pixel, below) : above;
        return static_cast<int>(pinned + 1.5) - 1;  // rounded: pinned + 1.5 is positive
    };
    const auto palette = cohortPalette();
    for (const CohortBar& bar : stack_.bars) {
        const double centre = keyAxis->coordToPixel(bar.month);
        if (!(centre > clip.left() - barWidth && centre < clip.right() + barWidth)) {
            continue;
        }
        const int left = leftEdge(centre);
        // A segment starts where the one before it on the same side ended, so
        // its first row is usually known already.
        double lastValue = std::nan("");
        int lastRow = 0;
        for (std::size_t i = bar.first; i < bar.end; ++i) {
            const CohortSegment& segment = stack_.segments[i];
            const int from = segment.base == lastValue ? lastRow : row(segment.base);
            const int to = row(segment.top);
            lastValue = segment.top;
            lastRow = to;
            // Rounding both ends to whole rows leaves no gap between segments;
            // those thinner than a row simply vanish between their neighbours.
            if (from != to) {
                painter->fillRect(
                    left, std::min(from, to), barWidth, std::abs(to - from),
                    palette[static_cast<std::size_t>(segment.colour) % cohortPaletteSize]);
            }
        }
    }
}

void CohortPlottable::drawLegendIcon(QCPPainter* painter, const QRectF& rect) const {
    painter->fillRect(rect, cohortColour(0));
}

}  // namespace velmora
