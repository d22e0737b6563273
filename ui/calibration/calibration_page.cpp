#include "ui/calibration/calibration_page.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "document/cohort_table_file.h"
#include "engine/calibration/calibration_csv.h"
#include "format/number_format.h"
#include "report/report.h"
#include "ui/calibration/calibration_summary.h"
#include "ui/calibration/cohort_table_model.h"
#include "ui/calibration/survival_chart.h"
#include "ui/common/page_layout.h"
#include "ui/common/rebuild.h"

namespace velmora {

namespace {

using Read = std::variant<ImportedTable, DocumentProblem>;
using Fit = std::variant<Calibration, std::string>;

Read imported(const std::variant<CohortTable, DocumentProblem>& read, const QString& source) {
    if (const auto* problem = std::get_if<DocumentProblem>(&read)) {
        return *problem;
    }
    const auto& table = std::get<CohortTable>(read);
    return ImportedTable{table, source, fitsInDocument(table)};
}

QString summaryOf(const ImportedTable& imported) {
    QString text = report::cohortTableSummary(imported.table, imported.source);
    if (!imported.kept) {
        text += QObject::tr(". Too large to keep in the document: fitted, but not saved with it.");
    }
    return text;
}

QString emptyText() {
    return QObject::tr(
        "Calibrate the scenario of Basic Analysis from your own cohorts.\n\n"
        "Import a retention table with File > Import Cohort Data…, paste one (Ctrl+V), or drop a "
        "file on the window: CSV, or tab-separated as a spreadsheet copies it. The first row is a "
        "header: the cohort's label, then columns 0, 1, 2, … with the subscribers paying at the "
        "first payment (0) and after each renewal; optionally trials and days, the trials each "
        "cohort started from and the days they started over. Cells left empty at the end of a row "
        "are not observed yet.");
}

}  // namespace

CalibrationPage::CalibrationPage(SubscriptionInputs* inputs, ScenarioEditor* editor,
                                 const std::optional<CohortTable>& kept, QWidget* parent)
    : QWidget(parent),
      inputs_(inputs),
      editor_(editor != nullptr ? editor : &direct_),
      source_(new QLabel(this)),
      import_(new QPushButton(tr("&Import…"), this)),
      paste_(new QPushButton(tr("&Paste"), this)),
      holdout_(new QSpinBox(this)),
      status_(new QLabel(this)),
      stack_(new QStackedWidget(this)),
      view_(new QTableView(this)),
      model_(new CohortTableModel(this)),
      chart_(new SurvivalChart(this)),
      summary_(new CalibrationSummary(this)),
      reading_(new LatestJob(this)),
      fitting_(new LatestJob(this)),
      ranging_(new LatestJob(this)),
      rebuild_(new Rebuild(
          [this] {
              if (table_ && projectionHorizon(inputs_->scenarioValues()) != fittedHorizon_) {
                  refit();
              } else {
                  showFit();
              }
          },
          this)) {
    setAccessibleName(tr("Calibration"));
    source_->setWordWrap(true);
    source_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = source_->font();
    bold.setBold(true);
    source_->setFont(bold);
    import_->setAccessibleDescription(tr("Reads a cohort table from a file"));
    paste_->setAccessibleDescription(tr("Reads a cohort table from the clipboard"));
    holdout_->setAccessibleName(tr("Backtest holdout"));
    holdout_->setAccessibleDescription(
        tr("The renewals at the end of the table the backtest hides from the fit"));
    holdout_->setSpecialValueText(tr("none"));
    holdout_->setSuffix(tr(" renewals"));
    connect(import_, &QPushButton::clicked, this, &CalibrationPage::importRequested);
    connect(paste_, &QPushButton::clicked, this, &CalibrationPage::paste);
    connect(holdout_, &QSpinBox::valueChanged, this, [this] {
        if (table_ && holdout_->isEnabled()) {
            refit();
        }
    });
    auto* pasteKey = new QShortcut(QKeySequence::Paste, this);
    pasteKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(pasteKey, &QShortcut::activated, this, &CalibrationPage::paste);
    connect(summary_, &CalibrationSummary::applyClicked, this, &CalibrationPage::apply);
    connect(summary_, &CalibrationSummary::laterChoiceChanged, this, &CalibrationPage::showFit);

    view_->setModel(model_);
    view_->setAccessibleName(tr("Cohort table"));
    view_->horizontalHeader()->setDefaultSectionSize(64);
    view_->verticalHeader()->setDefaultSectionSize(22);
    auto* empty = new QLabel(emptyText(), this);
    empty->setWordWrap(true);
    empty->setAlignment(Qt::AlignCenter);
    empty->setMargin(24);
    stack_->addWidget(empty);
    stack_->addWidget(view_);

    auto* top = new QHBoxLayout;
    top->addWidget(source_, 1);
    top->addWidget(new QLabel(tr("Backtest holds out:"), this));
    top->addWidget(holdout_);
    top->addWidget(import_);
    top->addWidget(paste_);
    auto* right = new QWidget(this);
    auto* rightColumn = new QVBoxLayout(right);
    rightColumn->setContentsMargins(0, 0, 0, 0);
    rightColumn->addWidget(chart_, 1);
    rightColumn->addWidget(summary_);
    auto* split = new QSplitter(this);
    split->addWidget(stack_);
    // The chart stays on top; the fitted values below it scroll on a short screen.
    split->addWidget(scrollUpAndDown(this, right));
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);
    page->addLayout(top);
    page->addWidget(status_);
    page->addWidget(split, 1);

    rebuild_->watch(inputs_);
    setTable(kept ? std::make_shared<const ImportedTable>(
                        ImportedTable{*kept, tr("Kept in the document"), true})
                  : nullptr);
}

void CalibrationPage::importFile(const QString& path) {
    status_->setText(tr("Reading %1…").arg(QFileInfo(path).fileName()));
    reading_->start<Read>(
        [path](std::stop_token) {
            return imported(readCohortTableFile(path), QFileInfo(path).fileName());
        },
        [this](Read read) { take(std::move(read)); });
}

void CalibrationPage::importText(const QByteArray& text, const QString& source) {
    status_->setText(tr("Reading the table…"));
    reading_->start<Read>(
        [text, source](std::stop_token) {
            return imported(readCohortTableText(text, source), source);
        },
        [this](Read read) { take(std::move(read)); });
}

void CalibrationPage::paste() {
    const QString text = QApplication::clipboard()->text();
    if (text.isEmpty()) {
        emit problem(tr("Nothing to paste"),
                     tr("The clipboard holds no text to read as a cohort table."));
        return;
    }
    importText(text.toUtf8(), tr("Clipboard"));
}

void CalibrationPage::take(Read read) {
    status_->clear();
    if (const auto* failed = std::get_if<DocumentProblem>(&read)) {
        emit problem(tr("The cohort table could not be read"), failed->message);
        showFit();
        return;
    }
    auto next = std::make_shared<const ImportedTable>(std::get<ImportedTable>(std::move(read)));
    editor_->edit(
        tr("Import Cohort Data"),
        [this, next] {
            setTable(next);
            emit revealRequested();
        },
        [this, before = table_] {
            setTable(before);
            emit revealRequested();
        });
}

std::optional<CohortTable> CalibrationPage::keptTable() const {
    return table_ && table_->kept ? std::optional(table_->table) : std::nullopt;
}

void CalibrationPage::setTable(SharedTable table) {
    table_ = std::move(table);
    stack_->setCurrentIndex(table_ ? 1 : 0);
    source_->setText(table_ ? summaryOf(*table_) : tr("No cohort table yet."));
    // The default holdout of the new table, without a fit for the old one.
    holdout_->setEnabled(false);
    const std::size_t longest = table_ ? table_->table.longestRow() : 0;
    // The fit keeps two renewals at least, to tell the later rates.
    holdout_->setRange(0, static_cast<int>(longest > 2 ? longest - 2 : 0));
    holdout_->setValue(table_ ? static_cast<int>(defaultHoldout(table_->table)) : 0);
    holdout_->setEnabled(table_ && longest > 2);
    model_->setTable(table_, longest - static_cast<std::size_t>(holdout_->value()));
    refit();
}

CalibrationSettings CalibrationPage::settings() const {
    return {projectionHorizon(inputs_->scenarioValues()),
            static_cast<std::size_t>(holdout_->value())};
}

void CalibrationPage::refit() {
    fitted_.reset();
    ranges_.reset();
    refused_.reset();
    fitting_->cancel();
    ranging_->cancel();
    if (!table_) {
        status_->clear();
        chart_->display(nullptr, nullptr);
        showFit();
        return;
    }
    const CalibrationSettings asked = settings();
    fittedHorizon_ = asked.horizon;
    model_->setFitted(table_->table.longestRow() - asked.holdout.value_or(0));
    status_->setText(tr("Fitting…"));
    chart_->display(table_, nullptr);
    showFit();
    fitting_->start<Fit>(
        [table = table_, asked](std::stop_token) { return calibrate(table->table, asked); },
        [this](Fit fit) {
            status_->clear();
            if (auto* refused = std::get_if<std::string>(&fit)) {
                refused_ = std::move(*refused);
                status_->setText(QString::fromStdString(*refused_));
            } else {
                fitted_ = std::get<Calibration>(std::move(fit));
                summary_->recommend(fitted_->recommended);
                chart_->display(table_, &*fitted_);
            }
            showFit();
        });
    ranging_->start<std::optional<CalibrationRanges>>(
        [table = table_, asked](std::stop_token stop) {
            return calibrationRanges(table->table, asked, 1, 200, std::move(stop));
        },
        [this](std::optional<CalibrationRanges> found) {
            ranges_ = std::move(found);
            showFit();
        });
}

std::vector<Range> fittedRanges(const CalibrationRanges& found, const ScenarioValues& fitted,
                                const std::vector<Range>& kept) {
    std::array<std::pair<Input, std::optional<FittedRange>>, 9> spans{
        {{Input::Rt1, found.rates[0]},
         {Input::Rt2, found.rates[1]},
         {Input::Rt3, found.rates[2]},
         {Input::Rt4, found.rates[3]},
         {Input::Rt5, found.rates[4]},
         {Input::Rt6, found.rates[5]},
         {Input::RtPlus, found.rtPlus},
         {Input::TrialRetention, found.trialRetention},
         {Input::DailyNewSubs, found.dailyNewSubs}}};
    std::vector<Range> ranges;
    for (const Input input : rangedInputs) {
        const auto span = std::find_if(spans.begin(), spans.end(),
                                       [&](const auto& each) { return each.first == input; });
        if (span != spans.end() && span->second) {
            // The bootstrap's percentiles need not hold the fit itself.
            const double value = inputValue(fitted, input);
            const double low = std::min(span->second->low, value);
            const double high = std::max(span->second->high, value);
            if (std::isfinite(low) && std::isfinite(high) && low < high) {
                ranges.push_back({input, low, high});
            }
            continue;
        }
        const auto other = std::find_if(kept.begin(), kept.end(),
                                        [&](const Range& range) { return range.input == input; });
        if (other != kept.end()) {
            ranges.push_back(*other);
        }
    }
    return ranges;
}

void CalibrationPage::showFit() {
    summary_->display(fitted_ ? &*fitted_ : nullptr, ranges_ ? &*ranges_ : nullptr,
                      inputs_->scenarioValues());
}

void CalibrationPage::apply() {
    if (!fitted_) {
        return;
    }
    using Field = SubscriptionInputs::Field;
    const ScenarioValues values =
        fitted_->appliedTo(inputs_->scenarioValues(), summary_->laterChoice());
    const std::pair<Field, double> edits[] = {{Field::Rt1, values.rt1},
                                              {Field::Rt2, values.rt2},
                                              {Field::Rt3, values.rt3},
                                              {Field::Rt4, values.rt4},
                                              {Field::Rt5, values.rt5},
                                              {Field::Rt6, values.rt6},
                                              {Field::RtPlus, values.rtPlus},
                                              {Field::TrialRetention, values.trialRetention},
                                              {Field::DailyNewSubs, values.dailyNewSubs}};
    std::optional<std::vector<Range>> ranges;
    if (ranges_ && summary_->applyRanges()->isChecked()) {
        ranges =
            fittedRanges(rangesFor(*ranges_, summary_->laterChoice()), values, inputs_->ranges());
    }
    editor_->setValues(*inputs_, edits, tr("Apply Calibration"), ranges, values.laterRates);
}

void CalibrationPage::setRunner(const JobRunner& runner) {
    for (LatestJob* job : {reading_, fitting_, ranging_}) {
        job->setRunner(runner);
    }
    refit();
}

bool CalibrationPage::isBusy() const {
    return reading_->isRunning() || fitting_->isRunning() || ranging_->isRunning();
}

}  // namespace velmora
