#include "ui/insights/goal_panel.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/decisions/economics.h"
#include "ui/common/scenario_editor.h"
#include "ui/document/edit_commands.h"
#include "ui/form/number_field.h"
#include "ui/insights/figure_line.h"
#include "ui/insights/insight_texts.h"

namespace velmora {

namespace {

using Outcome = GoalSeekResult::Outcome;

QLabel* wrapping(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

GoalPanel::GoalPanel(SubscriptionInputs* inputs, ScenarioEditor* editor, QWidget* parent)
    : QGroupBox(QStringLiteral("What it takes"), parent),
      inputs_(inputs),
      editor_(editor),
      metricPicker_(new QComboBox(this)),
      target_(new NumberField(QStringLiteral("Target value"), this)),
      targetEcho_(new QLabel(this)),
      inputPicker_(new QComboBox(this)),
      message_(wrapping(this)),
      value_(new FigureLine(this)),
      status_(wrapping(this)),
      apply_(new QPushButton(QStringLiteral("&Apply"), this)),
      job_(new LatestJob(this)) {
    setAccessibleName(title());
    setAccessibleDescription(
        QStringLiteral("The value of one input that brings a figure of the scenario to a target"));

    QPalette warning = message_->palette();
    warning.setColor(QPalette::WindowText, QColor(0xb7, 0x1c, 0x1c));
    message_->setPalette(warning);
    message_->hide();
    status_->setAccessibleDescription(QStringLiteral("Whether the value found reaches the target"));
    apply_->setAccessibleName(QStringLiteral("Apply the value found"));
    apply_->setAccessibleDescription(QStringLiteral(
        "Writes the value found into the scenario, as one edit that Undo takes back"));
    apply_->setEnabled(false);
    connect(apply_, &QPushButton::clicked, this, &GoalPanel::apply);

    auto* answerRow = new QHBoxLayout;
    answerRow->addWidget(value_, 1);
    answerRow->addWidget(apply_, 0, Qt::AlignVCenter);
    auto* column = new QVBoxLayout(this);
    column->addLayout(questionForm());
    column->addWidget(message_);
    column->addSpacing(6);
    column->addLayout(answerRow);
    column->addWidget(status_);
    showSolving();
}

QFormLayout* GoalPanel::questionForm() {
    for (const Metric metric : allMetrics) {
        metricPicker_->addItem(metricTitle(metric), static_cast<int>(metric));
    }
    metricPicker_->setCurrentIndex(static_cast<int>(Metric::MonthlyProceeds));
    metricPicker_->setAccessibleName(QStringLiteral("Target"));
    metricPicker_->setAccessibleDescription(QStringLiteral("The figure to reach"));
    for (const Input input : allInputs) {
        inputPicker_->addItem(inputTitle(input), static_cast<int>(input));
    }
    inputPicker_->setAccessibleName(QStringLiteral("By changing"));
    inputPicker_->setAccessibleDescription(QStringLiteral("The input Velmora changes to reach it"));
    target_->setAccessibleDescription(QStringLiteral("The value of the figure to reach"));
    target_->showValue(targets_[static_cast<std::size_t>(metric())]);
    targetEcho_->setText(goalPhrase(metric(), target_->lastGoodValue()));

    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(target_);
    valueRow->addWidget(targetEcho_, 1);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Target:"), metricPicker_);
    form->addRow(QStringLiteral("&Value:"), valueRow);
    form->addRow(QStringLiteral("&By changing:"), inputPicker_);
    // A label made by addRow for a layout has no buddy yet.
    qobject_cast<QLabel*>(form->labelForField(valueRow))->setBuddy(target_);

    connect(metricPicker_, &QComboBox::currentIndexChanged, this, [this] {
        target_->showValue(targets_[static_cast<std::size_t>(metric())]);
        targetEcho_->setText(goalPhrase(metric(), target_->lastGoodValue()));
        ask();
    });
    connect(target_, &NumberField::committed, this, [this](double value) {
        message_->hide();
        targets_[static_cast<std::size_t>(metric())] = value;
        targetEcho_->setText(goalPhrase(metric(), value));
        ask();
    });
    connect(target_, &NumberField::unreadable, this, [this](const QString& why) {
        message_->setText(why);
        message_->show();
    });
    connect(target_, &NumberField::restored, message_, &QWidget::hide);
    connect(inputPicker_, &QComboBox::currentIndexChanged, this, &GoalPanel::ask);
    return form;
}

Metric GoalPanel::metric() const {
    return static_cast<Metric>(metricPicker_->currentData().toInt());
}

Goal GoalPanel::goal() const {
    return {metric(), target_->lastGoodValue(),
            static_cast<Input>(inputPicker_->currentData().toInt())};
}

bool GoalPanel::isSolving() const {
    return !answer_.has_value();
}

void GoalPanel::setScenario(const ScenarioValues& values) {
    scenario_ = values;
    if (!asked_ || !(asked_->values == values)) {
        ask();
    }
}

void GoalPanel::withdraw() {
    job_->cancel();
    asked_.reset();
    showSolving();
}

void GoalPanel::setRunner(JobRunner runner) {
    job_->setRunner(std::move(runner));
    ask();
}

void GoalPanel::ask() {
    if (!scenario_) {
        return;
    }
    asked_ = Asked{*scenario_, goal()};
    showSolving();
    job_->start<GoalSeekResult>(
        [values = asked_->values, goal = asked_->goal](std::stop_token stop) {
            return seekGoal(values, goal, std::move(stop));
        },
        [this](GoalSeekResult result) {
            if (result.outcome != Outcome::Cancelled) {
                answer_ = std::move(result);
                showAnswer();
            }
        });
}

void GoalPanel::showSolving() {
    answer_.reset();
    value_->setFigure(QStringLiteral("…"), inputTitle(goal().input));
    status_->setText(QStringLiteral("Solving…"));
    apply_->setEnabled(false);
}

void GoalPanel::showAnswer() {
    const GoalSeekResult& found = *answer_;
    const Goal& asked = asked_->goal;
    const NumberFormatter form = formFormatter();
    const QString title = inputTitle(asked.input);
    const QString target = goalPhrase(asked.metric, asked.target);
    const QString achieved = metricPhrase(asked.metric, found.achieved);
    const bool unchanged = sameBits(found.value, inputValue(asked_->values, asked.input));
    value_->setFigure(form.format(found.value), title);
    QString status;
    switch (found.outcome) {
        case Outcome::Reached:
            if (isDeadline(asked.metric)) {  // the phrase says what it gives
                status = unchanged ? QStringLiteral("Already reached: %1.")
                                   : QStringLiteral("Reaches the target: %1.");
            } else {
                status = unchanged ? QStringLiteral("Already reached: the scenario gives %1.")
                                   : QStringLiteral("Reaches the target: gives %1.");
            }
            status = status.arg(achieved);
            break;
        case Outcome::Unreachable: {
            const InputRange range = inputRange(asked.input);
            value_->setFigure(form.format(found.value), title + QStringLiteral(" (nearest)"));
            status = QStringLiteral(
                         "Out of reach: no %1 from %2 to %3 reaches %4. The nearest, "
                         "%5, gives %6.")
                         .arg(title, form.format(range.low), form.format(range.high), target,
                              form.format(found.value), achieved);
            break;
        }
        case Outcome::NoEffect:
            status = QStringLiteral("%1 does not change this figure, which stays at %2.")
                         .arg(title, achieved);
            break;
        case Outcome::CannotCompute:
        case Outcome::Cancelled:
            value_->setFigure(QStringLiteral("–"), title);
            status =
                needsCost(asked.metric) && !hasCost(asked_->values) &&
                        asked.input != Input::CostPerTrial
                    ? QStringLiteral(
                          "Enter the cost of a trial under “Costs and cash”, or "
                          "solve for Cost per Trial.")
                    : QStringLiteral("Cannot solve: %1").arg(QString::fromStdString(found.reason));
            break;
    }
    status_->setText(status);
    apply_->setEnabled(found.reached() && !unchanged);
}

void GoalPanel::apply() {
    // Only an answer for the scenario as it is now goes in.
    if (!answer_ || !answer_->reached() || !(asked_->values == inputs_->scenarioValues())) {
        return;
    }
    editor_->setValue(*inputs_, fieldOf(asked_->goal.input), answer_->value);
}

}  // namespace velmora
