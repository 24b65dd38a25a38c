#pragma once

#include <QString>
#include <QStringList>

namespace tessaro {

// Where Merge proposes to put the joined file. A joined file in a folder that inputs come from
// would be taken in as an input by the next Insert Folder of that folder, so the proposal keeps
// out of them and a file chosen there is warned of. Paths are absolute.

// The file Merge proposes for joining `inputs`: named after the first of `album`, the workspace
// file's name, the inputs' common folder's name and `fallback` that is left a file name once
// made fit for one, with ".mp3" added; in the folder above the inputs' common folder, or, when
// that is the root, in the user's Music folder or else home, whichever no input comes from.
QString ProposedTarget(const QStringList& inputs, const QString& album,
                       const QString& workspaceFile, const QString& fallback);

// The folder an input comes from that `target` lies in or below, the deepest such; empty for
// none. The root counts only for a target right in it, as every folder lies below it.
QString InputFolderAround(const QString& target, const QStringList& inputs);

}  // namespace tessaro
