#pragma once

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include <QAbstractTableModel>
#include <QFont>
#include <QList>
#include <QLocale>
#include <QString>

#include "engine/projection/plan.h"
#include "format/number_format.h"

namespace velmora {

struct SubscriptionCalculation;

/// A font in which every digit takes the same width, so figures line up in a
/// column: `base` itself when its digits already do, otherwise the system's
/// fixed-pitch font at the size of `base`.
[[nodiscard]] QFont tabularFont(const QFont& base, const QLocale& locale = figureLocale());

/// The months of one projection as rows of text: month, active subscribers,
/// change from the month before, proceeds and annualized proceeds. Given the
/// calendar month of M0, a month is named by the calendar too: "M0 · Jan 2027".
class ProjectionTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column : int { Month, Active, Change, Proceeds, Annualized };
    static constexpr int columns = 5;

    /// Figures are written in `locale`, in a tabular form of the application font.
    explicit ProjectionTableModel(QObject* parent = nullptr,
                                  const QLocale& locale = figureLocale());

    /// Shows the monthly snapshots of `projection` (none when it is null) at
    /// `price`, M0 in calendar month `start` when given. Every text is written
    /// here, in one model reset.
    void setProjection(std::shared_ptr<const SubscriptionCalculation> projection, double price,
                       const std::optional<CalendarMonth>& start = std::nullopt);

    /// The font of the cells; its digits should be of equal width.
    void setFigureFont(const QFont& font);
    [[nodiscard]] const QFont& figureFont() const { return font_; }

    /// The text of one cell: a null string for a cell without text.
    [[nodiscard]] const QString& text(int row, int column) const;

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

private:
    using Row = std::array<QString, columns>;

    NumberFormatter count_;
    NumberFormatter money_;
    QFont font_;
    std::vector<Row> rows_;
};

/// The header line and the given rows of `model`, in table order and each
/// once, as tab-separated lines that end with "\n", ready to paste into a
/// spreadsheet. A cell without text is an empty field.
[[nodiscard]] QString tabSeparated(const ProjectionTableModel& model, const QList<int>& rows);

}  // namespace velmora
