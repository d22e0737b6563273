#include "ui/insights/cash_chart.h"

#include <algorithm>
#include <cmath>

#include "ui/charts/chart_style.h"
#include "ui/insights/insight_texts.h"

namespace velmora {

namespace {

const QColor lineColour(0x4E, 0x79, 0xA7);
const QColor breakEvenColour(0x1B, 0x7F, 0x3B);
const QColor lowestColour(0xB7, 0x1C, 0x1C);
/// Room above and below the curve for the labels, as a share of its height.
constexpr double labelRoom = 0.18;

QCPGraph* makeMark(QCustomPlot* plot, const QColor& colour) {
    QCPGraph* mark = plot->addGraph();
    mark->setLineStyle(QCPGraph::lsNone);
    mark->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssCircle, colour.darker(120), colour, 9));
    mark->removeFromLegend();
    return mark;
}

QCPItemText* makeLabel(QCustomPlot* plot, const QColor& colour) {
    auto* label = new QCPItemText(plot);
    label->setColor(colour);
    label->setFont(plot->font());
    label->setPadding(QMargins(6, 3, 6, 3));
    label->setVisible(false);
    return label;
}

/// Month marks a narrow chart can label: about six of them, on whole quarters or years.
std::vector<double> monthMarks(std::size_t months) {
    double step = 1;
    for (const double nice : {3.0, 6.0, 12.0, 24.0, 60.0, 120.0}) {
        if (static_cast<double>(months) / step <= 8) {
            break;
        }
        step = nice;
    }
    std::vector<double> marks;
    for (double month = 0; month < static_cast<double>(std::max<std::size_t>(months, 1));
         month += step) {
        marks.push_back(month);
    }
    return marks;
}

/// Whole currency units, a minus before the whole figure: "-$45,210".
QString money(double value) {
    const NumberFormatter format(NumberFormatter::Style::Currency, 0);
    const QString magnitude = format.format(std::abs(value));
    return value < 0 && magnitude != format.format(0) ? format.locale().negativeSign() + magnitude
                                                      : magnitude;
}

}  // namespace

CashChart::CashChart(QWidget* parent)
    : QCustomPlot(parent),
      line_(addGraph()),
      breakEven_(makeMark(this, breakEvenColour)),
      lowest_(makeMark(this, lowestColour)),
      breakEvenLabel_(makeLabel(this, breakEvenColour.darker(110))),
      lowestLabel_(makeLabel(this, lowestColour)),
      note_(addNothingDrawnNote(this)) {
    applyChartStyle(this, QStringLiteral("Cash curve"));
    line_->setName(QStringLiteral("Cumulative net"));
    line_->setPen(QPen(lineColour, 2));
    xAxis->setLabel(QStringLiteral("Month"));
    yAxis->setLabel(QStringLiteral("Cumulative net"));
    setValueLabels(yAxis, NumberFormatter::Style::Currency);
    yAxis->grid()->setZeroLinePen(QPen(palette().color(QPalette::WindowText), 1));
    connect(this, &QCustomPlot::mouseMove, this,
            [this](QMouseEvent* event) { showToolTip(this, event, toolTipAt(event->position())); });
    setCashFlow({});
}

void CashChart::setCashFlow(const CashFlow& flow) {
    flow_ = flow;
    const std::size_t months = flow.cumulativeNet.size();
    QVector<double> keys;
    QVector<double> nets(flow.cumulativeNet.begin(), flow.cumulativeNet.end());
    FiniteSpan span;
    for (std::size_t month = 0; month < months; ++month) {
        keys.append(static_cast<double>(month));
        span.add(flow.cumulativeNet[month]);
    }
    scale_ = ValueScale::forLargest(span.largest());
    toDrawn(nets, scale_);
    line_->setData(keys, nets, true);
    setTicksAt(xAxis, monthMarks(months));
    const double pad = std::max(0.5, static_cast<double>(months) * 0.02);
    xAxis->setRange(-pad, static_cast<double>(std::max<std::size_t>(months, 2) - 1) + pad);
    fitValueAxis(yAxis, months == 0 ? FiniteSpan{.low = 0, .high = 0} : span, scale_);
    const QCPRange values = yAxis->range();
    yAxis->setRange(values.lower - values.size() * labelRoom,
                    values.upper + values.size() * labelRoom);
    note_->setVisible(months > 0 && span.empty());

    const CashTurn& turn = flow.turn;
    mark(breakEven_, breakEvenLabel_, turn.breakEvenMonth,
         QStringLiteral("Break-even ") +
             monthText(static_cast<double>(turn.breakEvenMonth.value_or(0))),
         true);
    const bool needed = turn.cashNeeded > 0 && turn.cashNeededMonth;
    mark(lowest_, lowestLabel_, needed ? turn.cashNeededMonth : std::nullopt,
         QStringLiteral("Cash needed %1 (%2)")
             .arg(money(turn.cashNeeded),
                  monthText(static_cast<double>(turn.cashNeededMonth.value_or(0)))),
         false);

    QStringList said{QStringLiteral("Cumulative net by month")};
    if (needed) {
        said << lowestLabel_->text();
    }
    said << (turn.breakEvenMonth ? breakEvenLabel_->text()
                                 : QStringLiteral("no break-even within the months projected"));
    setAccessibleDescription(said.join(QStringLiteral("; ")));
    replot(rpQueuedReplot);
}

void CashChart::mark(QCPGraph* point, QCPItemText* label, std::optional<std::int64_t> month,
                     const QString& text, bool above) {
    const bool shown =
        month && std::isfinite(flow_.cumulativeNet[static_cast<std::size_t>(*month)]);
    label->setVisible(shown);
    if (!shown) {
        point->data()->clear();
        return;
    }
    const auto key = static_cast<double>(*month);
    const double drawn = scale_.toDrawn(flow_.cumulativeNet[static_cast<std::size_t>(*month)]);
    point->setData({key}, {drawn}, true);
    label->setText(text);
    label->position->setCoords(key, drawn);
    // Clear of the curve: the break-even label up and to the left, over the
    // months still below zero (right and down when it comes early), the
    // lowest point's label below it, kept within the plot near its ends.
    const double share = key / std::max(1.0, static_cast<double>(flow_.cumulativeNet.size() - 1));
    Qt::Alignment alignment;
    if (above) {
        alignment =
            share >= 0.25 ? (Qt::AlignRight | Qt::AlignBottom) : (Qt::AlignLeft | Qt::AlignTop);
    } else {
        alignment = Qt::AlignTop | (share < 0.2   ? Qt::AlignLeft
                                    : share > 0.8 ? Qt::AlignRight
                                                  : Qt::AlignHCenter);
    }
    label->setPositionAlignment(alignment);
}

QString CashChart::toolTipAt(const QPointF& pixel) const {
    const std::size_t months = flow_.cumulativeNet.size();
    if (months == 0 || !axisRect()->rect().contains(pixel.toPoint())) {
        return {};
    }
    const double pointer = xAxis->pixelToCoord(pixel.x());
    if (std::isnan(pointer)) {
        return {};
    }
    const auto month = static_cast<std::size_t>(
        std::clamp(std::round(pointer), 0.0, static_cast<double>(months - 1)));
    const double spent = static_cast<double>(month + 1) * flow_.monthlySpend;
    return QStringLiteral("%1\nCumulative proceeds: %2\nSpend to date: %3\nCumulative net: %4")
        .arg(monthText(static_cast<double>(month)), money(flow_.cumulativeProceeds[month]),
             money(spent), money(flow_.cumulativeNet[month]));
}

}  // namespace velmora
