#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

#include "mp3/Picture.h"

namespace tessaro {
class InputFile;
}

namespace mp3 {

// A text frame of an ID3v2 tag: a T frame (TXXX, a user's, named by its description) or a
// comment (COMM, by its description; its language goes with it).
struct TextFrame {
    QByteArray id;
    QString description;  // of TXXX and COMM
    QByteArray language;  // of COMM
    QStringList text;

    // What tells one field of a tag from the others, whatever its value.
    using FieldKey = std::pair<QByteArray, QString>;
    FieldKey Field() const { return {id, description}; }
};

// A text frame left out of what is read, as it could take more than an ID3v2 tag holds
// (kMaxId3v2TagBytes) in the tag it is copied into.
struct OversizedFrame {
    QByteArray id;
    qint64 bytes = 0;  // the most it could take there
};

// What an input's own tags tell of it: its title (the ID3v2 one, else the ID3v1 one), its
// picture (the front cover, else the first attached), and its disc and track numbers (TPOS,
// TRCK, the ID3v1 track; 0 when not told). A damaged tag costs what it holds, never more: an
// input that cannot be read, or is not a regular file, has none of them.
struct InputTags {
    QString title;
    std::optional<Picture> picture;
    int disc = 0;
    int track = 0;
    // Its text frames in the order of its ID3v2 tag, each field once, then its ID3v1 album,
    // artist, year, comment and genre where the ID3v2 tag has none; genres by name.
    std::vector<TextFrame> frames;
    std::vector<OversizedFrame> oversized;
    // Why the tag's bytes could not be read, where the reading saw it; empty otherwise.
    QString readError;
};
InputTags ReadInputTags(const QString& path);
InputTags ReadInputTags(const tessaro::InputFile& file);

// The leading ID3v2 tag of `input`, header and all, as TagLib may read it (BoundInflation());
// empty when it has none. *end is where it ends in the file; the system's reason is in *error
// when its bytes cannot be read.
QByteArray LeadingTag(const tessaro::InputFile& input, QString* error, qint64* end);

}  // namespace mp3
