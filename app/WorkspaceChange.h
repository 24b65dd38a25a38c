#pragma once

#include <QList>
#include <QStringList>
#include <QUndoCommand>

#include "workspace/OutputTag.h"

namespace tessaro {
class TessaroWorkSpace;
class TrackListView;
}  // namespace tessaro

// What one change of the workspace can be undone to: its paths, its tag and the selection.
struct WorkspaceState {
    QStringList paths;
    tessaro::OutputTag tag;
    QList<int> selection;
};

// One undoable change of the workspace, made before it is pushed: the first redo does nothing.
// Undo and redo give the workspace the state before or after, moving the entries that stay.
class WorkspaceChange : public QUndoCommand {
public:
    WorkspaceChange(const QString& text, tessaro::TessaroWorkSpace& workspace,
                    tessaro::TrackListView& trackList, WorkspaceState before, WorkspaceState after);

    void undo() override { Apply(m_before); }
    void redo() override;

private:
    void Apply(const WorkspaceState& state);

    tessaro::TessaroWorkSpace& m_workspace;
    tessaro::TrackListView& m_trackList;
    const WorkspaceState m_before;
    const WorkspaceState m_after;
    bool m_made = false;  // whether the change has been made, before it was pushed
};
