#pragma once

#include <QString>
#include <optional>

#include "workspace/FolderInputs.h"
#include "workspace/TessaroWorkSpace.h"

namespace tessaro {

// Why a workspace file cannot be loaded, in the words a user reads, for each front end to frame.
struct WorkSpaceLoadFailure {
    enum class Kind {
        UnusableName,  // `reason` says why the name cannot serve
        NotWorkSpace,  // the file does not start with "TWKS", or cannot be opened
        Damaged,       // `reason` says what is wrong in it
    };
    Kind kind;
    QString reason;  // empty for NotWorkSpace
    // Why no file could be opened at the path: the name's problem or the system's reason (a
    // folder, a FIFO, a file not there ...); empty when one could.
    QString unopened;
};

// Loads the ".twk" file at `path` into `workspace` as LoadFromFile does, what its folders came to
// into `folders`; returns why it cannot, none when it is loaded. Raises nothing: the workspace
// exceptions come back as the failure.
std::optional<WorkSpaceLoadFailure> LoadWorkSpace(TessaroWorkSpace& workspace, const QString& path,
                                                  FolderInputs& folders);

}  // namespace tessaro
