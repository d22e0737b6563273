#include "ui/charts/chart_style.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <qcustomplot.h>
#include <QMouseEvent>
#include <QToolTip>

#include "format/number_format.h"
#include "ui/charts/plan_marks.h"

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

void setTicksAt(QCPAxis* axis, const std::vector<double>& values,
                const std::optional<CalendarMonth>& start) {
    const NumberFormatter labels(NumberFormatter::Style::Decimal, 0);
    auto ticker = QSharedPointer<QCPAxisTickerText>::create();
    // Every value keeps its mark and grid line, but long lists (600 months
    // has 50 marks) label only every n-th, so that labels never run together.
    constexpr std::size_t mostLabels = 25;
    const std::size_t every =
        std::max<std::size_t>(1, (values.size() + mostLabels - 1) / mostLabels);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i % every != 0) {
            ticker->addTick(values[i], QString());
            continue;
        }
        // Calendar months on the years' marks only, where they have room.
        const QString calendar =
            std::fmod(values[i], 12) == 0 ? calendarName(start, values[i]) : QString();
        ticker->addTick(values[i], calendar.isEmpty()
                                       ? labels.format(values[i])
                                       : labels.format(values[i]) + QLatin1Char('\n') + calendar);
    }
    ticker->setSubTickCount(0);
    axis->setTicker(ticker);
}

void showToolTip(QCustomPlot* plot, const QMouseEvent* event, const QString& tip) {
    if (tip.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(event->globalPosition().toPoint(), tip, plot);
    }
}

int leastChartHeight(const QWidget& widget) {
    constexpr double leastPoints = 200;
    constexpr double pointsPerInch = 72;
    return static_cast<int>(std::ceil(leastPoints * widget.logicalDpiY() / pointsPerInch));
}

void applyChartStyle(QCustomPlot* plot, const QString& accessibleName) {
    plot->setAccessibleName(accessibleName);
    plot->setFocusPolicy(Qt::StrongFocus);
    plot->setMinimumHeight(leastChartHeight(*plot));
    plot->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    plot->setMouseTracking(true);
    plot->xAxis->grid()->setVisible(true);
    plot->yAxis->grid()->setVisible(true);
}

}  // namespace velmora
