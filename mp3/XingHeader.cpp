#include "mp3/XingHeader.h"

#include <array>
#include <cstring>
#include <limits>

#include "mp3/FrameHeader.h"

namespace mp3 {
namespace {

// kCrcTables[k][b]: the CRC of byte b followed by k zero bytes. With them the CRC takes 16 bytes
// a step (slicing-by-16), several times faster than a byte a step: it runs over every byte of
// the output.
constexpr int kCrcSlice = 16;
using CrcTables = std::array<std::array<quint16, 256>, kCrcSlice>;

constexpr CrcTables MakeCrcTables() {
    CrcTables tables{};
    for (int b = 0; b < 256; ++b) {
        quint16 crc = quint16(b);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
        }
        tables[0][b] = crc;
    }
    for (int k = 1; k < kCrcSlice; ++k) {
        for (int b = 0; b < 256; ++b) {
            const quint16 previous = tables[k - 1][b];
            tables[k][b] = quint16((previous >> 8) ^ tables[0][previous & 0xFF]);
        }
    }
    return tables;
}
constexpr CrcTables kCrcTables = MakeCrcTables();

// Header tags at the start of the Xing fields, and encoder names at the start of a LAME-style
// extension (LAME's own, and FFmpeg's library and format layer).
constexpr char kXingTags[][5] = {"Xing", "Info"};
constexpr char kLameNames[][5] = {"LAME", "Lavc", "Lavf"};
constexpr qint32 kLameExtensionLength = 36;
constexpr qint32 kTocEntries = 100;

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

quint16 Crc16(const quint8* data, qsizetype length, quint16 crc) {
    const auto& t = kCrcTables;
    for (; length >= kCrcSlice; data += kCrcSlice, length -= kCrcSlice) {
        // The running CRC only meets the first two bytes; the other lookups do not wait on it
        // and, unrolled, run side by side (twice as fast as the plain loop).
        quint16 rest = 0;
#pragma GCC unroll 16
        for (int k = 2; k < kCrcSlice; ++k) {
            rest ^= t[kCrcSlice - 1 - k][data[k]];
        }
        crc = t[kCrcSlice - 1][(data[0] ^ crc) & 0xFF] ^ t[kCrcSlice - 2][data[1] ^ (crc >> 8)] ^
              rest;
    }
    for (; length > 0; ++data, --length) {
        crc = quint16((crc >> 8) ^ t[0][(crc ^ *data) & 0xFF]);
    }
    return crc;
}

std::optional<XingHeader> XingHeader::Find(const quint8* frame, qint32 length) {
    FrameHeader frameHeader;
    if (length < 4 || !frameHeader.ParseHeader(frame) ||
        frameHeader.version == FrameHeader::VersionReserved) {
        return std::nullopt;
    }
    // The header follows the side information, whose length depends on version and channels.
    const bool mono = frameHeader.channelMode == FrameHeader::SingleChannel;
    const qint32 sideInfo =
        frameHeader.version == FrameHeader::Mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    const auto hasTagAt = [&](qint32 at) {
        return at + 8 <= length && StartsWithOneOf(frame + at, kXingTags);
    };
    qint32 at = 4 + sideInfo;
    // Behind a CRC the header stands 2 bytes further on; LAME writes it at the place it would
    // have without the CRC, though, and players look for it there, so both are taken.
    if (frameHeader.protection == 0 && hasTagAt(at + 2)) {
        at += 2;
    } else if (!hasTagAt(at)) {
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
    header.framesAt = field(0x1, 4);
    header.bytesAt = field(0x2, 4);
    header.tocAt = field(0x4, kTocEntries);
    field(0x8, 4);  // the quality indicator, which stays as it is
    if (next > length) {
        return std::nullopt;
    }
    if (next + kLameExtensionLength <= length && StartsWithOneOf(frame + next, kLameNames)) {
        header.lameAt = next;
    }
    return header;
}

qint32 XingHeader::EncoderPadding(const quint8* frame) const {
    // Bytes 21..23 of the extension: 12 bits of delay, then 12 bits of padding.
    return lameAt < 0 ? 0 : ((frame[lameAt + 22] & 0x0F) << 8) | frame[lameAt + 23];
}

bool XingHeader::Describe(quint8* frame, const Stream& stream) const {
    const std::vector<quint32>& offsets = stream.frameOffsets;
    const quint32 frameCount = quint32(offsets.size());
    // The header's own frame holds no audio and is not counted.
    const quint32 audioFrames = frameCount - 1;
    if ((framesAt < 0 || ReadBigEndian32(frame + framesAt) == audioFrames) &&
        (bytesAt < 0 || ReadBigEndian32(frame + bytesAt) == stream.bytes)) {
        return false;
    }
    if (framesAt >= 0) {
        WriteBigEndian(frame + framesAt, audioFrames, 4);
    }
    if (bytesAt >= 0) {
        WriteBigEndian(frame + bytesAt, stream.bytes, 4);
    }
    if (tocAt >= 0) {
        // Entry i: where the frame i percent into the stream begins, in 256ths of its bytes.
        // No frame begins at the very end, so an entry never reaches 256.
        for (qint32 i = 0; i < kTocEntries; ++i) {
            const quint64 offset = offsets[size_t(quint64(i) * frameCount / kTocEntries)];
            frame[tocAt + i] = quint8(offset * 256 / stream.bytes);
        }
    }
    if (lameAt >= 0) {
        quint8* lame = frame + lameAt;
        // The delay is the first file's and stays; the padding is the last file's.
        lame[22] = quint8((lame[22] & 0xF0) | ((stream.encoderPadding >> 8) & 0x0F));
        lame[23] = quint8(stream.encoderPadding);
        WriteBigEndian(lame + 28, stream.bytes, 4);
        WriteBigEndian(lame + 32, stream.musicCrc, 2);
        // The tag CRC covers everything before it, so it comes last.
        WriteBigEndian(lame + 34, Crc16(frame, lameAt + 34), 2);
    }
    return true;
}

void XingUpdate::AddFrame(const quint8* frame, qint32 length, bool firstOfFile) {
    if (!started) {
        started = true;
        header = XingHeader::Find(frame, length);
        if (header) {
            firstFrame = QByteArray(reinterpret_cast<const char*>(frame), length);
        }
    } else if (header) {
        musicCrc = Crc16(frame, length, musicCrc);
    }
    if (!header) {
        return;
    }
    if (bytes + quint64(length) > std::numeric_limits<quint32>::max()) {
        // Its fields cannot describe the stream: leave the header as it is.
        header.reset();
        frameOffsets = {};
        return;
    }
    frameOffsets.push_back(quint32(bytes));
    bytes += quint64(length);
    if (firstOfFile) {
        const std::optional<XingHeader> fileHeader = XingHeader::Find(frame, length);
        lastPadding = fileHeader ? fileHeader->EncoderPadding(frame) : 0;
    }
}

QByteArray XingUpdate::UpdatedFirstFrame() const {
    if (!header) {
        return {};
    }
    QByteArray frame = firstFrame;
    const bool changed = header->Describe(reinterpret_cast<quint8*>(frame.data()),
                                          {frameOffsets, quint32(bytes), musicCrc, lastPadding});
    return changed ? frame : QByteArray();
}

}  // namespace mp3
