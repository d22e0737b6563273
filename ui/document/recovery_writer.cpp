#include "ui/document/recovery_writer.h"

#include <variant>

namespace velmora {

RecoveryWriter::RecoveryWriter(RecoveryStore& store, DocumentSource document, PathSource filePath,
                               QObject* parent)
    : RecoveryWriter(store, std::move(document), std::move(filePath),
                     std::make_unique<QtRecalculationTimer>(), parent) {}

RecoveryWriter::RecoveryWriter(RecoveryStore& store, DocumentSource document, PathSource filePath,
                               std::unique_ptr<RecalculationTimer> timer, QObject* parent)
    : QObject(parent),
      store_(store),
      document_(std::move(document)),
      filePath_(std::move(filePath)),
      timer_(std::move(timer)) {}

RecoveryWriter::~RecoveryWriter() = default;

void RecoveryWriter::documentChanged() {
    unwritten_ = true;
    timer_->start(wait, [this] { write(); });
}

void RecoveryWriter::documentClean() {
    timer_->cancel();
    unwritten_ = false;
    if (copy_ != nullptr) {
        if (const auto failed = copy_->remove()) {
            emit problem(failed->message);
            return;
        }
        emit updated();
    }
}

void RecoveryWriter::writeNow() {
    timer_->cancel();
    if (unwritten_) {
        write();
    }
}

void RecoveryWriter::adopt(std::unique_ptr<RecoveryCopy> copy) {
    timer_->cancel();
    copy_ = std::move(copy);
    unwritten_ = false;
}

QString RecoveryWriter::copyPath() const {
    return copy_ != nullptr ? copy_->path() : QString();
}

void RecoveryWriter::write() {
    if (copy_ == nullptr) {
        auto created = store_.create();
        if (const auto* failed = std::get_if<DocumentProblem>(&created)) {
            emit problem(failed->message);
            return;
        }
        copy_ = std::move(std::get<std::unique_ptr<RecoveryCopy>>(created));
    }
    if (const auto failed = copy_->write(document_(), filePath_())) {
        emit problem(failed->message);
        return;
    }
    unwritten_ = false;
    emit updated();
}

}  // namespace velmora
