#include "ui/document/document_dialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "document/file_name.h"
#include "document/scenario_document.h"

namespace velmora {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("velmora::DocumentDialogs", text);
}

QString documentFilter() {
    return tr("Velmora documents (*.%1)").arg(QLatin1String(documentSuffix));
}

/// The extension a file dialog's filter names first: "csv" of "CSV (*.csv)".
QString suffixOf(const QString& filter) {
    const qsizetype start = filter.indexOf(QLatin1String("*.")) + 2;
    if (start < 2) {
        return {};
    }
    qsizetype end = start;
    while (end < filter.size() && filter[end].isLetterOrNumber()) {
        ++end;
    }
    return filter.mid(start, end - start);
}

QString fileToWrite(QWidget* parent, const QString& title, const QString& suggestion,
                    const QString& filters) {
    QFileDialog dialog(parent, title, showableName(suggestion), filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The dialog adds the chosen filter's suffix to a name without one itself,
    // so that it asks before replacing the file that will really be written.
    dialog.setDefaultSuffix(suffixOf(dialog.selectedNameFilter()));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QString QtDocumentDialogs::fileToOpen(QWidget* parent, const QString& folder) {
    return QFileDialog::getOpenFileName(parent, tr("Open"), showableName(folder), documentFilter());
}

QString QtDocumentDialogs::fileToSave(QWidget* parent, const QString& suggestion) {
    return fileToWrite(parent, tr("Save As"), suggestion, documentFilter());
}

QString QtDocumentDialogs::fileToExport(QWidget* parent, const QString& title,
                                        const QString& suggestion, const QString& filters) {
    return fileToWrite(parent, title, suggestion, filters);
}

DocumentDialogs::Answer QtDocumentDialogs::askToSave(QWidget* parent, const QString& name) {
    QMessageBox box(QMessageBox::Warning, tr("Velmora"),
                    tr("Save changes to “%1” before closing?").arg(name),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setInformativeText(tr("Your changes will be lost if you don’t save them."));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    // A box closed without a button (the application ending) is a Cancel.
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Save:
            return Answer::Save;
        case QMessageBox::Discard:
            return Answer::Discard;
        default:
            return Answer::Cancel;
    }
}

bool QtDocumentDialogs::confirmRevert(QWidget* parent, const QString& name) {
    QMessageBox box(QMessageBox::Question, tr("Velmora"),
                    tr("Revert “%1” to the saved version?").arg(name), QMessageBox::Cancel, parent);
    box.setInformativeText(tr("Your changes since it was saved will be lost."));
    QPushButton* revert = box.addButton(tr("Revert"), QMessageBox::DestructiveRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == revert;
}

void QtDocumentDialogs::warn(QWidget* parent, const QString& title, const QString& message) {
    QMessageBox::warning(parent, title, message);
}

QString QtDocumentDialogs::fileToImport(QWidget* parent, const QString& folder) {
    return QFileDialog::getOpenFileName(parent, tr("Import Cohort Data"), showableName(folder),
                                        tr("Cohort tables (*.csv *.tsv *.txt);;All files (*)"));
}

}  // namespace velmora
