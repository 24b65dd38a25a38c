#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "split/Repack.h"

namespace tessaro {

class InputFile;

// An audio frame where it lies in the file, with its header's bytes: a part copies its frames
// without reading them again.
struct SourceFrame {
    qint64 offset = 0;
    qint32 length = 0;
    std::array<quint8, 4> header{};
};

// The audio frames of a file to split, as they lie in it, and what its encoder's header frame
// tells of them.
struct SourceStream {
    std::shared_ptr<InputFile> file;  // as it was open when the frames were read
    std::vector<SourceFrame> frames;  // the header frame in front not counted
    // crcBefore[i]: the Crc16 of frames 0 to i - 1 one behind the other, for every i up to the
    // frame count; a run's own comes of the two at its ends.
    std::vector<quint16> crcBefore{0};
    QByteArray lead;   // the encoder's header frame (Xing, Info or VBRI) in front; empty for none
    qint32 delay = 0;  // the encoder's, as its LAME extension tells; 0 without one
    qint32 padding = 0;
    qint32 samplesPerFrame = 0;  // of the first frame
    // With frames of free format: such a frame's length is where the next one starts, so a lone
    // one has none.
    bool freeFormat = false;
    qint32 sampleRate = 0;
    // Every frame Layer III of one version, rate and channel count: only then can a part start
    // with frames rebuilt to draw on nothing before it. The reservoir is known only then.
    std::optional<Reservoir> reservoir;

    size_t FrameCount() const { return frames.size(); }
    // The Crc16 of frames [first, end) one behind the other, `bytes` long.
    quint16 CrcOf(size_t first, size_t end, qint64 bytes) const;
    // The samples players play: the encoder's delay and padding left out.
    qint64 Samples() const { return qint64(FrameCount()) * samplesPerFrame - delay - padding; }
};

// Opens the file at `path` and reads its frames; none, with the reason in *error, when it cannot
// be read or holds no MPEG audio frame. The file stays open with them, so that whatever is cut
// from them is cut from the file they were read from.
[[nodiscard]] std::optional<SourceStream> ReadSourceStream(const QString& path, QString* error);

}  // namespace tessaro
