#include "workspace/TessaroWorkSpace.h"

#include "workspace/Exception.h"

namespace tessaro {

TessaroWorkSpace::TessaroWorkSpace(TrackListView& trackList) : trackList(trackList) {}

void TessaroWorkSpace::AddPath(const QString& path) {
    paths.append(path);
    trackList.AddTrack(path);
}

void TessaroWorkSpace::RemoveAt(int index) {
    if (index < 0 || index >= paths.size()) {
        throw x::BadBound();
    }
    paths.removeAt(index);
    trackList.RemoveTrack(index);
}

void TessaroWorkSpace::MoveEntry(int index, Direction direction) {
    const int count = int(paths.size());
    if (index < 0 || index >= count) {
        throw x::BadBound();
    }
    if (direction == Up && index == 0) {
        throw x::BadBound();
    }
    if (direction == Down && index >= count - 1) {
        throw x::BadBound();
    }
    const int target = direction == Up ? index - 1 : index + 1;
    Move(index, target);
    trackList.SelectTrack(target);
}

void TessaroWorkSpace::Move(int from, int to) {
    paths.move(from, to);
    trackList.MoveTrack(from, to);
}

void TessaroWorkSpace::MoveTo(int from, int to) {
    const int count = int(paths.size());
    if (from < 0 || from >= count || to < 0 || to > count) {
        throw x::BadBound();
    }
    if (from == to) {
        return;
    }
    const int landing = to < from ? to : to - 1;
    Move(from, landing);
    trackList.SelectTrack(landing);
}

void TessaroWorkSpace::Clear() {
    paths.clear();
    // The list's own count decides, so it ends empty whatever it held.
    while (trackList.GetTrackCount() != 0) {
        trackList.RemoveTrack(0);
    }
}

void TessaroWorkSpace::Reset() {
    SetTag(OutputTag());
    Clear();
}

}  // namespace tessaro
