#pragma once

#include <QAbstractTableModel>

#include "ui/calibration/imported_table.h"

namespace velmora {

/// A cohort table as read, for a table view: a row per cohort headed by its
/// label, a column per renewal (0 the first payment), then the trials and
/// days when the table gives them. Each count is shaded by the share of its
/// cohort still paying, a heat map of the retention; the renewals a backtest
/// hides are headed in italics.
class CohortTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit CohortTableModel(QObject* parent = nullptr);

    /// Shows `table` (null: none), the renewals after `fitted` held out.
    void setTable(SharedTable table, std::size_t fitted);
    /// Marks the renewals after `fitted` as held out.
    void setFitted(std::size_t fitted);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

    /// The shade of a cell whose cohort keeps `share` of its first payment.
    [[nodiscard]] static QColor shade(double share);

private:
    SharedTable table_;
    int renewalColumns_ = 0;
    std::size_t fitted_ = 0;
};

}  // namespace velmora
