#pragma once

#include <QString>
#include <QStringList>

namespace tessaro {

// Inputs as a front end received them, each folder among them replaced by what it stands for.
struct FolderInputs {
    QStringList files;  // in the order given; a folder's files in its place
    // One line for each folder that held files of other types (how many were left out), no MPEG
    // audio file at all, or could not be read.
    QStringList notes;
    // Folders that gave no file, or could not be read whole: inputs skipped, as a join counts.
    int skipped = 0;
};

// Whether the name ends in one of the extensions of MPEG audio files: .mp3, .mp2, .mp1 or .mpa,
// in any case.
bool IsMpegAudioName(const QString& name);

// Replaces every folder among `paths` (a link to one included) with the MPEG audio files under
// it, subfolders included, in natural order of their paths below it. Hidden files and folders
// are left out unsaid; a folder reached twice through links is walked once, so that links that
// loop end. Anything else (a file, a path that names nothing, a name that is not valid UTF-8,
// which would lead elsewhere) stays as it is, for the caller to judge as ever.
FolderInputs ExpandFolders(const QStringList& paths);

}  // namespace tessaro
