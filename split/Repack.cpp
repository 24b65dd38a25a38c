#include "split/Repack.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <utility>

#include "mp3/FrameHeader.h"
#include "mp3/LayerIII.h"

namespace tessaro {

namespace {

// Frames rebuilt at most at the start of a part: a frame whose area cannot hold what the next
// one draws on passes it on, but real encoders never keep that up for more than one or two.
constexpr size_t kMostRebuilt = 8;
constexpr int kHighestBitrateIndex = 14;

// The header `frame` has with another bitrate index and no padding slot.
mp3::FrameHeader WithBitrate(const QByteArray& frame, int index) {
    mp3::FrameHeader header = mp3::HeaderOf(frame);
    header.bitrateIndex = index;
    header.padding = 0;
    return header;
}

// Bitrate indices to try for a rebuilt frame: its own first, so that a part of one bitrate
// keeps it, then the others from the lowest up.
std::vector<int> BitrateChoices(const mp3::FrameHeader& header) {
    if (header.IsFreeFormat()) {
        return {0};  // a free-format frame keeps the length it has
    }
    std::vector<int> choices{header.bitrateIndex};
    for (int index = 1; index <= kHighestBitrateIndex; ++index) {
        if (index != header.bitrateIndex) {
            choices.push_back(index);
        }
    }
    return choices;
}

// `source` rebuilt with its main data, `data`, at the start of its own area and `tail` at the
// area's end, for the frame behind it to draw on; every other bit of its header and side
// information as it was. None when no bitrate gives the area room for both.
std::optional<QByteArray> Rebuilt(const QByteArray& source, const QByteArray& data,
                                  const QByteArray& tail) {
    const mp3::FrameHeader original = mp3::HeaderOf(source);
    const qint32 sideEnd = mp3::MainDataStart(original);
    for (const int index : BitrateChoices(original)) {
        const mp3::FrameHeader header = index == 0 ? original : WithBitrate(source, index);
        const qint32 length = index == 0 ? qint32(source.size()) : header.GetFrameLength();
        if (length - sideEnd < data.size() + tail.size()) {
            continue;
        }
        QByteArray frame(length, '\0');
        std::memcpy(frame.data(), source.constData(), size_t(sideEnd));
        if (index != 0) {
            frame[2] = char((quint8(frame[2]) & 0x0D) | (index << 4));  // bitrate; no padding
        }
        mp3::SetMainDataBegin(&frame, 0);
        std::memcpy(frame.data() + sideEnd, data.constData(), size_t(data.size()));
        std::memcpy(frame.data() + length - tail.size(), tail.constData(), size_t(tail.size()));
        if (header.protection == 0) {
            qToBigEndian(mp3::FrameCrc(reinterpret_cast<const quint8*>(frame.constData())),
                         frame.data() + 4);
        }
        return frame;
    }
    return std::nullopt;
}

// The bytes [from, to) of the areas one behind the other; none when they reach before the first
// area or past the last, or a frame cannot be read.
std::optional<QByteArray> AreaBytes(const Reservoir& reservoir, const FrameBytes& bytes,
                                    qint64 from, qint64 to) {
    QByteArray out;
    if (from >= to) {
        return out;
    }
    if (from < 0 || to > reservoir.AreaStart(reservoir.Size() - 1) +
                             reservoir[reservoir.Size() - 1].areaLength) {
        return std::nullopt;
    }
    for (size_t i = reservoir.FrameHolding(from); from < to; ++i) {
        const std::optional<QByteArray> frame = bytes(i);
        const qint32 areaLength = reservoir[i].areaLength;
        if (!frame || frame->size() < areaLength) {
            return std::nullopt;
        }
        const qint64 areaStart = reservoir.AreaStart(i);
        const qint64 end = std::min(to, areaStart + areaLength);
        const char* area = frame->constData() + frame->size() - areaLength;
        out.append(area + (from - areaStart), end - from);
        from = end;
    }
    return out;
}

}  // namespace

Reservoir::Reservoir(std::vector<ReservoirFrame> frames) : frames(std::move(frames)) {
    areaStarts.reserve(this->frames.size());
    qint64 start = 0;
    for (const ReservoirFrame& frame : this->frames) {
        areaStarts.push_back(start);
        start += frame.areaLength;
    }
}

size_t Reservoir::FrameHolding(qint64 position) const {
    const auto after = std::upper_bound(areaStarts.begin(), areaStarts.end(), position);
    return size_t(std::max<qint64>(0, after - areaStarts.begin() - 1));
}

std::optional<std::vector<QByteArray>> SelfContainedStart(const Reservoir& reservoir, size_t first,
                                                          const FrameBytes& bytes) {
    std::vector<QByteArray> rebuilt;
    if (first >= reservoir.Size() || reservoir[first].back == 0) {
        return rebuilt;
    }
    for (size_t i = first; i < reservoir.Size() && rebuilt.size() < kMostRebuilt; ++i) {
        const std::optional<QByteArray> source = bytes(i);
        if (!source) {
            return std::nullopt;
        }
        const qint64 dataStart = reservoir.AreaStart(i) - reservoir[i].back;
        const std::optional<QByteArray> data =
            AreaBytes(reservoir, bytes, dataStart, dataStart + mp3::MainDataLength(*source));
        // What the next frame draws on from before its own area.
        const bool last = i + 1 == reservoir.Size();
        const qint64 nextArea = last ? 0 : reservoir.AreaStart(i + 1);
        const std::optional<QByteArray> tail =
            last ? QByteArray()
                 : AreaBytes(reservoir, bytes, nextArea - reservoir[i + 1].back, nextArea);
        if (!data || !tail) {
            return std::nullopt;
        }
        if (std::optional<QByteArray> frame = Rebuilt(*source, *data, *tail)) {
            rebuilt.push_back(std::move(*frame));
            return rebuilt;
        }
        // No room for the tail: the next frame is rebuilt to need none.
        std::optional<QByteArray> frame = Rebuilt(*source, *data, {});
        if (!frame) {
            return std::nullopt;
        }
        rebuilt.push_back(std::move(*frame));
    }
    return rebuilt.size() == kMostRebuilt ? std::nullopt : std::optional(rebuilt);
}

}  // namespace tessaro
