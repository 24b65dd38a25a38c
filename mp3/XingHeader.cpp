#include "mp3/XingHeader.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "mp3/Crc16.h"
#include "mp3/LayerIII.h"

namespace mp3 {
namespace {

// Header tags at the start of the Xing fields, and encoder names at the start of a LAME-style
// extension (LAME's own, and FFmpeg's library and format layer).
constexpr char kXingTags[][5] = {"Xing", "Info"};
constexpr char kLameNames[][5] = {"LAME", "Lavc", "Lavf"};
constexpr qint32 kLameExtensionLength = 36;
constexpr int kLameCbr = 1, kLameAbr = 2, kLameCbrTwoPass = 8;
constexpr qint32 kTocEntries = 100;
constexpr quint32 kFramesFlag = 0x1, kBytesFlag = 0x2, kTocFlag = 0x4, kQualityFlag = 0x8;
constexpr quint64 kLargestCount = std::numeric_limits<quint32>::max();

template <size_t N>
bool StartsWithOneOf(const quint8* bytes, const char (&names)[N][5]) {
    for (const char* name : names) {
        if (std::memcmp(bytes, name, 4) == 0) {
            return true;
        }
    }
    return false;
}

quint32 ReadBigEndian32(const quint8* bytes) {
    return (quint32(bytes[0]) << 24) | (quint32(bytes[1]) << 16) | (quint32(bytes[2]) << 8) |
           bytes[3];
}

void WriteBigEndian(quint8* bytes, quint32 value, int size) {
    for (int i = size - 1; i >= 0; --i, value >>= 8) {
        bytes[i] = quint8(value);
    }
}

}  // namespace

qint32 XingHeader::TagOffset(const quint8* frame, qint32 length) {
    FrameHeader frameHeader;
    if (length < 4 || !frameHeader.ParseHeader(frame) ||
        frameHeader.version == FrameHeader::VersionReserved) {
        return -1;
    }
    const auto hasTagAt = [&](qint32 at) {
        return at + 8 <= length && StartsWithOneOf(frame + at, kXingTags);
    };
    // The header stands where the main data would. Behind a CRC that is 2 bytes further on; LAME
    // writes it at the place it would have without the CRC, though, and players look for it
    // there, so both are taken.
    FrameHeader withoutCrc = frameHeader;
    withoutCrc.protection = 1;
    if (frameHeader.protection == 0 && hasTagAt(MainDataStart(frameHeader))) {
        return MainDataStart(frameHeader);
    }
    return hasTagAt(MainDataStart(withoutCrc)) ? MainDataStart(withoutCrc) : -1;
}

std::optional<XingHeader> XingHeader::Find(const quint8* frame, qint32 length) {
    const qint32 at = TagOffset(frame, length);
    if (at < 0) {
        return std::nullopt;
    }

    const quint32 flags = ReadBigEndian32(frame + at + 4);
    qint32 next = at + 8;
    // The fields stand in this order, each only when its flag is set.
    const auto field = [&](quint32 flag, qint32 size) {
        const qint32 fieldAt = (flags & flag) ? next : -1;
        next += (flags & flag) ? size : 0;
        return fieldAt;
    };
    XingHeader header;
    header.length = length;
    header.tagAt = at;
    header.framesAt = field(kFramesFlag, 4);
    header.bytesAt = field(kBytesFlag, 4);
    header.tocAt = field(kTocFlag, kTocEntries);
    header.qualityAt = field(kQualityFlag, 4);
    if (next > length) {
        return std::nullopt;
    }
    if (next + kLameExtensionLength <= length && StartsWithOneOf(frame + next, kLameNames)) {
        header.lameAt = next;
    }
    return header;
}

bool XingHeader::IsVbri(const quint8* frame, qint32 length) {
    // Always 32 bytes behind the frame header, whatever the version and channels.
    return length >= 40 && std::memcmp(frame + 36, "VBRI", 4) == 0;
}

bool XingHeader::VbriCounts(const quint8* frame, qint32 length, quint64 frames, quint64 bytes) {
    // Version, delay and quality, then the byte count and the frame count.
    constexpr qint32 kBytesAt = 36 + 10, kFramesAt = kBytesAt + 4;
    return IsVbri(frame, length) && kFramesAt + 4 <= length &&
           ReadBigEndian32(frame + kBytesAt) == bytes &&
           ReadBigEndian32(frame + kFramesAt) == frames;
}

QByteArray XingHeader::NewFrame(const quint8* model, bool keepLength, bool encoderExtension) {
    std::array<quint8, 4> bytes{model[0], model[1], model[2], model[3]};
    bytes[1] |= 0x01;  // no CRC: nothing in the frame needs protecting
    if (!keepLength) {
        bytes[2] &= quint8(~0x02);  // no padding slot
    }
    FrameHeader header;
    header.ParseHeader(bytes.data());
    if (header.version == FrameHeader::VersionReserved ||
        header.layer == FrameHeader::LayerReserved || header.GetSampleRate() < 0 ||
        header.bitrateIndex == 15) {
        return {};
    }
    const qint32 tagAt = MainDataStart(header);
    const qint32 counted = tagAt + 16;
    const qint32 full = counted + kTocEntries + (encoderExtension ? 4 + kLameExtensionLength : 0);
    if (!keepLength) {
        // Free format (index 0) has no length of its own, so the search starts at index 1.
        for (header.bitrateIndex = std::max(header.bitrateIndex, 1);
             header.bitrateIndex < 14 && header.GetFrameLength() < full; ++header.bitrateIndex) {
        }
        bytes[2] = quint8((bytes[2] & 0x0F) | (header.bitrateIndex << 4));
    }
    const qint32 length = header.GetFrameLength();
    if (length < (encoderExtension ? full : counted)) {
        return {};
    }
    // Zero side information: a player that decodes the frame anyway hears silence.
    QByteArray frame(length, '\0');
    std::memcpy(frame.data(), bytes.data(), 4);
    auto* fields = reinterpret_cast<quint8*>(frame.data()) + tagAt;
    std::memcpy(fields, "Xing", 4);
    if (encoderExtension) {
        // The extension stands behind the quality field, named as FFmpeg names the one it writes
        // for streams it did not encode itself: readers take its delay and padding by that name.
        WriteBigEndian(fields + 4, kFramesFlag | kBytesFlag | kTocFlag | kQualityFlag, 4);
        std::memcpy(fields + 16 + kTocEntries + 4, kLameNames[2], 4);
        return frame;
    }
    WriteBigEndian(fields + 4, kFramesFlag | kBytesFlag | (length >= full ? kTocFlag : 0), 4);
    return frame;
}

std::optional<quint32> XingHeader::FrameCount(const quint8* frame) const {
    return framesAt < 0 ? std::nullopt : std::optional(ReadBigEndian32(frame + framesAt));
}

std::optional<quint32> XingHeader::ByteCount(const quint8* frame) const {
    return bytesAt < 0 ? std::nullopt : std::optional(ReadBigEndian32(frame + bytesAt));
}

std::optional<quint32> XingHeader::Quality(const quint8* frame) const {
    return qualityAt < 0 ? std::nullopt : std::optional(ReadBigEndian32(frame + qualityAt));
}

qint32 XingHeader::EncoderDelay(const quint8* frame) const {
    return lameAt < 0 ? 0 : (frame[lameAt + 21] << 4) | (frame[lameAt + 22] >> 4);
}

qint32 XingHeader::EncoderPadding(const quint8* frame) const {
    // Bytes 21..23 of the extension: 12 bits of delay, then 12 bits of padding.
    return lameAt < 0 ? 0 : ((frame[lameAt + 22] & 0x0F) << 8) | frame[lameAt + 23];
}

bool XingHeader::Counts(const quint8* frame, const Stream& stream) const {
    return (framesAt < 0 || ReadBigEndian32(frame + framesAt) == stream.frames) &&
           (bytesAt < 0 || ReadBigEndian32(frame + bytesAt) == stream.bytes);
}

void XingHeader::Describe(quint8* frame, const Stream& stream) const {
    XingHeader fields = *this;
    if (stream.frames > kLargestCount) {
        fields.Drop(frame, kFramesFlag);
    }
    if (stream.bytes > kLargestCount) {
        fields.Drop(frame, kBytesFlag);
    }
    fields.Write(frame, stream);
}

void XingHeader::Drop(quint8* frame, quint32 flag) {
    qint32& field = flag == kFramesFlag ? framesAt : bytesAt;
    const qint32 at = field;
    if (at < 0) {
        return;
    }
    // Readers look for each field right behind those flagged before it, so what follows the
    // count moves up into its place.
    std::memmove(frame + at, frame + at + 4, size_t(length - at - 4));
    std::memset(frame + length - 4, 0, 4);
    WriteBigEndian(frame + tagAt + 4, ReadBigEndian32(frame + tagAt + 4) & ~flag, 4);
    for (qint32* later : {&framesAt, &bytesAt, &tocAt, &qualityAt, &lameAt}) {
        *later -= *later > at ? 4 : 0;
    }
    field = -1;
}

void XingHeader::Write(quint8* frame, const Stream& stream) const {
    // Readers take an "Info" stream for one of constant bitrate and measure it by its size.
    std::memcpy(frame + tagAt, kXingTags[stream.oneBitrate ? 1 : 0], 4);
    if (framesAt >= 0) {
        WriteBigEndian(frame + framesAt, quint32(stream.frames), 4);
    }
    if (bytesAt >= 0) {
        WriteBigEndian(frame + bytesAt, quint32(stream.bytes), 4);
    }
    if (tocAt >= 0) {
        std::memcpy(frame + tocAt, stream.seekTable.data(), kTocEntries);
    }
    if (lameAt >= 0) {
        quint8* lame = frame + lameAt;
        // Byte 9 ends in the encoding method, by which readers take a CBR stream's bitrate for
        // all of it. A join of several bitrates has none: it counts as of average bitrate.
        const int method = lame[9] & 0x0F;
        if (!stream.oneBitrate && (method == kLameCbr || method == kLameCbrTwoPass)) {
            lame[9] = quint8((lame[9] & 0xF0) | kLameAbr);
        }
        // The peak and ReplayGain fields told of the first file only: "not known" now.
        std::fill(lame + 11, lame + 19, quint8(0));
        // The delay is the first file's and stays, unless the stream tells its own; the padding
        // is the last file's.
        if (stream.encoderDelay) {
            lame[21] = quint8(*stream.encoderDelay >> 4);
            lame[22] = quint8((lame[22] & 0x0F) | ((*stream.encoderDelay & 0x0F) << 4));
        }
        lame[22] = quint8((lame[22] & 0xF0) | ((stream.encoderPadding >> 8) & 0x0F));
        lame[23] = quint8(stream.encoderPadding);
        WriteBigEndian(lame + 28, stream.bytes > kLargestCount ? 0 : quint32(stream.bytes), 4);
        WriteBigEndian(lame + 32, stream.musicCrc, 2);
        // The tag CRC covers everything before it, so it comes last.
        WriteBigEndian(lame + 34, Crc16(frame, lameAt + 34), 2);
    }
}

}  // namespace mp3
