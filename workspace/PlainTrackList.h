#pragma once

#include <QStringList>

#include "workspace/TrackListView.h"

namespace tessaro {

// A track list without a window, for front ends that show none (the command-line tool): it
// keeps the entries' paths and the selection, and nothing else.
class PlainTrackList : public TrackListView {
public:
    void AddTrack(const QString& path) override { entries.append(path); }
    int InsertTrack(int index, const QString& path) override {
        entries.insert(index, path);
        return index;
    }
    void RemoveTrack(int index) override { entries.removeAt(index); }
    void MoveTrack(int from, int to) override { entries.move(from, to); }
    QString GetTrackPath(int index) const override { return entries.at(index); }
    int GetTrackCount() const override { return int(entries.size()); }
    void SelectTrack(int index) override { selection = index; }
    void SelectTracks(const QList<int>& indexes) override {
        selection = indexes.isEmpty() ? -1 : indexes.first();
    }

    const QStringList& Entries() const { return entries; }
    int Selection() const { return selection; }

private:
    QStringList entries;
    int selection = -1;
};

}  // namespace tessaro
