#include "ui/pages/baseline_difference.h"

#include <cmath>

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>

#include "engine/table_figures.h"
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

Difference difference(const Line& kind, double was, double is) {
    const double change = is - was;
    const QString magnitude = kind.format.format(std::abs(change));
    const QLocale& locale = kind.format.locale();
    if (magnitude == kind.format.format(0)) {
        const QString percent = signedPercent(0, was, locale).mid(1);  // no sign
        const QString share = percent.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(percent);
        return {QStringLiteral("= %1%2 %3").arg(magnitude, share, kind.caption),
                kind.name + QStringLiteral(": the same as the baseline"), 0};
    }
    const bool up = change > 0;
    const QString percent = signedPercent(change, was, locale);
    const QString share = percent.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(percent);
    return {
        QStringLiteral("%1 %2%3 %4")
            .arg(up ? QStringLiteral("▲") : QStringLiteral("▼"), signedFigure(kind.format, change),
                 share, kind.caption),
        QStringLiteral("%1: %2 %3 than the baseline%4")
            .arg(kind.name, magnitude, up ? QStringLiteral("more") : QStringLiteral("less"), share),
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
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(0);
    grid->setHorizontalSpacing(8);
    auto* title = new QLabel(QStringLiteral("vs Baseline"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    grid->addWidget(title, 0, 0, Qt::AlignTop | Qt::AlignLeft);
    for (std::size_t i = 0; i < lineCount; ++i) {
        lines_[i] = new ElidedLabel(this);
        grid->addWidget(lines_[i], static_cast<int>(i), 1);
    }
    grid->setColumnStretch(1, 1);
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
    QStringList shown;
    for (const ElidedLabel* line : lines_) {
        if (!line->isHidden()) {
            shown << line->fullText();
        }
    }
    return shown;
}

void BaselineDifference::refresh() {
    const auto base = baseline_->projection();
    const auto other = alternate_->projection();
    const auto from = base ? summarize(*base, baseline_->price()) : std::nullopt;
    const auto to = other ? summarize(*other, alternate_->price()) : std::nullopt;
    for (ElidedLabel* line : lines_) {
        line->setVisible(from && to);
    }
    if (!from || !to) {
        return;
    }
    const std::array<double, lineCount> was = {from->subscribers, from->monthlyProceeds,
                                               from->lifetimeValue};
    const std::array<double, lineCount> is = {to->subscribers, to->monthlyProceeds,
                                              to->lifetimeValue};
    for (std::size_t i = 0; i < lineCount; ++i) {
        const Difference shown = difference(lineKinds()[i], was[i], is[i]);
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
