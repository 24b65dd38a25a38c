#include "app/MergeCommands.h"

#include <QFileInfo>
#include <QWidget>

#include "app/ChapterCommands.h"
#include "app/JoinController.h"
#include "app/MergeTarget.h"
#include "app/StatusArea.h"
#include "app/WindowDialogs.h"
#include "app/WorkspaceDocument.h"
#include "io/Files.h"
#include "settings/JoinPreferences.h"
#include "view/TrackListModel.h"

namespace tessaro {

MergeCommands::MergeCommands(QWidget& window, WorkspaceDocument& document, JoinController& join,
                             StatusArea& status, ChapterCommands& chapters)
    : QObject(&window),
      m_window(window),
      m_document(document),
      m_join(join),
      m_status(status),
      m_chapters(chapters) {
    connect(&m_join, &JoinController::finished, this, &MergeCommands::Finish);
}

void MergeCommands::Merge(const JoinPreferences& preferences, WindowDialogs& dialogs) {
    if (m_document.Tracks().Count() == 0) {
        return;
    }
    const QStringList inputs = m_document.Tracks().Paths();
    const QString path = dialogs.GetSaveFileName(
        &m_window, Mp3Filter(), QStringLiteral("mp3"),
        ProposedTarget(inputs, m_document.Tag().album, m_document.File(), tr("Joined")));
    if (path.isEmpty()) {
        return;
    }
    if (const QString folder = InputFolderAround(path, inputs); !folder.isEmpty()) {
        Q_EMIT logged(tr("The joined file \"%1\" lies in %2, where input files come from: a later "
                         "Insert Folder would take it in as an input.")
                          .arg(QFileInfo(path).fileName(), Quoted(folder)));
    }
    m_join.Start(m_document.JoinOf(preferences, path));
    m_chapters.MergeStarted(path);
    Q_EMIT logged(tr("Begin to merge mp3 files ..."));
    m_status.ShowMergeStarted();
}

void MergeCommands::Cancel() {
    if (m_join.IsRunning() && !m_join.IsCancelling()) {
        m_join.Cancel();
        m_status.DisableCancel();
    }
}

void MergeCommands::Finish(const MergeResult& result) {
    m_chapters.MergeFinished(result);
    m_status.ShowMergeEnded(JoinController::Summary(m_join.Request(), result));
    Q_EMIT ended(result);
}

}  // namespace tessaro
