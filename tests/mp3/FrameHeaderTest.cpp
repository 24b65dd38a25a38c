#include "mp3/FrameHeader.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <array>

#include "mp3/StreamFormat.h"

namespace {

using mp3::FrameHeader;

FrameHeader Parse(quint8 b0, quint8 b1, quint8 b2, quint8 b3) {
    const quint8 bytes[4] = {b0, b1, b2, b3};
    FrameHeader header;
    EXPECT_TRUE(header.ParseHeader(bytes));
    return header;
}

// version, layer and protection go into the second byte; bitrate, rate and padding into the
// third.
FrameHeader Make(int version, int layer, int bitrateIndex, int rateIndex, int padding) {
    return Parse(0xFF, quint8(0xE0 | (version << 3) | (layer << 1) | 1),
                 quint8((bitrateIndex << 4) | (rateIndex << 2) | (padding << 1)), 0);
}

struct LengthCase {
    const char* name;
    int version, layer, bitrateIndex, rateIndex, padding;
    int length;
};

class FrameLengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(FrameLengthTest, FollowsTheLengthRule) {
    const LengthCase& c = GetParam();
    EXPECT_EQ(Make(c.version, c.layer, c.bitrateIndex, c.rateIndex, c.padding).GetFrameLength(),
              c.length);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, FrameLengthTest,
    ::testing::Values(LengthCase{"Mpeg1Layer3_128k_44100", 3, 1, 9, 0, 0, 417},
                      LengthCase{"Mpeg1Layer3_128k_44100_padded", 3, 1, 9, 0, 1, 418},
                      LengthCase{"Mpeg1Layer3_320k_48000", 3, 1, 14, 1, 0, 960},
                      LengthCase{"Mpeg2Layer3_64k_22050", 2, 1, 8, 0, 0, 208},
                      LengthCase{"Mpeg2Layer3_64k_22050_padded", 2, 1, 8, 0, 1, 209},
                      LengthCase{"Mpeg2Layer2_64k_22050", 2, 2, 8, 0, 0, 417},
                      LengthCase{"Mpeg1Layer1_32k_44100", 3, 3, 1, 0, 0, 32},
                      LengthCase{"Mpeg1Layer1_32k_44100_padded", 3, 3, 1, 0, 1, 36},
                      LengthCase{"Mpeg1Layer2_384k_32000_padded", 3, 2, 14, 2, 1, 1729},
                      // A reserved field or free format: no length from the header.
                      LengthCase{"ReservedVersionLayer1", 1, 3, 9, 0, 0, 0},
                      LengthCase{"ReservedVersionLayer3_padded", 1, 1, 9, 0, 1, 0},
                      LengthCase{"BitrateIndex15", 3, 1, 15, 0, 0, 0},
                      LengthCase{"Layer1FreeFormat_padded", 3, 3, 0, 0, 1, 0},
                      LengthCase{"Mpeg1ReservedLayer", 3, 0, 9, 0, 0, 0},
                      LengthCase{"Mpeg2ReservedLayer", 2, 0, 9, 0, 0, 0},
                      // MPEG-2.5 takes MPEG-2's tables and rules, at its own lower rates.
                      LengthCase{"Mpeg25Layer3_8k_8000", 0, 1, 1, 2, 0, 72},
                      LengthCase{"Mpeg25Layer3_32k_11025_padded", 0, 1, 4, 0, 1, 209},
                      LengthCase{"Mpeg25Layer2_160k_8000_padded", 0, 2, 14, 2, 1, 2881},
                      LengthCase{"Mpeg25Layer1_32k_12000", 0, 3, 1, 1, 0, 128},
                      LengthCase{"Mpeg25Layer3_RateIndex3", 0, 1, 9, 3, 0, 0}),
    [](const ::testing::TestParamInfo<LengthCase>& info) { return info.param.name; });

TEST(FrameHeaderTest, ParseReadsEveryField) {
    const FrameHeader h = Parse(0xFF, 0xFA, 0x9B, 0xE6);  // 1111 1010, 1001 1011, 1110 0110
    EXPECT_EQ(h.version, 3);
    EXPECT_EQ(h.layer, 1);
    EXPECT_EQ(h.protection, 0);
    EXPECT_EQ(h.bitrateIndex, 9);
    EXPECT_EQ(h.sampleRateIndex, 2);
    EXPECT_EQ(h.padding, 1);
    EXPECT_EQ(h.privateBit, 1);
    EXPECT_EQ(h.channelMode, 3);
    EXPECT_EQ(h.modeExtension, 2);
    EXPECT_EQ(h.copyright, 0);
    EXPECT_EQ(h.original, 1);
    EXPECT_EQ(h.emphasis, 2);
    EXPECT_EQ(h.GetChannelCount(), 1);
}

TEST(FrameHeaderTest, ParseRefusesBytesWithoutSyncAndChangesNothing) {
    FrameHeader header = Make(2, 1, 8, 0, 1);
    const FrameHeader before = header;
    for (const auto& bytes : {std::array<quint8, 4>{0xFE, 0xFB, 0x90, 0x00},
                              std::array<quint8, 4>{0xFF, 0xDF, 0x90, 0x00}}) {
        EXPECT_FALSE(header.ParseHeader(bytes.data()));
        EXPECT_EQ(header.version, before.version);
        EXPECT_EQ(header.bitrateIndex, before.bitrateIndex);
        EXPECT_EQ(header.padding, before.padding);
    }
}

TEST(FrameHeaderTest, FFFFIsMpeg1Layer1WithoutCrc) {
    const FrameHeader h = Parse(0xFF, 0xFF, 0x00, 0x00);
    EXPECT_EQ(h.version, 3);
    EXPECT_EQ(h.layer, 3);
    EXPECT_EQ(h.protection, 1);
}

TEST(FrameHeaderTest, BitrateMarkersAndTables) {
    EXPECT_EQ(Make(3, 1, 0, 0, 0).GetBitrate(), -1);  // free format
    EXPECT_EQ(Make(3, 1, 15, 0, 0).GetBitrate(), -1);
    EXPECT_EQ(Make(1, 1, 9, 0, 0).GetBitrate(), -2);  // reserved version
    EXPECT_EQ(Make(3, 0, 9, 0, 0).GetBitrate(), -2);  // reserved layer
    EXPECT_EQ(Make(2, 0, 9, 0, 0).GetBitrate(), -2);
    EXPECT_EQ(Make(3, 3, 14, 0, 0).GetBitrate(), 448000);
    EXPECT_EQ(Make(3, 2, 14, 0, 0).GetBitrate(), 384000);
    EXPECT_EQ(Make(3, 1, 14, 0, 0).GetBitrate(), 320000);
    EXPECT_EQ(Make(2, 3, 14, 0, 0).GetBitrate(), 256000);
    EXPECT_EQ(Make(2, 2, 1, 0, 0).GetBitrate(), 8000);
    EXPECT_EQ(Make(2, 1, 14, 0, 0).GetBitrate(), 160000);
    EXPECT_EQ(Make(0, 1, 1, 0, 0).GetBitrate(), 8000);
    EXPECT_EQ(Make(0, 3, 14, 0, 0).GetBitrate(), 256000);
}

TEST(FrameHeaderTest, FreeFormatBitrateFollowsFromTheFrameLength) {
    EXPECT_EQ(Make(3, 1, 0, 0, 0).GetBitrate(626), 192000);  // 144 * 192000 / 44100 = 626.9
    EXPECT_EQ(Make(3, 1, 0, 0, 1).GetBitrate(627), 192000);
    EXPECT_EQ(Make(3, 3, 0, 2, 1).GetBitrate(4 * 19), 48000);  // Layer I: 4-byte slots
    EXPECT_EQ(Make(0, 1, 0, 2, 0).GetBitrate(72), 8000);
    EXPECT_EQ(Make(3, 1, 9, 0, 0).GetBitrate(1000), 128000);  // the header's own when it has one
}

TEST(FrameHeaderTest, SampleRateTable) {
    EXPECT_EQ(Make(3, 1, 9, 0, 0).GetSampleRate(), 44100);
    EXPECT_EQ(Make(3, 1, 9, 1, 0).GetSampleRate(), 48000);
    EXPECT_EQ(Make(3, 1, 9, 2, 0).GetSampleRate(), 32000);
    EXPECT_EQ(Make(2, 1, 9, 0, 0).GetSampleRate(), 22050);
    EXPECT_EQ(Make(2, 1, 9, 2, 0).GetSampleRate(), 16000);
    EXPECT_EQ(Make(0, 1, 9, 1, 0).GetSampleRate(), 12000);
    EXPECT_EQ(Make(0, 1, 9, 2, 0).GetSampleRate(), 8000);
    EXPECT_EQ(Make(3, 1, 9, 3, 0).GetSampleRate(), -1);
    EXPECT_EQ(Make(1, 1, 9, 0, 0).GetSampleRate(), -1);
}

struct FormatCase {
    FrameHeader header;
    QStringList theirs, ours;  // the figures named where the two differ
};

TEST(StreamFormatTest, OnlyVersionLayerRateAndChannelsCountAndEachDifferenceIsNamed) {
    const mp3::StreamFormat first(Make(3, 1, 9, 0, 0));
    EXPECT_EQ(first.Figures(), QStringList({"MPEG-1", "Layer III", "44100 Hz", "2 channels"}));
    // Another bitrate, a padding slot, a CRC and joint stereo.
    const mp3::StreamFormat same(Parse(0xFF, 0xFA, 0xE2, 0x40));
    EXPECT_EQ(same, first);
    EXPECT_TRUE(same.FiguresDifferingFrom(first).isEmpty());
    for (const FormatCase& c : {
             FormatCase{Make(2, 1, 9, 0, 0), {"MPEG-2", "22050 Hz"}, {"MPEG-1", "44100 Hz"}},
             FormatCase{Make(3, 2, 9, 0, 0), {"Layer II"}, {"Layer III"}},
             FormatCase{Make(3, 1, 9, 1, 0), {"48000 Hz"}, {"44100 Hz"}},
             FormatCase{Parse(0xFF, 0xFB, 0x90, 0xC0), {"1 channel"}, {"2 channels"}},
             FormatCase{Make(0, 3, 9, 3, 0),
                        {"MPEG-2.5", "Layer I", "reserved sampling rate"},
                        {"MPEG-1", "Layer III", "44100 Hz"}},
         }) {
        const mp3::StreamFormat other(c.header);
        EXPECT_NE(other, first);
        EXPECT_EQ(other.FiguresDifferingFrom(first), c.theirs);
        EXPECT_EQ(first.FiguresDifferingFrom(other), c.ours);
    }
}

}  // namespace
