#include "ui/document/document_session.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QUndoStack>

#include "inputs/subscription_inputs.h"
#include "ui/calibration/calibration_page.h"
#include "ui/document/undo_editor.h"
#include "ui/pages/content_view.h"
#include "ui/pages/dual_analysis.h"
#include "ui/pages/single_analysis.h"

namespace velmora {

namespace {

void write(SubscriptionInputs& scenario, const ScenarioValues& values,
           const std::vector<Range>& ranges) {
    scenario.setRanges(ranges);
    scenario.setMonthDuration(values.monthDuration);
    scenario.setMonthsToProject(values.monthsToProject);
    scenario.setDailyNewSubs(values.dailyNewSubs);
    scenario.setStartingSubs(values.startingSubs);
    scenario.setPrice(values.price);
    scenario.setTrialRetention(values.trialRetention);
    scenario.setRt1(values.rt1);
    scenario.setRt2(values.rt2);
    scenario.setRt3(values.rt3);
    scenario.setRt4(values.rt4);
    scenario.setRt5(values.rt5);
    scenario.setRt6(values.rt6);
    scenario.setRtPlus(values.rtPlus);
    scenario.setCostPerTrial(values.costPerTrial);
}

}  // namespace

DocumentSession::DocumentSession(QObject* parent)
    : QObject(parent),
      history_(new QUndoStack(this)),
      editor_(new UndoEditor(history_, [this](const SubscriptionInputs& scenario) {
          if (content_ != nullptr) {
              content_->reveal(scenario);
          }
      })) {
    connect(history_, &QUndoStack::cleanChanged, this, &DocumentSession::stateChanged);
    connect(history_, &QUndoStack::indexChanged, this, &DocumentSession::edited);
}

ScenarioEditor* DocumentSession::editor() const {
    return editor_;
}

ScenarioDocument DocumentSession::document() const {
    ScenarioDocument document;
    document.basic = content_->single()->inputs()->scenarioValues();
    document.basicRanges = content_->single()->inputs()->ranges();
    for (int i = 0; i < DualAnalysis::scenarioCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        document.comparison[at] = content_->dual()->scenario(i)->scenarioValues();
        document.comparisonRanges[at] = content_->dual()->scenario(i)->ranges();
    }
    document.chartType = content_->single()->chartType();
    document.cohortTable = content_->calibration()->keptTable();
    return document;
}

void DocumentSession::load(const ScenarioDocument& document, const QString& path) {
    write(*content_->single()->inputs(), document.basic, document.basicRanges);
    for (int i = 0; i < DualAnalysis::scenarioCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        write(*content_->dual()->scenario(i), document.comparison[at],
              document.comparisonRanges[at]);
    }
    content_->single()->setChartType(document.chartType);
    content_->calibration()->setTable(
        document.cohortTable ? std::make_shared<const ImportedTable>(ImportedTable{
                                   *document.cohortTable, tr("Kept in the document"), true})
                             : nullptr);
    history_->clear();
    setFilePath(path);
    emit edited();
}

void DocumentSession::setFilePath(const QString& path) {
    path_ = path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
    emit stateChanged();
}

QString DocumentSession::folder() const {
    if (!path_.isEmpty()) {
        return QFileInfo(path_).absolutePath();
    }
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString DocumentSession::displayName() const {
    return path_.isEmpty() ? tr("Untitled") : QFileInfo(path_).fileName();
}

bool DocumentSession::isModified() const {
    return !history_->isClean();
}

std::optional<DocumentProblem> DocumentSession::saveTo(const QString& path) {
    if (auto problem = saveDocumentFile(path, document())) {
        return problem;
    }
    history_->setClean();
    setFilePath(path);
    return std::nullopt;
}

void DocumentSession::markUnsaved() {
    history_->resetClean();
}

std::optional<DocumentProblem> DocumentSession::revert() {
    auto read = readDocumentFile(path_);
    if (auto* problem = std::get_if<DocumentProblem>(&read)) {
        return *problem;
    }
    load(std::get<ScenarioDocument>(read), path_);
    return std::nullopt;
}

}  // namespace velmora
