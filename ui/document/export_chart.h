#pragma once

#include <optional>

#include <QImage>
#include <QString>

#include "ui/document/chart_caption.h"

class QCustomPlot;

namespace velmora {

class ContentView;

/// How many image pixels a PNG export draws per pixel of the chart on screen,
/// so that it prints crisply.
inline constexpr double chartExportScale = 2.0;

/// The file dialog's choices for charts, PNG first.
[[nodiscard]] QString chartFileFilter();

/// The chart of the page shown in `content`: the line or the bars of Basic
/// Analysis, the comparison, the tornado of Insights, or the survival chart
/// of Calibration.
[[nodiscard]] QCustomPlot* visibleChart(const ContentView& content);

/// The chart drawn as an image of its size on screen times `scale`, its
/// resolution set so that it prints at the size shown. Null when the chart
/// has no area.
[[nodiscard]] QImage chartImage(QCustomPlot& chart, double scale);

/// The chart with `caption` above it, as `chartImage` draws the chart.
[[nodiscard]] QImage captionedImage(QCustomPlot& chart, const ChartCaption& caption, double scale);

/// Writes the chart with `caption` above it in the format its file name
/// extension names: ".png" (an image at `chartExportScale` times the size
/// shown), ".pdf" or ".svg" (vector drawings of the size shown, text at the
/// size it has on screen against the lines). Refuses any other extension.
/// Returns the problem naming the file, or nothing on success.
[[nodiscard]] std::optional<QString> exportChart(QCustomPlot& chart, const ChartCaption& caption,
                                                 const QString& path);

/// Puts the chart on the clipboard as an image at the screen's resolution.
void copyChart(QCustomPlot& chart);

}  // namespace velmora
