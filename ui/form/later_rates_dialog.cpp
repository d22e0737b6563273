#include "ui/form/later_rates_dialog.h"

#include <algorithm>

#include <qcustomplot.h>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "format/number_format.h"
#include "ui/charts/chart_style.h"

namespace velmora {

namespace {

/// The first renewal the list holds a rate for.
constexpr int firstListed = ScenarioValues::rateCount;

QString tr(const char* text) {
    return QCoreApplication::translate("velmora::LaterRatesDialog", text);
}

/// Rates as the form's fields write them, in full when they have more digits.
QString rateText(double rate) {
    return formText(formFormatter(), rate);
}

}  // namespace

std::variant<std::vector<double>, QString> readRateColumn(const QString& text) {
    const NumberFormatter reader = formFormatter();
    std::vector<double> rates;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype line = 0; line < lines.size(); ++line) {
        const QString cell = lines[line].section(QLatin1Char('\t'), 0, 0).trimmed();
        if (cell.isEmpty()) {
            continue;
        }
        const auto rate = reader.read(cell);
        if (!rate) {
            return tr("line %1: “%2” is not a number").arg(line + 1).arg(cell);
        }
        rates.push_back(*rate);
    }
    return rates;
}

LaterRatesDialog::LaterRatesDialog(const ScenarioValues& values, QWidget* parent)
    : QDialog(parent),
      values_(values),
      table_(new QTableWidget(0, 1, this)),
      message_(new QLabel(this)),
      chart_(new QCustomPlot(this)),
      withRates_(chart_->addGraph()),
      restAlone_(chart_->addGraph()) {
    setWindowTitle(tr("Later Renewal Rates"));
    auto* intro = new QLabel(
        tr("The share of subscribers that stay at each renewal after the sixth. Every renewal "
           "after the last one listed keeps Rest (%1).")
            .arg(rateText(values.rtPlus)),
        this);
    intro->setWordWrap(true);

    table_->setHorizontalHeaderLabels({tr("Rate")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setAccessibleName(tr("Later renewal rates"));
    table_->setMinimumWidth(180);
    connect(table_, &QTableWidget::itemChanged, this, &LaterRatesDialog::takeEdit);

    auto* paste = new QPushButton(tr("Paste Column"), this);
    paste->setToolTip(tr("Replaces the rates from the selected row on with a copied column"));
    connect(paste, &QPushButton::clicked, this,
            [this] { pasteColumn(QApplication::clipboard()->text()); });
    auto* clearAll = new QPushButton(tr("Clear"), this);
    connect(clearAll, &QPushButton::clicked, this, &LaterRatesDialog::clear);

    applyChartStyle(chart_, tr("Still paying"));
    chart_->setMinimumSize(320, 220);
    chart_->xAxis->setLabel(tr("Renewal"));
    chart_->yAxis->setLabel(tr("Still paying (%)"));
    withRates_->setName(tr("With these rates"));
    withRates_->setPen(QPen(QColor(0x00, 0x7A, 0xFF), 2));
    restAlone_->setName(tr("Rest from renewal 7"));
    restAlone_->setPen(QPen(QColor(0x8E, 0x8E, 0x93), 1.5, Qt::DashLine));
    chart_->legend->setVisible(true);

    message_->setWordWrap(true);
    message_->setAccessibleName(tr("Problem"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(paste, QDialogButtonBox::ActionRole);
    buttons->addButton(clearAll, QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* columns = new QHBoxLayout;
    columns->addWidget(table_);
    columns->addWidget(chart_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(columns, 1);
    layout->addWidget(message_);
    layout->addWidget(buttons);
    showRates();
    resize(680, 480);
}

void LaterRatesDialog::pasteColumn(const QString& text) {
    const auto read = readRateColumn(text);
    if (const auto* problem = std::get_if<QString>(&read)) {
        message_->setText(tr("Nothing pasted: %1.").arg(*problem));
        return;
    }
    const auto& pasted = std::get<std::vector<double>>(read);
    const auto from = static_cast<std::size_t>(
        std::clamp(table_->currentRow(), 0, static_cast<int>(values_.laterRates.size())));
    if (from + pasted.size() > ScenarioValues::maxLaterRates) {
        message_->setText(tr("Nothing pasted: a scenario holds at most %1 later rates.")
                              .arg(ScenarioValues::maxLaterRates));
        return;
    }
    values_.laterRates.resize(std::max(values_.laterRates.size(), from + pasted.size()));
    std::copy(pasted.begin(), pasted.end(), values_.laterRates.begin() + static_cast<long>(from));
    message_->clear();
    showRates();
}

void LaterRatesDialog::clear() {
    values_.laterRates.clear();
    message_->clear();
    showRates();
}

void LaterRatesDialog::takeEdit(QTableWidgetItem* item) {
    const auto row = static_cast<std::size_t>(item->row());
    auto& rates = values_.laterRates;
    const QString text = item->text().trimmed();
    if (text.isEmpty()) {
        // Emptied: the rate leaves the list, and those after it move up a renewal.
        if (row < rates.size()) {
            rates.erase(rates.begin() + static_cast<long>(row));
        }
        message_->clear();
    } else if (const auto rate = formFormatter().read(text)) {
        if (row < rates.size()) {
            rates[row] = *rate;
        } else if (rates.size() < ScenarioValues::maxLaterRates) {
            rates.push_back(*rate);
        }
        message_->clear();
    } else {
        message_->setText(row < rates.size() ? tr("“%1” is not a number; renewal %2 keeps %3.")
                                                   .arg(text)
                                                   .arg(static_cast<int>(row) + firstListed)
                                                   .arg(rateText(rates[row]))
                                             : tr("“%1” is not a number.").arg(text));
    }
    showRates();
}

void LaterRatesDialog::showRates() {
    const QSignalBlocker quiet(table_);
    const auto& rates = values_.laterRates;
    // A blank row after the last rate takes the next one typed.
    const bool room = rates.size() < ScenarioValues::maxLaterRates;
    table_->setRowCount(static_cast<int>(rates.size()) + (room ? 1 : 0));
    QStringList renewals;
    for (int row = 0; row < table_->rowCount(); ++row) {
        renewals << QString::number(row + firstListed);
        const auto at = static_cast<std::size_t>(row);
        auto* item = new QTableWidgetItem(at < rates.size() ? rateText(rates[at]) : QString());
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table_->setItem(row, 0, item);
    }
    table_->setVerticalHeaderLabels(renewals);
    drawSurvival();
}

void LaterRatesDialog::drawSurvival() {
    ScenarioValues rest = values_;
    rest.laterRates.clear();
    // A few years past the last listed renewal, to show where Rest takes over.
    const std::size_t last = std::max<std::size_t>(36, values_.listedRenewals() + 12);
    const std::vector<double> listed = values_.renewalRates(last);
    const std::vector<double> constant = rest.renewalRates(last);
    QVector<double> keys{0};
    QVector<double> with{100};
    QVector<double> without{100};
    for (std::size_t k = 0; k < last; ++k) {
        keys << static_cast<double>(k + 1);
        with << with.back() * listed[k];
        without << without.back() * constant[k];
    }
    withRates_->setData(keys, with, true);
    restAlone_->setData(keys, without, true);
    chart_->rescaleAxes();
    chart_->yAxis->setRangeLower(std::min(0.0, chart_->yAxis->range().lower));
    chart_->replot(QCustomPlot::rpQueuedReplot);
}

}  // namespace velmora
