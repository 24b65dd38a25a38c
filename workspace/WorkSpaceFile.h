#pragma once

#include <QByteArray>
#include <QString>
#include <utility>

#include "workspace/Exception.h"

// The workspace file (".twk"). Integers are little-endian, texts UTF-16LE.
//
//   offset 0    "TWKS"
//   offset 4    four 28-byte text slots: album, artist, title, comment
//   offset 116  year, int32
//   offset 120  N, int32: the number of path records that follow (0 or less: none)
//   offset 124  N path records: B (uint32) = 2 x (units + 1), then the path and a 0 unit
//
// A text slot holds up to 7 code units in place: 4 ignored bytes, the units and a 0 unit in a
// 16-byte area, the length (uint32, 0..7) and a capacity marker (uint32; 7 when written, a slot
// whose marker is 8 or more does not hold its text). A longer text keeps its first 7 units in
// its slot, so every reader of the format shows a readable prefix, and all four texts follow
// the path records in full in an extension block: "TWKX", then four records laid out like path
// records (album, artist, title, comment). Readers ignore bytes after the N records, so the
// block is invisible to those that do not know it.
//
// The workspace's extras (WorkspaceExtras.h) follow the path records, and "TWKX" where it is
// there, in a second block, written only when one of them is to be kept: "TWKY", L (uint32),
// then L bytes of records, each a 4-byte kind, a length P (uint32) and P bytes:
//
//   "GENR", "AART", "COMP"  genre, album artist, composer; each text as a path record is, P
//   "COVR", "CHPF"          taking the place of B: the cover's and the chapter file's paths
//   "MARK"  a chapter mark for each path record from the first: its start (uint32, 0 Auto,
//           1 Here, 2 WithPrevious) and its title as a path record; the Auto marks after the
//           last other one are left out
//   "TITL"  the chapter titles, by order, each as a path record
//
// Records of other kinds are skipped, and a known kind given twice takes the later record. A
// block that is damaged in any way (its length or a record's past the end, a text without its
// 0 unit, a start of another value, more marks than path records) is ignored as a whole: the
// workspace opens without extras.

namespace tessaro {

// The file does not start with "TWKS": it cannot be opened, holds fewer than 4 bytes, or
// differs in one of them.
struct BadTessaroWorkSpaceIden : x::Exception {
    const char* what() const noexcept override { return "not a workspace file"; }
};

// What went wrong with a workspace file, in the words a user reads.
struct WorkSpaceFailure : x::Exception {
    explicit WorkSpaceFailure(QString reason)
        : reason(std::move(reason)), text(this->reason.toUtf8()) {}
    const char* what() const noexcept override { return text.constData(); }
    QString reason;

private:
    QByteArray text;  // of what()
};

// The file starts with "TWKS" but its header or its path records are damaged; the reason says
// what is wrong, for example "path record 2 of 3 has no 0 unit".
struct BadTessaroWorkSpaceFile : WorkSpaceFailure {
    using WorkSpaceFailure::WorkSpaceFailure;
};

// A workspace could not be saved, for the system's reason, for example "No space left on
// device". Whatever stood at the target before is unchanged.
struct TessaroWorkSpaceNotSaved : WorkSpaceFailure {
    using WorkSpaceFailure::WorkSpaceFailure;
};

}  // namespace tessaro
