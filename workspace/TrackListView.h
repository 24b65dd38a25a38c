#pragma once

#include <QList>
#include <QString>

namespace tessaro {

// What the workspace needs of the visible track list. The workspace changes the list in the
// same call in which it changes its paths, so entry i always shows path i.
class TrackListView {
public:
    virtual ~TrackListView() = default;

    virtual void AddTrack(const QString& path) = 0;
    // Inserts before the entry at index (0..count); returns the index the entry stands at.
    virtual int InsertTrack(int index, const QString& path) = 0;
    virtual void RemoveTrack(int index) = 0;
    // The entry at `from` comes to stand at `to` (both below count), the others closing up.
    virtual void MoveTrack(int from, int to) = 0;
    virtual QString GetTrackPath(int index) const = 0;
    virtual int GetTrackCount() const = 0;
    virtual void SelectTrack(int index) = 0;
    // Makes exactly these entries the selection, the first of them current.
    virtual void SelectTracks(const QList<int>& indexes) = 0;
};

}  // namespace tessaro
