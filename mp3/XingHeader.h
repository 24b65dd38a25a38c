#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <optional>
#include <vector>

namespace mp3 {

// CRC-16/ARC (polynomial 0x8005 reflected, initial value 0), the checksum of the LAME
// extension. Pass the previous result as crc to continue over more bytes.
quint16 Crc16(const quint8* data, qsizetype length, quint16 crc = 0);

// The "Xing" or "Info" header that encoders put into the first frame of a file: how many frames
// and bytes the file holds, a seek table and, in the LAME extension behind it, the encoder delay
// and padding and two CRCs. This records where the fields lie in the frame, not the frame itself.
class XingHeader {
public:
    // The header in frame, or none when the frame carries none or is too short for the fields
    // its flags announce.
    static std::optional<XingHeader> Find(const quint8* frame, qint32 length);

    // Samples the encoder appended at the end; 0 without a LAME extension.
    qint32 EncoderPadding(const quint8* frame) const;

    // A stream of frames that starts with the header's own frame.
    struct Stream {
        const std::vector<quint32>& frameOffsets;  // of every frame, from the first frame's start
        quint32 bytes;                             // all frames together
        quint16 musicCrc;                          // Crc16 of every frame but the first
        qint32 encoderPadding;                     // of the last file in the stream
    };
    // Makes the header in frame describe stream; returns false and changes nothing when its
    // frame and byte counts already do.
    bool Describe(quint8* frame, const Stream& stream) const;

private:
    // Offsets of the fields within the frame; -1 for a field the header does not have.
    qint32 framesAt = -1;
    qint32 bytesAt = -1;
    qint32 tocAt = -1;
    qint32 lameAt = -1;
};

// Follows the frames of a stream as they are written so that, at its end, the header in its
// first frame can be made to describe all of them. Keeps 4 bytes a frame, and nothing when the
// first frame carries no header.
class XingUpdate {
public:
    // Every frame in stream order; firstOfFile marks the first frame of each file joined.
    void AddFrame(const quint8* frame, qint32 length, bool firstOfFile);
    // The first frame with its header describing every frame added; empty when there is nothing
    // to change: no header, one that is right already, or a stream too long for its 32-bit fields.
    QByteArray UpdatedFirstFrame() const;

private:
    bool started = false;
    std::optional<XingHeader> header;
    QByteArray firstFrame;
    std::vector<quint32> frameOffsets;
    quint64 bytes = 0;
    quint16 musicCrc = 0;
    qint32 lastPadding = 0;
};

}  // namespace mp3
