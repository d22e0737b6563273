#include "ui/form/plan_changes.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/common/field_titles.h"
#include "ui/form/plan_field.h"
#include "ui/form/plan_texts.h"

namespace velmora {

namespace {

enum Column { MonthColumn, InputColumn, ValueColumn };

double scenarioValue(const ScenarioValues& scenario, PlanInput input) {
    switch (input) {
        case PlanInput::DailyNewSubs:
            return scenario.dailyNewSubs;
        case PlanInput::Price:
            return scenario.price;
        case PlanInput::TrialRetention:
            return scenario.trialRetention;
        case PlanInput::CostPerTrial:
            return scenario.costPerTrial;
    }
    return 0;
}

}  // namespace

PlanChanges::PlanChanges(const ScenarioValues& scenario, QWidget* parent)
    : QWidget(parent), scenario_(scenario), table_(new QTableWidget(0, 3, this)) {
    table_->setHorizontalHeaderLabels({tr("Month"), tr("Input"), tr("Value")});
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(ValueColumn, QHeaderView::Stretch);
    table_->verticalHeader()->hide();
    // Tab leaves the table from its last row rather than going round it again.
    table_->setTabKeyNavigation(false);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setAccessibleName(tr("Changes"));

    auto* add = new QPushButton(tr("Add"), this);
    auto* remove = new QPushButton(tr("Remove"), this);
    auto* pasteButton = new QPushButton(tr("Paste"), this);
    add->setToolTip(tr("Adds a change a month after the last"));
    remove->setToolTip(tr("Removes the selected change"));
    pasteButton->setToolTip(tr("Adds copied lines of month, input and value"));
    connect(add, &QPushButton::clicked, this, &PlanChanges::addRow);
    connect(remove, &QPushButton::clicked, this, [this] { removeRow(activeRow()); });
    connect(pasteButton, &QPushButton::clicked, this,
            [this] { paste(QApplication::clipboard()->text()); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch(1);
    buttons->addWidget(pasteButton);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(table_, 1);
    column->addLayout(buttons);
}

void PlanChanges::setChanges(const std::vector<PlanChange>& changes) {
    table_->setRowCount(0);
    for (const PlanChange& change : changes) {
        appendRow(change);
    }
    emit edited();
}

std::vector<PlanChange> PlanChanges::changes() const {
    std::vector<PlanChange> changes;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const auto input = static_cast<PlanInput>(inputBox(row)->currentData().toInt());
        changes.push_back({input, monthBox(row)->value(), valueField(row)->value().value_or(0)});
    }
    return changes;
}

QString PlanChanges::problem() const {
    for (int row = 0; row < table_->rowCount(); ++row) {
        if (const QString& problem = valueField(row)->problem(); !problem.isEmpty()) {
            return problem;
        }
    }
    return {};
}

void PlanChanges::addRow() {
    const std::vector<PlanChange> rows = changes();
    std::int64_t last = 0;
    for (const PlanChange& change : rows) {
        last = std::max(last, change.month);
    }
    if (last >= Plan::lastMonth) {
        return;
    }
    // Steps of one input follow one another: the new row goes on from the last.
    PlanChange next{PlanInput::Price, last + 1, scenarioValue(scenario_, PlanInput::Price)};
    if (!rows.empty()) {
        next.input = rows.back().input;
        next.value = rows.back().value;
    }
    appendRow(next);
    table_->setCurrentCell(table_->rowCount() - 1, ValueColumn);
    emit edited();
}

void PlanChanges::removeRow(int row) {
    if (row < 0 || row >= table_->rowCount()) {
        return;
    }
    table_->removeRow(row);
    // The names count the rows as they stand.
    for (int below = row; below < table_->rowCount(); ++below) {
        name(below);
    }
    emit edited();
}

bool PlanChanges::paste(const QString& text) {
    const auto read = readPlanChanges(text);
    if (const auto* problem = std::get_if<QString>(&read)) {
        emit refused(tr("Nothing pasted: %1.").arg(*problem));
        return false;
    }
    for (const PlanChange& change : std::get<std::vector<PlanChange>>(read)) {
        const std::vector<PlanChange> rows = changes();
        const auto same = std::find_if(rows.begin(), rows.end(), [&](const PlanChange& row) {
            return row.input == change.input && row.month == change.month;
        });
        if (same == rows.end()) {
            appendRow(change);
        } else {
            valueField(static_cast<int>(same - rows.begin()))->showValue(change.value);
        }
    }
    emit edited();
    return true;
}

QSpinBox* PlanChanges::monthBox(int row) const {
    return qobject_cast<QSpinBox*>(table_->cellWidget(row, MonthColumn));
}

QComboBox* PlanChanges::inputBox(int row) const {
    return qobject_cast<QComboBox*>(table_->cellWidget(row, InputColumn));
}

PlanField* PlanChanges::valueField(int row) const {
    return qobject_cast<PlanField*>(table_->cellWidget(row, ValueColumn));
}

void PlanChanges::appendRow(const PlanChange& change) {
    const int row = table_->rowCount();
    table_->insertRow(row);
    auto* month = new QSpinBox(table_);
    month->setRange(1, static_cast<int>(Plan::lastMonth));
    month->setPrefix(QStringLiteral("M"));
    month->setValue(static_cast<int>(change.month));
    auto* input = new QComboBox(table_);
    for (const PlanInput each : planInputs) {
        input->addItem(planInputTitle(each), static_cast<int>(each));
    }
    input->setCurrentIndex(input->findData(static_cast<int>(change.input)));
    auto* value = new PlanField(QString(), false, table_);
    value->showValue(change.value);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setFrame(false);
    connect(month, &QSpinBox::valueChanged, this, &PlanChanges::edited);
    connect(input, &QComboBox::currentIndexChanged, this, &PlanChanges::edited);
    connect(value, &PlanField::edited, this, &PlanChanges::edited);
    table_->setCellWidget(row, MonthColumn, month);
    table_->setCellWidget(row, InputColumn, input);
    table_->setCellWidget(row, ValueColumn, value);
    // Tab goes through the rows in order, before the buttons under them.
    setTabOrder(row == 0 ? static_cast<QWidget*>(table_) : valueField(row - 1), month);
    setTabOrder(month, input);
    setTabOrder(input, value);
    name(row);
}

void PlanChanges::name(int row) {
    monthBox(row)->setAccessibleName(tr("Month of change %1").arg(row + 1));
    inputBox(row)->setAccessibleName(tr("Input of change %1").arg(row + 1));
    valueField(row)->setAccessibleName(tr("Value of change %1").arg(row + 1));
}

int PlanChanges::activeRow() const {
    QWidget* focus = QApplication::focusWidget();
    for (int row = 0; row < table_->rowCount(); ++row) {
        for (int column : {MonthColumn, InputColumn, ValueColumn}) {
            const QWidget* cell = table_->cellWidget(row, column);
            if (cell == focus || cell->isAncestorOf(focus)) {
                return row;
            }
        }
    }
    return table_->currentRow();
}

}  // namespace velmora
