#include "app/FrameDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

#include "settings/WindowSettings.h"

namespace {

const QString kLastFolderKey = QStringLiteral("lastFolder");

QStringList RunFileDialog(QWidget* parent, QFileDialog::AcceptMode mode,
                          QFileDialog::FileMode fileMode, const QString& filter,
                          const QString& suffix) {
    QFileDialog dialog(parent, QString(), StartFolder(), filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(fileMode);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    // The chosen file's folder, which differs from the one shown when a full path was typed.
    const QStringList chosen = dialog.selectedFiles();
    if (!chosen.isEmpty()) {
        RememberFolder(QFileInfo(chosen.first()).absolutePath());
    }
    return chosen;
}

}  // namespace

QString StartFolder() {
    const QString last = tessaro::WindowSettings().value(kLastFolderKey).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir()) {
        return last;
    }
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    return !music.isEmpty() && QFileInfo(music).isDir() ? music : QDir::homePath();
}

void RememberFolder(const QString& folder) {
    tessaro::WindowSettings().setValue(kLastFolderKey, folder);
}

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

QString QtFrameDialogs::GetExistingFolder(QWidget* parent) {
    const QString folder = QFileDialog::getExistingDirectory(parent, QString(), StartFolder());
    if (!folder.isEmpty()) {
        RememberFolder(folder);
    }
    return folder;
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

bool QtFrameDialogs::Confirm(QWidget* parent, const QString& caption, const QString& text,
                             const QString& acceptText) {
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Close, parent);
    QPushButton* accept = box.addButton(acceptText, QMessageBox::AcceptRole);
    box.setDefaultButton(accept);
    box.exec();
    return box.clickedButton() == accept;
}
