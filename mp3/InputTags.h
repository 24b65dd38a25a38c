#pragma once

#include <QString>
#include <optional>

#include "mp3/Picture.h"

namespace tessaro {
class InputFile;
}

namespace mp3 {

// What an input's own tags tell of it: its title (the ID3v2 one, else the ID3v1 one) and its
// picture (the front cover, else the first attached). A damaged tag costs what it holds, never
// more: an input that cannot be read, or is not a regular file, has neither.
struct InputTags {
    QString title;
    std::optional<Picture> picture;
};
InputTags ReadInputTags(const QString& path);
InputTags ReadInputTags(const tessaro::InputFile& file);

}  // namespace mp3
