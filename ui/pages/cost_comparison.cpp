#include "ui/pages/cost_comparison.h"

#include <cmath>

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>

#include "engine/decisions/economics.h"
#include "format/signed_figure.h"
#include "inputs/subscription_inputs.h"
#include "ui/common/elided_label.h"
#include "ui/common/rebuild.h"
#include "ui/form/number_field.h"
#include "ui/insights/economics_panel.h"
#include "ui/insights/insight_texts.h"
#include "ui/pages/scenario_column.h"

namespace velmora {

namespace {

using Style = NumberFormatter::Style;

const QColor better(0x1B, 0x7F, 0x3B);
const QColor worse(0xB7, 0x1C, 0x1C);
constexpr int costFieldWidth = 64;

/// What one scenario's costs give.
struct Figures {
    bool given = false;
    bool projected = false;  ///< it has a month
    CashTurn turn;
    std::size_t months = 0;
};

Figures figuresOf(const SubscriptionInputs& scenario) {
    const auto projection = scenario.projection();
    std::vector<double> actives;
    if (projection) {
        for (const SubscriptionSnapshot& month : projection->monthlySnapshots) {
            actives.push_back(month.active);
        }
    }
    const ScenarioValues values = scenario.scenarioValues();
    return {hasCost(values), !actives.empty(), cashTurn(values, actives), actives.size()};
}

struct Line {
    QString text;
    QString spoken;
    int direction = 0;  ///< 1 better, -1 worse, 0 neither
};

QString monthsText(double months) {
    return QStringLiteral("%1 %2").arg(
        NumberFormatter(Style::Decimal, 0).format(months),
        months == 1 ? QStringLiteral("month") : QStringLiteral("months"));
}

Line breakEvenLine(const Figures& base, const Figures& other) {
    const auto& from = base.turn.breakEvenMonth;
    const auto& to = other.turn.breakEvenMonth;
    static const QString name = QStringLiteral("Break-even month");
    if (from && to) {
        const auto change = static_cast<double>(*to - *from);
        const QString month = monthText(static_cast<double>(*to));
        if (change == 0) {
            return {QStringLiteral("= %1 break-even").arg(month),
                    name + QStringLiteral(": the same as the baseline (%1)").arg(month), 0};
        }
        const QString signedMonths =
            (change > 0 ? QStringLiteral("+") : figureLocale().negativeSign()) +
            monthsText(std::abs(change));
        return {
            QStringLiteral("%1 %2 (%3) break-even")
                .arg(change > 0 ? QStringLiteral("▲") : QStringLiteral("▼"), signedMonths, month),
            name + QStringLiteral(": %1 %2 than the baseline (%3)")
                       .arg(monthsText(std::abs(change)),
                            change > 0 ? QStringLiteral("later") : QStringLiteral("sooner"), month),
            change > 0 ? -1 : 1};
    }
    if (!from && !to) {
        const QString text = QStringLiteral("= no break-even within the months projected");
        return {text, name + QStringLiteral(": none, as for the baseline"), 0};
    }
    const QString text =
        to ? QStringLiteral("▼ %1 break-even (baseline: %2)")
                 .arg(monthText(static_cast<double>(*to)), breakEvenText(base.turn, base.months))
           : QStringLiteral("▲ break-even %1 (baseline: %2)")
                 .arg(breakEvenText(other.turn, other.months),
                      monthText(static_cast<double>(*from)));
    return {text, name + QStringLiteral(": ") + text.mid(2), to ? 1 : -1};
}

Line cashLine(const Figures& base, const Figures& other) {
    const NumberFormatter format(Style::Currency, 0);
    const double was = base.turn.cashNeeded;
    const double change = other.turn.cashNeeded - was;
    const QString magnitude = format.format(std::abs(change));
    static const QString name = QStringLiteral("Cash needed");
    if (magnitude == format.format(0)) {
        return {QStringLiteral("= %1 cash needed").arg(magnitude),
                name + QStringLiteral(": the same as the baseline"), 0};
    }
    const QString percent = signedPercent(change, was, format.locale());
    const QString share = percent.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(percent);
    const bool up = change > 0;
    return {QStringLiteral("%1 %2%3 cash needed")
                .arg(up ? QStringLiteral("▲") : QStringLiteral("▼"), signedFigure(format, change),
                     share),
            name + QStringLiteral(": %1 %2 than the baseline%3")
                       .arg(magnitude, up ? QStringLiteral("more") : QStringLiteral("less"), share),
            up ? -1 : 1};
}

}  // namespace

CostComparison::CostComparison(SubscriptionInputs* baseline, SubscriptionInputs* scenario,
                               ScenarioEditor* editor, QWidget* parent)
    : QWidget(parent),
      baseline_(baseline),
      scenario_(scenario),
      editor_(editor != nullptr ? editor : &direct_),
      cost_(new NumberField(QStringLiteral("Cost per Trial"), this)),
      rebuild_(new Rebuild([this] { refresh(); }, this)) {
    setAccessibleName(QStringLiteral("Costs"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(0);
    grid->setHorizontalSpacing(8);
    // The field beside its title and both lines beside the field, so that the
    // column grows by two lines only and the window still fits 1280 x 800.
    auto* title = new QLabel(QStringLiteral("Cost/trial"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setBuddy(cost_);
    grid->addWidget(title, 0, 0, lineCount, 1, Qt::AlignVCenter | Qt::AlignLeft);
    cost_->setFixedWidth(costFieldWidth);
    cost_->setAccessibleDescription(QStringLiteral("What winning one trial costs"));
    cost_->setRefusal([](double value) {
        return value < 0 ? QStringLiteral("a cost cannot be negative") : QString();
    });
    grid->addWidget(cost_, 0, 1, lineCount, 1, Qt::AlignVCenter);
    for (std::size_t i = 0; i < lineCount; ++i) {
        lines_[i] = new ElidedLabel(this);
        grid->addWidget(lines_[i], static_cast<int>(i), 2, Qt::AlignVCenter);
    }
    grid->setColumnStretch(2, 1);

    connect(cost_, &NumberField::committed, this, [this](double value) {
        editor_->setValue(*scenario_, SubscriptionInputs::Field::CostPerTrial, value);
    });
    // The line under the field says why, in place of its figures, until the next refresh.
    connect(cost_, &NumberField::unreadable, this, [this](const QString& why) {
        lines_[0]->setFullText(why);
        lines_[0]->setPalette(palette());
        lines_[1]->hide();
    });
    connect(cost_, &NumberField::restored, this, &CostComparison::refresh);
    rebuild_->watch(scenario_);
    if (baseline_ != nullptr) {
        rebuild_->watch(baseline_);
    }
    refresh();
}

CostComparison* CostComparison::addTo(ScenarioColumn* column, SubscriptionInputs* baseline,
                                      ScenarioEditor* editor) {
    auto* costs = new CostComparison(baseline, column->inputs(), editor, column);
    qobject_cast<QBoxLayout*>(column->layout())->addWidget(costs);
    return costs;
}

QStringList CostComparison::texts() const {
    return shownTexts(lines_);
}

void CostComparison::refresh() {
    cost_->showValue(scenario_->costPerTrial());
    const Figures own = figuresOf(*scenario_);
    std::array<Line, lineCount> shown;
    int count = 1;
    if (!own.given) {
        shown[0].text = QStringLiteral("Enter it for break-even and cash needed.");
    } else if (!own.projected) {
        shown[0].text = QStringLiteral("No month projected.");
    } else if (baseline_ == nullptr) {
        shown[0].text = QStringLiteral("Break-even ") + breakEvenText(own.turn, own.months);
        shown[1].text = QStringLiteral("Cash needed ") + cashNeededText(own.turn);
        count = 2;
    } else if (const Figures base = figuresOf(*baseline_); !base.given || !base.projected) {
        shown[0].text = QStringLiteral("Enter the baseline's to compare.");
    } else {
        shown = {breakEvenLine(base, own), cashLine(base, own)};
        count = 2;
    }
    for (std::size_t i = 0; i < lineCount; ++i) {
        ElidedLabel* line = lines_[i];
        line->setVisible(static_cast<int>(i) < count);
        line->setFullText(shown[i].text);
        line->setAccessibleName(shown[i].spoken.isEmpty() ? shown[i].text : shown[i].spoken);
        QPalette colours = palette();
        if (shown[i].direction != 0) {
            colours.setColor(QPalette::WindowText, shown[i].direction > 0 ? better : worse);
        }
        line->setPalette(colours);
    }
}

}  // namespace velmora
