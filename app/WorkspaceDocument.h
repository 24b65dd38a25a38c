#pragma once

#include <QObject>

#include "app/WorkspaceCommands.h"
#include "merge/MergeJob.h"
#include "workspace/OutputTag.h"

class QUndoCommand;
class QUndoStack;
class QWidget;

namespace tessaro {

class TessaroWorkSpace;
class TrackListModel;
class TrackListView;
class WindowDialogs;
struct JoinPreferences;

// The window's work: the list's entries, the typed tag, the file they are kept in, the cover and
// the chapter file chosen for the joined file, and the steps that changed them, to undo. It is
// changed only through undoable commands, and opened, saved and asked about here.
//
// Errors: a file that cannot be opened or saved is told in a message box, each in its own;
// what went well is logged.
class WorkspaceDocument : public QObject {
    Q_OBJECT

public:
    // Its message boxes belong to `window`.
    explicit WorkspaceDocument(QWidget& window);

    TrackListModel& Tracks() { return *m_tracks; }
    const TrackListModel& Tracks() const { return *m_tracks; }
    const OutputTag& Tag() const { return m_tag; }
    // The tag's fields beyond the five, written with them.
    const MoreTagFields& MoreTag() const { return m_moreTag; }
    // The file the workspace is kept in; empty before it is first saved.
    const QString& File() const { return m_file; }
    // The picture and the chapter file the next merge takes; empty for none.
    const QString& Cover() const { return m_cover; }
    const QString& ChapterFile() const { return m_chapterFile; }
    // The titles given the chapter file's chapters in place of their own, in their order; an
    // empty one keeps the file's.
    const QStringList& ChapterTitles() const { return m_chapterTitles; }
    // The join of the entries into `output` with `preferences`: the workspace's tag, its cover
    // and chapter file in place of the preferences', and the chapters set by hand.  The tag's
    // further fields go with the typed tag, where the preferences write it.
    JoinRequest JoinOf(const JoinPreferences& preferences, const QString& output) const;
    QUndoStack& UndoStack() { return *m_undoStack; }
    // The workspace as its file would hold it now.
    TessaroWorkSpace Workspace() const;
    // The workspace file's name, or "Untitled".
    QString DisplayName() const;
    bool IsModified() const;
    // The entries the list knows to differ in format from the first one's, which re-encoding
    // would match.
    int FormatsToConform() const;

    // The list that shows the selection the commands keep; set once, before any command.
    void ShowIn(TrackListView& view) { m_view = &view; }
    WorkspaceParts Parts();
    // Does the command and makes it one step that Undo takes back.
    void Push(QUndoCommand* command);
    // Takes back the last step, or does again the one taken back last; logs which.
    void Undo();
    void Redo();
    // Gives the workspace the tag, its further fields and the cover picture, as a step to undo;
    // none for the same.
    void SetTag(const OutputTag& tag, const MoreTagFields& moreTag, const QString& cover);
    void SetTag(const OutputTag& tag) { SetTag(tag, m_moreTag, m_cover); }

    // An empty workspace in place of this one.
    void New();
    // Replaces the workspace with the one in the file, or says why it cannot.
    void Open(const QString& path, WindowDialogs& dialogs);
    // Asks for a workspace file, then opens it.
    void AskThenOpen(WindowDialogs& dialogs);
    // Into its file, asked for when it has none yet.
    void Save(WindowDialogs& dialogs);
    void SaveAs(WindowDialogs& dialogs);
    // Whether the work may be replaced or closed: true where nothing is unsaved, or the user
    // saved or discarded it; false when the user cancelled or the save failed.
    bool MaybeSave(WindowDialogs& dialogs);

Q_SIGNALS:
    void logged(const QString& line);
    // The name or the unsaved state the window's title shows may have changed.
    void titleChanged();
    // A workspace file opened or saved.
    void fileUsed(const QString& path);

private:
    // Writes the workspace to `path`; says why not and returns false when it cannot.
    bool SaveTo(const QString& path, WindowDialogs& dialogs);

    QWidget& m_window;
    TrackListModel* m_tracks;
    TrackListView* m_view = nullptr;
    QUndoStack* m_undoStack;
    OutputTag m_tag;
    MoreTagFields m_moreTag;
    QString m_file;
    QString m_cover;
    QString m_chapterFile;
    QStringList m_chapterTitles;
};

}  // namespace tessaro
