#pragma once

#include <QString>
#include <optional>

#include "mp3/Picture.h"

namespace tessaro {
class InputFile;
}

namespace mp3 {

// What an input's own tags tell of it: its title (the ID3v2 one, else the ID3v1 one), its
// picture (the front cover, else the first attached), and its disc and track numbers (TPOS,
// TRCK, the ID3v1 track; 0 when not told). A damaged tag costs what it holds, never more: an
// input that cannot be read, or is not a regular file, has none of them.
struct InputTags {
    QString title;
    std::optional<Picture> picture;
    int disc = 0;
    int track = 0;
};
InputTags ReadInputTags(const QString& path);
InputTags ReadInputTags(const tessaro::InputFile& file);

}  // namespace mp3
