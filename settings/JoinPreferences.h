#pragma once

#include <QString>

#include "merge/JoinOptions.h"

namespace tessaro {

// The choices a join is made with, whoever starts it: whether the workspace's tag is written
// (SaveID3Tag) and what else the joined file carries. The window keeps them between runs,
// SaveID3Tag in "preferences.dat" as it always has, the options with its other settings.
struct JoinPreferences {
    bool saveID3Tag = false;
    JoinOptions options;
};

// What the window kept: SaveID3Tag from the preferences file at `preferencesPath`, the options
// from its settings. A cover file is never kept: it is chosen for one join.
JoinPreferences LoadJoinPreferences(const QString& preferencesPath);

// Keeps the joined-file options with the window's settings.
void SaveJoinOptions(const JoinOptions& options);

}  // namespace tessaro
