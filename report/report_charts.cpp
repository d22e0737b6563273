#include "report/report_charts.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QPainterPath>

#include "report/value_rows.h"

namespace velmora::report {

namespace {

constexpr double labelPoints = 8;
constexpr double titlePoints = 10;
constexpr double gap = 4;
constexpr double hairline = 0.1;

/// The span of the finite figures drawn, always holding zero.
struct Span {
    double low = 0;
    double high = 0;
    void add(double value) {
        if (std::isfinite(value)) {
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
};

/// Maps figures onto a stretch of the page. Figures are divided by the
/// largest first, so that spans up to the largest doubles stay finite.
class Scale {
public:
    Scale(double low, double high, double from, double to)
        : unit_(std::max({std::abs(low), std::abs(high), std::numeric_limits<double>::min()})),
          low_(low / unit_),
          high_(high / unit_),
          from_(from),
          to_(to) {}
    [[nodiscard]] double operator()(double figure) const {
        const double span = high_ - low_;
        return span > 0 ? from_ + (figure / unit_ - low_) / span * (to_ - from_) : from_;
    }

private:
    double unit_, low_, high_, from_, to_;
};

QString tickLabel(double value, double step, bool money, const Figures& figures) {
    // Round ticks of huge spans in few digits: 1.5e+302, not 1.5000000000000001e+302.
    if (std::abs(step) >= 1e14) {
        return figures.locale()
            .toString(value, 'g', 4)
            .replace(figures.locale().exponential(), QStringLiteral("e"));
    }
    if (money) {
        return step < 1 ? figures.cents(value) : figures.money(value);
    }
    return step < 1 ? figures.value(value) : figures.count(value);
}

/// Every 12 months, or a multiple of that which leaves at most ten marks.
std::vector<double> monthTicks(double end) {
    double step = 12;
    for (const double times : {2.0, 5.0, 10.0, 25.0, 50.0, 100.0}) {
        if (end / step <= 10) {
            break;
        }
        step = 12 * times;
    }
    std::vector<double> ticks;
    for (int k = 0; k * step <= end && ticks.size() < 12; ++k) {
        ticks.push_back(k * step);
    }
    return ticks;
}

/// Keeps, of points that crowd a column of the plot, the first, the lowest,
/// the highest and the last: the line looks the same from far fewer points.
std::vector<QPointF> thinned(const std::vector<QPointF>& points, const Scale& x, double columns) {
    if (static_cast<double>(points.size()) < columns * 4) {
        return points;
    }
    std::vector<QPointF> kept;
    std::size_t start = 0;
    while (start < points.size()) {
        const auto column = std::floor(x(points[start].x()) * 2);
        std::size_t end = start;
        std::size_t lowest = start;
        std::size_t highest = start;
        while (end < points.size() && std::floor(x(points[end].x()) * 2) == column) {
            lowest = points[end].y() < points[lowest].y() ? end : lowest;
            highest = points[end].y() > points[highest].y() ? end : highest;
            ++end;
        }
        for (const std::size_t i :
             {start, std::min(lowest, highest), std::max(lowest, highest), end - 1}) {
            if (kept.empty() || kept.back() != points[i]) {
                kept.push_back(points[i]);
            }
        }
        start = end;
    }
    return kept;
}

void drawMonthChart(Canvas& canvas, const QRectF& box, const MonthChart& chart,
                    const Figures& figures) {
    const QFont label = reportFont(labelPoints);
    const QFont title = reportFont(titlePoints, true);
    double top = box.top();
    canvas.text(QRectF(box.left(), top, box.width(), canvas.lineHeight(title)),
                Qt::AlignLeft | Qt::AlignVCenter, chart.title, title);
    top += canvas.lineHeight(title) + gap;
    if (chart.legend) {
        double left = box.left();
        const double line = canvas.lineHeight(label);
        for (const Series& series : chart.lines) {
            QPainter& painter = canvas.shapes();
            painter.setPen(QPen(series.colour, 2));
            painter.drawLine(QPointF(left, top + line / 2), QPointF(left + 14, top + line / 2));
            canvas.text(QRectF(left + 18, top, box.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                        series.name, label);
            left += 18 + canvas.textWidth(series.name, label) + 14;
        }
        top += line + gap;
    }

    Span values;
    double months = 1;
    for (const Series& series : chart.lines) {
        for (const QPointF& point : series.points) {
            values.add(point.y());
            months = std::max(months, point.x());
        }
    }
    for (const StackedBar& bar : chart.bars) {
        double up = 0;
        double down = 0;
        for (const auto& [count, colour] : bar.pieces) {
            (count >= 0 ? up : down) += std::isfinite(count) ? count : 0;
        }
        values.add(up);
        values.add(down);
        months = std::max(months, bar.month + 1);
    }
    const auto ticks = niceTicks(values.low, values.high);
    const double step = ticks.size() > 1 ? ticks[1] - ticks[0] : 1;
    double labelWidth = 0;
    for (const double tick : ticks) {
        labelWidth = std::max(labelWidth,
                              canvas.textWidth(tickLabel(tick, step, chart.money, figures), label));
    }
    const double line = canvas.lineHeight(label);
    const QRectF plot(box.left() + line + labelWidth + 2 * gap, top + line / 2,
                      box.width() - line - labelWidth - 2 * gap - line,
                      box.bottom() - top - 2 * line - 2 * gap - line / 2);
    const Scale x(0, months, plot.left(), plot.right());
    const Scale y(ticks.front(), ticks.back(), plot.bottom(), plot.top());

    QPainter& painter = canvas.shapes();
    painter.setPen(QPen(QColor(0xDD, 0xDD, 0xDD), 0.5));
    for (const double tick : ticks) {
        painter.drawLine(QPointF(plot.left(), y(tick)), QPointF(plot.right(), y(tick)));
    }
    for (const StackedBar& bar : chart.bars) {
        const double width = std::min(8.0, plot.width() / months * 0.8);
        // Where each side's stack ends, and where its next drawn piece starts:
        // pieces thinner than a hairline join the piece above them, which
        // looks the same and keeps a long projection's report small.
        double ends[2] = {0, 0};
        double drawnFrom[2] = {0, 0};
        for (const auto& [count, colour] : bar.pieces) {
            if (!std::isfinite(count)) {
                continue;
            }
            const std::size_t side = count >= 0 ? 0 : 1;
            ends[side] += count;
            if (std::abs(y(ends[side]) - y(drawnFrom[side])) < hairline) {
                continue;
            }
            const QRectF piece(QPointF(x(bar.month + 0.5) - width / 2, y(drawnFrom[side])),
                               QPointF(x(bar.month + 0.5) + width / 2, y(ends[side])));
            painter.fillRect(piece.normalized(), colour);
            drawnFrom[side] = ends[side];
        }
    }
    painter.setClipRect(plot.adjusted(-1, -1, 1, 1));
    for (const Series& series : chart.lines) {
        QPainterPath path;
        bool drawing = false;
        for (const QPointF& point : thinned(series.points, x, plot.width())) {
            if (!std::isfinite(point.y())) {
                drawing = false;
                continue;
            }
            const QPointF at(x(point.x()), y(point.y()));
            drawing ? path.lineTo(at) : path.moveTo(at);
            drawing = true;
        }
        painter.setPen(QPen(series.colour, 1.2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    }
    painter.setClipping(false);
    painter.setPen(QPen(Qt::black, 0.6));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());

    for (const double tick : ticks) {
        canvas.text(QRectF(plot.left() - gap - labelWidth, y(tick) - line / 2, labelWidth, line),
                    Qt::AlignRight | Qt::AlignVCenter, tickLabel(tick, step, chart.money, figures),
                    label);
    }
    for (const double tick : chart.months ? monthTicks(months) : niceTicks(0, months, 10)) {
        if (tick <= months) {
            const auto whole = static_cast<std::int64_t>(tick);
            canvas.text(QRectF(x(tick) - 30, plot.bottom() + gap, 60, line), Qt::AlignCenter,
                        chart.months ? Figures::month(whole) : figures.count(tick), label);
        }
    }
    canvas.text(QRectF(plot.left(), plot.bottom() + gap + line, plot.width(), line),
                Qt::AlignCenter, chart.xTitle, label);
    canvas.verticalText(QPointF(box.left() + line / 2, plot.center().y()), chart.yTitle, label);
    if (values.low == 0 && values.high == 0 && !chart.lines.empty()) {
        canvas.text(plot, Qt::AlignCenter, QStringLiteral("No figure to draw"), label, Qt::gray);
    }
}

QString signedFigure(Metric metric, double change, const Figures& figures) {
    switch (metric) {
        case Metric::Subscribers:
            return figures.signedCount(change);
        case Metric::LifetimeValue:
            return figures.signedCents(change);
        default:
            return figures.signedMoney(change);
    }
}

}  // namespace

std::vector<double> niceTicks(double low, double high, int most) {
    if (!(low < high)) {
        return {low, low + 1};
    }
    double span = high - low;
    if (!std::isfinite(span)) {
        span = std::max(std::abs(low), std::abs(high)) * 2;
    }
    const double rough = span / most;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power * 10;
    for (const double times : {1.0, 2.0, 5.0}) {
        if (power * times >= rough) {
            step = power * times;
            break;
        }
    }
    const double first = std::floor(low / step);
    std::vector<double> ticks;
    for (double k = first; ticks.empty() || ticks.back() < high; ++k) {
        ticks.push_back(k * step);
        if (ticks.size() > static_cast<std::size_t>(most) * 3) {
            break;
        }
    }
    return ticks;
}

void addChart(PageLayout& layout, MonthChart chart, double height, const Figures& figures) {
    layout.add({height,
                [chart = std::move(chart), figures](Canvas& canvas, const QRectF& box) {
                    drawMonthChart(canvas, box, chart, figures);
                },
                false,
                {}});
}

void addTornado(PageLayout& layout, const Sensitivity& sensitivity, const Figures& figures) {
    const QFont label = reportFont(labelPoints);
    const double row = layout.measure().lineHeight(label) * 2 + 4;
    const double height = row * static_cast<double>(sensitivity.bars.size()) + 2 * row;
    layout.add({height,
                [sensitivity, figures, label, row](Canvas& canvas, const QRectF& box) {
                    const QColor down(0xF2, 0x8E, 0x2B);
                    const QColor up(0x4E, 0x79, 0xA7);
                    double names = 0;
                    Span changes;
                    for (const SensitivityBar& bar : sensitivity.bars) {
                        names = std::max(names, canvas.textWidth(inputTitle(bar.input), label));
                        changes.add(bar.down);
                        changes.add(bar.up);
                    }
                    const double line = canvas.lineHeight(label);
                    // Room for the labels beyond the longest bars.
                    const double labels = canvas.textWidth(QStringLiteral("+$000,000,000"), label);
                    const QRectF plot(box.left() + names + gap + labels, box.top() + line + gap,
                                      box.width() - names - gap - 2 * labels,
                                      row * static_cast<double>(sensitivity.bars.size()));
                    const Scale x(changes.low, changes.high, plot.left(), plot.right());
                    canvas.text(QRectF(box.left(), box.top(), box.width(), line),
                                Qt::AlignLeft | Qt::AlignVCenter,
                                QStringLiteral("Change of %1: input at 90% (orange, above) and "
                                               "at 110% (blue, below)")
                                    .arg(metricTitle(sensitivity.metric).toLower()),
                                label);
                    double top = plot.top();
                    for (const SensitivityBar& bar : sensitivity.bars) {
                        canvas.text(QRectF(box.left(), top, names, row),
                                    Qt::AlignLeft | Qt::AlignVCenter, inputTitle(bar.input), label);
                        const std::pair<double, QColor> pieces[] = {{bar.down, down}, {bar.up, up}};
                        double pieceTop = top + 2;
                        for (const auto& [change, colour] : pieces) {
                            const double end = std::isfinite(change) ? x(change) : x(0);
                            const QRectF drawn(QPointF(std::min(x(0), end), pieceTop),
                                               QPointF(std::max(x(0), end), pieceTop + line - 1));
                            canvas.shapes().fillRect(drawn, colour);
                            const bool right = change >= 0;
                            canvas.text(
                                right ? QRectF(drawn.right() + 2, pieceTop, labels, line)
                                      : QRectF(drawn.left() - 2 - labels, pieceTop, labels, line),
                                (right ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                                signedFigure(sensitivity.metric, change, figures), label);
                            pieceTop += line;
                        }
                        top += row;
                    }
                    QPainter& painter = canvas.shapes();
                    painter.setPen(QPen(Qt::black, 0.6));
                    painter.drawLine(QPointF(x(0), plot.top()), QPointF(x(0), plot.bottom()));
                },
                false,
                {}});
}

}  // namespace velmora::report
