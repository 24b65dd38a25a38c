#include "mp3/LayerIII.h"

#include <algorithm>

namespace mp3 {
namespace {

bool IsMpeg1(const FrameHeader& header) {
    return header.version == FrameHeader::Mpeg1;
}

qint32 MainDataBeginBits(const FrameHeader& header) {
    return IsMpeg1(header) ? 9 : 8;
}

// The side information is main_data_begin, the private bits and, in MPEG-1, the scale factor
// selection information of each channel, then the fields of each granule and channel: 59 bits
// in MPEG-1, 63 in the others (a wider scalefac_compress, no preflag), part2_3_length (12 bits),
// big_values (9) and global_gain (8) first.
constexpr qint32 kPart23LengthBits = 12;
constexpr qint32 kGlobalGainAt = 12 + 9;

qint32 LeadingBits(const FrameHeader& header) {
    const bool mono = header.GetChannelCount() == 1;
    return MainDataBeginBits(header) +
           (IsMpeg1(header) ? (mono ? 5 : 3) + 4 * header.GetChannelCount() : (mono ? 1 : 2));
}

qint32 GranuleChannelBits(const FrameHeader& header) {
    return IsMpeg1(header) ? 59 : 63;
}

// Where the fields of each granule and channel begin, in bits from the frame's start.
std::vector<qint32> GranuleChannelStarts(const FrameHeader& header) {
    const int count = (IsMpeg1(header) ? 2 : 1) * header.GetChannelCount();
    std::vector<qint32> starts;
    for (qint32 i = 0, at = 8 * SideInfoStart(header) + LeadingBits(header); i < count;
         ++i, at += GranuleChannelBits(header)) {
        starts.push_back(at);
    }
    return starts;
}

qint32 ReadBits(const quint8* bytes, qint32 at, qint32 count) {
    qint32 value = 0;
    for (qint32 i = at; i < at + count; ++i) {
        value = (value << 1) | ((bytes[i / 8] >> (7 - i % 8)) & 1);
    }
    return value;
}
qint32 ReadBits(const QByteArray& bytes, qint32 at, qint32 count) {
    return ReadBits(reinterpret_cast<const quint8*>(bytes.constData()), at, count);
}

void WriteBits(quint8* bytes, qint32 at, qint32 count, qint32 value) {
    for (qint32 i = at + count - 1; i >= at; --i, value >>= 1) {
        const quint8 bit = quint8(0x80 >> (i % 8));
        quint8& byte = bytes[i / 8];
        byte = (value & 1) ? (byte | bit) : (byte & ~bit);
    }
}

}  // namespace

qint32 SideInfoStart(const FrameHeader& header) {
    return 4 + (header.protection == 0 ? 2 : 0);
}

qint32 SideInfoLength(const FrameHeader& header) {
    const qint32 granules = IsMpeg1(header) ? 2 : 1;
    return (LeadingBits(header) +
            granules * header.GetChannelCount() * GranuleChannelBits(header)) /
           8;
}

qint32 MainDataStart(const FrameHeader& header) {
    return SideInfoStart(header) + SideInfoLength(header);
}

qint32 FarthestBack(const FrameHeader& header) {
    return (1 << MainDataBeginBits(header)) - 1;
}

std::vector<qint32> GlobalGainBits(const FrameHeader& header) {
    std::vector<qint32> bits = GranuleChannelStarts(header);
    for (qint32& at : bits) {
        at += kGlobalGainAt;
    }
    return bits;
}

qint32 MainDataBegin(const QByteArray& frame) {
    const FrameHeader header = HeaderOf(frame);
    return ReadBits(frame, 8 * SideInfoStart(header), MainDataBeginBits(header));
}

void SetMainDataBegin(QByteArray* frame, qint32 back) {
    const FrameHeader header = HeaderOf(*frame);
    WriteBits(reinterpret_cast<quint8*>(frame->data()), 8 * SideInfoStart(header),
              MainDataBeginBits(header), back);
}

qint32 MainDataLength(const QByteArray& frame) {
    qint32 bits = 0;
    for (const qint32 at : GranuleChannelStarts(HeaderOf(frame))) {
        bits += ReadBits(frame, at, kPart23LengthBits);
    }
    return (bits + 7) / 8;
}

qint32 MainDataRoom(const QByteArray& frame) {
    return qint32(frame.size()) - MainDataStart(HeaderOf(frame));
}

bool AddGlobalGain(quint8* frame, qint32 length, int steps) {
    FrameHeader header;
    if (length < 4 || !header.ParseHeader(frame) || length < MainDataStart(header)) {
        return false;
    }
    for (const qint32 at : GlobalGainBits(header)) {
        WriteBits(frame, at, 8, std::clamp(ReadBits(frame, at, 8) + steps, 0, 255));
    }
    if (header.protection == 0) {
        const quint16 crc = FrameCrc(frame);
        frame[4] = quint8(crc >> 8);
        frame[5] = quint8(crc);
    }
    return true;
}

quint16 FrameCrc(const quint8* frame) {
    FrameHeader header;
    header.ParseHeader(frame);
    quint16 crc = 0xFFFF;
    const auto add = [&crc](quint8 byte) {
        for (int bit = 7; bit >= 0; --bit) {
            const bool carry = ((crc >> 15) ^ (byte >> bit)) & 1;
            crc = quint16(crc << 1) ^ (carry ? 0x8005 : 0);
        }
    };
    add(frame[2]);
    add(frame[3]);
    for (qint32 i = SideInfoStart(header); i < MainDataStart(header); ++i) {
        add(frame[i]);
    }
    return crc;
}

}  // namespace mp3
