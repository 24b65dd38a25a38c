#include "app/WorkspaceChange.h"

#include "workspace/TessaroWorkSpace.h"

WorkspaceChange::WorkspaceChange(const QString& text, tessaro::TessaroWorkSpace& workspace,
                                 tessaro::TrackListView& trackList, WorkspaceState before,
                                 WorkspaceState after)
    : QUndoCommand(text),
      m_workspace(workspace),
      m_trackList(trackList),
      m_before(std::move(before)),
      m_after(std::move(after)) {}

void WorkspaceChange::redo() {
    // QUndoStack::push redoes the command; the change it records has been made already.
    if (!m_made) {
        m_made = true;
        return;
    }
    Apply(m_after);
}

void WorkspaceChange::Apply(const WorkspaceState& state) {
    m_workspace.SetPaths(state.paths);
    m_workspace.SetTag(state.tag);
    m_trackList.SelectTracks(state.selection);
}
