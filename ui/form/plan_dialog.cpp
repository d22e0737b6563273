#include "ui/form/plan_dialog.h"

#include <algorithm>
#include <cmath>

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/form/plan_changes.h"
#include "ui/form/plan_field.h"

namespace velmora {

namespace {

constexpr int growthWidth = 90;
constexpr int factorWidth = 56;
constexpr int factorColumns = 3;
// Room for the value beside the longest input name.
constexpr int changesWidth = 320;

}  // namespace

PlanDialog::PlanDialog(const ScenarioValues& scenario, QWidget* parent)
    : QDialog(parent), message_(new QLabel(this)) {
    setWindowTitle(tr("Plan"));
    auto* intro = new QLabel(tr("How the inputs change over the months of the projection. M0 "
                                "keeps the scenario's values."),
                             this);
    intro->setWordWrap(true);

    // Made in the order Tab visits them.
    auto* left = new QVBoxLayout;
    left->addWidget(makeGrowth());
    left->addWidget(makeSeasons());
    left->addWidget(makePriceRule());
    left->addStretch(1);
    auto* changesBox = new QGroupBox(tr("Changes from a month on"), this);
    changes_ = new PlanChanges(scenario, changesBox);
    changes_->setMinimumWidth(changesWidth);
    auto* changesLayout = new QVBoxLayout(changesBox);
    changesLayout->addWidget(changes_);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addWidget(changesBox, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    QPushButton* clearPlan = buttons->addButton(tr("Clear Plan"), QDialogButtonBox::ResetRole);
    connect(clearPlan, &QPushButton::clicked, this, &PlanDialog::clear);
    connect(buttons, &QDialogButtonBox::accepted, this, &PlanDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PlanDialog::reject);

    message_->setWordWrap(true);
    message_->setAccessibleName(tr("Problem"));
    QPalette warning = message_->palette();
    warning.setColor(QPalette::WindowText, QColor(0xb7, 0x1c, 0x1c));
    message_->setPalette(warning);
    message_->setMinimumHeight(2 * message_->fontMetrics().lineSpacing());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(columns, 1);
    layout->addWidget(message_);
    layout->addWidget(buttons);

    showPlan(scenario.plan);
    for (PlanField* field : factors_) {
        connect(field, &PlanField::edited, this, &PlanDialog::judge);
    }
    for (PlanField* field : {growth_, until_}) {
        connect(field, &PlanField::edited, this, &PlanDialog::judge);
    }
    for (QCheckBox* box : {startBox_, seasonsBox_}) {
        connect(box, &QCheckBox::toggled, this, &PlanDialog::judge);
    }
    // Seasons name calendar months, so they need M0's.
    connect(seasonsBox_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) {
            startBox_->setChecked(true);
        }
    });
    connect(startDate_, &QDateEdit::dateChanged, this, &PlanDialog::judge);
    connect(everyone_, &QRadioButton::toggled, this, &PlanDialog::judge);
    connect(changes_, &PlanChanges::edited, this, [this] {
        refusedPaste_.clear();
        judge();
    });
    connect(changes_, &PlanChanges::refused, this, [this](const QString& why) {
        refusedPaste_ = why;
        judge();
    });
    judge();
}

QWidget* PlanDialog::makeGrowth() {
    auto* box = new QGroupBox(tr("Growth of daily trials"), this);
    growth_ = new PlanField(tr("Monthly growth of daily trials (%)"), true, box);
    growth_->setPlaceholderText(tr("none"));
    until_ = new PlanField(tr("Growth stops after month"), true, box);
    until_->setPlaceholderText(tr("the end"));
    until_->setRefusal([](double month) {
        return month >= 0 && month <= static_cast<double>(Plan::lastMonth) &&
                       month == std::floor(month)
                   ? QString()
                   : tr("a month is a whole number from 0 to %1").arg(Plan::lastMonth);
    });
    auto* rows = new QFormLayout(box);
    for (PlanField* field : {growth_, until_}) {
        field->setFixedWidth(growthWidth);
        rows->addRow(field->accessibleName(), field);
    }
    return box;
}

QWidget* PlanDialog::makeSeasons() {
    auto* box = new QGroupBox(tr("Calendar and seasons"), this);
    startBox_ = new QCheckBox(tr("M0 is the month of"), box);
    startDate_ = new QDateEdit(box);
    startDate_->setDisplayFormat(QStringLiteral("MMM yyyy"));
    startDate_->setDateRange(QDate(1, 1, 1), QDate(9999, 12, 1));
    startDate_->setAccessibleName(tr("Calendar month of M0"));
    connect(startBox_, &QCheckBox::toggled, startDate_, &QWidget::setEnabled);
    seasonsBox_ = new QCheckBox(tr("Daily trials follow the seasons, by factors of"), box);

    auto* start = new QHBoxLayout;
    start->addWidget(startBox_);
    start->addWidget(startDate_);
    start->addStretch(1);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    const QLocale locale;
    for (int month = 0; month < 12; ++month) {
        const QString name = locale.monthName(month + 1, QLocale::LongFormat);
        auto* field = new PlanField(name, false, box);
        field->setFixedWidth(factorWidth);
        auto* label = new QLabel(name, box);
        label->setBuddy(field);
        const int row = month / factorColumns;
        const int column = 2 * (month % factorColumns);
        grid->addWidget(label, row, column);
        grid->addWidget(field, row, column + 1);
        connect(seasonsBox_, &QCheckBox::toggled, field, &QWidget::setEnabled);
        connect(seasonsBox_, &QCheckBox::toggled, label, &QWidget::setEnabled);
        factors_[static_cast<std::size_t>(month)] = field;
    }
    grid->setColumnStretch(2 * factorColumns, 1);
    auto* column = new QVBoxLayout(box);
    column->addLayout(start);
    column->addWidget(seasonsBox_);
    column->addLayout(grid);
    return box;
}

QWidget* PlanDialog::makePriceRule() {
    auto* box = new QGroupBox(tr("Changes of price"), this);
    everyone_ = new QRadioButton(tr("Price changes apply to everyone"), box);
    newSubscribers_ = new QRadioButton(tr("Price changes apply to new subscribers only"), box);
    auto* column = new QVBoxLayout(box);
    column->addWidget(everyone_);
    column->addWidget(newSubscribers_);
    return box;
}

PlanField* PlanDialog::factorField(int month) const {
    return factors_.at(static_cast<std::size_t>(month));
}

void PlanDialog::showPlan(const std::optional<Plan>& plan) {
    const Plan shown = plan.value_or(Plan{});
    growth_->showValue(shown.growthPercent);
    until_->showValue(shown.growthUntil
                          ? std::optional<double>(static_cast<double>(*shown.growthUntil))
                          : std::nullopt);
    startBox_->setChecked(shown.startMonth.has_value());
    startDate_->setEnabled(shown.startMonth.has_value());
    const QDate today = QDate::currentDate();
    const CalendarMonth start =
        shown.startMonth.value_or(CalendarMonth{today.year(), today.month()});
    startDate_->setDate(QDate(start.year, start.month, 1));
    seasonsBox_->setChecked(shown.seasonality.has_value());
    std::array<double, 12> factors{};
    factors.fill(1);
    const auto& seasons = shown.seasonality.value_or(factors);
    for (std::size_t month = 0; month < factors_.size(); ++month) {
        factors_[month]->showValue(seasons[month]);
        factors_[month]->setEnabled(shown.seasonality.has_value());
    }
    (shown.priceChangesApply == PriceChangesApply::Everyone ? everyone_ : newSubscribers_)
        ->setChecked(true);
    changes_->setChanges(shown.changes);
}

std::optional<Plan> PlanDialog::plan() const {
    Plan plan;
    plan.growthPercent = growth_->value();
    if (const auto until = until_->value()) {
        plan.growthUntil = static_cast<std::int64_t>(*until);
    }
    if (startBox_->isChecked()) {
        const QDate date = startDate_->date();
        plan.startMonth = CalendarMonth{date.year(), date.month()};
    }
    if (seasonsBox_->isChecked()) {
        std::array<double, 12> factors{};
        std::transform(factors_.begin(), factors_.end(), factors.begin(),
                       [](const PlanField* field) { return field->value().value_or(1); });
        plan.seasonality = factors;
    }
    plan.priceChangesApply =
        everyone_->isChecked() ? PriceChangesApply::Everyone : PriceChangesApply::NewSubscribers;
    plan.changes = changes_->changes();
    if (plan == Plan{}) {
        return std::nullopt;
    }
    return plan;
}

void PlanDialog::clear() {
    showPlan(std::nullopt);
    refusedPaste_.clear();
    judge();
}

void PlanDialog::accept() {
    if (ok_->isEnabled()) {
        QDialog::accept();
    }
}

QString PlanDialog::fieldProblem() const {
    for (const PlanField* field : {growth_, until_}) {
        if (!field->problem().isEmpty()) {
            return field->problem();
        }
    }
    if (seasonsBox_->isChecked()) {
        for (const PlanField* field : factors_) {
            if (!field->problem().isEmpty()) {
                return field->problem();
            }
        }
    }
    return changes_->problem();
}

void PlanDialog::judge() {
    const QString field = fieldProblem();
    const auto planned = plan();
    const auto problem = planned ? planProblem(*planned) : std::nullopt;
    ok_->setEnabled(field.isEmpty() && !problem);
    if (!refusedPaste_.isEmpty()) {
        message_->setText(refusedPaste_);
    } else if (!field.isEmpty()) {
        message_->setText(field);
    } else {
        message_->setText(problem ? QString::fromStdString(*problem) : QString());
    }
}

}  // namespace velmora
