#include "report/page_layout.h"

#include <QPagedPaintDevice>

namespace velmora::report {

namespace {

constexpr double frameFont = 8;
constexpr double frameGap = 10;

}  // namespace

PageLayout::PageLayout(QPagedPaintDevice& device, QString title, QString date)
    : device_(device), title_(std::move(title)), date_(std::move(date)), measure_(device) {
    const QRectF area = device.pageLayout().paintRectPoints();
    width_ = area.width();
    // The lines above and below the items take their share of the page.
    height_ = area.height() - 2 * (measure_.lineHeight(reportFont(frameFont)) + frameGap);
}

void PageLayout::add(Item item) {
    items_.push_back(std::make_shared<const Item>(std::move(item)));
}

void PageLayout::addGap(double points) {
    add({points, {}, false, {}});
}

std::vector<std::vector<PageLayout::Placed>> PageLayout::paginate() const {
    std::vector<std::vector<Placed>> pages(1);
    double top = 0;
    const auto startPage = [&] {
        pages.emplace_back();
        top = 0;
    };
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const auto& item = items_[i];
        const bool gap = !item->draw;
        double needed = item->height;
        if (item->keepWithNext && i + 1 < items_.size()) {
            needed += items_[i + 1]->height;
        }
        if (top > 0 && top + needed > height_) {
            startPage();
        }
        if (gap && top == 0) {
            continue;  // no gap at the top of a page
        }
        if (top == 0 && item->header && pages.size() > 1) {
            pages.back().push_back({item->header, top});
            top += item->header->height;
        }
        pages.back().push_back({item, top});
        top += item->height;
    }
    return pages;
}

int PageLayout::paint() {
    const auto pages = paginate();
    QPainter painter;
    if (!painter.begin(&device_)) {
        return 0;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    Canvas canvas(device_, &painter);
    const QFont font = reportFont(frameFont);
    const double frameLine = canvas.lineHeight(font);
    const double bottom = frameLine + frameGap + height_ + frameGap;
    const int count = static_cast<int>(pages.size());
    for (int page = 0; page < count; ++page) {
        if (page > 0) {
            device_.newPage();
        }
        const QRectF head(0, 0, width_, frameLine);
        canvas.text(head, Qt::AlignLeft | Qt::AlignVCenter, title_, font, Qt::darkGray);
        canvas.text(head, Qt::AlignRight | Qt::AlignVCenter, date_, font, Qt::darkGray);
        canvas.text(QRectF(0, bottom, width_, frameLine), Qt::AlignCenter,
                    QStringLiteral("Page %1 of %2").arg(page + 1).arg(count), font, Qt::darkGray);
        const double origin = frameLine + frameGap;
        for (const Placed& placed : pages[static_cast<std::size_t>(page)]) {
            if (placed.item->draw) {
                painter.save();
                placed.item->draw(canvas,
                                  QRectF(0, origin + placed.top, width_, placed.item->height));
                painter.restore();
            }
        }
    }
    return painter.end() ? count : 0;
}

}  // namespace velmora::report
