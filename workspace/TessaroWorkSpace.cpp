#include "workspace/TessaroWorkSpace.h"

#include <QHash>
#include <algorithm>
#include <numeric>

#include "workspace/Exception.h"

namespace tessaro {

TessaroWorkSpace::TessaroWorkSpace(TrackListView& trackList) : trackList(trackList) {}

void TessaroWorkSpace::AddPath(const QString& path) {
    paths.append(path);
    trackList.AddTrack(path);
}

void TessaroWorkSpace::RemoveAt(int index) {
    RemoveRows({index});
}

QList<int> TessaroWorkSpace::CheckedRows(QList<int> rows) const {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (!rows.isEmpty() && (rows.first() < 0 || rows.last() >= paths.size())) {
        throw x::BadBound();
    }
    return rows;
}

void TessaroWorkSpace::RemoveRows(const QList<int>& rows) {
    const QList<int> checked = CheckedRows(rows);
    for (auto row = checked.crbegin(); row != checked.crend(); ++row) {
        paths.removeAt(*row);
        trackList.RemoveTrack(*row);
    }
}

void TessaroWorkSpace::MoveEntry(int index, Direction direction) {
    MoveEntries({index}, direction);
}

void TessaroWorkSpace::MoveEntries(const QList<int>& rows, Direction direction) {
    const QList<int> checked = CheckedRows(rows);
    const int count = int(paths.size());
    if (checked.isEmpty() || (direction == Up && checked.first() == 0) ||
        (direction == Down && checked.last() == count - 1)) {
        throw x::BadBound();
    }
    // Each path changes place with the neighbour beyond it; a block of them passes that
    // neighbour together, as each has been moved before the next is.
    QList<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    QList<int> landed;
    const int step = direction == Up ? -1 : 1;
    for (int i = 0; i < checked.size(); ++i) {
        const int row = checked[direction == Up ? i : checked.size() - 1 - i];
        order.swapItemsAt(row, row + step);
        landed << row + step;
    }
    std::sort(landed.begin(), landed.end());
    Arrange(order, landed);
}

void TessaroWorkSpace::MoveRows(const QList<int>& rows, int to) {
    const QList<int> moved = CheckedRows(rows);
    const int count = int(paths.size());
    if (to < 0 || to > count) {
        throw x::BadBound();
    }
    QList<int> order;
    for (int row = 0; row < count; ++row) {
        if (!std::binary_search(moved.begin(), moved.end(), row)) {
            order << row;
        }
    }
    // Before the first of the others at or after `to`.
    const auto before =
        std::find_if(order.begin(), order.end(), [to](int row) { return row >= to; });
    const int at = int(before - order.begin());
    QList<int> landed;
    for (int i = 0; i < moved.size(); ++i) {
        order.insert(at + i, moved[i]);
        landed << at + i;
    }
    Arrange(order, landed);
}

void TessaroWorkSpace::Move(int from, int to) {
    paths.move(from, to);
    trackList.MoveTrack(from, to);
}

void TessaroWorkSpace::Arrange(const QList<int>& order, const QList<int>& selected) {
    // Where each old row stands now, as moves are made one by one.
    QList<int> current(order.size());
    std::iota(current.begin(), current.end(), 0);
    for (int i = 0; i < order.size(); ++i) {
        const int from = int(current.indexOf(order[i]));
        if (from != i) {
            Move(from, i);
            current.move(from, i);
        }
    }
    trackList.SelectTracks(selected);
}

void TessaroWorkSpace::SetPaths(const QStringList& target) {
    // Paths the target has fewer of, or none, go first, the last ones of a kind before others.
    QHash<QString, int> wanted;
    for (const QString& path : target) {
        ++wanted[path];
    }
    QList<int> surplus;
    for (int row = 0; row < paths.size(); ++row) {
        int& left = wanted[paths[row]];
        if (left > 0) {
            --left;
        } else {
            surplus << row;
        }
    }
    RemoveRows(surplus);
    // Then each place is filled by moving up the next one alike, or by adding the path.
    for (int i = 0; i < target.size(); ++i) {
        if (i < paths.size() && paths[i] == target[i]) {
            continue;
        }
        const int from = int(paths.indexOf(target[i], i));
        if (from != -1) {
            Move(from, i);
        } else {
            paths.insert(i, target[i]);
            trackList.InsertTrack(i, target[i]);
        }
    }
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
