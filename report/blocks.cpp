#include "report/blocks.h"

#include <numeric>

namespace velmora::report {

namespace {

constexpr double tablePoints = 9;
constexpr double rowPadding = 3;
constexpr double cellPadding = 4;

/// Each column's left edge and width across `width`.
std::vector<std::pair<double, double>> columnSpans(const std::vector<Column>& columns,
                                                   double width) {
    const double shares =
        std::accumulate(columns.begin(), columns.end(), 0.0,
                        [](double sum, const Column& column) { return sum + column.share; });
    std::vector<std::pair<double, double>> spans;
    double left = 0;
    for (const Column& column : columns) {
        const double span = width * column.share / shares;
        spans.emplace_back(left, span);
        left += span;
    }
    return spans;
}

}  // namespace

void addHeading(PageLayout& layout, const QString& text) {
    const QFont font = reportFont(12, true);
    const double height = layout.measure().lineHeight(font) + 6;
    layout.add({height,
                [text, font](Canvas& canvas, const QRectF& box) {
                    canvas.text(box, Qt::AlignLeft | Qt::AlignBottom, text, font);
                },
                true,
                {}});
}

void addLines(PageLayout& layout, const QStringList& lines, double points, bool bold,
              const QColor& colour) {
    const QFont font = reportFont(points, bold);
    constexpr int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    for (const QString& line : lines) {
        const double height =
            layout.measure().textBox(QRectF(0, 0, layout.width(), 1e6), flags, line, font).height();
        layout.add({height + 2,
                    [line, font, colour](Canvas& canvas, const QRectF& box) {
                        canvas.text(box, flags, line, font, colour);
                    },
                    false,
                    {}});
    }
}

void addTable(PageLayout& layout, const std::vector<Column>& columns,
              const std::vector<std::vector<Cell>>& rows, const std::vector<ColumnGroup>& groups) {
    const QFont font = reportFont(tablePoints);
    const QFont bold = reportFont(tablePoints, true);
    const double height = layout.measure().lineHeight(font) + rowPadding;
    const auto spans = columnSpans(columns, layout.width());
    const auto cellBox = [spans](const QRectF& row, std::size_t column) {
        return QRectF(row.left() + spans[column].first + cellPadding, row.top(),
                      spans[column].second - 2 * cellPadding, row.height());
    };
    const auto align = [](bool right) {
        return (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    };
    const double groupHeight = groups.empty() ? 0 : height;
    auto header = std::make_shared<const Item>(Item{
        groupHeight + height + 2,
        [columns, groups, groupHeight, bold, spans, cellBox, align](Canvas& canvas,
                                                                    const QRectF& box) {
            for (const ColumnGroup& group : groups) {
                const auto& last = spans[group.first + group.count - 1];
                const QRectF over(box.left() + spans[group.first].first, box.top(),
                                  last.first + last.second - spans[group.first].first, groupHeight);
                canvas.text(over, Qt::AlignCenter, group.title, bold, group.colour);
            }
            const QRectF titles = box.adjusted(0, groupHeight, 0, 0);
            for (std::size_t i = 0; i < columns.size(); ++i) {
                canvas.text(cellBox(titles, i), align(columns[i].right), columns[i].title, bold,
                            columns[i].colour);
            }
            QPainter& painter = canvas.shapes();
            painter.setPen(QPen(Qt::black, 0.6));
            painter.drawLine(QPointF(box.left(), box.bottom() - 1),
                             QPointF(box.right(), box.bottom() - 1));
        },
        false,
        {}});
    Item first = *header;
    first.keepWithNext = true;
    layout.add(first);
    std::vector<bool> right;
    for (const Column& column : columns) {
        right.push_back(column.right);
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::vector<Cell>& cells = rows[r];
        const bool shaded = r % 2 == 1;
        layout.add(
            {height,
             [cells, right, font, cellBox, align, shaded](Canvas& canvas, const QRectF& box) {
                 if (shaded) {
                     canvas.shapes().fillRect(box, QColor(0xF2, 0xF2, 0xF2));
                 }
                 for (std::size_t i = 0; i < cells.size() && i < right.size(); ++i) {
                     canvas.fittedText(cellBox(box, i), align(right[i]), cells[i].text, font,
                                       cells[i].colour);
                 }
             },
             false, header});
    }
}

}  // namespace velmora::report
