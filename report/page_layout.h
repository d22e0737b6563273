#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QString>

#include "report/canvas.h"

class QPagedPaintDevice;

namespace velmora::report {

/// One piece of a report laid out from the top down: a heading, a block of
/// text, a chart, a table row. Its height is known before it is drawn.
struct Item {
    double height = 0;
    /// Draws the item into the box the layout gives it (points).
    std::function<void(Canvas&, const QRectF&)> draw;
    /// A heading: moved to the next page with the item after it rather than
    /// left alone at the bottom.
    bool keepWithNext = false;
    /// For a table row, the table's header row, drawn again above the row
    /// when the row starts a page.
    std::shared_ptr<const Item> header;
};

/// Lays items out on pages and paints them, each page under a line naming
/// the document and above "Page N of M".
class PageLayout {
public:
    /// `title` and `date` head every page; the items are measured on `device`.
    PageLayout(QPagedPaintDevice& device, QString title, QString date);

    /// The width the items have, in points.
    [[nodiscard]] double width() const { return width_; }
    /// Measures text as the painted report will.
    [[nodiscard]] const Canvas& measure() const { return measure_; }

    void add(Item item);
    /// Space between items, in points.
    void addGap(double points);

    /// Paints every item onto `device`, the one it was made with; returns the
    /// number of pages painted, or 0 when painting could not start.
    int paint();

private:
    struct Placed {
        std::shared_ptr<const Item> item;
        double top;
    };
    [[nodiscard]] std::vector<std::vector<Placed>> paginate() const;

    QPagedPaintDevice& device_;
    QString title_;
    QString date_;
    Canvas measure_;
    double width_ = 0;
    double height_ = 0;
    std::vector<std::shared_ptr<const Item>> items_;
};

}  // namespace velmora::report
