#include "app/ChapterCommands.h"

#include <QFileInfo>
#include <QWidget>
#include <algorithm>

#include "app/WindowDialogs.h"
#include "app/WorkspaceCommands.h"
#include "app/WorkspaceDocument.h"
#include "io/AtomicWrite.h"
#include "io/Files.h"
#include "merge/MergeJob.h"
#include "view/ChapterListModel.h"
#include "view/TrackListModel.h"
#include "view/TrackListView.h"

namespace tessaro {

ChapterCommands::ChapterCommands(QWidget& window, WorkspaceDocument& document,
                                 const ChapterListModel& listed)
    : QObject(&window), m_window(window), m_document(document), m_listed(listed) {}

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

void ChapterCommands::ClearImported() {
    if (!m_document.ChapterFile().isEmpty()) {
        m_document.Push(
            new ChooseChapterFile(tr("Clear Imported Chapters"), m_document.Parts(), QString()));
    }
}

void ChapterCommands::MarkSelected(ChapterMark::Start start) {
    const TrackListModel& tracks = m_document.Tracks();
    QList<int> rows;
    std::vector<ChapterMark> marks;
    for (int row : m_document.Parts().view.SelectedRows()) {
        ChapterMark mark = tracks.Track(row).mark;
        if (mark.start != start) {
            mark.start = start;
            rows << row;
            marks.push_back(mark);
        }
    }
    if (!rows.isEmpty()) {
        m_document.Push(new MarkChapters(start == ChapterMark::Start::Here
                                             ? tr("Start Chapter Here")
                                             : tr("Join with Previous Chapter"),
                                         m_document.Parts(), rows, std::move(marks)));
    }
}

void ChapterCommands::Rename(int chapter, const QString& title) {
    const std::vector<ListedChapter>& listed = m_listed.Chapters();
    if (chapter < 0 || size_t(chapter) >= listed.size() ||
        title.trimmed() == listed[size_t(chapter)].title) {
        return;
    }
    const QString step = tr("Rename Chapter");
    // A chapter file's chapters are titled in its order, the others at the entry they start at.
    if (!m_document.ChapterFile().isEmpty()) {
        QStringList titles = m_document.ChapterTitles();
        while (titles.size() <= chapter) {
            titles << QString();
        }
        titles[chapter] = title.trimmed();
        m_document.Push(
            new ChooseChapterFile(step, m_document.Parts(), m_document.ChapterFile(), titles));
        return;
    }
    const int row = listed[size_t(chapter)].firstRow;
    ChapterMark mark = m_document.Tracks().Track(row).mark;
    mark.title = title.trimmed();
    m_document.Push(new MarkChapters(step, m_document.Parts(), {row}, {mark}));
}

void ChapterCommands::RenameAt(int row, const QString& title) {
    const std::vector<ListedChapter>& listed = m_listed.Chapters();
    const auto at = std::find_if(listed.begin(), listed.end(), [row](const ListedChapter& chapter) {
        return chapter.firstRow == row;
    });
    if (at != listed.end()) {
        Rename(int(at - listed.begin()), title);
    }
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
