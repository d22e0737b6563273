#include "ui/table/table_view.h"

#include <algorithm>
#include <cmath>

#include <QAbstractItemView>
#include <QClipboard>
#include <QEvent>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>

#include "engine/projection/calculation.h"
#include "engine/spread/simulation.h"
#include "engine/table/table_figures.h"
#include "ui/common/elided_label.h"
#include "ui/table/table_model.h"

namespace velmora {

/// A table that asks for the width its columns take, and makes do with less.
class FittedTable final : public QTableView {
public:
    using QTableView::QTableView;

    void setWidths(int preferred, int least) {
        if (preferred != preferred_ || least != least_) {
            preferred_ = preferred;
            least_ = least;
            updateGeometry();
        }
    }
    [[nodiscard]] QSize sizeHint() const override {
        return {preferred_, QTableView::sizeHint().height()};
    }
    /// Four months in view below the header, at the least.
    [[nodiscard]] QSize minimumSizeHint() const override {
        constexpr int leastRows = 4;
        const int rows = leastRows * verticalHeader()->defaultSectionSize();
        return {least_, horizontalHeader()->sizeHint().height() + rows + 2 * frameWidth()};
    }

private:
    int preferred_ = 0;
    int least_ = 0;
};

namespace {

using Style = NumberFormatter::Style;

static_assert(ProjectionTableModel::columns == 5, "TableView keeps one width per column");
constexpr std::array<int, ProjectionTableModel::columns> startWidths = {44, 65, 50, 80, 80};
constexpr int summaryWidth = 150;
// Figures of up to about twenty characters ("$999,999,999,999,999") show
// whole; beyond that, columns and summary figures stop growing.
constexpr int cappedDigits = 20;
constexpr double titleScale = 1.6;
constexpr double title2Scale = 1.3;

const std::array<QString, 4> captionTexts = {
    QStringLiteral(" subscribers"), QStringLiteral(" monthly"), QStringLiteral(" annually"),
    QStringLiteral(" 24mo LTV per trial")};

QFont scaled(const QFont& base, double factor) {
    QFont font = base;
    if (base.pointSizeF() > 0) {
        font.setPointSizeF(base.pointSizeF() * factor);
    } else {
        font.setPixelSize(static_cast<int>(std::lround(base.pixelSize() * factor)));
    }
    return font;
}

}  // namespace

TableView::TableView(QWidget* parent, Width width)
    : QWidget(parent),
      formatters_{NumberFormatter(Style::Decimal, 0), NumberFormatter(Style::Currency, 0),
                  NumberFormatter(Style::Currency, 0), NumberFormatter(Style::Currency, 2)},
      summary_(new QWidget(this)),
      model_(new ProjectionTableModel(this)),
      table_(new FittedTable(this)),
      width_(width) {
    // One grid: the four figures share a width and end at the same edge.
    auto* lines = new QGridLayout(summary_);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(0);
    for (std::size_t i = 0; i < summaryLines; ++i) {
        values_[i] = new ElidedLabel(summary_);
        values_[i]->setAlignment(Qt::AlignRight | Qt::AlignBottom);
        values_[i]->setMinimumWidth(summaryWidth);
        captions_[i] = new QLabel(captionTexts[i], summary_);
        captions_[i]->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        captions_[i]->setFixedWidth(summaryWidth);
        captions_[i]->setBuddy(values_[i]);
        // A range is split where its figure meets its caption, so it takes
        // the room under both and a narrow column still shows it whole.
        spreadLows_[i] = new ElidedLabel(summary_);
        spreadLows_[i]->setAlignment(Qt::AlignRight | Qt::AlignTop);
        spreadLows_[i]->hide();
        spreadHighs_[i] = new ElidedLabel(summary_);
        spreadHighs_[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        spreadHighs_[i]->hide();
        const int row = 2 * static_cast<int>(i);
        lines->addWidget(values_[i], row, 0);
        lines->addWidget(captions_[i], row, 1);
        lines->addWidget(spreadLows_[i], row + 1, 0);
        lines->addWidget(spreadHighs_[i], row + 1, 1);
    }
    lines->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, 2);
    summary_->hide();

    table_->setModel(model_);
    table_->setAccessibleName(QStringLiteral("Monthly projection"));
    table_->verticalHeader()->hide();
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    table_->setShowGrid(false);
    table_->setAlternatingRowColors(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Arrow keys move through the rows; Tab moves on to the next control.
    table_->setTabKeyNavigation(false);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Only figures in e-notation outgrow a column: its exponent stays in view.
    table_->setTextElideMode(Qt::ElideMiddle);
    table_->setWordWrap(false);
    table_->installEventFilter(this);
    table_->viewport()->installEventFilter(this);
    const QSizePolicy::Policy across =
        width_ == Width::Fit ? QSizePolicy::Maximum : QSizePolicy::Expanding;
    table_->setSizePolicy(across, QSizePolicy::Expanding);
    setSizePolicy(across, QSizePolicy::Preferred);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(summary_);
    layout->addWidget(table_, 1);

    applyFonts();
}

void TableView::setProjection(std::shared_ptr<const SubscriptionCalculation> projection,
                              double price, const std::optional<CalendarMonth>& start) {
    if (!shown_.expired() && shown_.lock() == projection && price == price_ && start == start_) {
        return;
    }
    shown_ = projection;
    price_ = price;
    start_ = start;

    const std::optional<ProjectionSummary> summary =
        projection ? summarize(*projection, price) : std::nullopt;
    if (summary) {
        const std::array<double, summaryLines> figures = {
            summary->subscribers, summary->monthlyProceeds, summary->annualProceeds,
            summary->lifetimeValue};
        for (std::size_t i = 0; i < summaryLines; ++i) {
            const QString value = formatters_[i].format(figures[i]);
            values_[i]->setFullText(value);
            // Read as one phrase, not as a bare number and a stray caption.
            values_[i]->setAccessibleName(value + captionTexts[i]);
        }
    }
    summary_->setVisible(summary.has_value());

    // A rebuild keeps the keyboard's row, so the next arrow key goes on from it.
    const int current = table_->currentIndex().row();
    model_->setProjection(std::move(projection), price, start);
    if (current >= 0 && current < model_->rowCount()) {
        table_->selectionModel()->setCurrentIndex(model_->index(current, 0),
                                                  QItemSelectionModel::NoUpdate);
    }
    fitColumns();
}

void TableView::setSpread(std::shared_ptr<const Spread> spread) {
    if (spread == spread_) {
        return;
    }
    spread_ = std::move(spread);
    static constexpr std::array<SpreadFigure, summaryLines> figures = {
        SpreadFigure::Subscribers, SpreadFigure::MonthlyProceeds, SpreadFigure::AnnualProceeds,
        SpreadFigure::LifetimeValue};
    for (std::size_t i = 0; i < summaryLines; ++i) {
        const auto& range = spread_ ? spread_->figure(figures[i]) : std::nullopt;
        if (range) {
            spreadLows_[i]->setFullText(
                QStringLiteral("P10 %1 –").arg(formatters_[i].format(range->p10)));
            spreadHighs_[i]->setFullText(
                QStringLiteral(" P90 %1").arg(formatters_[i].format(range->p90)));
        }
        spreadLows_[i]->setVisible(range.has_value());
        spreadHighs_[i]->setVisible(range.has_value());
    }
}

QStringList TableView::spreadTexts() const {
    QStringList texts;
    for (std::size_t i = 0; i < summaryLines; ++i) {
        if (!spreadLows_[i]->isHidden()) {
            texts.append(spreadLows_[i]->fullText() + spreadHighs_[i]->fullText());
        }
    }
    return texts;
}

QStringList TableView::summaryTexts() const {
    QStringList texts;
    if (summary_->isHidden()) {
        return texts;
    }
    for (const ElidedLabel* value : values_) {
        texts.append(value->fullText());
    }
    return texts;
}

const ElidedLabel* TableView::summaryValue(int line) const {
    return values_.at(static_cast<std::size_t>(line));
}

QTableView* TableView::table() const {
    return table_;
}

void TableView::copySelection() const {
    const QModelIndexList selected = table_->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        return;
    }
    QList<int> rows;
    rows.reserve(selected.size());
    for (const QModelIndex& index : selected) {
        rows.append(index.row());
    }
    QGuiApplication::clipboard()->setText(tabSeparated(*model_, rows));
}

void TableView::setLeastHeight(int pixels) {
    leastHeight_ = pixels;
    updateGeometry();
}

QSize TableView::minimumSizeHint() const {
    const QSize least = QWidget::minimumSizeHint();
    return {least.width(), std::max(least.height(), leastHeight_)};
}

void TableView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        applyFonts();
        fitColumns();
    }
}

bool TableView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_->viewport() && event->type() == QEvent::ToolTip) {
        // A shortened cell tells its whole text; the others tell nothing.
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = table_->indexAt(help->pos());
        const QString whole =
            index.isValid() ? model_->text(index.row(), index.column()) : QString();
        if (!whole.isEmpty() && isCut(index.column(), whole)) {
            QToolTip::showText(help->globalPos(), whole, table_->viewport(),
                               table_->visualRect(index));
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    if (watched == table_->viewport() && event->type() == QEvent::Resize) {
        spreadColumns();
    }
    if (watched == table_ && event->type() == QEvent::FocusIn) {
        markRowInView();
    }
    if (watched == table_ &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        // Claiming the override keeps a window-wide Copy action from taking
        // the keys; the press then copies whole rows, not just the current cell.
        if (event->type() == QEvent::KeyPress) {
            copySelection();
        }
        event->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TableView::applyFonts() {
    const QFont title = scaled(font(), titleScale);
    QFont title2 = scaled(font(), title2Scale);
    title2.setCapitalization(QFont::SmallCaps);

    // Both labels of a line end at the same bottom edge; lifting the smaller
    // caption by the difference of the descents puts both on one baseline.
    const QFontMetrics titleMetrics(title);
    const QFontMetrics title2Metrics(title2);
    const int lift = titleMetrics.descent() - title2Metrics.descent();
    const int height = std::max(titleMetrics.height(), title2Metrics.height() + lift);
    const auto widestSummary = static_cast<int>(
        std::ceil(QFontMetricsF(title).horizontalAdvance(QString(cappedDigits, u'0'))));
    for (std::size_t i = 0; i < summaryLines; ++i) {
        values_[i]->setFont(title);
        values_[i]->setWidest(std::max(summaryWidth, widestSummary));
        values_[i]->setFixedHeight(height);
        captions_[i]->setFont(title2);
        captions_[i]->setContentsMargins(0, 0, 0, lift);
        captions_[i]->setFixedHeight(height);
        spreadLows_[i]->setWidest(std::max(summaryWidth, widestSummary));
    }
    model_->setFigureFont(tabularFont(table_->font(), formatters_[0].locale()));
    // The style's rows are roomy; compact ones keep several months in view
    // where the page gives the table little height.
    const int rowMargin =
        2 * (table_->style()->pixelMetric(QStyle::PM_FocusFrameVMargin, nullptr, table_) + 1);
    QHeaderView* rowHeader = table_->verticalHeader();
    rowHeader->setMinimumSectionSize(0);
    rowHeader->setDefaultSectionSize(QFontMetrics(model_->figureFont()).height() + rowMargin + 2);
    table_->updateGeometry();
}

void TableView::fitColumns() {
    // The delegate keeps a focus-frame margin plus one pixel free on each side
    // of the text, and a grid line takes the last pixel of the cell.
    cellMargin_ =
        2 * (table_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table_) + 1) +
        (table_->showGrid() ? 1 : 0);
    const QFontMetricsF metrics(model_->figureFont());
    columnCap_ =
        static_cast<int>(std::ceil(metrics.horizontalAdvance(QString(cappedDigits, u'0')))) +
        cellMargin_;
    const QHeaderView* header = table_->horizontalHeader();
    const int rows = model_->rowCount();
    int total = 0;
    int least = 0;
    for (int column = 0; column < ProjectionTableModel::columns; ++column) {
        qreal widest = 0;
        for (int row = 0; row < rows; ++row) {
            widest = std::max(widest, metrics.horizontalAdvance(model_->text(row, column)));
        }
        // Filling a narrow place (a third of a small screen), a column gives
        // way down to its header; given no more, the table scrolls sideways.
        const int start = width_ == Width::Fill
                              ? header->sectionSizeHint(column)
                              : std::max(startWidths[static_cast<std::size_t>(column)],
                                         header->sectionSizeHint(column));
        const int width = std::max(
            start, std::min(static_cast<int>(std::ceil(widest)) + cellMargin_, columnCap_));
        columnWidths_[static_cast<std::size_t>(column)] = width;
        total += width;
        least += start;
    }
    const int frame = table_->verticalScrollBar()->sizeHint().width() + 2 * table_->frameWidth();
    table_->setWidths(total + frame, least + frame);
    spreadColumns();
}

void TableView::spreadColumns() {
    int total = 0;
    for (const int width : columnWidths_) {
        total += width;
    }
    // Filling its place, the table shares what its columns leave among the figures.
    const int figureColumns = ProjectionTableModel::columns - 1;
    const int spare = width_ == Width::Fill ? std::max(0, table_->viewport()->width() - total) : 0;
    for (int column = 0; column < ProjectionTableModel::columns; ++column) {
        int width = columnWidths_[static_cast<std::size_t>(column)];
        if (column > 0) {
            width += spare / figureColumns + (column <= spare % figureColumns ? 1 : 0);
        }
        if (table_->columnWidth(column) != width) {
            table_->setColumnWidth(column, width);
        }
    }
}

void TableView::markRowInView() {
    // The keyboard starts where the reader is: at the first row in view, not
    // at the top the table may have been scrolled away from.
    const QModelIndex current = table_->currentIndex();
    const QRect view = table_->viewport()->rect();
    if (model_->rowCount() == 0 ||
        (current.isValid() && view.intersects(table_->visualRect(current)))) {
        return;
    }
    const int row = std::max(0, table_->rowAt(0));
    table_->selectionModel()->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::NoUpdate);
}

bool TableView::isCut(int column, const QString& text) const {
    const auto needed =
        static_cast<int>(std::ceil(QFontMetricsF(model_->figureFont()).horizontalAdvance(text)));
    return needed + cellMargin_ > table_->columnWidth(column);
}

}  // namespace velmora
