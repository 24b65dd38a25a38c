#include "app/WorkspaceDocument.h"

#include <QFileInfo>
#include <QUndoStack>
#include <QWidget>

#include "app/WindowDialogs.h"
#include "io/Files.h"
#include "settings/JoinPreferences.h"
#include "view/TrackListModel.h"
#include "workspace/Exception.h"
#include "workspace/FolderInputs.h"
#include "workspace/TessaroWorkSpace.h"
#include "workspace/WorkSpaceLoad.h"

namespace tessaro {
namespace {

const char* const kWorkspaceFilter =
    QT_TRANSLATE_NOOP("tessaro::WorkspaceDocument", "Tessaro Workspace file(*.twk)");

}  // namespace

WorkspaceDocument::WorkspaceDocument(QWidget& window)
    : QObject(&window),
      m_window(window),
      m_tracks(new TrackListModel(this)),
      m_undoStack(new QUndoStack(this)) {
    connect(m_undoStack, &QUndoStack::cleanChanged, this, &WorkspaceDocument::titleChanged);
}

TessaroWorkSpace WorkspaceDocument::Workspace() const {
    TessaroWorkSpace workspace;
    workspace.SetPaths(m_tracks->Paths());
    workspace.SetTag(m_tag);
    WorkspaceExtras extras;
    extras.moreTag = m_moreTag;
    extras.cover = m_cover;
    extras.chapterFile = m_chapterFile;
    extras.chapterMarks = m_tracks->Marks();
    extras.chapterTitles = m_chapterTitles;
    workspace.SetExtras(extras);
    return workspace;
}

QString WorkspaceDocument::DisplayName() const {
    return m_file.isEmpty() ? tr("Untitled") : QFileInfo(m_file).fileName();
}

bool WorkspaceDocument::IsModified() const {
    return !m_undoStack->isClean();
}

int WorkspaceDocument::FormatsToConform() const {
    // LAME writes Layer III alone.
    const bool layer3 =
        m_tracks->Count() > 0 && m_tracks->Track(0).format.layer == mp3::FrameHeader::Layer3;
    return layer3 ? m_tracks->FormatsUnlikeFirst() : 0;
}

WorkspaceParts WorkspaceDocument::Parts() {
    return {*m_tracks, *m_view, m_tag, m_moreTag, m_file, m_cover, m_chapterFile, m_chapterTitles};
}

JoinRequest WorkspaceDocument::JoinOf(const JoinPreferences& preferences,
                                      const QString& output) const {
    JoinOptions options = preferences.options;
    if (!m_cover.isEmpty()) {
        options.coverFile = m_cover;
    }
    if (!m_chapterFile.isEmpty()) {
        options.chapterFile = m_chapterFile;
        options.chapterTitles = m_chapterTitles;
    }
    options.chapterMarks = m_tracks->Marks();
    if (preferences.saveID3Tag) {
        options.moreTag = m_moreTag;
    }
    return {.inputs = m_tracks->Paths(),
            .output = output,
            .tag = m_tag,
            .writeTag = preferences.saveID3Tag,
            .options = options};
}

void WorkspaceDocument::Push(QUndoCommand* command) {
    m_undoStack->push(command);
    Q_EMIT titleChanged();
}

void WorkspaceDocument::Undo() {
    if (m_undoStack->canUndo()) {
        Q_EMIT logged(tr("Undo: %1").arg(m_undoStack->undoText()));
        m_undoStack->undo();
        Q_EMIT titleChanged();
    }
}

void WorkspaceDocument::SetTag(const OutputTag& tag, const MoreTagFields& moreTag,
                               const QString& cover) {
    if (!(tag == m_tag) || !(moreTag == m_moreTag) || cover != m_cover) {
        Push(new ChangeTag(tr("Tag"), Parts(), tag, moreTag, cover));
    }
}

void WorkspaceDocument::Redo() {
    if (m_undoStack->canRedo()) {
        Q_EMIT logged(tr("Redo: %1").arg(m_undoStack->redoText()));
        m_undoStack->redo();
        Q_EMIT titleChanged();
    }
}

void WorkspaceDocument::New() {
    Push(new ReplaceWorkspace(tr("New"), Parts(), TessaroWorkSpace(), QString()));
    m_undoStack->setClean();
    Q_EMIT logged(tr("Create new workspace."));
}

void WorkspaceDocument::AskThenOpen(WindowDialogs& dialogs) {
    const QString path =
        dialogs.GetOpenFileName(&m_window, tr(kWorkspaceFilter), QStringLiteral("twk"));
    if (!path.isEmpty()) {
        Open(path, dialogs);
    }
}

void WorkspaceDocument::Open(const QString& path, WindowDialogs& dialogs) {
    TessaroWorkSpace opened;
    FolderInputs folders;
    const std::optional<WorkSpaceLoadFailure> failure = LoadWorkSpace(opened, path, folders);
    if (!failure) {
        Push(new ReplaceWorkspace(tr("Open"), Parts(), opened, path));
        m_undoStack->setClean();
        Q_EMIT logged(tr("Workspace has been opened."));
        for (const QString& note : folders.notes) {
            Q_EMIT logged(note);
        }
        Q_EMIT fileUsed(path);
        return;
    }
    QString problem = failure->reason;
    if (failure->kind == WorkSpaceLoadFailure::Kind::NotWorkSpace) {
        problem = tr("it is not a Tessaro workspace file, or it cannot be read.");
    } else if (failure->kind == WorkSpaceLoadFailure::Kind::Damaged) {
        problem = tr("the file is damaged: %1.").arg(failure->reason);
    }
    dialogs.ShowMessage(&m_window, WindowDialogs::Icon::Error, tr("Open workspace"),
                        tr("Cannot open %1: %2").arg(Quoted(path), problem));
}

void WorkspaceDocument::Save(WindowDialogs& dialogs) {
    if (m_file.isEmpty()) {
        SaveAs(dialogs);
    } else {
        SaveTo(m_file, dialogs);
    }
}

void WorkspaceDocument::SaveAs(WindowDialogs& dialogs) {
    const QString path =
        dialogs.GetSaveFileName(&m_window, tr(kWorkspaceFilter), QStringLiteral("twk"), m_file);
    if (!path.isEmpty() && SaveTo(path, dialogs)) {
        m_file = path;
        Q_EMIT titleChanged();
    }
}

bool WorkspaceDocument::SaveTo(const QString& path, WindowDialogs& dialogs) {
    try {
        Workspace().SaveToFile(path);
    } catch (const TessaroWorkSpaceNotSaved& failure) {
        dialogs.ShowMessage(
            &m_window, WindowDialogs::Icon::Error, tr("Save workspace"),
            tr("Cannot save the workspace to %1: %2").arg(Quoted(path), failure.reason));
        return false;
    }
    m_undoStack->setClean();
    Q_EMIT logged(tr("Workspace has been saved."));
    Q_EMIT fileUsed(path);
    return true;
}

bool WorkspaceDocument::MaybeSave(WindowDialogs& dialogs) {
    if (m_undoStack->isClean()) {
        return true;
    }
    switch (dialogs.AskToSave(&m_window, tr("Save changes to %1?").arg(DisplayName()))) {
        case WindowDialogs::Answer::Save:
            Save(dialogs);
            return m_undoStack->isClean();
        case WindowDialogs::Answer::Discard:
            return true;
        case WindowDialogs::Answer::Cancel:
            break;
    }
    return false;
}

}  // namespace tessaro
