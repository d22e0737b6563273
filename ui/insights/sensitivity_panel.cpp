#include "ui/insights/sensitivity_panel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "engine/decisions/economics.h"
#include "engine/decisions/sensitivity.h"
#include "ui/insights/insight_texts.h"
#include "ui/insights/tornado_chart.h"

namespace velmora {

namespace {

constexpr std::array pickable = {Metric::MonthlyProceeds, Metric::Subscribers,
                                 Metric::LifetimeValue, Metric::BreakEvenMonth, Metric::CashNeeded};

}  // namespace

SensitivityPanel::SensitivityPanel(QWidget* parent)
    : QGroupBox(QStringLiteral("Which input matters most"), parent),
      picker_(new QComboBox(this)),
      chart_(new TornadoChart(this)),
      details_(new QLabel(this)),
      job_(new LatestJob(this)) {
    setAccessibleName(title());
    setAccessibleDescription(
        QStringLiteral("How much a figure changes when each input, or a share's churn, is moved "
                       "to 90% and to 110% of itself"));
    for (const Metric metric : pickable) {
        picker_->addItem(metricTitle(metric), static_cast<int>(metric));
    }
    picker_->setAccessibleName(QStringLiteral("Measure"));
    picker_->setAccessibleDescription(QStringLiteral("The figure whose change the chart shows"));
    auto* pickerLabel = new QLabel(QStringLiteral("&Measure:"), this);
    pickerLabel->setBuddy(picker_);
    const NumberFormatter form = formFormatter();
    auto* note = new QLabel(
        QStringLiteral("Counts, the price and the cost moved to 90% and 110% of themselves; each "
                       "share (trial retention, renewal rates) by its churn, 1 − share, to 90% "
                       "and 110% of the churn (%1 becomes %2 and %3), never past 0 or 1. "
                       "Largest effect on top.")
            .arg(form.format(0.95), form.format(0.955), form.format(0.945)),
        this);
    note->setWordWrap(true);
    details_->setWordWrap(true);
    details_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    details_->setAccessibleDescription(QStringLiteral("The exact figures of the chosen input"));
    details_->setText(
        QStringLiteral("Hover over a row, or give the chart the focus and use the "
                       "arrow keys, to read its exact figures."));

    auto* pickerRow = new QHBoxLayout;
    pickerRow->addWidget(pickerLabel);
    pickerRow->addWidget(picker_);
    pickerRow->addStretch();
    auto* column = new QVBoxLayout(this);
    column->addLayout(pickerRow);
    column->addWidget(note);
    column->addWidget(chart_, 1);
    column->addWidget(details_);

    connect(picker_, &QComboBox::currentIndexChanged, this, &SensitivityPanel::ask);
    connect(chart_, &TornadoChart::currentRowChanged, this, &SensitivityPanel::showDetails);
}

Metric SensitivityPanel::metric() const {
    return static_cast<Metric>(picker_->currentData().toInt());
}

bool SensitivityPanel::isBusy() const {
    return job_->isRunning();
}

void SensitivityPanel::setScenario(const ScenarioValues& values) {
    scenario_ = values;
    if (!asked_ || !(asked_->values == values)) {
        ask();
    }
}

void SensitivityPanel::withdraw() {
    job_->cancel();
    asked_.reset();
}

void SensitivityPanel::setRunner(JobRunner runner) {
    job_->setRunner(std::move(runner));
    ask();
}

void SensitivityPanel::ask() {
    if (!scenario_) {
        return;
    }
    asked_ = Asked{*scenario_, metric()};
    if (needsCost(asked_->metric) && !hasCost(asked_->values)) {
        job_->cancel();
        chart_->setSensitivity(std::nullopt);
        details_->setText(
            QStringLiteral("Enter the cost of a trial under “Costs and cash” to see what moves "
                           "this figure."));
        return;
    }
    job_->start<std::optional<Sensitivity>>(
        [values = asked_->values, metric = asked_->metric](std::stop_token stop) {
            return sensitivity(values, metric, std::move(stop));
        },
        [this](std::optional<Sensitivity> figures) {
            chart_->setSensitivity(figures);
            if (figures) {
                showDetails(chart_->currentRow());
            } else {
                details_->setText(QStringLiteral("No figures: the projection has no month."));
            }
        });
}

void SensitivityPanel::showDetails(int row) {
    if (row >= 0 && row < chart_->rowCount()) {
        details_->setText(chart_->rowDetails(row));
    }
}

}  // namespace velmora
