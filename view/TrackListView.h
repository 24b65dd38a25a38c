#pragma once

#include <QListView>

#include "view/TrackListModel.h"

namespace tessaro {

// The list of the workspace's files, one entry per file with its icon, name, what its tag and
// audio tell of it, and its playing time, in the palette's colours and the font's sizes. Entries
// are dragged to reorder them and files dropped in from outside; both go to the model, which
// asks the window to carry them out. The window's actions make the context menu.
class TrackListView : public QListView {
    Q_OBJECT

public:
    explicit TrackListView(TrackListModel& model, QWidget* parent = nullptr);

    TrackListModel& Model() const { return m_model; }
    // First to last.
    QList<int> SelectedRows() const;
    // Exactly these rows selected, the first current and scrolled to.
    void SelectRows(const QList<int>& rows);

private:
    // After a removal by a reset, the entry that was at the top, or the one after it, is again.
    void KeepTopAfter(const QList<int>& removed);

    TrackListModel& m_model;
    // The row at the top before the model's last reset; -1 for none.
    int m_topBeforeReset = -1;
};

}  // namespace tessaro
