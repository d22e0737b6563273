#include "ui/charts/chart_style.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <qcustomplot.h>
#include <QMouseEvent>
#include <QToolTip>

#include "ui/common/number_format.h"

namespace velmora {

namespace {

// Tableau's ten categorical colours: distinct from each other on light and dark
// grounds, so neighbouring cohorts stay apart.
const std::array<QColor, cohortPaletteSize> palette{
    QColor(0x4E, 0x79, 0xA7), QColor(0xF2, 0x8E, 0x2B), QColor(0xE1, 0x57, 0x59),
    QColor(0x76, 0xB7, 0xB2), QColor(0x59, 0xA1, 0x4F), QColor(0xED, 0xC9, 0x48),
    QColor(0xB0, 0x7A, 0xA1), QColor(0xFF, 0x9D, 0xA7), QColor(0x9C, 0x75, 0x5F),
    QColor(0xBA, 0xB0, 0xAC),
};

/// Automatic ticks labelled through the figure formatter rather than Qt's "C"
/// locale default, so the axis reads like the table.
class FormattedTicker final : public QCPAxisTicker {
public:
    explicit FormattedTicker(NumberFormatter::Style style) : style_(style) {}

protected:
    QVector<QString> createLabelVector(const QVector<double>& ticks, const QLocale&, QChar,
                                       int) override {
        // Enough digits to tell neighbouring ticks apart, none for whole steps.
        int digits = 0;
        if (ticks.size() > 1) {
            const double step = std::abs(ticks[1] - ticks[0]);
            if (step > 0 && step < 1) {
                digits = std::min(6, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
            }
        }
        // Money reads in whole cents or not at all.
        if (style_ == NumberFormatter::Style::Currency && digits > 0) {
            digits = std::max(digits, 2);
        }
        const NumberFormatter formatter(style_, digits);
        QVector<QString> labels;
        labels.reserve(ticks.size());
        for (const double tick : ticks) {
            labels.append(formatter.format(tick));
        }
        return labels;
    }

private:
    NumberFormatter::Style style_;
};

const std::array<QColor, 3> series{QColor(0x00, 0x7A, 0xFF), QColor(0x34, 0xC7, 0x59),
                                   QColor(0xFF, 0x3B, 0x30)};

}  // namespace

std::span<const QColor, cohortPaletteSize> cohortPalette() {
    return palette;
}

const QColor& cohortColour(int index) {
    const auto size = static_cast<int>(palette.size());
    return palette[static_cast<std::size_t>(((index % size) + size) % size)];
}

QColor seriesColour(int index) {
    const auto size = static_cast<int>(series.size());
    return series[static_cast<std::size_t>(((index % size) + size) % size)];
}

QString seriesName(int index) {
    switch (index) {
        case 0:
            return QStringLiteral("Baseline");
        case 1:
            return QStringLiteral("Alternate 1");
        case 2:
            return QStringLiteral("Alternate 2");
        default:
            return {};
    }
}

void setTicksAt(QCPAxis* axis, const std::vector<double>& values) {
    const NumberFormatter labels(NumberFormatter::Style::Decimal, 0);
    auto ticker = QSharedPointer<QCPAxisTickerText>::create();
    // Every value keeps its mark and grid line, but long lists (600 months
    // has 50 marks) label only every n-th, so that labels never run together.
    constexpr std::size_t mostLabels = 25;
    const std::size_t every =
        std::max<std::size_t>(1, (values.size() + mostLabels - 1) / mostLabels);
    for (std::size_t i = 0; i < values.size(); ++i) {
        ticker->addTick(values[i], i % every == 0 ? labels.format(values[i]) : QString());
    }
    ticker->setSubTickCount(0);
    axis->setTicker(ticker);
}

void setValueLabels(QCPAxis* axis, NumberFormatter::Style style) {
    axis->setTicker(QSharedPointer<FormattedTicker>::create(style));
}

void showToolTip(QCustomPlot* plot, const QMouseEvent* event, const QString& tip) {
    if (tip.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(event->globalPosition().toPoint(), tip, plot);
    }
}

void applyChartStyle(QCustomPlot* plot, const QString& accessibleName) {
    plot->setAccessibleName(accessibleName);
    plot->setFocusPolicy(Qt::StrongFocus);
    plot->setMinimumHeight(200);
    plot->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    plot->setMouseTracking(true);
    plot->xAxis->grid()->setVisible(true);
    plot->yAxis->grid()->setVisible(true);
}

}  // namespace velmora
