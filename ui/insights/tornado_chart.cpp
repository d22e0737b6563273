#include "ui/insights/tornado_chart.h"

#include <algorithm>
#include <cmath>

#include <QKeyEvent>

#include "format/signed_figure.h"
#include "ui/charts/chart_style.h"
#include "ui/insights/insight_texts.h"

namespace velmora {

namespace {

/// The two bars of a row sit above and below its middle, so that neither
/// hides the other when both go the same way.
constexpr double barOffset = 0.19;
constexpr double barWidth = 0.36;
constexpr int labelPadding = 4;

// Orange and blue: told apart by people who see few colours, and by lightness
// in grey; the labels and the bars' places tell them apart without colour.
const QColor downColour(0xF2, 0x8E, 0x2B);
const QColor upColour(0x4E, 0x79, 0xA7);

/// Labels the change axis with signed figures in the metric's format,
/// "-$5,000", "$0", "+$5,000", with the digits a fine step needs.
class ChangeTicker final : public QCPAxisTicker {
public:
    ChangeTicker(Metric metric, const ValueScale& scale) : metric_(metric), scale_(scale) {}

protected:
    QVector<QString> createLabelVector(const QVector<double>& drawn, const QLocale&, QChar,
                                       int) override {
        QVector<double> ticks;
        ticks.reserve(drawn.size());
        for (const double tick : drawn) {
            ticks.append(scale_.toFigure(tick));
        }
        const NumberFormatter figures = metricFormatter(metric_);
        int digits = figures.maximumFractionDigits();
        const double step = ticks.size() > 1 ? std::abs(ticks[1] - ticks[0]) : 1;
        if (step > 0 && step < 1) {
            digits = std::max(digits, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
        }
        if (figures.style() == NumberFormatter::Style::Currency && digits > 0) {
            digits = std::max(digits, 2);  // money reads in whole cents
        }
        const NumberFormatter labels(figures.style(), std::min(digits, 6));
        QVector<QString> texts;
        texts.reserve(ticks.size());
        for (const double tick : ticks) {
            texts.append(std::abs(tick) < step * 1e-9 ? labels.format(0)
                                                      : signedFigure(labels, tick));
        }
        return texts;
    }

private:
    Metric metric_;
    ValueScale scale_;
};

QCPBars* makeBars(QCustomPlot* plot, const QColor& colour, const QString& name) {
    auto* bars = new QCPBars(plot->yAxis, plot->xAxis);
    bars->setName(name);
    bars->setWidth(barWidth);
    bars->setBrush(colour);
    bars->setPen(QPen(colour.darker(130), 1));
    return bars;
}

}  // namespace

TornadoChart::TornadoChart(QWidget* parent)
    : QCustomPlot(parent),
      down_(makeBars(this, downColour, QStringLiteral("Input, or a share's churn, at 90%"))),
      up_(makeBars(this, upColour, QStringLiteral("Input, or a share's churn, at 110%"))),
      highlight_(new QCPItemRect(this)) {
    applyChartStyle(this, QStringLiteral("Sensitivity chart"));
    setMinimumWidth(320);
    yAxis->setRangeReversed(true);
    yAxis->grid()->setVisible(false);
    yAxis->setTicker(QSharedPointer<QCPAxisTickerText>::create());
    xAxis->grid()->setZeroLinePen(QPen(palette().color(QPalette::WindowText), 1));

    // The legend in a row of its own above the bars, where it covers none.
    plotLayout()->insertRow(0);
    plotLayout()->addElement(0, 0, legend);
    plotLayout()->setRowStretchFactor(0, 0.001);
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend->setBorderPen(Qt::NoPen);
    legend->setVisible(true);

    highlight_->setLayer(QStringLiteral("grid"));
    for (QCPItemPosition* corner : {highlight_->topLeft, highlight_->bottomRight}) {
        corner->setTypeX(QCPItemPosition::ptAxisRectRatio);
        corner->setTypeY(QCPItemPosition::ptPlotCoords);
        corner->setAxes(xAxis, yAxis);
        corner->setAxisRect(axisRect());
    }
    highlight_->setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DashLine));
    highlight_->setBrush(QColor(0, 0, 0, 18));
    highlight_->setVisible(false);

    connect(this, &QCustomPlot::afterLayout, this, &TornadoChart::fitValueRange);
    connect(this, &QCustomPlot::mouseMove, this,
            [this](QMouseEvent* event) { showToolTip(this, event, toolTipAt(event->position())); });
    setSensitivity(std::nullopt);
}

void TornadoChart::setSensitivity(const std::optional<Sensitivity>& sensitivity) {
    shown_ = sensitivity;
    for (QCPItemText* label : labels_) {
        removeItem(label);
    }
    labels_.clear();
    const int rows = rowCount();
    QVector<double> downKeys, downChanges, upKeys, upChanges;
    auto ticker = QSharedPointer<QCPAxisTickerText>::create();
    QStringList summaries;
    FiniteSpan span;
    for (int row = 0; row < rows; ++row) {
        span.add(bar(row).down);
        span.add(bar(row).up);
    }
    scale_ = ValueScale::forLargest(span.largest());
    for (int row = 0; row < rows; ++row) {
        const SensitivityBar& moved = bar(row);
        const auto key = static_cast<double>(row);
        ticker->addTick(key, inputTitle(moved.input));
        // A change to or from "never" has no length: its label tells it.
        const auto drawn = [this](double change) {
            return std::isfinite(change) ? scale_.toDrawn(change) : qQNaN();
        };
        downKeys << key - barOffset;
        downChanges << drawn(moved.down);
        upKeys << key + barOffset;
        upChanges << drawn(moved.up);
        addLabel(key - barOffset, moved.down, barLabel(row, false));
        addLabel(key + barOffset, moved.up, barLabel(row, true));
        summaries << rowSummary(row);
    }
    down_->setData(downKeys, downChanges, true);
    up_->setData(upKeys, upChanges, true);
    yAxis->setTicker(ticker);
    yAxis->setRange(-0.6, std::max(rows, 1) - 0.4);
    xAxis->setTicker(QSharedPointer<ChangeTicker>::create(
        shown_ ? shown_->metric : Metric::Subscribers, scale_));
    setAccessibleDescription(rows == 0 ? QStringLiteral("No inputs to compare")
                                       : QStringLiteral("Largest effect first. ") +
                                             summaries.join(QStringLiteral("; ")));
    if (current_ >= rows) {
        setCurrentRow(rows - 1);
    }
    placeHighlight();
    replot(rpQueuedReplot);
}

int TornadoChart::rowCount() const {
    return shown_ ? static_cast<int>(shown_->bars.size()) : 0;
}

const SensitivityBar& TornadoChart::bar(int row) const {
    return shown_->bars.at(static_cast<std::size_t>(row));
}

QString TornadoChart::barLabel(int row, bool up) const {
    const SensitivityBar& moved = bar(row);
    const double delta = up ? moved.up : moved.down;
    const Metric metric = shown_->metric;
    // A deadline missed, or newly met, is told by the figure it gives.
    const QString change = std::isfinite(delta) || !isDeadline(metric)
                               ? signedFigure(metricFormatter(metric), delta)
                               : metricPhrase(metric, shown_->base + delta);
    if (up ? moved.upCapped : moved.downCapped) {
        return QStringLiteral("%1 at %2 (capped)")
            .arg(change, formFormatter().format(up ? moved.upValue : moved.downValue));
    }
    const QString share = up ? QStringLiteral("110%") : QStringLiteral("90%");
    return moved.churn ? QStringLiteral("%1 at %2 churn").arg(change, share)
                       : QStringLiteral("%1 at %2").arg(change, share);
}

QString TornadoChart::rowSummary(int row) const {
    return QStringLiteral("%1: %2, %3")
        .arg(inputTitle(bar(row).input), barLabel(row, false), barLabel(row, true));
}

QString TornadoChart::rowDetails(int row) const {
    const SensitivityBar& moved = bar(row);
    const Metric metric = shown_->metric;
    const NumberFormatter form = formFormatter();
    const NumberFormatter figure = metricFormatter(metric);
    const auto line = [&](double value, const QString& share, bool capped, double change) {
        const QString step = capped        ? QStringLiteral("capped")
                             : moved.churn ? QStringLiteral("churn at ") + share
                                           : share;
        return QStringLiteral("At %1 (%2): %3, %4")
            .arg(form.format(value), step, metricPhrase(metric, shown_->base + change),
                 signedFigure(figure, change));
    };
    return inputTitle(moved.input) + QLatin1Char('\n') +
           line(moved.downValue, QStringLiteral("90%"), moved.downCapped, moved.down) +
           QLatin1Char('\n') +
           line(moved.upValue, QStringLiteral("110%"), moved.upCapped, moved.up);
}

QString TornadoChart::toolTipAt(const QPointF& pixel) const {
    if (!axisRect()->rect().contains(pixel.toPoint())) {
        return {};
    }
    const double key = yAxis->pixelToCoord(pixel.y());
    const auto row = static_cast<int>(std::lround(key));
    if (std::isnan(key) || row < 0 || row >= rowCount()) {
        return {};
    }
    return rowDetails(row);
}

void TornadoChart::addLabel(double key, double change, const QString& text) {
    auto* label = new QCPItemText(this);
    label->position->setAxes(xAxis, yAxis);
    label->position->setCoords(std::isfinite(change) ? scale_.toDrawn(change) : 0, key);
    // Beyond the end of the bar, on the side it grows to.
    label->setPositionAlignment((change < 0 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    label->setPadding(QMargins(labelPadding, 0, labelPadding, 0));
    label->setFont(font());
    label->setColor(palette().color(QPalette::WindowText));
    label->setText(text);
    label->setClipToAxisRect(false);
    labels_.push_back(label);
}

// The value range leaves room beside the longest bars for their labels; it is
// set once the layout has given the plot its width, and drawn on the next pass.
void TornadoChart::fitValueRange() {
    const double width = axisRect()->width();
    if (width <= 0) {
        return;
    }
    double low = 0;
    double high = 0;
    for (const QCPBars* bars : {down_, up_}) {
        for (const QCPBarsData& data : *bars->data()) {
            if (std::isfinite(data.value)) {
                low = std::min(low, data.value);
                high = std::max(high, data.value);
            }
        }
    }
    if (low == high) {
        low = -1;  // nothing moves: an even range about zero
        high = 1;
    }
    const QFontMetrics metrics(font());
    double left = 0;
    double right = 0;
    for (const QCPItemText* label : labels_) {
        const double room = metrics.horizontalAdvance(label->text()) + 2.0 * labelPadding;
        double& side = (label->positionAlignment() & Qt::AlignRight) != 0 ? left : right;
        side = std::max(side, room);
    }
    const double labelShare = std::min(0.7, (left + right) / width);
    const double span = (high - low) / (1 - labelShare);
    const QCPRange wanted(low - left / width * span, high + right / width * span);
    const QCPRange now = xAxis->range();
    if (std::abs(now.lower - wanted.lower) + std::abs(now.upper - wanted.upper) > span * 1e-3) {
        xAxis->setRange(wanted);
        replot(rpQueuedReplot);
    }
}

void TornadoChart::setCurrentRow(int row) {
    if (row == current_) {
        return;
    }
    current_ = row;
    placeHighlight();
    replot(rpQueuedReplot);
    emit currentRowChanged(row);
}

void TornadoChart::placeHighlight() {
    const bool shown = hasFocus() && current_ >= 0 && current_ < rowCount();
    highlight_->setVisible(shown);
    if (shown) {
        highlight_->topLeft->setCoords(0, current_ - 0.46);
        highlight_->bottomRight->setCoords(1, current_ + 0.46);
    }
}

void TornadoChart::keyPressEvent(QKeyEvent* event) {
    const int last = rowCount() - 1;
    int row = current_;
    switch (event->key()) {
        case Qt::Key_Up:
            row = std::max(0, current_ - 1);
            break;
        case Qt::Key_Down:
            row = std::min(last, current_ + 1);
            break;
        case Qt::Key_Home:
            row = 0;
            break;
        case Qt::Key_End:
            row = last;
            break;
        default:
            QCustomPlot::keyPressEvent(event);
            return;
    }
    if (last >= 0) {
        setCurrentRow(row);
    }
    event->accept();
}

void TornadoChart::focusInEvent(QFocusEvent* event) {
    QCustomPlot::focusInEvent(event);
    if (current_ < 0 && rowCount() > 0) {
        setCurrentRow(0);
    }
    placeHighlight();
    replot(rpQueuedReplot);
}

void TornadoChart::focusOutEvent(QFocusEvent* event) {
    QCustomPlot::focusOutEvent(event);
    placeHighlight();
    replot(rpQueuedReplot);
}

}  // namespace velmora
