#pragma once

// What a joined file remembers of its inputs, in its ID3v2 tag, so that they can be given back as
// they were, and the chapters a file's tag holds.
// Errors: none thrown; a file that cannot be read, or a tag that holds nothing of the kind, reads
// as none.

#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

#include "chapters/Chapters.h"

namespace tessaro {

// Where one input's audio lies in a joined file, and its encoder's silence. Held in a PRIV frame
// of the owner "Zovi Tessaro parts": a version byte (1), then 12 bytes big-endian an input (32
// bits each for firstFrame and frames, 16 each for delay and padding); and, in the chapter frame
// of each chapter that starts at an input, a PRIV frame of that owner holding its record alone.
struct JoinRecord {
    // The input's first audio frame, counted among the output's audio frames (the leading Xing
    // or Info frame not counted).
    quint32 firstFrame = 0;
    quint32 frames = 0;   // its audio frames in the output
    quint16 delay = 0;    // its own encoder delay (samples), as its LAME header told (0 without)
    quint16 padding = 0;  // its own encoder padding
    bool operator==(const JoinRecord&) const = default;
};

// The records of the file's ID3v2 tag, one for each input joined; none when it has none or they
// are damaged.
std::optional<std::vector<JoinRecord>> ReadJoinRecords(const QString& path);

// A chapter of a file's tag, and the record of the input it starts at, where its frame holds one.
struct FileChapter {
    Chapter chapter;
    std::optional<JoinRecord> record;
};

// The chapters of the file's ID3v2 tag with their times and titles: those its top-level table of
// contents lists, in its order (through the tables it lists), each of the others by its start
// among them and not `listed`; without such a table, all by their starts. None without a tag.
std::vector<FileChapter> ReadFileChapters(const QString& path);

}  // namespace tessaro
