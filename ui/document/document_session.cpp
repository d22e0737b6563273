#include "ui/document/document_session.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QUndoStack>

#include "ui/document/undo_editor.h"
#include "ui/pages/content_view.h"

namespace velmora {

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
    return content_->document();
}

void DocumentSession::load(const ScenarioDocument& document, const QString& path) {
    content_->setDocument(document);
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
