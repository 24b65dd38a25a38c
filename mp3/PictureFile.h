#pragma once

#include <QString>
#include <optional>

#include "mp3/Picture.h"

namespace mp3 {

// The largest picture file taken as a cover: far above any real cover, far below what the tag
// can hold.
constexpr qint64 kMaxPictureFileBytes = 64 << 20;

// A picture file as a front cover, recognised as JPEG or PNG by its first bytes, never by its
// name. Empty, with the reason in *error, for anything else, a file that cannot be read, is not a
// regular file or is larger than kMaxPictureFileBytes.
[[nodiscard]] std::optional<Picture> ReadPictureFile(const QString& path, QString* error);

}  // namespace mp3
