#include "ui/form/ranges_dialog.h"

#include <algorithm>
#include <cmath>

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/common/field_titles.h"
#include "ui/form/number_field.h"

namespace velmora {

namespace {

using Field = SubscriptionInputs::Field;

// The inputs in the order the form shows them.
constexpr std::array<Input, rangedInputs.size()> formOrder = {
    Input::StartingSubs, Input::Price, Input::DailyNewSubs, Input::TrialRetention,
    Input::Rt1,          Input::Rt2,   Input::Rt3,          Input::Rt4,
    Input::Rt5,          Input::Rt6,   Input::RtPlus};

constexpr int endWidth = 110;

}  // namespace

SubscriptionInputs::Field formField(Input input) {
    switch (input) {
        case Input::DailyNewSubs:
            return Field::DailyNewSubs;
        case Input::Price:
            return Field::Price;
        case Input::TrialRetention:
            return Field::TrialRetention;
        case Input::StartingSubs:
            return Field::StartingSubs;
        case Input::CostPerTrial:
            return Field::CostPerTrial;
        case Input::RtPlus:
            return Field::RtPlus;
        default:
            return static_cast<Field>(static_cast<int>(Field::Rt1) + static_cast<int>(input) -
                                      static_cast<int>(Input::Rt1));
    }
}

RangesDialog::RangesDialog(const SubscriptionInputs& inputs, QWidget* parent)
    : QDialog(parent), message_(new QLabel(this)) {
    setWindowTitle(tr("Ranges"));
    auto* intro = new QLabel(tr("Where each input may lie, the value itself the most likely. "
                                "Leave both ends at the value for no range."),
                             this);
    intro->setWordWrap(true);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->addWidget(new QLabel(tr("Value"), this), 0, 1, Qt::AlignRight);
    grid->addWidget(new QLabel(tr("Low"), this), 0, 2);
    grid->addWidget(new QLabel(tr("High"), this), 0, 3);
    const NumberFormatter shown = formFormatter();
    for (const Input input : formOrder) {
        const double value = inputs.value(formField(input));
        const auto kept = std::find_if(inputs.ranges().begin(), inputs.ranges().end(),
                                       [&](const Range& range) { return range.input == input; });
        const bool ranged = kept != inputs.ranges().end();
        const double low = ranged ? std::min(kept->low, value) : value;
        const double high = ranged ? std::max(kept->high, value) : value;

        const QString title = fieldTitle(formField(input));
        auto* lowEnd = new NumberField(title + tr(" low end"), this);
        auto* highEnd = new NumberField(title + tr(" high end"), this);
        const QString valueText = formText(shown, value);
        const auto finite = [](double end) { return std::isfinite(end); };
        lowEnd->setRefusal([value, valueText, finite](double end) {
            if (!finite(end)) {
                return tr("an end of a range must be a finite number");
            }
            return end > value ? tr("the low end cannot lie above the value, %1").arg(valueText)
                               : QString();
        });
        highEnd->setRefusal([value, valueText, finite](double end) {
            if (!finite(end)) {
                return tr("an end of a range must be a finite number");
            }
            return end < value ? tr("the high end cannot lie below the value, %1").arg(valueText)
                               : QString();
        });
        for (NumberField* end : {lowEnd, highEnd}) {
            end->setFixedWidth(endWidth);
            connect(end, &NumberField::unreadable, this,
                    [this, end](const QString& text) { showProblem(end, text); });
            connect(end, &NumberField::committed, this, &RangesDialog::clearProblem);
            connect(end, &NumberField::restored, this, &RangesDialog::clearProblem);
        }
        lowEnd->showValue(low);
        highEnd->showValue(high);

        const int row = grid->rowCount();
        auto* label = new QLabel(title, this);
        label->setBuddy(lowEnd);
        grid->addWidget(label, row, 0);
        grid->addWidget(new QLabel(valueText, this), row, 1, Qt::AlignRight);
        grid->addWidget(lowEnd, row, 2);
        grid->addWidget(highEnd, row, 3);
        rows_.push_back({input, value, lowEnd, highEnd});
    }

    message_->setWordWrap(true);
    QPalette warning = message_->palette();
    warning.setColor(QPalette::WindowText, QColor(0xb7, 0x1c, 0x1c));
    message_->setPalette(warning);
    message_->setMinimumHeight(2 * message_->fontMetrics().lineSpacing());

    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Horizontal, this);
    QPushButton* clear = buttons->addButton(tr("Clear All"), QDialogButtonBox::ResetRole);
    connect(clear, &QPushButton::clicked, this, &RangesDialog::clearAll);
    connect(buttons, &QDialogButtonBox::accepted, this, &RangesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &RangesDialog::reject);

    auto* column = new QVBoxLayout(this);
    column->addWidget(intro);
    column->addLayout(grid);
    column->addWidget(message_);
    column->addWidget(buttons);
}

std::vector<Range> RangesDialog::ranges() const {
    std::vector<Range> ranges;
    for (const Input input : rangedInputs) {
        const auto row = std::find_if(rows_.begin(), rows_.end(),
                                      [&](const Row& each) { return each.input == input; });
        const double low = row->low->lastGoodValue();
        const double high = row->high->lastGoodValue();
        if (low < high) {
            ranges.push_back({input, low, high});
        }
    }
    return ranges;
}

NumberField* RangesDialog::lowField(Input input) const {
    for (const Row& row : rows_) {
        if (row.input == input) {
            return row.low;
        }
    }
    return nullptr;
}

NumberField* RangesDialog::highField(Input input) const {
    for (const Row& row : rows_) {
        if (row.input == input) {
            return row.high;
        }
    }
    return nullptr;
}

void RangesDialog::accept() {
    // An end not taken keeps the dialog open, saying which and how to go on,
    // rather than closing on a range the user did not mean.
    for (const Row& row : rows_) {
        for (NumberField* end : {row.low, row.high}) {
            if (!end->isMarkedUnreadable() && !end->isEditing()) {
                continue;
            }
            const QString kept = formText(end->formatter(), end->lastGoodValue());
            message_->setText(
                end->isMarkedUnreadable()
                    ? tr("%1 Return keeps %2; or type another end.").arg(end->problem(), kept)
                    : tr("%1 is being edited: Return takes it, Escape keeps %2.")
                          .arg(end->accessibleName(), kept));
            end->setFocus(Qt::OtherFocusReason);
            end->selectAll();
            return;
        }
    }
    QDialog::accept();
}

void RangesDialog::showProblem(NumberField* source, const QString& text) {
    // As in the form: only the end the message speaks of stays marked.
    for (const Row& row : rows_) {
        for (NumberField* end : {row.low, row.high}) {
            if (end != source) {
                end->clearMark();
            }
        }
    }
    message_->setText(text);
}

void RangesDialog::clearProblem() {
    for (const Row& row : rows_) {
        row.low->clearMark();
        row.high->clearMark();
    }
    message_->clear();
}

void RangesDialog::clearAll() {
    clearProblem();
    for (const Row& row : rows_) {
        for (NumberField* end : {row.low, row.high}) {
            // Typing not yet committed goes, so that the end shows the value.
            end->setText(formText(end->formatter(), end->lastGoodValue()));
            end->showValue(row.value);
        }
    }
}

}  // namespace velmora
