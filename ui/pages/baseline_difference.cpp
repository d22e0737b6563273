#include "ui/pages/baseline_difference.h"

#include <algorithm>
#include <cmath>

#include <QBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "engine/table/table_figures.h"
#include "format/signed_figure.h"
#include "inputs/subscription_inputs.h"
#include "ui/common/elided_label.h"
#include "ui/common/rebuild.h"
#include "ui/pages/scenario_column.h"
#include "ui/table/table_view.h"

namespace velmora {

namespace {

using Style = NumberFormatter::Style;

struct Line {
    NumberFormatter format;
    QString caption;  ///< after the figures, as in the summary
    QString name;     ///< what a screen reader names first
};

const std::array<Line, BaselineDifference::lineCount>& lineKinds() {
    static const std::array<Line, BaselineDifference::lineCount> kinds = {
        Line{NumberFormatter(Style::Decimal, 0), QStringLiteral("subscribers"),
             QStringLiteral("Subscribers")},
        Line{NumberFormatter(Style::Currency, 0), QStringLiteral("monthly"),
             QStringLiteral("Monthly proceeds")},
        Line{NumberFormatter(Style::Currency, 2), QStringLiteral("24mo LTV per trial"),
             QStringLiteral("Lifetime value per trial")}};
    return kinds;
}

const QColor gain(0x1B, 0x7F, 0x3B);
const QColor loss(0xB7, 0x1C, 0x1C);

struct Difference {
    QString text;    ///< "▲ +1,234 (+7.9%) subscribers"
    QString spoken;  ///< "Subscribers: 1,234 more than the baseline (+7.9%)"
    int direction;   ///< of the figure as shown: a change that rounds away is none
};

/// `at` follows the caption: " at M35", or nothing.
Difference difference(const Line& kind, double was, double is, const QString& at) {
    const double change = is - was;
    const QString magnitude = kind.format.format(std::abs(change));
    const QLocale& locale = kind.format.locale();
    const QString caption = kind.caption + at;
    const QString name = kind.name + at;
    if (magnitude == kind.format.format(0)) {
        const QString percent = signedPercent(0, was, locale).mid(1);  // no sign
        const QString share = percent.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(percent);
        return {QStringLiteral("= %1%2 %3").arg(magnitude, share, caption),
                name + QStringLiteral(": the same as the baseline"), 0};
    }
    const bool up = change > 0;
    const QString percent = signedPercent(change, was, locale);
    const QString share = percent.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(percent);
    return {QStringLiteral("%1 %2%3 %4")
                .arg(up ? QStringLiteral("▲") : QStringLiteral("▼"),
                     signedFigure(kind.format, change), share, caption),
            QStringLiteral("%1: %2 %3 than the baseline%4")
                .arg(name, magnitude, up ? QStringLiteral("more") : QStringLiteral("less"), share),
            up ? 1 : -1};
}

}  // namespace

BaselineDifference::BaselineDifference(SubscriptionInputs* baseline, SubscriptionInputs* alternate,
                                       QWidget* parent)
    : QWidget(parent),
      baseline_(baseline),
      alternate_(alternate),
      rebuild_(new Rebuild([this] { refresh(); }, this)) {
    setAccessibleName(QStringLiteral("Against the baseline"));
    // The title above the lines leaves them the column's whole width.
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    auto* title = new QLabel(QStringLiteral("vs Baseline"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    stack->addWidget(title);
    for (std::size_t i = 0; i < lineCount; ++i) {
        lines_[i] = new ElidedLabel(this);
        stack->addWidget(lines_[i]);
    }
    rebuild_->watch(baseline_);
    rebuild_->watch(alternate_);
    refresh();
}

BaselineDifference* BaselineDifference::addTo(ScenarioColumn* column,
                                              SubscriptionInputs* baseline) {
    auto* difference = new BaselineDifference(baseline, column->inputs(), column);
    auto* layout = qobject_cast<QBoxLayout*>(column->layout());
    layout->insertWidget(layout->indexOf(column->table()) + 1, difference);
    return difference;
}

QStringList BaselineDifference::texts() const {
    return shownTexts(lines_);
}

void BaselineDifference::refresh() {
    const auto base = baseline_->projection();
    const auto other = alternate_->projection();
    const std::size_t baseMonths = base ? base->monthlySnapshots.size() : 0;
    const std::size_t otherMonths = other ? other->monthlySnapshots.size() : 0;
    // Projections of different lengths compare at the last month both have,
    // and say which.
    const std::size_t common = std::min(baseMonths, otherMonths);
    const std::size_t month = common > 0 ? common - 1 : 0;
    const auto from = base ? summarizeMonth(*base, baseline_->price(), month) : std::nullopt;
    const auto to = other ? summarizeMonth(*other, alternate_->price(), month) : std::nullopt;
    for (ElidedLabel* line : lines_) {
        line->setVisible(from && to);
    }
    if (!from || !to) {
        return;
    }
    const QString at = baseMonths == otherMonths ? QString() : QStringLiteral(" at M%1").arg(month);
    const std::array<double, lineCount> was = {from->subscribers, from->monthlyProceeds,
                                               from->lifetimeValue};
    const std::array<double, lineCount> is = {to->subscribers, to->monthlyProceeds,
                                              to->lifetimeValue};
    for (std::size_t i = 0; i < lineCount; ++i) {
        // The lifetime value looks 24 months ahead of either scenario's start.
        const Difference shown =
            difference(lineKinds()[i], was[i], is[i], i + 1 < lineCount ? at : QString());
        ElidedLabel* line = lines_[i];
        // Figures of 1e300 and more would widen the column past the screen:
        // the label shortens them visibly, with the whole line in its tooltip.
        line->setFullText(shown.text);
        line->setAccessibleName(shown.spoken);
        QPalette colours = palette();
        if (shown.direction != 0) {
            colours.setColor(QPalette::WindowText, shown.direction > 0 ? gain : loss);
        }
        line->setPalette(colours);
    }
}

}  // namespace velmora
