#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include <QColor>
#include <QString>

#include "engine/projection/plan.h"
#include "format/number_format.h"

class QCPAxis;
class QCustomPlot;
class QMouseEvent;
class QWidget;

namespace velmora {

inline constexpr std::size_t cohortPaletteSize = 10;
/// The categorical colours of the cohort bars; bar colours cycle through them.
[[nodiscard]] std::span<const QColor, cohortPaletteSize> cohortPalette();
/// The palette colour of colour index `index`, cycling through the palette.
[[nodiscard]] const QColor& cohortColour(int index);

/// The colour of a compared scenario: 0 the baseline (blue), 1 and 2 the
/// alternates (green, red); further indexes cycle.
[[nodiscard]] QColor seriesColour(int index);
/// "Baseline", "Alternate 1", "Alternate 2"; empty for any other index.
[[nodiscard]] QString seriesName(int index);

/// Puts the ticks, labels and grid lines of `axis` at exactly `values`,
/// labelled as whole numbers; given M0's calendar month `start`, every
/// twelfth month with its calendar month below ("12\nJan 2028").
void setTicksAt(QCPAxis* axis, const std::vector<double>& values,
                const std::optional<CalendarMonth>& start = std::nullopt);

/// Shows `tip` at the pointer of `event` over `plot`, or hides the tip when
/// `tip` is empty (nothing under the pointer).
void showToolTip(QCustomPlot* plot, const QMouseEvent* event, const QString& tip);

/// The least height of a chart on `widget`'s screen, in pixels: 200 points,
/// enough for a plot area that reads at every screen's density.
[[nodiscard]] int leastChartHeight(const QWidget& widget);

/// The look the charts share: minimum height, growing with the page, keyboard
/// focus and hover tracking.
void applyChartStyle(QCustomPlot* plot, const QString& accessibleName);

}  // namespace velmora
