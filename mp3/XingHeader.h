#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <array>
#include <optional>

#include "mp3/FrameHeader.h"

namespace mp3 {

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
    // Whether frame's "VBRI" header counts `frames` audio frames and `bytes` bytes, as readers
    // take it: its own frame left out of the one, counted in the other.
    static bool VbriCounts(const quint8* frame, qint32 length, quint64 frames, quint64 bytes);
    // Whether frame is an encoder's header frame, which holds no audio: a Xing, Info or VBRI one,
    // whether or not its fields are whole.
    static bool IsEncoderHeader(const quint8* frame, qint32 length) {
        return TagOffset(frame, length) >= 0 || IsVbri(frame, length);
    }
    // A frame of model's version, layer, sampling rate and channel mode that holds no audio, only
    // a "Xing" header announcing frame count, byte count and, room permitting, seek table, all 0.
    // It keeps model's length when keepLength is set; otherwise its bitrate is raised from
    // model's until all three fields fit. With encoderExtension, it also has a quality field and
    // a LAME-style extension behind it, for the delay and padding, and room for all. Empty when
    // model's format has no such frame.
    static QByteArray NewFrame(const quint8* model, bool keepLength, bool encoderExtension = false);

    // What the header tells of the stream it heads, each count only when it has the field:
    // audio frames (its own left out) and bytes (all frames).
    std::optional<quint32> FrameCount(const quint8* frame) const;
    std::optional<quint32> ByteCount(const quint8* frame) const;
    // The quality indicator, which LAME writes as 100 - 10 * its VBR quality - its
    // algorithm quality.
    std::optional<quint32> Quality(const quint8* frame) const;

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
        // The delay in front of the audio, where it is not the first file's own.
        std::optional<qint32> encoderDelay = std::nullopt;
    };
    // Whether the header's frame and byte counts are those of stream.
    bool Counts(const quint8* frame, const Stream& stream) const;
    // Makes the header in frame describe stream: "Info" for one bitrate, "Xing" otherwise, its
    // peak and ReplayGain fields unknown. A
    // count too large for its 32 bits is taken out, flag and all, and the LAME extension's byte
    // count says 0, so that readers measure the stream by the file's size instead.
    void Describe(quint8* frame, const Stream& stream) const;

private:
    // Where the "Xing" or "Info" tag stands in frame; -1 when it has none.
    static qint32 TagOffset(const quint8* frame, qint32 length);
    void Drop(quint8* frame, quint32 flag);
    void Write(quint8* frame, const Stream& stream) const;

    // Offsets of the fields within the frame; -1 for a field the header does not have.
    qint32 tagAt = -1;
    qint32 framesAt = -1;
    qint32 bytesAt = -1;
    qint32 tocAt = -1;
    qint32 qualityAt = -1;
    qint32 lameAt = -1;
    qint32 length = 0;  // of the frame: what lies behind a field taken out moves up to its end
};

}  // namespace mp3
