#include "app/WindowDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

#include "settings/WindowSettings.h"

namespace tessaro {

namespace {

const QString kLastFolderKey = QStringLiteral("lastFolder");
// In the window's context, where its translations are.
const char* const kMp3Filter =
    QT_TRANSLATE_NOOP("tessaro::MainWindow", "MPEG audio (*.mp3 *.mp2 *.mpa)");

QStringList RunFileDialog(QWidget* parent, QFileDialog::AcceptMode mode,
                          QFileDialog::FileMode fileMode, const QString& filter,
                          const QString& suffix, const QString& proposed = QString()) {
    QFileDialog dialog(parent, QString(), proposed.isEmpty() ? StartFolder() : proposed, filter);
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

QString Mp3Filter() {
    return QCoreApplication::translate("tessaro::MainWindow", kMp3Filter);
}

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

QString QtWindowDialogs::GetOpenFileName(QWidget* parent, const QString& filter,
                                         const QString& suffix) {
    return RunFileDialog(parent, QFileDialog::AcceptOpen, QFileDialog::ExistingFile, filter, suffix)
        .value(0);
}

QStringList QtWindowDialogs::GetOpenFileNames(QWidget* parent, const QString& filter,
                                              const QString& suffix) {
    return RunFileDialog(parent, QFileDialog::AcceptOpen, QFileDialog::ExistingFiles, filter,
                         suffix);
}

QString QtWindowDialogs::GetExistingFolder(QWidget* parent) {
    const QString folder = QFileDialog::getExistingDirectory(parent, QString(), StartFolder());
    if (!folder.isEmpty()) {
        RememberFolder(folder);
    }
    return folder;
}

QString QtWindowDialogs::GetSaveFileName(QWidget* parent, const QString& filter,
                                         const QString& suffix, const QString& proposed) {
    return RunFileDialog(parent, QFileDialog::AcceptSave, QFileDialog::AnyFile, filter, suffix,
                         proposed)
        .value(0);
}

WindowDialogs::Answer QtWindowDialogs::AskToSave(QWidget* parent, const QString& question) {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), question,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Save:
            return Answer::Save;
        case QMessageBox::Discard:
            return Answer::Discard;
        default:
            return Answer::Cancel;
    }
}

void QtWindowDialogs::ShowMessage(QWidget* parent, Icon icon, const QString& caption,
                                  const QString& text) {
    QMessageBox box(icon == Icon::Error ? QMessageBox::Critical : QMessageBox::Information, caption,
                    text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtWindowDialogs::Confirm(QWidget* parent, const QString& caption, const QString& text,
                              const QString& acceptText, const QString& rejectText) {
    QMessageBox box(QMessageBox::Information, caption, text,
                    rejectText.isEmpty() ? QMessageBox::Close : QMessageBox::NoButton, parent);
    QPushButton* accept = box.addButton(acceptText, QMessageBox::AcceptRole);
    if (!rejectText.isEmpty()) {
        box.addButton(rejectText, QMessageBox::RejectRole);  // Esc's too
    }
    box.setDefaultButton(accept);
    // Null again once the box is gone.
    m_question = &box;
    box.exec();
    return box.clickedButton() == accept;
}

void QtWindowDialogs::WithdrawQuestion() {
    if (m_question) {
        m_question->done(QDialog::Rejected);
    }
}

}  // namespace tessaro
