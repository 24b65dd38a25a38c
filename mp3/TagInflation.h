#pragma once

#include <QByteArray>
#include <optional>

namespace mp3 {

// The largest ID3v2 tag: its header gives the size of what follows its 10 bytes in 28 bits, and
// a larger size would wrap to a small one, which readers take for the end of the tag.
constexpr qint64 kMaxId3v2TagBytes = 10 + (qint64(1) << 28) - 1;

// Bytes the compressed frames of one ID3v2 tag may inflate to together. TagLib inflates every
// compressed frame whole, without limit and before anything could judge its size, so a frame of a
// few hundred kilobytes could otherwise take gigabytes.
constexpr qint64 kInflatedTagLimit = qint64(16) << 20;

// The ID3v2.3 or ID3v2.4 tag `tag` (its header and body as the file holds them) with every
// compressed frame that would take the tag past kInflatedTagLimit marked encrypted, which TagLib
// keeps as opaque bytes and never inflates; ID3v2.3 unsynchronisation undone, as TagLib would.
// Frames are walked as TagLib walks them, and a frame is judged by the size it declares before it
// is inflated, then by what it inflates to, counted and thrown away. Nothing when the tag needs no
// change.
std::optional<QByteArray> BoundInflation(const QByteArray& tag);

}  // namespace mp3
