#include "app/FrameDialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

QStringList RunFileDialog(QWidget* parent, QFileDialog::AcceptMode mode,
                          QFileDialog::FileMode fileMode, const QString& filter,
                          const QString& suffix) {
    QFileDialog dialog(parent, QString(), QString(), filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(fileMode);
    dialog.setDefaultSuffix(suffix);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

}  // namespace

QString QtFrameDialogs::GetOpenFileName(QWidget* parent, const QString& filter,
                                        const QString& suffix) {
    return RunFileDialog(parent, QFileDialog::AcceptOpen, QFileDialog::ExistingFile, filter, suffix)
        .value(0);
}

QStringList QtFrameDialogs::GetOpenFileNames(QWidget* parent, const QString& filter,
                                             const QString& suffix) {
    return RunFileDialog(parent, QFileDialog::AcceptOpen, QFileDialog::ExistingFiles, filter,
                         suffix);
}

QString QtFrameDialogs::GetSaveFileName(QWidget* parent, const QString& filter,
                                        const QString& suffix) {
    return RunFileDialog(parent, QFileDialog::AcceptSave, QFileDialog::AnyFile, filter, suffix)
        .value(0);
}

void QtFrameDialogs::ShowMessage(QWidget* parent, Icon icon, const QString& caption,
                                 const QString& text) {
    QMessageBox box(icon == Icon::Error ? QMessageBox::Critical : QMessageBox::Information, caption,
                    text, QMessageBox::Ok, parent);
    box.exec();
}
