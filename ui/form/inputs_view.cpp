#include "ui/form/inputs_view.h"

#include <algorithm>
#include <cmath>

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpacerItem>
#include <QVBoxLayout>

#include "ui/common/elided_label.h"
#include "ui/common/field_titles.h"
#include "ui/common/rebuild.h"
#include "ui/form/later_rates_dialog.h"
#include "ui/form/number_field.h"
#include "ui/form/plan_dialog.h"
#include "ui/form/plan_texts.h"
#include "ui/form/ranges_dialog.h"

namespace velmora {

namespace {

using Field = SubscriptionInputs::Field;

// The width the form asks for; beside two others it makes do with a third of the page.
constexpr int formWidth = 400;
constexpr int fieldWidth = 120;
// Seven rates side by side still fit a third of a 1024 px screen.
constexpr int rateFieldMinimumWidth = 38;
constexpr int rateSpacing = 4;
constexpr int monthsLabelWidth = 44;
constexpr int minimumMonths = 6;
constexpr int maximumMonths = 600;
constexpr int monthsPerPage = 12;

constexpr std::array rateFields{Field::Rt1, Field::Rt2, Field::Rt3,   Field::Rt4,
                                Field::Rt5, Field::Rt6, Field::RtPlus};

bool isShare(Field field) {
    return field == Field::TrialRetention ||
           std::find(rateFields.begin(), rateFields.end(), field) != rateFields.end();
}

/// Why a value the form takes may still give figures that mean little; empty
/// for none. The projection computes with any number, so nothing is refused.
QString caution(Field field, double value) {
    const QString title = fieldTitle(field);
    if (isShare(field)) {
        return value >= 0 && value <= 1
                   ? QString()
                   : QStringLiteral(
                         "%1 is a share of the subscribers, from 0 to 1: outside it, "
                         "more stay than there are, or fewer than none, so the "
                         "figures may not mean much.")
                         .arg(title);
    }
    if (!(value < 0)) {
        return {};
    }
    if (field == Field::Price) {
        return QStringLiteral(
            "A negative price pays the subscribers: the proceeds come out "
            "negative, so the figures may not mean much.");
    }
    return QStringLiteral(
               "%1 below zero is a count of people that cannot be, so the figures "
               "may not mean much.")
        .arg(title);
}

QString monthsText(double months) {
    if (!std::isfinite(months)) {
        return formFormatter().format(months);
    }
    return QString::asprintf("%0.0f", months);
}

}  // namespace

InputsView::InputsView(SubscriptionInputs* inputs, QWidget* parent, ScenarioEditor* editor)
    : QWidget(parent),
      inputs_(inputs),
      editor_(editor != nullptr ? editor : &direct_),
      rebuild_(new Rebuild([this] { refresh(); }, this)) {
    auto* column = new QWidget(this);
    auto* stack = new QVBoxLayout(column);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    // Gives the column its width: wide enough for the rates, narrow enough to shrink.
    stack->addSpacerItem(new QSpacerItem(formWidth, 0, QSizePolicy::Preferred, QSizePolicy::Fixed));

    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(12);
    rows->setVerticalSpacing(8);
    rows->setColumnStretch(1, 1);
    addMonthsRow(rows);
    for (Field f :
         {Field::StartingSubs, Field::Price, Field::DailyNewSubs, Field::TrialRetention}) {
        addFieldRow(rows, f);
    }
    stack->addLayout(rows);
    stack->addSpacing(10);
    stack->addWidget(makeRatesBlock());
    // A message belongs to the fields just above it.
    stack->addSpacing(2);

    message_ = new QLabel(column);
    message_->setWordWrap(true);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A line kept free, so that a message appearing does not push the form about.
    message_->setMinimumHeight(message_->fontMetrics().lineSpacing());
    QPalette warning = message_->palette();
    warning.setColor(QPalette::WindowText, QColor(0xb7, 0x1c, 0x1c));
    message_->setPalette(warning);
    stack->addWidget(message_);

    // The page around the form gives it its margins.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(column, 0, Qt::AlignHCenter);
    outer->addStretch(1);

    orderTabs();
    refresh();
    rebuild_->watch(inputs_);
}

// Closing the window takes focus from a field being edited, which commits it;
// by then this form is half torn down and must not hear of it.
InputsView::~InputsView() {
    for (NumberField* input : fields_) {
        if (input != nullptr) {
            input->disconnect(this);
        }
    }
}

NumberField* InputsView::field(SubscriptionInputs::Field field) const {
    const auto index = static_cast<std::size_t>(field);
    return index < fields_.size() ? fields_[index] : nullptr;
}

void InputsView::addMonthsRow(QGridLayout* rows) {
    const QString title = fieldTitle(Field::MonthsToProject);
    auto* label = new QLabel(title, this);
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setAccessibleName(title);
    slider_->setRange(minimumMonths * sliderStepsPerMonth, maximumMonths * sliderStepsPerMonth);
    slider_->setSingleStep(sliderStepsPerMonth);
    slider_->setPageStep(monthsPerPage * sliderStepsPerMonth);
    label->setBuddy(slider_);
    // A drag, or a run of key steps, is one edit: it ends when the slider is
    // pressed again, released, or loses focus.
    connect(slider_, &QSlider::valueChanged, this, [this](int position) {
        editor_->step(*inputs_, Field::MonthsToProject,
                      position / static_cast<double>(sliderStepsPerMonth));
    });
    connect(slider_, &QSlider::sliderPressed, this, [this] { editor_->endRun(); });
    connect(slider_, &QSlider::sliderReleased, this, [this] { editor_->endRun(); });
    slider_->installEventFilter(this);

    // Plain text, not a panel: it reads the slider and takes no typing.
    monthsLabel_ = new ElidedLabel(this);
    monthsLabel_->setFixedWidth(monthsLabelWidth);
    monthsLabel_->setAlignment(Qt::AlignCenter);

    auto* controls = new QHBoxLayout;
    controls->addWidget(slider_, 1);
    controls->addWidget(monthsLabel_);
    const int row = rows->rowCount();
    rows->addWidget(label, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
    rows->addLayout(controls, row, 1);
}

template <typename Value, typename Read>
void InputsView::applyWhenAccepted(QDialog* dialog, const QString& title, Read read,
                                   const Value& (SubscriptionInputs::*held)() const,
                                   void (SubscriptionInputs::*set)(Value)) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, title, read, held, set] {
        Value after = read();
        Value before = (inputs_->*held)();
        if (after == before) {
            return;
        }
        SubscriptionInputs* inputs = inputs_;
        editor_->edit(
            title, [inputs, set, after] { (inputs->*set)(after); },
            [inputs, set, before] { (inputs->*set)(before); });
    });
    dialog->open();
}

void InputsView::editRanges() {
    auto* dialog = new RangesDialog(*inputs_, this);
    applyWhenAccepted(
        dialog, tr("Ranges"), [dialog] { return dialog->ranges(); }, &SubscriptionInputs::ranges,
        &SubscriptionInputs::setRanges);
}

void InputsView::editLaterRates() {
    auto* dialog = new LaterRatesDialog(inputs_->scenarioValues(), this);
    applyWhenAccepted(
        dialog, tr("Later Rates"), [dialog] { return dialog->rates(); },
        &SubscriptionInputs::laterRates, &SubscriptionInputs::setLaterRates);
}

void InputsView::editPlan() {
    auto* dialog = new PlanDialog(inputs_->scenarioValues(), this);
    applyWhenAccepted(
        dialog, tr("Plan"), [dialog] { return dialog->plan(); }, &SubscriptionInputs::plan,
        &SubscriptionInputs::setPlan);
}

void InputsView::addFieldRow(QGridLayout* rows, SubscriptionInputs::Field field) {
    const QString title = fieldTitle(field);
    auto* label = new QLabel(title, this);
    NumberField* input = makeField(field, title);
    input->setFixedWidth(fieldWidth);
    label->setBuddy(input);
    const int row = rows->rowCount();
    rows->addWidget(label, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
    rows->addWidget(input, row, 1, Qt::AlignLeft | Qt::AlignVCenter);
}

QWidget* InputsView::makeRatesBlock() {
    auto* block = new QWidget(this);
    auto* stack = new QVBoxLayout(block);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(8);
    const QString title = QStringLiteral("Monthly Retention Rates");
    // The ranges of every input are set from here, beside the rates' title,
    // where the button takes no line of its own.
    rangesButton_ = new QPushButton(tr("Ranges…"), block);
    rangesButton_->setAccessibleName(tr("Ranges"));
    connect(rangesButton_, &QPushButton::clicked, this, &InputsView::editRanges);
    auto* heading = new QGridLayout;
    heading->setContentsMargins(0, 0, 0, 0);
    heading->setColumnStretch(0, 1);
    heading->setColumnStretch(2, 1);
    laterRatesButton_ = new QPushButton(tr("Later rates…"), block);
    laterRatesButton_->setAccessibleName(tr("Later renewal rates"));
    connect(laterRatesButton_, &QPushButton::clicked, this, &InputsView::editLaterRates);
    planButton_ = new QPushButton(tr("Plan…"), block);
    planButton_->setAccessibleName(tr("Plan"));
    connect(planButton_, &QPushButton::clicked, this, &InputsView::editPlan);
    heading->addWidget(new QLabel(title, block), 0, 1, Qt::AlignCenter);
    heading->addWidget(rangesButton_, 0, 2, Qt::AlignRight | Qt::AlignVCenter);
    stack->addLayout(heading);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(rateSpacing);
    grid->setVerticalSpacing(8);
    for (std::size_t i = 0; i < rateFields.size(); ++i) {
        const QString name = rateColumnTitle(rateFields[i]);
        auto* label = new QLabel(name, block);
        if (rateFields[i] == Field::RtPlus) {
            restTitle_ = label;
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignCenter);
        }
        NumberField* input = makeField(rateFields[i], title + QLatin1Char(' ') + name);
        // Columns share the row equally whatever the texts ask for.
        input->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        input->setMinimumWidth(rateFieldMinimumWidth);
        input->setAlignment(Qt::AlignCenter);
        label->setBuddy(input);
        const int column = static_cast<int>(i);
        grid->setColumnStretch(column, 1);
        grid->addWidget(label, 0, column, Qt::AlignHCenter);
        grid->addWidget(input, 1, column);
    }
    stack->addLayout(grid);
    // The later rates under Rest, whose title names the renewal they end at;
    // the plan, which moves the other inputs, across from them.
    auto* below = new QHBoxLayout;
    below->addWidget(planButton_);
    below->addStretch(1);
    below->addWidget(laterRatesButton_);
    stack->addLayout(below);
    return block;
}

NumberField* InputsView::makeField(SubscriptionInputs::Field field, const QString& accessibleName) {
    auto* input = new NumberField(accessibleName, this);
    fields_[static_cast<std::size_t>(field)] = input;
    input->setCaution([field](double value) { return caution(field, value); });
    connect(input, &NumberField::committed, this, [this, field](double value) {
        clearProblem();
        editor_->setValue(*inputs_, field, value);
    });
    connect(input, &NumberField::unreadable, this,
            [this, input](const QString& text) { showProblem(input, text); });
    connect(input, &NumberField::restored, this, &InputsView::clearProblem);
    return input;
}

bool InputsView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == slider_ && event->type() == QEvent::FocusOut) {
        editor_->endRun();
    }
    return QWidget::eventFilter(watched, event);
}

void InputsView::orderTabs() {
    QWidget* previous = slider_;
    for (Field next :
         {Field::StartingSubs, Field::Price, Field::DailyNewSubs, Field::TrialRetention}) {
        setTabOrder(previous, field(next));
        previous = field(next);
    }
    for (Field next : rateFields) {
        setTabOrder(previous, field(next));
        previous = field(next);
    }
    setTabOrder(previous, planButton_);
    setTabOrder(planButton_, laterRatesButton_);
    setTabOrder(laterRatesButton_, rangesButton_);
}

void InputsView::refresh() {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i] != nullptr) {
            fields_[i]->showValue(inputs_->value(static_cast<Field>(i)));
        }
    }
    const double months = inputs_->monthsToProject();
    if (!std::isnan(months)) {
        // Following the scenario is not an edit: nothing is written back.
        const QSignalBlocker quiet(slider_);
        const double position =
            std::clamp(months * sliderStepsPerMonth, static_cast<double>(slider_->minimum()),
                       static_cast<double>(slider_->maximum()));
        slider_->setValue(static_cast<int>(std::lround(position)));
    }
    monthsLabel_->setFullText(monthsText(months));
    QStringList ranged;
    for (const Range& range : inputs_->ranges()) {
        ranged.append(fieldTitle(formField(range.input)));
    }
    rangesButton_->setText(ranged.isEmpty() ? tr("Ranges…")
                                            : tr("Ranges (%1)…").arg(ranged.size()));
    const std::size_t later = inputs_->laterRates().size();
    laterRatesButton_->setText(later == 0 ? tr("Later rates…")
                                          : tr("Later rates (%1)…").arg(later));
    laterRatesButton_->setToolTip(
        later == 0 ? tr("Set the rates of the renewals after the sixth, one by one")
                   : tr("Rates set for renewals 7 to %1").arg(later + 6));
    // Two short lines, which the narrowest column takes.
    restTitle_->setText(later == 0 ? rateColumnTitle(Field::RtPlus)
                                   : tr("Rest\nafter %1").arg(later + 6));
    restTitle_->setToolTip(
        later == 0 ? QString() : tr("Rest holds at every renewal after renewal %1").arg(later + 6));
    planButton_->setText(planButtonText(inputs_->plan()));
    planButton_->setToolTip(planSummary(inputs_->plan()));
    rangesButton_->setToolTip(ranged.isEmpty()
                                  ? tr("Set how far each input may lie from its value")
                                  : tr("Ranges on %1").arg(ranged.join(QStringLiteral(", "))));
}

void InputsView::showProblem(NumberField* source, const QString& text) {
    // Only the field the message speaks of stays marked.
    for (NumberField* other : fields_) {
        if (other != nullptr && other != source) {
            other->clearMark();
        }
    }
    message_->setText(text);
}

void InputsView::clearProblem() {
    message_->clear();
    for (NumberField* input : fields_) {
        if (input != nullptr) {
            input->clearMark();
        }
    }
}

}  // namespace velmora
