#include "ui/calibration/calibration_commands.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QWidget>

#include "document/scenario_document.h"
#include "ui/calibration/calibration_page.h"
#include "ui/document/document_dialogs.h"
#include "ui/document/document_session.h"

namespace velmora {

namespace {

// The one local file of a drop that is not a document, or nothing.
QString droppedFile(const QMimeData& data) {
    const QList<QUrl> urls = data.urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return {};
    }
    const QString path = urls.front().toLocalFile();
    return QFileInfo(path).suffix() == QLatin1String(documentSuffix) ? QString() : path;
}

bool accepts(const QMimeData& data) {
    return !droppedFile(data).isEmpty() || (!data.hasUrls() && data.hasText());
}

}  // namespace

CalibrationCommands::CalibrationCommands(QWidget* window, CalibrationPage* page,
                                         const DocumentSession* session, DocumentDialogs* dialogs)
    : QObject(window), window_(window), page_(page), session_(session), dialogs_(dialogs) {
    connect(page_, &CalibrationPage::importRequested, this, &CalibrationCommands::importFile);
    connect(page_, &CalibrationPage::problem, this,
            [this](const QString& title, const QString& message) {
                dialogs_->warn(window_, title, message);
            });
    window_->setAcceptDrops(true);
    window_->installEventFilter(this);
}

void CalibrationCommands::importFile() {
    const QString path = dialogs_->fileToImport(window_, session_->folder());
    if (!path.isEmpty()) {
        page_->importFile(path);
    }
}

bool CalibrationCommands::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_) {
        return false;
    }
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDropEvent*>(event);
        if (accepts(*drag->mimeData())) {
            drag->acceptProposedAction();
            return true;
        }
    } else if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QMimeData& data = *drop->mimeData();
        if (const QString path = droppedFile(data); !path.isEmpty()) {
            page_->importFile(path);
        } else if (accepts(data)) {
            page_->importText(data.text().toUtf8(), tr("Dropped text"));
        } else {
            return false;
        }
        drop->acceptProposedAction();
        return true;
    }
    return false;
}

}  // namespace velmora
