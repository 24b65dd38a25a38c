#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <functional>
#include <optional>
#include <vector>

// How a part cut out of a Layer III stream is made to decode from its first frame: a frame's
// main data may begin in the areas of the frames before it (the bit reservoir), which the part
// does not hold. The first frames are rebuilt so that they draw on nothing before them, their
// main data moved into their own area, unchanged; from then on the source's frames follow as
// they are, since the bytes they draw on stand where they stood.
namespace tessaro {

// What the repacking needs of one source frame.
struct ReservoirFrame {
    qint32 areaLength = 0;  // of its main data area: the frame behind its side information
    qint32 back = 0;        // main_data_begin: how far before its area its main data begins
};

// The frames of one stream and where each one's area lies in the bytes all areas make one
// behind the other.
class Reservoir {
public:
    explicit Reservoir(std::vector<ReservoirFrame> frames);
    size_t Size() const { return frames.size(); }
    const ReservoirFrame& operator[](size_t i) const { return frames[i]; }
    qint64 AreaStart(size_t i) const { return areaStarts[i]; }
    // The frame whose area holds the byte at `position` of those bytes.
    size_t FrameHolding(qint64 position) const;

private:
    std::vector<ReservoirFrame> frames;
    std::vector<qint64> areaStarts;
};

// The source frame `i`'s bytes, read on demand.
using FrameBytes = std::function<std::optional<QByteArray>(size_t i)>;

// The frames that begin a part at source frame `first`, rebuilt so that none draws on bytes
// before the first; the source's frames from `first` plus their number on follow unchanged.
// Empty for a first frame that draws on nothing before it. None when a frame cannot be read, or
// no bitrate gives a rebuilt frame room for its main data (then the part cannot start there
// whole).
std::optional<std::vector<QByteArray>> SelfContainedStart(const Reservoir& reservoir, size_t first,
                                                          const FrameBytes& bytes);

}  // namespace tessaro
