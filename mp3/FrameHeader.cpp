#include "mp3/FrameHeader.h"

#include <array>

namespace mp3 {
namespace {

// kbit/s by bitrate index 0..14 (ISO/IEC 11172-3 and 13818-3); index 0 is free format.
constexpr qint16 kMpeg1Layer1[15] = {0,   32,  64,  96,  128, 160, 192, 224,
                                     256, 288, 320, 352, 384, 416, 448};
constexpr qint16 kMpeg1Layer2[15] = {0,   32,  48,  56,  64,  80,  96, 112,
                                     128, 160, 192, 224, 256, 320, 384};
constexpr qint16 kMpeg1Layer3[15] = {0,   32,  40,  48,  56,  64,  80, 96,
                                     112, 128, 160, 192, 224, 256, 320};
constexpr qint16 kMpeg2Layer1[15] = {0,   32,  48,  56,  64,  80,  96, 112,
                                     128, 144, 160, 176, 192, 224, 256};
constexpr qint16 kMpeg2Layer23[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

// Hz by sample-rate index 0..2, for versions 0 (MPEG-2.5), 1 (reserved), 2 and 3.
constexpr qint32 kSampleRates[4][3] = {
    {11025, 12000, 8000}, {-1, -1, -1}, {22050, 24000, 16000}, {44100, 48000, 32000}};

// MPEG-2.5 is an extension of MPEG-2 to lower rates and shares its tables and length rules.
bool IsMpeg2Family(qint32 version) {
    return version == FrameHeader::Mpeg2 || version == FrameHeader::Mpeg25;
}

}  // namespace

bool FrameHeader::ParseHeader(const quint8* b) {
    if (!IsSync(b[0], b[1])) {
        return false;
    }
    version = (b[1] >> 3) & 3;
    layer = (b[1] >> 1) & 3;
    protection = b[1] & 1;
    bitrateIndex = b[2] >> 4;
    sampleRateIndex = (b[2] >> 2) & 3;
    padding = (b[2] >> 1) & 1;
    privateBit = b[2] & 1;
    channelMode = b[3] >> 6;
    modeExtension = (b[3] >> 4) & 3;
    copyright = (b[3] >> 3) & 1;
    original = (b[3] >> 2) & 1;
    emphasis = b[3] & 3;
    return true;
}

qint32 FrameHeader::GetBitrate() const {
    if (bitrateIndex == 0 || bitrateIndex == 15) {
        return -1;
    }
    const qint16* table = nullptr;
    if (version == Mpeg1) {
        table = layer == Layer1   ? kMpeg1Layer1
                : layer == Layer2 ? kMpeg1Layer2
                : layer == Layer3 ? kMpeg1Layer3
                                  : nullptr;
    } else if (IsMpeg2Family(version)) {
        table = layer == Layer1 ? kMpeg2Layer1 : layer != LayerReserved ? kMpeg2Layer23 : nullptr;
    }
    return table ? table[bitrateIndex] * 1000 : -2;
}

qint32 FrameHeader::GetSampleRate() const {
    return sampleRateIndex == 3 ? -1 : kSampleRates[version & 3][sampleRateIndex];
}

qint32 FrameHeader::GetFrameLength() const {
    // Looked up, as the scan asks for every frame's: the rule's 2,048 cases worked out once.
    static const auto lengths = [] {
        std::array<qint32, 2048> table{};
        for (size_t key = 0; key < table.size(); ++key) {
            FrameHeader header;
            header.version = qint32(key >> 9);
            header.layer = (key >> 7) & 3;
            header.bitrateIndex = (key >> 3) & 15;
            header.sampleRateIndex = (key >> 1) & 3;
            header.padding = key & 1;
            table[key] = header.ComputeFrameLength();
        }
        return table;
    }();
    return lengths[size_t((version & 3) << 9 | (layer & 3) << 7 | (bitrateIndex & 15) << 3 |
                          (sampleRateIndex & 3) << 1 | (padding & 1))];
}

qint32 FrameHeader::ComputeFrameLength() const {
    if (!IsValid() || IsFreeFormat()) {
        return 0;
    }
    // Integer division throughout, as ISO/IEC 11172-3 and 13818-3 give the rule.
    return (GetSlotsPerBit() * GetBitrate() / GetSampleRate() + padding) * GetSlotLength();
}

qint32 FrameHeader::GetSlotsPerBit() const {
    return layer == Layer1 ? 12 : layer == Layer3 && IsMpeg2Family(version) ? 72 : 144;
}

qint32 FrameHeader::GetBitrate(qint32 frameLength) const {
    if (!IsFreeFormat()) {
        return GetBitrate();
    }
    // The length rule turned round, the padding slot left out. The division in the rule loses
    // the bitrate's last digits; encoders choose whole kbit/s.
    const qint64 slots = frameLength / GetSlotLength() - padding;
    return qint32((slots * GetSampleRate() / GetSlotsPerBit() + 500) / 1000 * 1000);
}

qint32 FrameHeader::GetSampleCount() const {
    switch (layer) {
        case Layer1:
            return 384;
        case Layer2:
            return 1152;
        case Layer3:
            return version == Mpeg1 ? 1152 : 576;
        default:
            return 0;
    }
}

double FrameHeader::GetDuration() const {
    const qint32 rate = GetSampleRate();
    return rate > 0 ? double(GetSampleCount()) / rate : 0.0;
}

}  // namespace mp3
