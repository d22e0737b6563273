#include "ui/document/file_commands.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QWidget>

#include "document/scenario_document.h"
#include "ui/document/document_dialogs.h"
#include "ui/document/document_session.h"
#include "ui/document/recent_files.h"

namespace velmora {

FileCommands::FileCommands(QWidget* window, DocumentSession* session, DocumentDialogs* dialogs)
    : QObject(window),
      window_(window),
      session_(session),
      dialogs_(dialogs),
      open_(new QAction(tr("&Open…"), this)),
      recent_(new QMenu(tr("Open &Recent"), window)),
      save_(new QAction(tr("&Save"), this)),
      saveAs_(new QAction(tr("Save &As…"), this)),
      revert_(new QAction(tr("Re&vert to Saved"), this)) {
    open_->setShortcut(QKeySequence::Open);
    save_->setShortcut(QKeySequence::Save);
    saveAs_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(open_, &QAction::triggered, this, &FileCommands::open);
    connect(save_, &QAction::triggered, this, &FileCommands::save);
    connect(saveAs_, &QAction::triggered, this, &FileCommands::saveAs);
    connect(revert_, &QAction::triggered, this, &FileCommands::revert);
    // Read when shown, so that every window lists what any of them opened last.
    connect(recent_, &QMenu::aboutToShow, this, &FileCommands::fillRecentMenu);

    const auto enableRevert = [this] {
        revert_->setEnabled(!session_->filePath().isEmpty() && session_->isModified());
    };
    connect(session_, &DocumentSession::stateChanged, this, enableRevert);
    enableRevert();
}

void FileCommands::addTo(QMenu* menu) {
    menu->addAction(open_);
    menu->addMenu(recent_);
    menu->addAction(save_);
    menu->addAction(saveAs_);
    menu->addAction(revert_);
}

void FileCommands::open() {
    const QString path = dialogs_->fileToOpen(window_, session_->folder());
    if (!path.isEmpty()) {
        emit openRequested(path);
    }
}

bool FileCommands::save() {
    commitTyping();
    if (session_->filePath().isEmpty()) {
        return saveAs();
    }
    return saveTo(session_->filePath());
}

bool FileCommands::saveAs() {
    commitTyping();
    const QString suggestion =
        session_->filePath().isEmpty()
            ? QDir(session_->folder())
                  .filePath(session_->displayName() + '.' + QLatin1String(documentSuffix))
            : session_->filePath();
    QString path = dialogs_->fileToSave(window_, suggestion);
    if (path.isEmpty()) {
        return false;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += '.' + QLatin1String(documentSuffix);
    }
    return saveTo(path);
}

void FileCommands::revert() {
    if (session_->filePath().isEmpty() || !session_->isModified() ||
        !dialogs_->confirmRevert(window_, session_->displayName())) {
        return;
    }
    if (const auto problem = session_->revert()) {
        dialogs_->warn(window_, tr("The document could not be reverted"), problem->message);
    }
}

bool FileCommands::confirmClose() {
    commitTyping();
    if (!session_->isModified()) {
        return true;
    }
    window_->raise();
    window_->activateWindow();
    switch (dialogs_->askToSave(window_, session_->displayName())) {
        case DocumentDialogs::Answer::Save:
            return save();
        case DocumentDialogs::Answer::Discard:
            emit changesDiscarded();
            return true;
        case DocumentDialogs::Answer::Cancel:
            break;
    }
    return false;
}

// A field commits its text when it loses focus; a save or a close by a
// shortcut takes no focus, so the text being typed is committed here first.
void FileCommands::commitTyping() {
    if (QWidget* focus = window_->focusWidget(); focus != nullptr && focus->hasFocus()) {
        focus->clearFocus();
        focus->setFocus(Qt::OtherFocusReason);
    }
}

bool FileCommands::saveTo(const QString& path) {
    if (const auto problem = session_->saveTo(path)) {
        dialogs_->warn(window_, tr("The document could not be saved"), problem->message);
        return false;
    }
    addRecentFile(path);
    return true;
}

void FileCommands::fillRecentMenu() {
    recent_->clear();
    const QStringList paths = recentFiles();
    for (const QString& path : paths) {
        QString text = QDir::toNativeSeparators(path);
        QAction* entry = recent_->addAction(text.replace('&', QLatin1String("&&")));
        connect(entry, &QAction::triggered, this, [this, path] { emit openRequested(path); });
    }
    if (paths.isEmpty()) {
        recent_->addAction(tr("No Recent Documents"))->setEnabled(false);
    }
    recent_->addSeparator();
    QAction* clear = recent_->addAction(tr("Clear Menu"), this, [] { clearRecentFiles(); });
    clear->setEnabled(!paths.isEmpty());
}

}  // namespace velmora
