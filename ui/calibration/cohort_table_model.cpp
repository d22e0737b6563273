#include "ui/calibration/cohort_table_model.h"

#include <algorithm>

#include <QColor>
#include <QFont>

#include "format/number_format.h"

namespace velmora {

namespace {

QString count(double value) {
    return NumberFormatter(NumberFormatter::Style::Decimal, 2).format(value);
}

QString percent(double share) {
    return NumberFormatter(NumberFormatter::Style::Decimal, 1).format(100 * share) +
           QStringLiteral("%");
}

}  // namespace

CohortTableModel::CohortTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void CohortTableModel::setTable(SharedTable table, std::size_t fitted) {
    beginResetModel();
    table_ = std::move(table);
    renewalColumns_ = table_ ? static_cast<int>(table_->table.longestRow()) + 1 : 0;
    fitted_ = fitted;
    endResetModel();
}

void CohortTableModel::setFitted(std::size_t fitted) {
    fitted_ = fitted;
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int CohortTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !table_ ? 0 : static_cast<int>(table_->table.cohorts.size());
}

int CohortTableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !table_) {
        return 0;
    }
    return renewalColumns_ + (table_->table.hasTrials() ? 1 : 0) +
           (table_->table.hasDays() ? 1 : 0);
}

QColor CohortTableModel::shade(double share) {
    // From white for a cohort all gone to a deep blue for one all there.
    const double s = std::clamp(share, 0.0, 1.0);
    const auto mix = [s](int white, int blue) {
        return static_cast<int>(white + s * (blue - white) + 0.5);
    };
    return {mix(255, 0x2F), mix(255, 0x6B), mix(255, 0xB3)};
}

QVariant CohortTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !table_) {
        return {};
    }
    const CohortRow& row = table_->table.cohorts[static_cast<std::size_t>(index.row())];
    const auto column = static_cast<std::size_t>(index.column());
    if (index.column() >= renewalColumns_) {
        const bool trialsColumn = index.column() == renewalColumns_ && table_->table.hasTrials();
        const std::optional<double>& value = trialsColumn ? row.trials : row.days;
        return role == Qt::DisplayRole && value ? QVariant(count(*value)) : QVariant();
    }
    if (column >= row.counts.size()) {
        return {};
    }
    const double cell = row.counts[column];
    const double share = row.counts[0] > 0 ? cell / row.counts[0] : 0;
    switch (role) {
        case Qt::DisplayRole:
            return count(cell);
        case Qt::BackgroundRole:
            return shade(share);
        case Qt::ForegroundRole:
            return QColor(share > 0.55 ? Qt::white : Qt::black);
        case Qt::TextAlignmentRole:
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::ToolTipRole:
            return column == 0 ? tr("%1: %2 at the first payment")
                                     .arg(QString::fromStdString(row.label), count(cell))
                               : tr("%1 after renewal %2: %3 of %4 (%5)")
                                     .arg(QString::fromStdString(row.label))
                                     .arg(column)
                                     .arg(count(cell), count(row.counts[0]), percent(share));
        default:
            return {};
    }
}

QVariant CohortTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (!table_) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return role == Qt::DisplayRole
                   ? QVariant(QString::fromStdString(
                         table_->table.cohorts[static_cast<std::size_t>(section)].label))
                   : QVariant();
    }
    const bool heldOut = section<renewalColumns_&& static_cast<std::size_t>(section)> fitted_;
    switch (role) {
        case Qt::DisplayRole:
            if (section < renewalColumns_) {
                return QString::number(section);
            }
            return section == renewalColumns_ && table_->table.hasTrials() ? tr("Trials")
                                                                           : tr("Days");
        case Qt::FontRole: {
            QFont font;
            font.setItalic(heldOut);
            return font;
        }
        case Qt::ToolTipRole:
            if (section >= renewalColumns_) {
                return {};
            }
            return heldOut        ? tr("Renewal %1, held out by the backtest").arg(section)
                   : section == 0 ? tr("Paying at the first payment")
                                  : tr("Still paying after renewal %1").arg(section);
        default:
            return {};
    }
}

}  // namespace velmora
