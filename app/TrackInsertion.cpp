#include "app/TrackInsertion.h"

#include "app/JoinController.h"
#include "app/WorkspaceCommands.h"
#include "app/WorkspaceDocument.h"
#include "io/Files.h"
#include "view/TrackListModel.h"
#include "workspace/FolderInputs.h"

namespace tessaro {

TrackInsertion::TrackInsertion(WorkspaceDocument& document, const JoinController& join)
    : QObject(&document), m_document(document), m_join(join) {}

void TrackInsertion::Add(const QStringList& paths, int row, const QString& step, bool audioOnly) {
    Additions added;
    for (const QString& path : paths) {
        const FolderInputs inputs = ExpandFolders({path});
        LogEach(inputs.notes);
        QStringList taken;
        for (const QString& file : inputs.files) {
            if (UsableInput(file, audioOnly)) {
                taken << file;
            }
        }
        // A file stands for itself; a folder for the files under it, never itself among them.
        if (inputs.files == QStringList{path}) {
            for (const QString& file : taken) {
                added.lines << tr("MP3 file \"%1\" has been inserted!").arg(file);
            }
        } else if (!taken.isEmpty()) {
            added.lines << tr("Folder \"%1\" has been inserted with %2 MP3 files!")
                               .arg(path)
                               .arg(taken.size());
        }
        added.files << taken;
    }
    // A merge's inputs are fixed when it starts, but the list stays as it is until its end.
    if (m_join.IsRunning()) {
        m_pending.files << added.files;
        m_pending.lines << added.lines;
    } else {
        Insert(added, row, step);
    }
}

void TrackInsertion::Insert(const Additions& additions, int row, const QString& step) {
    if (!additions.files.isEmpty()) {
        m_document.Push(new InsertTracks(step, m_document.Parts(), row, additions.files));
        LogEach(additions.lines);
    }
}

bool TrackInsertion::UsableInput(const QString& path, bool audioOnly) {
    QString problem = UnusableName(path);
    if (problem.isEmpty() && audioOnly && !IsMpegAudioName(path)) {
        problem = tr("it is not an MPEG audio file (.mp3, .mp2, .mpa)");
    }
    if (!problem.isEmpty()) {
        Q_EMIT logged(tr("MP3 file %1 has not been added: %2.").arg(Quoted(path), problem));
    }
    return problem.isEmpty();
}

void TrackInsertion::AddDroppedDuringMerge() {
    if (!m_pending.files.isEmpty()) {
        Insert(m_pending, m_document.Tracks().Count(), tr("Drop"));
        Q_EMIT logged(tr("%n file(s) dropped during the merge have been added.", nullptr,
                         int(m_pending.files.size())));
    }
    m_pending = {};
}

void TrackInsertion::LogEach(const QStringList& lines) {
    for (const QString& line : lines) {
        Q_EMIT logged(line);
    }
}

}  // namespace tessaro
