#include "ui/table/table_model.h"

#include <algorithm>

#include <QFontDatabase>
#include <QFontMetricsF>

#include "engine/projection/calculation.h"
#include "engine/table/table_figures.h"
#include "format/signed_figure.h"

namespace velmora {

namespace {

const std::array<QString, ProjectionTableModel::columns> headers = {
    QStringLiteral("Month"), QStringLiteral("Active"), QStringLiteral("Change"),
    QStringLiteral("Proceeds"), QStringLiteral("Annualized")};

Qt::Alignment alignment(int column) {
    return column == ProjectionTableModel::Month ? Qt::AlignCenter
                                                 : (Qt::AlignRight | Qt::AlignVCenter);
}

}  // namespace

QFont tabularFont(const QFont& base, const QLocale& locale) {
    // Locales that write digits outside the basic plane are measured in ASCII
    // digits; the fixed-pitch fallback serves them as well as any.
    const QString zero = locale.zeroDigit();
    const char16_t first = zero.size() == 1 ? zero.front().unicode() : u'0';
    const QFontMetricsF metrics(base);
    const qreal width = metrics.horizontalAdvance(QChar(first));
    bool even = true;
    for (char16_t digit = 1; digit < 10 && even; ++digit) {
        even = metrics.horizontalAdvance(QChar(static_cast<char16_t>(first + digit))) == width;
    }
    if (even) {
        return base;
    }
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (base.pointSizeF() > 0) {
        fixed.setPointSizeF(base.pointSizeF());
    } else {
        fixed.setPixelSize(base.pixelSize());
    }
    return fixed;
}

ProjectionTableModel::ProjectionTableModel(QObject* parent, const QLocale& locale)
    : QAbstractTableModel(parent),
      count_(NumberFormatter::Style::Decimal, 0, locale),
      money_(NumberFormatter::Style::Currency, 0, locale),
      font_(tabularFont(QFont(), locale)) {}

void ProjectionTableModel::setProjection(std::shared_ptr<const SubscriptionCalculation> projection,
                                         double price, const std::optional<CalendarMonth>& start) {
    beginResetModel();
    rows_.clear();
    if (projection) {
        const std::vector<MonthlyRow> months = monthlyRows(*projection, price);
        rows_.reserve(months.size());
        const QString month = QStringLiteral("M");
        for (const MonthlyRow& m : months) {
            Row& row = rows_.emplace_back();
            row[Month] = month + QString::number(m.month);
            if (start) {
                row[Month] += QStringLiteral(" · ") +
                              QString::fromStdString(calendarMonthName(*start, m.month));
            }
            row[Active] = count_.format(m.active);
            switch (m.changeKind) {
                case ChangeKind::First:
                    row[Change] = QStringLiteral("-");
                    break;
                case ChangeKind::Delta:
                    row[Change] = signedFigure(count_, m.change);
                    break;
                case ChangeKind::Missing:
                    break;
            }
            row[Proceeds] = money_.format(m.proceeds);
            row[Annualized] = money_.format(m.annualized);
        }
    }
    endResetModel();
}

void ProjectionTableModel::setFigureFont(const QFont& font) {
    if (font == font_) {
        return;
    }
    font_ = font;
    if (!rows_.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columns - 1), {Qt::FontRole});
    }
}

const QString& ProjectionTableModel::text(int row, int column) const {
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

int ProjectionTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ProjectionTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns;
}

QVariant ProjectionTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole: {
            const QString& cell = text(index.row(), index.column());
            return cell.isNull() ? QVariant() : QVariant(cell);
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(alignment(index.column()));
        case Qt::FontRole:
            return font_;
        default:
            return {};
    }
}

QVariant ProjectionTableModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columns) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (role) {
        case Qt::DisplayRole:
            return headers[static_cast<std::size_t>(section)];
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(alignment(section));
        default:
            return {};
    }
}

QString tabSeparated(const ProjectionTableModel& model, const QList<int>& rows) {
    QList<int> ordered = rows;
    std::sort(ordered.begin(), ordered.end());
    ordered.erase(std::unique(ordered.begin(), ordered.end()), ordered.end());

    const QChar tab = u'\t';
    const QChar newline = u'\n';
    QString text;
    for (int column = 0; column < ProjectionTableModel::columns; ++column) {
        text += (column > 0 ? QString(tab) : QString()) + headers[static_cast<std::size_t>(column)];
    }
    text += newline;
    for (const int row : ordered) {
        if (row < 0 || row >= model.rowCount()) {
            continue;
        }
        for (int column = 0; column < ProjectionTableModel::columns; ++column) {
            if (column > 0) {
                text += tab;
            }
            text += model.text(row, column);
        }
        text += newline;
    }
    return text;
}

}  // namespace velmora
