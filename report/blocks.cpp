#include "report/blocks.h"

#include <numeric>

namespace velmora::report {

namespace {

constexpr double tablePoints = 9;
constexpr double smallestTablePoints = 7.5;
constexpr double rowPadding = 3;
constexpr double cellPadding = 4;

/// The room a column's text takes, padding included: on one line each, and
/// at the least, with names and titles wrapped between words.
struct Room {
    double whole = 0;
    double least = 0;
};

/// Each column's left edge and width across `width`: its share of the
/// width, unless its text needs more. Then each column gets the room of its
/// text on one line and the rest goes by shares; failing that, the least it
/// takes and the rest to those that want more; failing even that, its least
/// scaled down, so that text wraps anywhere.
std::vector<std::pair<double, double>> columnSpans(const std::vector<Column>& columns,
                                                   const std::vector<Room>& rooms, double width) {
    const double shares =
        std::accumulate(columns.begin(), columns.end(), 0.0,
                        [](double sum, const Column& column) { return sum + column.share; });
    std::vector<double> widths;
    bool fits = true;
    double whole = 0;
    double least = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        widths.push_back(width * columns[i].share / shares);
        fits = fits && rooms[i].whole <= widths.back();
        whole += rooms[i].whole;
        least += rooms[i].least;
    }
    for (std::size_t i = 0; i < columns.size() && !fits; ++i) {
        if (whole <= width) {
            widths[i] = rooms[i].whole + (width - whole) * columns[i].share / shares;
        } else if (least <= width) {
            widths[i] = rooms[i].least +
                        (width - least) * (rooms[i].whole - rooms[i].least) / (whole - least);
        } else {
            widths[i] = rooms[i].least * width / least;
        }
    }
    std::vector<std::pair<double, double>> spans;
    double left = 0;
    for (const double span : widths) {
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
    const Canvas& measure = layout.measure();
    // Paper has no tooltip: a figure is never cut, its column widens for it;
    // titles and names wrap between words first.
    const auto longestWord = [&measure](const QString& text, const QFont& in) {
        double longest = 0;
        for (const QString& word : text.split(QLatin1Char(' '))) {
            longest = std::max(longest, measure.textWidth(word, in));
        }
        return longest;
    };
    double total = 0;
    const auto roomsIn = [&](const QFont& font, const QFont& bold) {
        std::vector<Room> rooms;
        total = 0;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            Room room{measure.textWidth(columns[i].title, bold),
                      longestWord(columns[i].title, bold)};
            for (const auto& cells : rows) {
                if (i < cells.size()) {
                    const double whole = measure.textWidth(cells[i].text, font);
                    room.whole = std::max(room.whole, whole);
                    room.least = std::max(
                        room.least, columns[i].right ? whole : longestWord(cells[i].text, font));
                }
            }
            room.whole += 2 * cellPadding + 1;
            room.least += 2 * cellPadding + 1;
            total += room.least;
            rooms.push_back(room);
        }
        return rooms;
    };
    std::vector<Room> rooms = roomsIn(reportFont(tablePoints), reportFont(tablePoints, true));
    // Figures too wide for the page even so, such as fifteen digits and an
    // exponent in each column, are written smaller, the whole table alike.
    double points = tablePoints;
    if (total > layout.width()) {
        points = std::max(smallestTablePoints, tablePoints * layout.width() / total * 0.98);
        rooms = roomsIn(reportFont(points), reportFont(points, true));
    }
    const QFont font = reportFont(points);
    const QFont bold = reportFont(points, true);
    const double line = measure.lineHeight(font);
    const double height = line + rowPadding;
    const auto spans = columnSpans(columns, rooms, layout.width());
    const int wrap = total > layout.width() ? Qt::TextWrapAnywhere : Qt::TextWordWrap;
    const auto cellBox = [spans](const QRectF& row, std::size_t column) {
        return QRectF(row.left() + spans[column].first + cellPadding, row.top(),
                      spans[column].second - 2 * cellPadding, row.height());
    };
    const auto align = [wrap](bool right) {
        return (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter | wrap;
    };
    // The height of the lines of the tallest cell, when some wrap.
    const auto linesHeight = [&](const QStringList& texts, const QFont& in) {
        double tallest = line;
        for (qsizetype i = 0; i < texts.size() && static_cast<std::size_t>(i) < spans.size(); ++i) {
            const double room = spans[static_cast<std::size_t>(i)].second - 2 * cellPadding;
            if (measure.textWidth(texts[i], in) > room) {
                tallest = std::max(
                    tallest,
                    measure.textBox(QRectF(0, 0, room, 1e6), align(true), texts[i], in).height());
            }
        }
        return tallest;
    };
    QStringList titles;
    for (const Column& column : columns) {
        titles << column.title;
    }
    const double groupHeight = groups.empty() ? 0 : height;
    const double titlesHeight = linesHeight(titles, bold) + rowPadding;
    auto header = std::make_shared<const Item>(Item{
        groupHeight + titlesHeight + 2,
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
        QStringList texts;
        for (const Cell& cell : cells) {
            texts << cell.text;
        }
        layout.add(
            {linesHeight(texts, font) + rowPadding,
             [cells, right, font, cellBox, align, shaded](Canvas& canvas, const QRectF& box) {
                 if (shaded) {
                     canvas.shapes().fillRect(box, QColor(0xF2, 0xF2, 0xF2));
                 }
                 for (std::size_t i = 0; i < cells.size() && i < right.size(); ++i) {
                     canvas.text(cellBox(box, i), align(right[i]), cells[i].text, font,
                                 cells[i].colour);
                 }
             },
             false, header});
    }
}

}  // namespace velmora::report
