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

QCPGraph* makeMark(QCustomPlot* plot, const QColor& colour) {
    QCPGraph* mark = plot->addGraph();
    mark->setLineStyle(QCPGraph::lsNone);
    mark->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssCircle, colour.darker(120), colour, 9));
    return mark;
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
      lowest_(makeMark(this, lowestColour)),
      breakEven_(makeMark(this, breakEvenColour)),
      note_(addNothingDrawnNote(this)),
      marks_(this) {
    applyChartStyle(this, QStringLiteral("Cash curve"));
    line_->setName(QStringLiteral("Cumulative net"));
    line_->setPen(QPen(lineColour, 2));
    line_->removeFromLegend();
    xAxis->setLabel(QStringLiteral("Month"));
    yAxis->setLabel(QStringLiteral("Cumulative net"));
    setValueLabels(yAxis, NumberFormatter::Style::Currency);
    yAxis->grid()->setZeroLinePen(QPen(palette().color(QPalette::WindowText), 1));

    // The marks' names in a row of their own above the plot, where they cover no curve.
    plotLayout()->insertRow(0);
    plotLayout()->addElement(0, 0, legend);
    plotLayout()->setRowStretchFactor(0, 0.001);
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend->setBorderPen(Qt::NoPen);
    legend->setBrush(Qt::NoBrush);
    legend->setVisible(true);

    connect(this, &QCustomPlot::mouseMove, this,
            [this](QMouseEvent* event) { showToolTip(this, event, toolTipAt(event->position())); });
    setCashFlow({});
}

void CashChart::setCashFlow(const CashFlow& flow, const std::optional<Plan>& plan) {
    flow_ = flow;
    start_ = plan ? plan->startMonth : std::nullopt;
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
    setTicksAt(xAxis, monthMarks(months), start_);
    marks_.setMarks(planMarks(plan, static_cast<std::int64_t>(months)));
    const double pad = std::max(0.5, static_cast<double>(months) * 0.02);
    xAxis->setRange(-pad, static_cast<double>(std::max<std::size_t>(months, 2) - 1) + pad);
    fitValueAxis(yAxis, months == 0 ? FiniteSpan{.low = 0, .high = 0} : span, scale_);
    note_->setVisible(months > 0 && span.empty());

    const CashTurn& turn = flow.turn;
    const bool needed = turn.cashNeeded > 0 && turn.cashNeededMonth;
    mark(lowest_, needed ? turn.cashNeededMonth : std::nullopt,
         QStringLiteral("Cash needed %1 (%2)")
             .arg(money(turn.cashNeeded),
                  monthText(static_cast<double>(turn.cashNeededMonth.value_or(0)))));
    mark(breakEven_, turn.breakEvenMonth,
         QStringLiteral("Break-even ") +
             monthText(static_cast<double>(turn.breakEvenMonth.value_or(0))));
    legend->setVisible(legend->itemCount() > 0);

    QStringList said{QStringLiteral("Cumulative net by month")};
    if (needed) {
        said << lowest_->name();
    }
    said << (turn.breakEvenMonth ? breakEven_->name()
                                 : QStringLiteral("no break-even within the months projected"));
    setAccessibleDescription(said.join(QStringLiteral("; ")));
    replot(rpQueuedReplot);
}

void CashChart::mark(QCPGraph* point, std::optional<std::int64_t> month, const QString& name) {
    const bool shown =
        month && std::isfinite(flow_.cumulativeNet[static_cast<std::size_t>(*month)]);
    point->setName(name);
    if (!shown) {
        point->data()->clear();
        point->removeFromLegend();
        return;
    }
    const auto key = static_cast<double>(*month);
    point->setData({key}, {scale_.toDrawn(flow_.cumulativeNet[static_cast<std::size_t>(*month)])},
                   true);
    point->addToLegend();
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
    // Each month its own spend under a plan; the same every month without one.
    double spent = static_cast<double>(month + 1) * flow_.monthlySpend;
    if (std::any_of(flow_.spend.begin(), flow_.spend.end(),
                    [this](double each) { return each != flow_.monthlySpend; })) {
        spent = 0;
        for (std::size_t m = 0; m <= month && m < flow_.spend.size(); ++m) {
            spent += flow_.spend[m];
        }
    }
    const auto whole = static_cast<double>(month);
    const QString calendar = calendarName(start_, whole);
    return marks_.withTextAt(
        QStringLiteral("%1\nCumulative proceeds: %2\nSpend to date: %3\nCumulative net: %4")
            .arg(monthText(whole) +
                     (calendar.isEmpty() ? QString() : QStringLiteral(" · ") + calendar),
                 money(flow_.cumulativeProceeds[month]), money(spent),
                 money(flow_.cumulativeNet[month])),
        whole);
}

}  // namespace velmora
