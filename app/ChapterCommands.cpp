#include "app/ChapterCommands.h"

#include <QFileInfo>
#include <QWidget>

#include "app/WindowDialogs.h"
#include "app/WorkspaceCommands.h"
#include "app/WorkspaceDocument.h"
#include "io/AtomicWrite.h"
#include "io/Files.h"
#include "merge/MergeJob.h"

namespace tessaro {

ChapterCommands::ChapterCommands(QWidget& window, WorkspaceDocument& document)
    : QObject(&window), m_window(window), m_document(document) {}

void ChapterCommands::MergeStarted(const QString& output) {
    m_sheet.audioFile = QFileInfo(output).fileName();
}

void ChapterCommands::MergeFinished(const MergeResult& result) {
    if (result.Succeeded()) {
        m_chapters = result.chapters;
        m_sheet.title = result.title;
        m_sheet.performer = result.artist;
    }
}

QString ChapterCommands::Filter() {
    QStringList patterns;
    QStringList each;
    for (const ChapterFormInfo& form : ChapterForms()) {
        for (const QString& extension : form.extensions) {
            patterns << QStringLiteral("*.") + extension;
        }
        each << form.Filter();
    }
    return tr("Chapter files (%1)").arg(patterns.join(QLatin1Char(' '))) + QStringLiteral(";;") +
           each.join(QStringLiteral(";;"));
}

void ChapterCommands::Import(WindowDialogs& dialogs) {
    const QString path = dialogs.GetOpenFileName(&m_window, Filter(), QStringLiteral("txt"));
    if (path.isEmpty()) {
        return;
    }
    // Checked now for what it holds; its times, and the inputs a CUE sheet's FILE lines name,
    // against the inputs and the joined audio when it is merged.
    QString why;
    const std::optional<size_t> chapters = CountChapters(path, &why);
    if (!chapters) {
        dialogs.ShowMessage(&m_window, WindowDialogs::Icon::Error, tr("Import Chapters"),
                            tr("Cannot import chapters from %1: %2").arg(Quoted(path), why));
        return;
    }
    m_document.Push(new ChooseChapterFile(tr("Import Chapters"), m_document.Parts(), path));
    Q_EMIT logged(
        *chapters == 1
            ? tr("1 chapter from \"%1\" goes into the next merged file.").arg(path)
            : tr("%1 chapters from \"%2\" go into the next merged file.").arg(*chapters).arg(path));
}

void ChapterCommands::Export(WindowDialogs& dialogs) {
    if (m_chapters.empty()) {
        dialogs.ShowMessage(
            &m_window, WindowDialogs::Icon::Information, tr("Export Chapters"),
            tr("The file merged last has no chapters. Turn on \"Add a chapter for each input "
               "file\" in File > Preferences, or import a chapter file, and merge."));
        return;
    }
    const QString path = dialogs.GetSaveFileName(&m_window, Filter(), QStringLiteral("txt"));
    if (path.isEmpty()) {
        return;
    }
    QString why;
    const std::optional<QByteArray> text =
        FormatChapters(m_chapters, ChapterFormOfName(path), m_sheet, &why);
    if (text) {
        why = WriteAtomically(path, *text);
    }
    if (!text || !why.isEmpty()) {
        dialogs.ShowMessage(&m_window, WindowDialogs::Icon::Error, tr("Export Chapters"),
                            tr("Cannot export the chapters to %1: %2").arg(Quoted(path), why));
        return;
    }
    Q_EMIT logged(tr("Chapters exported to \"%1\".").arg(path));
}

}  // namespace tessaro
