#pragma once

#include <array>
#include <limits>
#include <memory>

#include <QStringList>
#include <QWidget>

#include "ui/common/number_format.h"

class QLabel;
class QTableView;

namespace velmora {

struct SubscriptionCalculation;
class ProjectionTableModel;

/// One projection as figures: four summary lines about its last month above a
/// table of every month. Selected rows copy to the clipboard as tab-separated
/// text.
class TableView final : public QWidget {
    Q_OBJECT

public:
    explicit TableView(QWidget* parent = nullptr);

    /// Shows `projection` (nothing but the table header when it is null or has
    /// no month) at `price`. Showing the same projection at the same price
    /// again does nothing.
    void setProjection(std::shared_ptr<const SubscriptionCalculation> projection, double price);

    [[nodiscard]] QTableView* table() const { return table_; }
    [[nodiscard]] ProjectionTableModel* model() const { return model_; }
    /// The four summary figures as shown; empty while the summary is hidden.
    [[nodiscard]] QStringList summaryTexts() const;

    /// Copies the selected rows, with the header line, to the clipboard.
    void copySelection() const;

protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int summaryLines = 4;

    void applyFonts();
    void fitColumns();

    std::weak_ptr<const SubscriptionCalculation> shown_;
    double price_ = std::numeric_limits<double>::quiet_NaN();
    std::array<NumberFormatter, summaryLines> formatters_;
    QWidget* summary_;
    std::array<QLabel*, summaryLines> values_{};
    std::array<QLabel*, summaryLines> captions_{};
    ProjectionTableModel* model_;
    QTableView* table_;
};

}  // namespace velmora
