#pragma once

#include <QString>
#include <QStringList>

#include "workspace/FolderInputs.h"
#include "workspace/OutputTag.h"
#include "workspace/TrackListView.h"
#include "workspace/WorkSpaceFile.h"

// Errors: the workspace file's formats' own: an index past an end raises x::BadBound, a file
// without its identifier BadTessaroWorkSpaceIden, one damaged or not saved the exceptions beside
// them, each thrown by value; those about a file carry the reason a user reads.

namespace tessaro {

// The one document: the ordered files to join and the tag the joined file is to carry.
// Every change to the paths is mirrored on the track list in the same call.
class TessaroWorkSpace {
public:
    enum Direction { Up, Down };

    explicit TessaroWorkSpace(TrackListView& trackList);
    TessaroWorkSpace(const TessaroWorkSpace&) = delete;
    TessaroWorkSpace& operator=(const TessaroWorkSpace&) = delete;

    void AddPath(const QString& path);
    // Raises x::BadBound when index is not below the number of paths.
    void RemoveAt(int index);
    // Removes the paths at these indexes; raises x::BadBound, changing nothing, for one that is
    // not below the number of paths.
    void RemoveRows(const QList<int>& rows);
    // Exchanges the path with its neighbour; raises x::BadBound at the ends, changing nothing.
    void MoveEntry(int index, Direction direction);
    // Moves each of these paths one place, past the neighbour that is not one of them, and
    // selects them where they land; raises x::BadBound, changing nothing, when the first would
    // pass the top (Up) or the last the bottom (Down).
    void MoveEntries(const QList<int>& rows, Direction direction);
    // A drag: the paths, in their order, go before the first path at or after `to` (0..count)
    // that is not one of them, and are selected where they land. One path moved down so ends
    // at to - 1.
    void MoveRows(const QList<int>& rows, int to);
    // Gives the workspace these paths, changing the list as little as it takes: entries that
    // stay are moved, never removed and added again.
    void SetPaths(const QStringList& target);
    void Clear();
    void Reset();
    void SetTag(const OutputTag& tag) { this->tag = tag; }

    // Writes the workspace to a ".twk" file. The bytes go to a temporary file beside `path`,
    // which replaces `path` only once all of them are written and flushed. Raises
    // TessaroWorkSpaceNotSaved, carrying the system's reason, when that fails; whatever stood at
    // `path` is then unchanged.
    void SaveToFile(const QString& path) const;
    // Replaces the tag values and the paths (and so the track list) with those of a ".twk"
    // file. The whole file is read and checked first: BadTessaroWorkSpaceIden or
    // BadTessaroWorkSpaceFile (also for a path that is not valid UTF-8, which would name another
    // file) is raised before anything has changed. A folder the file lists stands for the MPEG
    // audio files under it (ExpandFolders) unless the paths are to be kept as stored, none of
    // them looked at; returns what the folders came to.
    enum class Folders { Expand, Keep };
    FolderInputs LoadFromFile(const QString& path, Folders folders = Folders::Expand);

    const OutputTag& Tag() const { return tag; }
    const QStringList& Paths() const { return paths; }

private:
    // The path at `from` comes to stand at `to`, in the paths and the list alike.
    void Move(int from, int to);
    // The rows sorted, each once; raises x::BadBound for one outside the paths.
    QList<int> CheckedRows(QList<int> rows) const;
    // Puts the paths in the order given by old indexes, and selects where `selected` went.
    void Arrange(const QList<int>& order, const QList<int>& selected);

    OutputTag tag;
    QStringList paths;
    TrackListView& trackList;
};

}  // namespace tessaro
