#pragma once

#include <QString>
#include <QStringList>

#include "workspace/FolderInputs.h"
#include "workspace/OutputTag.h"
#include "workspace/WorkSpaceFile.h"
#include "workspace/WorkspaceExtras.h"

// Errors: the workspace file's formats' own: a file without its identifier raises
// BadTessaroWorkSpaceIden, one damaged or not saved the exceptions beside them, each thrown by
// value; those about a file carry the reason a user reads.
// LoadWorkSpace (WorkSpaceLoad.h) returns them instead, for the front ends to put in words.

namespace tessaro {

// The one document as its file holds it: the ordered files to join, the tag the joined file is
// to carry and the extras beside them. The window's list model owns the entries it shows and hands
// their paths over when the document is saved or joined.
class TessaroWorkSpace {
public:
    void AddPath(const QString& path) { paths.append(path); }
    void SetPaths(const QStringList& target) { paths = target; }
    void Reset() { *this = TessaroWorkSpace(); }
    void SetTag(const OutputTag& tag) { this->tag = tag; }
    void SetExtras(const WorkspaceExtras& extras) { this->extras = extras; }

    // Writes the workspace to a ".twk" file. The bytes go to a temporary file beside `path`,
    // which replaces `path` only once all of them are written and flushed. Raises
    // TessaroWorkSpaceNotSaved, carrying the system's reason, when that fails; whatever stood at
    // `path` is then unchanged.
    void SaveToFile(const QString& path) const;
    // Replaces the tag values, the extras and the paths with those of a ".twk" file. The whole file
    // is read and checked first: BadTessaroWorkSpaceIden or BadTessaroWorkSpaceFile (also for a
    // path that is not valid UTF-8, which would name another file) is raised before anything has
    // changed. A folder the file lists stands for the MPEG audio files under it (ExpandFolders)
    // unless the paths are to be kept as stored, none of them looked at; returns what the
    // folders came to.
    enum class Folders { Expand, Keep };
    FolderInputs LoadFromFile(const QString& path, Folders folders = Folders::Expand);

    const OutputTag& Tag() const { return tag; }
    const QStringList& Paths() const { return paths; }
    const WorkspaceExtras& Extras() const { return extras; }

private:
    OutputTag tag;
    WorkspaceExtras extras;
    QStringList paths;
};

}  // namespace tessaro
