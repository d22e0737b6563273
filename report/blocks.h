#pragma once

#include <vector>

#include <QColor>
#include <QString>

#include "report/page_layout.h"

namespace velmora::report {

/// A heading, kept with what follows it.
void addHeading(PageLayout& layout, const QString& text);

/// Lines of text, each wrapped at the page's width, in `colour`.
void addLines(PageLayout& layout, const QStringList& lines, double points = 10, bool bold = false,
              const QColor& colour = Qt::black);

/// A column of a table: its title, its share of the page's width, and
/// whether its cells are flush right (figures) or left (names).
struct Column {
    QString title;
    double share = 1;
    bool right = true;
    QColor colour = Qt::black;  ///< of the title
};

struct Cell {
    QString text;
    QColor colour = Qt::black;
};

/// A title above several neighbouring columns.
struct ColumnGroup {
    QString title;
    std::size_t first;
    std::size_t count;
    QColor colour = Qt::black;
};

/// A table of one line a row under a header row (and the groups' titles
/// above it), which starts again at the top of every page the table runs on
/// to. A row with fewer cells leaves the others empty.
void addTable(PageLayout& layout, const std::vector<Column>& columns,
              const std::vector<std::vector<Cell>>& rows,
              const std::vector<ColumnGroup>& groups = {});

}  // namespace velmora::report
