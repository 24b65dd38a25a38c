#pragma once

#include <QStringList>
#include <QtGlobal>
#include <optional>

#include "mp3/FrameHeader.h"

namespace mp3 {

// What players set themselves up by for a stream, as a frame's header gives it: MPEG version,
// layer, sampling rate and channel count. Many keep the first frame's, so frames of another
// format in the same stream play wrongly.
struct StreamFormat {
    qint32 version = FrameHeader::VersionReserved;
    qint32 layer = FrameHeader::LayerReserved;
    qint32 sampleRate = -1;  // Hz; -1 where reserved
    qint32 channels = 0;

    StreamFormat() = default;
    explicit StreamFormat(const FrameHeader& header);

    bool operator==(const StreamFormat& other) const;
    bool operator!=(const StreamFormat& other) const { return !(*this == other); }
    // The figures as users read them, in the order above: "MPEG-1", "Layer III", "44100 Hz",
    // "2 channels".
    QStringList Figures() const;
    // Those of its figures that differ from other's, in the same order; empty when none do.
    QStringList FiguresDifferingFrom(const StreamFormat& other) const;
};

// Where a stream's frames first change format, and from what to what.
struct FormatChange {
    StreamFormat from, to;
    double seconds = 0;  // of frames before the first of `to`
};

// Finds the first change of format in a stream seen frame by frame, in order.
class FormatWatch {
public:
    void See(const FrameHeader& header);
    const std::optional<FormatChange>& Change() const { return change; }

private:
    bool seen = false;
    StreamFormat first;
    double seconds = 0;
    std::optional<FormatChange> change;
};

}  // namespace mp3
