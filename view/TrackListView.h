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
    TrackListModel& m_model;
};

}  // namespace tessaro
