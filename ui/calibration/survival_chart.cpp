#include "ui/calibration/survival_chart.h"

#include <cmath>
#include <limits>

#include "format/number_format.h"
#include "ui/charts/chart_style.h"

namespace velmora {

namespace {

constexpr double gap = std::numeric_limits<double>::quiet_NaN();

QPen pen(const QColor& colour, double width, Qt::PenStyle style = Qt::SolidLine) {
    QPen result(colour, width, style);
    result.setCapStyle(Qt::FlatCap);
    return result;
}

void setCurve(QCPGraph* graph, const std::vector<double>& survival, std::size_t first = 0) {
    QVector<double> keys;
    QVector<double> values;
    for (std::size_t k = first; k < survival.size(); ++k) {
        keys << static_cast<double>(k);
        values << 100 * survival[k];
    }
    graph->setData(keys, values, true);
}

QString percent(double share) {
    return NumberFormatter(NumberFormatter::Style::Decimal, 1).format(100 * share) +
           QStringLiteral("%");
}

}  // namespace

SurvivalChart::SurvivalChart(QWidget* parent)
    : QCustomPlot(parent),
      cohorts_(new QCPCurve(xAxis, yAxis)),
      pooled_(addGraph()),
      projection_(addGraph()),
      constant_(addGraph()),
      model_(addGraph()),
      backtest_(addGraph()),
      heldOut_(new QCPItemRect(this)),
      heldOutLabel_(new QCPItemText(this)) {
    applyChartStyle(this, tr("Survival of the cohorts"));
    setAccessibleDescription(
        tr("The share of each cohort still paying after each renewal, the pooled share, the "
           "projections from the fitted values with the fitted curve of later rates and with one "
           "constant later rate, and the model"));
    xAxis->setLabel(tr("Renewal"));
    yAxis->setLabel(tr("Still paying (%)"));
    yAxis->setRange(0, 100);

    cohorts_->setName(tr("Cohorts"));
    cohorts_->setPen(pen(QColor(0x9E, 0x9E, 0x9E, 110), 1));
    pooled_->setName(tr("Pooled"));
    pooled_->setLineStyle(QCPGraph::lsNone);
    pooled_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, QColor(0x1B, 0x1B, 0x1B), 6));
    projection_->setName(tr("Projection, fitted curve"));
    projection_->setPen(pen(seriesColour(0), 2.5));
    constant_->setName(tr("Projection, one constant rate"));
    constant_->setPen(pen(QColor(0x8E, 0x44, 0xAD), 1.8));
    model_->setName(tr("sBG model"));
    model_->setPen(pen(QColor(0x59, 0xA1, 0x4F), 1.8, Qt::DashLine));
    backtest_->setName(tr("Backtest forecast"));
    backtest_->setPen(pen(QColor(0xF2, 0x8E, 0x2B), 2.2, Qt::DotLine));

    heldOut_->setPen(Qt::NoPen);
    heldOut_->setBrush(QColor(0xF2, 0x8E, 0x2B, 38));
    heldOut_->setLayer(QStringLiteral("background"));
    heldOut_->topLeft->setTypeY(QCPItemPosition::ptAxisRectRatio);
    heldOut_->bottomRight->setTypeY(QCPItemPosition::ptAxisRectRatio);
    heldOutLabel_->setText(tr("Held out"));
    heldOutLabel_->setColor(QColor(0xB3, 0x5F, 0x0E));
    heldOutLabel_->setPositionAlignment(Qt::AlignTop | Qt::AlignHCenter);
    heldOutLabel_->position->setTypeY(QCPItemPosition::ptAxisRectRatio);

    // The legend goes in a row of its own above the plot, where no curve runs.
    axisRect()->insetLayout()->take(legend);
    plotLayout()->insertRow(0);
    plotLayout()->addElement(0, 0, legend);
    plotLayout()->setRowStretchFactor(0, 0.001);
    legend->setVisible(true);
    legend->setWrap(3);  // two rows, which fit the narrowest window
    legend->setFillOrder(QCPLegend::foColumnsFirst);
    legend->setBorderPen(Qt::NoPen);
    legend->setBrush(Qt::NoBrush);
    display(nullptr, nullptr);
}

void SurvivalChart::display(const SharedTable& table, const Calibration* fitted) {
    QVector<double> t;
    QVector<double> keys;
    QVector<double> values;
    std::size_t longest = 0;
    if (table) {
        const auto& cohorts = table->table.cohorts;
        longest = table->table.longestRow();
        const std::size_t step = cohorts.size() / drawnCohorts + 1;
        for (std::size_t i = 0; i < cohorts.size(); i += step) {
            const CohortRow& row = cohorts[i];
            if (row.counts.empty() || !(row.counts[0] > 0)) {
                continue;
            }
            for (std::size_t k = 0; k < row.counts.size(); ++k) {
                t << static_cast<double>(t.size());
                keys << static_cast<double>(k);
                values << 100 * row.counts[k] / row.counts[0];
            }
            t << static_cast<double>(t.size());
            keys << gap;
            values << gap;
        }
    }
    cohorts_->setData(t, keys, values, true);
    const std::size_t last = fitted != nullptr ? std::max(longest, fitted->horizon) : longest;
    if (fitted != nullptr) {
        std::vector<double> pooled{1.0};
        for (const double rate : fitted->pooled) {
            pooled.push_back(std::isfinite(rate) ? pooled.back() * rate : gap);
        }
        setCurve(pooled_, pooled);
        setCurve(projection_, survivalCurve(fitted->curve, last));
        setCurve(constant_, survivalCurve(fitted->rates, last));
        setCurve(model_, survivalCurve(fitted->model, last));
    } else {
        for (QCPGraph* graph : {pooled_, projection_, constant_, model_}) {
            graph->data()->clear();
        }
    }
    const Backtest* backtest = fitted != nullptr && fitted->backtest ? &*fitted->backtest : nullptr;
    heldOut_->setVisible(backtest != nullptr);
    heldOutLabel_->setVisible(backtest != nullptr);
    if (backtest != nullptr) {
        const auto from = static_cast<double>(backtest->fittedRenewals);
        heldOut_->topLeft->setCoords(from, 0);
        heldOut_->bottomRight->setCoords(static_cast<double>(longest), 1);
        heldOutLabel_->position->setCoords((from + static_cast<double>(longest)) / 2, 0.02);
        const FittedRates& forecast =
            fitted->recommended == LaterChoice::Curve ? backtest->curve : backtest->rates;
        setCurve(backtest_, survivalCurve(forecast, longest), backtest->fittedRenewals);
        backtest_->addToLegend();
    } else {
        backtest_->data()->clear();
        backtest_->removeFromLegend();
    }
    xAxis->setRange(0, std::max<double>(static_cast<double>(last), 1));
    replot(QCustomPlot::rpQueuedReplot);
}

QString SurvivalChart::toolTipAt(const QPointF& pixel) const {
    if (!axisRect()->rect().contains(pixel.toPoint()) || projection_->data()->isEmpty()) {
        return {};
    }
    const double renewal = std::round(xAxis->pixelToCoord(pixel.x()));
    QStringList lines{tr("Renewal %1").arg(renewal)};
    const auto add = [&](const QCPGraph* graph, const QString& name) {
        const auto found = graph->data()->findBegin(renewal, false);
        if (found != graph->data()->constEnd() && found->key == renewal &&
            std::isfinite(found->value)) {
            lines << tr("%1: %2").arg(name, percent(found->value / 100));
        }
    };
    add(pooled_, tr("Pooled"));
    add(projection_, tr("Projection, fitted curve"));
    add(constant_, tr("Projection, one constant rate"));
    add(model_, tr("Model"));
    add(backtest_, tr("Backtest forecast"));
    return lines.size() > 1 ? lines.join(QLatin1Char('\n')) : QString();
}

void SurvivalChart::mouseMoveEvent(QMouseEvent* event) {
    QCustomPlot::mouseMoveEvent(event);
    showToolTip(this, event, toolTipAt(event->position()));
}

}  // namespace velmora
