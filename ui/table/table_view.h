#pragma once

#include <array>
#include <limits>
#include <memory>
#include <optional>

#include <QStringList>
#include <QWidget>

#include "engine/projection/plan.h"
#include "format/number_format.h"

class QLabel;
class QTableView;

namespace velmora {

struct Spread;
struct SubscriptionCalculation;
class ElidedLabel;
class FittedTable;
class ProjectionTableModel;

/// One projection as figures: four summary lines about its last month above a
/// table of every month. Selected rows copy to the clipboard as tab-separated
/// text. Taking the focus, the table marks the first row in view, and the
/// arrow keys go on from there.
///
/// Columns and summary figures grow with their texts up to a cap; a text
/// beyond it is shortened with "…" and told whole in a tooltip, so that no
/// figure is ever shown cut without a sign and no figure widens the window.
class TableView final : public QWidget {
    Q_OBJECT

public:
    /// How the table takes its width: as wide as its columns (`Fit`), or the
    /// width of its place, the figure columns sharing what is left (`Fill`).
    /// Given less than its columns need, it scrolls sideways.
    enum class Width { Fit, Fill };

    explicit TableView(QWidget* parent = nullptr, Width width = Width::Fit);

    /// Shows `projection` (nothing but the table header when it is null or has
    /// no month) at `price`, M0 in calendar month `start` when given. Showing
    /// the same projection at the same price and start again does nothing.
    void setProjection(std::shared_ptr<const SubscriptionCalculation> projection, double price,
                       const std::optional<CalendarMonth>& start = std::nullopt);

    /// Writes under each summary figure its range over `spread` ("P10 13,900
    /// – P90 17,300"); none hides the ranges.
    void setSpread(std::shared_ptr<const Spread> spread);
    /// The ranges under the four summary figures; empty while none is shown.
    [[nodiscard]] QStringList spreadTexts() const;

    [[nodiscard]] QTableView* table() const;
    [[nodiscard]] ProjectionTableModel* model() const { return model_; }
    /// The four summary figures, whole; empty while the summary is hidden.
    [[nodiscard]] QStringList summaryTexts() const;
    /// The label of summary figure `line` (0 to 3).
    [[nodiscard]] const ElidedLabel* summaryValue(int line) const;
    /// The widest a column grows for its figures, in pixels.
    [[nodiscard]] int columnCap() const { return columnCap_; }

    /// Copies the selected rows, with the header line, to the clipboard.
    void copySelection() const;

    /// The least height of the summary and the table together; the table
    /// keeps four months in view even where that asks for more.
    void setLeastHeight(int pixels);
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int summaryLines = 4;

    void applyFonts();
    void fitColumns();
    void spreadColumns();
    void markRowInView();
    [[nodiscard]] bool isCut(int column, const QString& text) const;

    std::weak_ptr<const SubscriptionCalculation> shown_;
    double price_ = std::numeric_limits<double>::quiet_NaN();
    std::optional<CalendarMonth> start_;
    std::array<NumberFormatter, summaryLines> formatters_;
    QWidget* summary_;
    std::array<ElidedLabel*, summaryLines> values_{};
    std::array<QLabel*, summaryLines> captions_{};
    std::array<ElidedLabel*, summaryLines> spreadLows_{};   // "P10 13,669 –"
    std::array<ElidedLabel*, summaryLines> spreadHighs_{};  // " P90 17,122"
    std::shared_ptr<const Spread> spread_;
    ProjectionTableModel* model_;
    FittedTable* table_;
    Width width_;
    std::array<int, 5> columnWidths_{};  ///< what each column's texts ask for, capped
    int columnCap_ = 0;
    int cellMargin_ = 0;
    int leastHeight_ = 0;
};

}  // namespace velmora
