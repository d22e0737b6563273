#include "ui/calibration/calibration_summary.h"

#include <cmath>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/calibration/calibration_csv.h"
#include "format/number_format.h"
#include "ui/calibration/imported_table.h"

namespace velmora {

namespace {

constexpr std::array<const char*, CalibrationSummary::rowCount> names{
    "rt1", "rt2", "rt3", "rt4", "rt5", "rt6", "rtPlus", "trialRetention", "dailyNewSubs"};

// Rates to four decimals, which tell neighbouring fits apart; daily trials to one.
QString figure(double value, std::size_t row) {
    return NumberFormatter(NumberFormatter::Style::Decimal, row == 8 ? 1 : 4).format(value);
}

QString percent(const SurvivalError& error) {
    if (error.cells == 0 || !std::isfinite(error.error)) {
        return QObject::tr("n/a");
    }
    return NumberFormatter(NumberFormatter::Style::Decimal, 2).format(100 * error.error) +
           QStringLiteral("%");
}

QString errorLine(const QString& what, const CalibrationErrors& errors, LaterChoice choice) {
    const std::size_t cells = errors.projection.cells;
    return QObject::tr("%1: projection %2, model %3, over %4 %5")
        .arg(what, percent(errors.of(choice)), percent(errors.model),
             NumberFormatter(NumberFormatter::Style::Decimal, 0).format(static_cast<double>(cells)),
             cells == 1 ? QObject::tr("cell") : QObject::tr("cells"));
}

QLabel* cell(QWidget* parent, Qt::Alignment alignment = Qt::AlignRight | Qt::AlignVCenter) {
    auto* label = new QLabel(parent);
    label->setAlignment(alignment);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

CalibrationSummary::CalibrationSummary(QWidget* parent)
    : QWidget(parent),
      errors_(cell(this, Qt::AlignLeft | Qt::AlignTop)),
      apply_(new QPushButton(tr("&Apply to Basic Analysis"), this)),
      applyRanges_(new QCheckBox(tr("Apply ranges too"), this)),
      later_(new QComboBox(this)) {
    auto* grid = new QGridLayout;
    const QStringList headings{tr("Value"), tr("Fitted"), tr("10th–90th percentile"), tr("Today")};
    for (int column = 0; column < headings.size(); ++column) {
        auto* heading = cell(this, column == 0 ? Qt::AlignLeft : Qt::AlignRight);
        heading->setText(QStringLiteral("<b>%1</b>").arg(headings[column]));
        grid->addWidget(heading, 0, column);
    }
    for (int row = 0; row < rowCount; ++row) {
        auto* name = cell(this, Qt::AlignLeft | Qt::AlignVCenter);
        name->setText(QString::fromLatin1(names[static_cast<std::size_t>(row)]));
        grid->addWidget(name, row + 1, 0);
        const auto at = static_cast<std::size_t>(row);
        grid->addWidget(fitted_[at] = cell(this), row + 1, 1);
        grid->addWidget(ranges_[at] = cell(this), row + 1, 2);
        grid->addWidget(today_[at] = cell(this), row + 1, 3);
    }
    grid->setColumnStretch(4, 1);
    errors_->setWordWrap(true);
    apply_->setAccessibleDescription(
        tr("Writes the fitted values into the scenario of Basic Analysis, as one edit that Undo "
           "takes back"));
    connect(apply_, &QPushButton::clicked, this, &CalibrationSummary::applyClicked);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(grid);
    column->addWidget(errors_);
    applyRanges_->setToolTip(
        tr("Sets each fitted value's 10th–90th percentile as its range, "
           "so the charts show the spread of outcomes"));
    later_->addItem(tr("fitted curve"), static_cast<int>(LaterChoice::Curve));
    later_->addItem(tr("one constant rate"), static_cast<int>(LaterChoice::Constant));
    later_->setAccessibleName(tr("Later rates"));
    later_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    later_->setToolTip(
        tr("What Apply writes for the renewals after the sixth: a rate for each renewal up to "
           "the horizon, or one constant rtPlus"));
    connect(later_, &QComboBox::activated, this, &CalibrationSummary::laterChoiceChanged);
    auto* laterLabel = new QLabel(tr("&Later rates:"), this);
    laterLabel->setBuddy(later_);
    auto* applyRow = new QHBoxLayout;
    applyRow->addWidget(laterLabel);
    applyRow->addWidget(later_);
    applyRow->addStretch(1);
    applyRow->addWidget(applyRanges_);
    applyRow->addWidget(apply_);
    column->addLayout(applyRow);
    display(nullptr, nullptr, {});
}

void CalibrationSummary::display(const Calibration* fitted, const CalibrationRanges* ranges,
                                 const ScenarioValues& today) {
    const LaterChoice choice = laterChoice();
    const ScenarioValues applied = fitted != nullptr ? fitted->appliedTo(today, choice) : today;
    const std::array<double, rowCount> todays{
        today.rt1,         today.rt2, today.rt3,    today.rt4,
        today.rt5,         today.rt6, today.rtPlus, today.trialRetention,
        today.dailyNewSubs};
    const std::array<double, rowCount> fits{
        applied.rt1,         applied.rt2, applied.rt3,    applied.rt4,
        applied.rt5,         applied.rt6, applied.rtPlus, applied.trialRetention,
        applied.dailyNewSubs};
    std::array<std::optional<FittedRange>, rowCount> spans{};
    if (ranges != nullptr) {
        std::copy(ranges->rates.begin(), ranges->rates.end(), spans.begin());
        spans[6] = rangesFor(*ranges, choice).rtPlus;
        spans[7] = ranges->trialRetention;
        spans[8] = ranges->dailyNewSubs;
    }
    for (std::size_t row = 0; row < rowCount; ++row) {
        today_[row]->setText(figure(todays[row], row));
        const bool found =
            fitted != nullptr && (row < 7 || (row == 7 ? fitted->trialRetention.has_value()
                                                       : fitted->dailyNewSubs.has_value()));
        const bool kept = found && !fitted->rates.later && row >= 1 && row <= 6;
        QString text = kept ? tr("kept") : found ? figure(fits[row], row) : QStringLiteral("–");
        QString tip;
        if (kept) {
            tip = tr("One renewal's rate cannot tell the later ones: Apply keeps today's value");
        } else if (found && row < 6 && !fitted->rates.observed[row]) {
            text += tr(" (model)");
            tip = tr("No cohort of the table reached this renewal: the model's rate");
        } else if (found && row == 6 && choice == LaterChoice::Curve) {
            tip = tr("After the fitted curve's %1 later rates: the model's rate at renewal %2")
                      .arg(fitted->curve.laterRates.size())
                      .arg(fitted->horizon);
        } else if (found && row == 8) {
            tip = tr("The trials over the days of the %1, the most recent giving both")
                      .arg(counted(fitted->dailyCohorts, "cohort"));
        } else if (!found && fitted != nullptr) {
            tip = row == 7 ? tr("The table has no trials column")
                           : tr("The table has no trials and days columns");
        }
        fitted_[row]->setText(text);
        fitted_[row]->setToolTip(tip);
        const std::optional<FittedRange>& span = spans[row];
        ranges_[row]->setText(found && !kept && span
                                  ? tr("%1–%2").arg(figure(span->low, row), figure(span->high, row))
                                  : QString());
    }
    if (fitted == nullptr) {
        errors_->clear();
        apply_->setEnabled(false);
        applyRanges_->setEnabled(false);
        later_->setEnabled(false);
        return;
    }
    QStringList lines{errorLine(tr("Fit error"), fitted->fit, choice)};
    if (fitted->backtest) {
        lines << errorLine(
            tr("Backtest, the last %1 held out").arg(counted(fitted->backtest->holdout, "renewal")),
            fitted->backtest->errors, choice);
        if (fitted->rates.later) {
            const CalibrationErrors& errors = fitted->backtest->errors;
            lines
                << tr("Later rates: fitted curve, backtest %1%2; one constant rate, backtest %3%4.")
                       .arg(percent(errors.curve),
                            fitted->recommended == LaterChoice::Curve ? tr(" (recommended)")
                                                                      : QString(),
                            percent(errors.projection),
                            fitted->recommended == LaterChoice::Constant ? tr(" (recommended)")
                                                                         : QString());
        }
    } else {
        lines << tr("No backtest: the table needs three renewals or more, and a holdout.");
        if (fitted->rates.later) {
            lines << tr("Later rates: the fitted curve is recommended without a backtest.");
        }
    }
    if (fitted->rates.later) {
        lines << tr("Model: shifted-beta-geometric, α %1, β %2; rtPlus follows it to renewal %3.")
                     .arg(figure(fitted->model.alpha, 0), figure(fitted->model.beta, 0))
                     .arg(fitted->horizon);
    } else {
        lines << tr(
            "rt2 to rt6 and rtPlus cannot be fitted from one renewal, which cannot tell "
            "the model's α and β apart: Apply keeps today's.");
    }
    if (fitted->dailyNewSubs) {
        lines << tr("Daily trials from the most recent %1 giving trials and days.")
                     .arg(counted(fitted->dailyCohorts, "cohort"));
    }
    errors_->setText(lines.join(QLatin1Char('\n')));
    apply_->setEnabled(true);
    applyRanges_->setEnabled(ranges != nullptr);
    later_->setEnabled(fitted->rates.later);
}

LaterChoice CalibrationSummary::laterChoice() const {
    return static_cast<LaterChoice>(later_->currentData().toInt());
}

void CalibrationSummary::recommend(LaterChoice choice) {
    const int recommended = later_->findData(static_cast<int>(choice));
    for (int i = 0; i < later_->count(); ++i) {
        const bool curve = later_->itemData(i).toInt() == static_cast<int>(LaterChoice::Curve);
        const QString name = curve ? tr("fitted curve") : tr("one constant rate");
        later_->setItemText(i, i == recommended ? tr("%1 (recommended)").arg(name) : name);
    }
    later_->setCurrentIndex(recommended);
}

QString CalibrationSummary::fittedText(int row) const {
    return fitted_[static_cast<std::size_t>(row)]->text();
}

QString CalibrationSummary::rangeText(int row) const {
    return ranges_[static_cast<std::size_t>(row)]->text();
}

QString CalibrationSummary::todayText(int row) const {
    return today_[static_cast<std::size_t>(row)]->text();
}

}  // namespace velmora
