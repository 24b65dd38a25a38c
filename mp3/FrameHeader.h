#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace mp3 {

// The decoded 4-byte header of one MPEG audio frame. Values are kept exactly as the bits say;
// the queries map them through the standard tables and return negative markers where the
// tables have no value.
struct FrameHeader {
    enum Version { Mpeg25 = 0, VersionReserved = 1, Mpeg2 = 2, Mpeg1 = 3 };
    enum Layer { LayerReserved = 0, Layer3 = 1, Layer2 = 2, Layer1 = 3 };
    enum ChannelMode { Stereo = 0, JointStereo = 1, DualChannel = 2, SingleChannel = 3 };

    qint64 offset = 0;  // file offset of the header's first byte (the 0xFF)
    qint32 version = 0;
    qint32 layer = 0;
    qint32 protection = 0;  // as stored: 0 means a CRC follows the header
    qint32 bitrateIndex = 0;
    qint32 sampleRateIndex = 0;
    qint32 padding = 0;
    qint32 privateBit = 0;
    qint32 channelMode = 0;
    qint32 modeExtension = 0;
    qint32 copyright = 0;
    qint32 original = 0;
    qint32 emphasis = 0;

    // The 11-bit frame sync: 0xFF, then a byte with its top three bits set.
    static bool IsSync(quint8 b0, quint8 b1) { return b0 == 0xFF && (b1 & 0xE0) == 0xE0; }

    // Fills the fields from b[0..3]; returns false and changes nothing without a sync.
    bool ParseHeader(const quint8* b);
    // Whether no field holds a reserved value: only such a header can start a frame.
    bool IsValid() const {
        return version != VersionReserved && layer != LayerReserved && bitrateIndex != 15 &&
               sampleRateIndex != 3;
    }
    // Free format: the bitrate is not in the header, and the frame's length is found from where
    // the next one starts.
    bool IsFreeFormat() const { return bitrateIndex == 0; }
    // Whether both belong to one stream: same version, layer and sampling rate.
    bool SameStream(const FrameHeader& other) const {
        return version == other.version && layer == other.layer &&
               sampleRateIndex == other.sampleRateIndex;
    }
    // Bytes a padding slot adds: 4 in Layer I, 1 otherwise.
    qint32 GetSlotLength() const { return layer == Layer1 ? 4 : 1; }
    // Bits per second; -1 for free format or index 15, -2 where no table applies.
    qint32 GetBitrate() const;
    // Bits per second of a frame `frameLength` bytes long: its free-format bitrate, or the
    // header's own.
    qint32 GetBitrate(qint32 frameLength) const;
    // Hz; -1 for rate index 3 or the reserved version.
    qint32 GetSampleRate() const;
    // Bytes, header included; 0 for a header that is not valid or is free format.
    qint32 GetFrameLength() const;
    qint32 GetChannelCount() const { return channelMode == SingleChannel ? 1 : 2; }
    // Samples per channel the frame decodes to; 0 for the reserved layer.
    qint32 GetSampleCount() const;
    // Seconds the frame plays; 0 where the rate is reserved.
    double GetDuration() const;

private:
    qint32 ComputeFrameLength() const;
    // The slots of a frame times its sampling rate over its bitrate: 12 in Layer I, 72 in
    // MPEG-2 and 2.5 Layer III, 144 otherwise.
    qint32 GetSlotsPerBit() const;
};

// The header of the frame that `frame` starts with; all fields 0 where it has no sync.
inline FrameHeader HeaderOf(const QByteArray& frame) {
    FrameHeader header;
    header.ParseHeader(reinterpret_cast<const quint8*>(frame.constData()));
    return header;
}

}  // namespace mp3
