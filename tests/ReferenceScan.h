#pragma once

#include <QByteArray>
#include <QString>
#include <ostream>
#include <vector>

namespace testing_files {

// One unit a scan yields: where its header starts and its bytes (header and body).
struct Unit {
    qint64 offset;
    QByteArray bytes;
    bool operator==(const Unit& o) const { return offset == o.offset && bytes == o.bytes; }
};
void PrintTo(const Unit& unit, std::ostream* os);

// Every unit mp3::StreamReader yields for the file at `path`, first to last.
std::vector<Unit> ReadAllUnits(const QString& path);

// The frame rule written out plainly, one byte at a time from `position`, with tables and
// lengths of its own: the audio ends before the trailing tags; a header with no reserved field
// starts a frame when the frame lies whole in the audio and follows the frame before it, or the
// next frames' headers (two, three for free format) or the end of the audio follow it. What the
// reader yields must equal this.
std::vector<Unit> ReferenceScan(const QByteArray& data, qint64 position);

// The bytes of all units, back to back: what a merge copies of that input.
QByteArray Joined(const std::vector<Unit>& units);

// What a merge writes for inputs given as their units, first input first: the units back to
// back as mp3::JoinedStream has them, leading header frame and all (that stream is checked
// field by field in its own tests), with the decoder's delay for the padding of a last input
// cut short.
QByteArray MergeOutput(const std::vector<std::vector<Unit>>& inputs);

}  // namespace testing_files
