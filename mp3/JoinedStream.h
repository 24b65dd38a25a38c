#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <array>
#include <optional>
#include <vector>

#include "mp3/FrameHeader.h"
#include "mp3/XingHeader.h"

namespace mp3 {

// Follows the frames of a join as they are written and decides what leads the output: each
// input's own header frame (Xing, Info or VBRI) describes that input only and is left out, but
// the first input's stands in front of the audio, to describe the whole join at its end, a
// "VBRI" one made a "Xing" one (but where it describes a single input already). Where the first
// input has none and the bitrate varies, a new "Xing" frame is put in front. Keeps 8
// bytes an audio frame up to 65,536 frames, and no more beyond. The music CRC is the writer's to
// take, over its large writes.
class JoinedStream {
public:
    struct Step {
        bool copy = true;        // whether the frame goes into the output
        QByteArray insertFront;  // put in front of the output before the frame, when not empty
    };
    // Every frame of every input in join order; firstOfFile marks the first frame of an input.
    Step AddFrame(const quint8* frame, qint32 length, bool firstOfFile);
    // Whether the leading frame is an encoder's, whose LAME extension wants the CRC of the audio
    // behind it: known from the first frame on.
    bool NeedsMusicCrc() const { return lead == Lead::Xing; }
    // The leading frame as it is to be in the end, to write over the one at the output's start;
    // empty when that stays as it is: no header, or a single input that it describes already.
    // musicCrc is the Crc16 of every frame written behind the leading one, when NeedsMusicCrc().
    QByteArray HeaderFrame(quint16 musicCrc = 0) const;
    // Seconds the audio frames added so far play, from each frame's samples and rate.
    double Duration() const { return duration; }
    // Audio frames added so far: every frame but the leading header frame and the inputs' own.
    quint64 AudioFrames() const { return frameCount; }
    // The inputs' gain was changed: a single input's own header no longer describes the output.
    void GainChanged() { gainChanged = true; }
    // The padding of the input joined last, where its frames have no room to tell it (the
    // join's own encoding of it) or its header tells one that is no longer there.
    void SetLastPadding(qint32 padding) { lastPadding = padding; }
    // The delay in front of the audio, where it is not the first input's own: a part cut out of
    // a stream starts within its first frames.
    void SetFirstDelay(qint32 delay) { firstDelay = delay; }

private:
    enum class Lead { None, Xing, Vbri, Inserted };
    // Frames of one duration in a row, from frame `first` on, starting at `start` seconds.
    struct Run {
        quint64 first;
        double start;
        double frameDuration;
    };

    void AddAudio(qint32 length, const FrameHeader& header);
    quint64 FrameAt(double seconds) const;
    double OffsetOf(quint64 frame) const;
    SeekTable MakeSeekTable(quint32 leadLength, quint64 bytes) const;

    int files = 0;
    Lead lead = Lead::None;
    QByteArray leadFrame;                             // as written at the output's start
    std::optional<std::array<quint8, 4>> firstAudio;  // header bytes of the first audio frame
    qint32 firstBitrate = 0;
    bool oneBitrate = true;
    static constexpr size_t kMaxOffsets = 1 << 16;
    quint64 frameCount = 0;        // audio frames
    std::vector<quint64> offsets;  // of every `stride`-th audio frame, from the first one's start
    quint64 stride = 1;
    quint64 audioBytes = 0;
    std::vector<Run> runs;
    double duration = 0;
    qint32 lastPadding = 0;
    std::optional<qint32> firstDelay;
    bool gainChanged = false;
};

}  // namespace mp3
