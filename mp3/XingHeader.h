#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <array>
#include <optional>
#include <vector>

#include "mp3/FrameHeader.h"

namespace mp3 {

// CRC-16/ARC (polynomial 0x8005 reflected, initial value 0), the checksum of the LAME
// extension. Pass the previous result as crc to continue over more bytes.
quint16 Crc16(const quint8* data, qsizetype length, quint16 crc = 0);

// Entry i: where the frame playing at i percent of the stream's time begins, in 256ths of its
// bytes.
using SeekTable = std::array<quint8, 100>;

// The "Xing" or "Info" header that encoders put into the first frame of a file: how many frames
// and bytes the file holds, a seek table and, in the LAME extension behind it, the encoder delay
// and padding and two CRCs. This records where the fields lie in the frame, not the frame itself.
class XingHeader {
public:
    // The header in frame, or none when the frame carries none or is too short for the fields
    // its flags announce.
    static std::optional<XingHeader> Find(const quint8* frame, qint32 length);
    // Whether frame carries the "VBRI" header of Fraunhofer's encoder instead.
    static bool IsVbri(const quint8* frame, qint32 length);
    // A frame of model's version, layer, sampling rate and channel mode that holds no audio, only
    // a "Xing" header announcing frame count, byte count and, room permitting, seek table, all 0.
    // It keeps model's length when keepLength is set; otherwise its bitrate is raised from
    // model's until all three fields fit. Empty when model's format has no such frame.
    static QByteArray NewFrame(const quint8* model, bool keepLength);

    // Whether the header has a LAME extension, which tells the encoder's delay and padding.
    bool HasEncoderExtension() const { return lameAt >= 0; }
    // Samples the encoder put in front of the audio; 0 without a LAME extension.
    qint32 EncoderDelay(const quint8* frame) const;
    // Samples the encoder appended at the end; 0 without a LAME extension.
    qint32 EncoderPadding(const quint8* frame) const;

    // A stream of frames that starts with the header's own frame.
    struct Stream {
        quint64 frames;         // audio frames: all but the header's own
        quint64 bytes;          // all frames together
        SeekTable seekTable;    // from the header frame's start
        quint16 musicCrc;       // Crc16 of every frame but the first
        qint32 encoderPadding;  // of the last file in the stream
        bool oneBitrate;        // whether every audio frame has the same bitrate
    };
    // Whether the header's frame and byte counts are those of stream.
    bool Counts(const quint8* frame, const Stream& stream) const;
    // Makes the header in frame describe stream: "Info" for one bitrate, "Xing" otherwise. A
    // count too large for its 32 bits is taken out, flag and all, and the LAME extension's byte
    // count says 0, so that readers measure the stream by the file's size instead.
    void Describe(quint8* frame, const Stream& stream) const;

private:
    void Drop(quint8* frame, quint32 flag);
    void Write(quint8* frame, const Stream& stream) const;

    // Offsets of the fields within the frame; -1 for a field the header does not have.
    qint32 tagAt = -1;
    qint32 framesAt = -1;
    qint32 bytesAt = -1;
    qint32 tocAt = -1;
    qint32 lameAt = -1;
    qint32 length = 0;  // of the frame: what lies behind a field taken out moves up to its end
};

// Follows the frames of a join as they are written and decides what leads the output: each
// input's own header frame (Xing, Info or VBRI) describes that input only and is left out, but
// the first input's stands in front of the audio, to describe the whole join at its end. Where
// the first input has none and the bitrate varies, a new "Xing" frame is put in front. Keeps 8
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
};

}  // namespace mp3
