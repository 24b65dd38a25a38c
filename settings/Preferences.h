#pragma once

#include <QString>

// The one user preference, SaveID3Tag (write the workspace's tag into the joined file), kept
// as a single record in "preferences.dat".
//
// Errors: reading never fails (a missing or damaged file reads as off); writing returns the
// system's reason as text, empty when it succeeded.

namespace tessaro {

// "preferences.dat" in the folder `folderName` of the user's configuration folder
// ($XDG_CONFIG_HOME, by default ~/.config). Creates that folder, with every missing level, if
// it does not exist; a failure to do so shows when the file is written.
QString GetPreferencesPath(const QString& folderName);

// The SaveID3Tag value of the file at `path`: off when the file is missing or unreadable or
// holds no such record. The last well-formed record wins; a record whose value is not exactly
// one byte is skipped, and any non-zero byte means on.
bool ReadSaveID3Tag(const QString& path);

// Replaces the file with one holding just the SaveID3Tag record (521 bytes). Returns an empty
// text on success, otherwise the system's reason; the old file is then as it was.
[[nodiscard]] QString WriteSaveID3Tag(const QString& path, bool saveID3Tag);

}  // namespace tessaro
