#pragma once

#include <QByteArray>
#include <vector>

// How new Layer III frames are fitted in between frames of an input: their main data packed
// into as little room as it needs, and the reserved bytes the frames behind them draw on
// carried at their end.
namespace tessaro {

// The reserved bytes the frames from `first` on draw on, as they stood at the end of the frames
// before it; empty with *fits false when those frames do not hold that many.
QByteArray ReservedBytes(const std::vector<QByteArray>& frames, size_t first, bool* fits);

// Puts the frames' main data one behind the other, each as early as it may begin, so that
// `reserved` fits behind the last; the last `widened` frames get the highest bitrate for room.
// The frames must not draw on reserved bytes before them. False when they cannot hold it all.
[[nodiscard]] bool Pack(std::vector<QByteArray>* frames, const QByteArray& reserved,
                        size_t widened);

}  // namespace tessaro
