#include "ui/insights/economics_panel.h"

#include <algorithm>
#include <cmath>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "engine/projection/calculation.h"
#include "inputs/subscription_inputs.h"
#include "ui/common/elided_label.h"
#include "ui/common/scenario_editor.h"
#include "ui/form/number_field.h"
#include "ui/insights/cash_chart.h"
#include "ui/insights/insight_texts.h"

namespace velmora {

namespace {

using Style = NumberFormatter::Style;

constexpr int costFieldWidth = 120;  // as the form's fields

QString money(double value, int decimals = 0) {
    return NumberFormatter(Style::Currency, decimals).format(value);
}

QLabel* selectable(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

/// A break-even month of the spread: +infinity for draws that do not break
/// even within the months projected.
QString spreadMonthText(double month, std::size_t months) {
    return std::isfinite(month)
               ? monthText(month)
               : QStringLiteral("beyond %1")
                     .arg(monthText(static_cast<double>(months > 0 ? months - 1 : 0)));
}

QString paybackLine(const Payback& payback) {
    if (std::isfinite(payback.count())) {
        return paybackText(payback.count());
    }
    return QStringLiteral("never: its whole expected lifetime brings %1 less than it costs")
        .arg(money(payback.shortfall, 2));
}

}  // namespace

QString breakEvenText(const CashTurn& turn, std::size_t months) {
    if (turn.breakEvenMonth) {
        return monthText(static_cast<double>(*turn.breakEvenMonth));
    }
    return months == 1
               ? QStringLiteral("not within the 1 month projected")
               : QStringLiteral("not within the %1 months projected")
                     .arg(NumberFormatter(Style::Decimal, 0).format(static_cast<double>(months)));
}

QString cashNeededText(const CashTurn& turn) {
    if (!(turn.cashNeeded > 0) || !turn.cashNeededMonth) {
        return std::isnan(turn.cashNeeded)
                   ? money(turn.cashNeeded)
                   : money(0) + QStringLiteral(": the cumulative net never falls below zero");
    }
    return QStringLiteral("%1, lowest at %2")
        .arg(money(turn.cashNeeded), monthText(static_cast<double>(*turn.cashNeededMonth)));
}

EconomicsPanel::EconomicsPanel(SubscriptionInputs* inputs, ScenarioEditor* editor, QWidget* parent)
    : QGroupBox(QStringLiteral("Costs and cash"), parent),
      inputs_(inputs),
      editor_(editor),
      cost_(new NumberField(QStringLiteral("Cost per Trial"), this)),
      costEcho_(new ElidedLabel(this)),
      message_(selectable(this)),
      prompt_(selectable(this)),
      figures_(new QWidget(this)),
      chart_(new CashChart(this)) {
    setAccessibleName(title());
    setAccessibleDescription(QStringLiteral(
        "What a trial costs, when it pays back, and the cash the plan needs before it "
        "breaks even"));
    cost_->setAccessibleDescription(
        QStringLiteral("What winning one trial costs: marketing spend divided by trials started"));
    cost_->setRefusal([](double value) {
        return value < 0 ? QStringLiteral("a cost cannot be negative") : QString();
    });
    QPalette warning = message_->palette();
    warning.setColor(QPalette::WindowText, QColor(0xb7, 0x1c, 0x1c));
    message_->setPalette(warning);
    message_->hide();
    prompt_->setText(QStringLiteral(
        "Enter what winning one trial costs (your marketing spend ÷ the trials it starts) to "
        "see when a trial pays back, its lifetime value to cost, the spend a month, and the "
        "cash the plan needs before it breaks even."));

    auto* costLabel = new QLabel(QStringLiteral("&Cost per trial:"), this);
    costLabel->setBuddy(cost_);
    cost_->setFixedWidth(costFieldWidth);
    auto* costRow = new QHBoxLayout;
    costRow->addWidget(costLabel);
    costRow->addWidget(cost_);
    costRow->addWidget(costEcho_, 1);

    static const std::array<QString, figureCount> titles = {
        QStringLiteral("Payback of a trial:"), QStringLiteral("Lifetime value to cost:"),
        QStringLiteral("Acquisition spend:"), QStringLiteral("Break-even:"),
        QStringLiteral("Cash needed:")};
    auto* grid = new QGridLayout(figures_);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    grid->setColumnStretch(1, 1);
    // The break-even and the cash needed each have a line below for their range.
    for (int figure = 0, row = 0; figure < figureCount; ++figure, ++row) {
        const auto i = static_cast<std::size_t>(figure);
        titles_[i] = new QLabel(titles[i], figures_);
        values_[i] = selectable(figures_);
        grid->addWidget(titles_[i], row, 0, Qt::AlignLeft | Qt::AlignTop);
        grid->addWidget(values_[i], row, 1);
        if (figure >= figureCount - rangedFigures) {
            QLabel*& range = ranges_[i - (figureCount - rangedFigures)];
            range = selectable(figures_);
            range->setForegroundRole(QPalette::PlaceholderText);
            range->hide();
            grid->addWidget(range, ++row, 1);
        }
    }

    auto* column = new QVBoxLayout(this);
    column->addLayout(costRow);
    column->addWidget(message_);
    column->addWidget(prompt_);
    column->addWidget(figures_);
    // The chart takes the room while shown; without it, the lines stay on top.
    column->addWidget(chart_, 1000);
    column->addStretch(1);

    connect(cost_, &NumberField::committed, this, [this](double value) {
        message_->hide();
        editor_->setValue(*inputs_, SubscriptionInputs::Field::CostPerTrial, value);
    });
    connect(cost_, &NumberField::unreadable, this, [this](const QString& why) {
        message_->setText(why);
        message_->show();
    });
    connect(cost_, &NumberField::restored, message_, &QWidget::hide);
}

void EconomicsPanel::showScenario(const ScenarioValues& values,
                                  const SubscriptionCalculation* projection) {
    cost_->showValue(values.costPerTrial);
    std::vector<double> actives;
    if (projection != nullptr) {
        actives.reserve(projection->monthlySnapshots.size());
        for (const SubscriptionSnapshot& month : projection->monthlySnapshots) {
            actives.push_back(month.active);
        }
    }
    const Economics figures = economics(values, actives);
    const bool given = figures.costGiven;
    costEcho_->setFullText(given ? money(values.costPerTrial, 2) + QStringLiteral(" a trial")
                                 : QStringLiteral("not given"));
    prompt_->setVisible(!given);
    figures_->setVisible(given);
    // A curve with no finite point would be an empty frame in this narrow column.
    const auto& nets = figures.cash.cumulativeNet;
    chart_->setVisible(given && std::any_of(nets.begin(), nets.end(),
                                            [](double net) { return std::isfinite(net); }));
    if (!given) {
        chart_->setCashFlow({});
        return;
    }
    const QString noMonth = QStringLiteral("no month projected");
    const CashTurn& turn = figures.cash.turn;
    const std::array<QString, figureCount> texts = {
        paybackLine(figures.payback), ratioText(figures.lifetimeValueToCost),
        money(figures.cash.monthlySpend) + QStringLiteral(" a month"),
        actives.empty() ? noMonth : breakEvenText(turn, actives.size()),
        actives.empty() ? noMonth : cashNeededText(turn)};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        values_[i]->setText(texts[i]);
        values_[i]->setAccessibleName(titles_[i]->text() + QLatin1Char(' ') + texts[i]);
    }
    chart_->setCashFlow(figures.cash, values.plan);
    months_ = actives.size();
    setSpread(spread_);
}

void EconomicsPanel::setSpread(std::shared_ptr<const Spread> spread) {
    spread_ = std::move(spread);
    const std::array<SpreadFigure, rangedFigures> figures = {SpreadFigure::BreakEvenMonth,
                                                             SpreadFigure::CashNeeded};
    for (std::size_t i = 0; i < figures.size(); ++i) {
        const auto& range = spread_ ? spread_->figure(figures[i]) : std::nullopt;
        if (range) {
            const auto text = [&](double value) {
                return i == 0 ? spreadMonthText(value, months_) : money(value);
            };
            ranges_[i]->setText(
                QStringLiteral("P10 %1 – P90 %2").arg(text(range->p10), text(range->p90)));
        }
        ranges_[i]->setVisible(range.has_value());
    }
}

QStringList EconomicsPanel::rangeLines() const {
    QStringList shown;
    for (const QLabel* range : ranges_) {
        if (!figures_->isHidden() && !range->isHidden()) {
            shown << range->text();
        }
    }
    return shown;
}

QStringList EconomicsPanel::lines() const {
    if (figures_->isHidden()) {
        return {prompt_->text()};
    }
    QStringList shown;
    for (std::size_t i = 0; i < values_.size(); ++i) {
        shown << titles_[i]->text() + QLatin1Char(' ') + values_[i]->text();
    }
    return shown;
}

}  // namespace velmora
