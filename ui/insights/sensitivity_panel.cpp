#include "ui/insights/sensitivity_panel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "engine/sensitivity.h"
#include "ui/insights/insight_texts.h"
#include "ui/insights/tornado_chart.h"

namespace velmora {

namespace {

constexpr std::array pickable = {Metric::MonthlyProceeds, Metric::Subscribers,
                                 Metric::LifetimeValue};

}  // namespace

SensitivityPanel::SensitivityPanel(QWidget* parent)
    : QGroupBox(QStringLiteral("Which input matters most"), parent),
      picker_(new QComboBox(this)),
      chart_(new TornadoChart(this)),
      details_(new QLabel(this)),
      job_(new LatestJob(this)) {
    setAccessibleName(title());
    setAccessibleDescription(QStringLiteral(
        "How much a figure changes when each input is moved to 90% and to 110% of its value"));
    for (const Metric metric : pickable) {
        picker_->addItem(metricTitle(metric), static_cast<int>(metric));
    }
    picker_->setAccessibleName(QStringLiteral("Measure"));
    picker_->setAccessibleDescription(QStringLiteral("The figure whose change the chart shows"));
    auto* pickerLabel = new QLabel(QStringLiteral("&Measure:"), this);
    pickerLabel->setBuddy(picker_);
    auto* note = new QLabel(
        QStringLiteral("Each input moved to 90% and to 110% of its value, largest effect on top; "
                       "shares go no higher than 1."),
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
