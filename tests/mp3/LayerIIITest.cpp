#include "mp3/LayerIII.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ReferenceScan.h"
#include "TestFiles.h"

namespace {

using namespace testing_files;

struct LayoutCase {
    const char* name;
    int version;
    bool mono;
    qint32 sideInfoLength;
    qint32 farthestBack;
    std::vector<qint32> globalGainBits;  // without CRC
};

TEST(LayerIIITest, SideInformationFieldsAreFoundAndWrittenWhereTheyStand) {
    for (const LayoutCase& c : {
             LayoutCase{"MPEG-1 stereo", 3, false, 32, 511, {73, 132, 191, 250}},
             LayoutCase{"MPEG-1 mono", 3, true, 17, 511, {71, 130}},
             LayoutCase{"MPEG-2 stereo", 2, false, 17, 255, {63, 126}},
             LayoutCase{"MPEG-2 mono", 2, true, 9, 255, {62}},
             LayoutCase{"MPEG-2.5 stereo", 0, false, 17, 255, {63, 126}},
         }) {
        for (const bool crc : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (crc ? " with CRC" : ""));
            // main_data_begin at its largest; part2_3_lengths of 12 bits, the first all set.
            SideInfo side{c.farthestBack, {4095, 1, 2048, 700}, {0x80, 0x01, 0x7E, 0x5A}};
            const QByteArray frame = Layer3Frame(c.version, 9, 0, c.mono, crc, side);
            const mp3::FrameHeader header = mp3::HeaderOf(frame);
            const SideInfoLayout layout = LayoutOf(frame);
            std::vector<qint32> gains = c.globalGainBits;
            for (qint32& at : gains) {
                at += crc ? 16 : 0;
            }
            ASSERT_EQ(layout.globalGainAt, gains) << "the test's own layout";

            EXPECT_EQ(mp3::SideInfoStart(header), crc ? 6 : 4);
            EXPECT_EQ(mp3::SideInfoLength(header), c.sideInfoLength);
            EXPECT_EQ(mp3::MainDataStart(header), layout.mainDataAt);
            EXPECT_EQ(mp3::MainDataRoom(frame), frame.size() - layout.mainDataAt);
            EXPECT_EQ(mp3::FarthestBack(header), c.farthestBack);
            EXPECT_EQ(mp3::GlobalGainBits(header), gains);
            qint32 bits = 0;
            for (size_t i = 0; i < gains.size(); ++i) {
                bits += side.part23Lengths[i];
            }
            EXPECT_EQ(mp3::MainDataLength(frame), (bits + 7) / 8);

            EXPECT_EQ(mp3::MainDataBegin(frame), c.farthestBack);
            // Every value, its top bit included, goes in without touching the bits around it.
            for (const qint32 back : {0, 1, (c.farthestBack + 1) / 2, c.farthestBack - 1}) {
                QByteArray written = frame;
                mp3::SetMainDataBegin(&written, back);
                side.mainDataBegin = back;
                EXPECT_EQ(written, Layer3Frame(c.version, 9, 0, c.mono, crc, side)) << back;
                EXPECT_EQ(mp3::MainDataBegin(written), back);
            }

            // Gain steps go into every global_gain alone, kept within 0..255.
            for (const int steps : {5, -200, 200}) {
                QByteArray louder = frame;
                EXPECT_TRUE(mp3::AddGlobalGain(reinterpret_cast<quint8*>(louder.data()),
                                               qint32(louder.size()), steps));
                SideInfo expected = side;
                expected.mainDataBegin = c.farthestBack;
                for (int& gain : expected.globalGains) {
                    gain = std::clamp(gain + steps, 0, 255);
                }
                QByteArray made = Layer3Frame(c.version, 9, 0, c.mono, crc, expected);
                if (crc) {
                    EXPECT_EQ(BigEndian(louder, 4, 2),
                              mp3::FrameCrc(reinterpret_cast<const quint8*>(made.constData())))
                        << steps;
                    made.replace(4, 2, louder.mid(4, 2));
                }
                EXPECT_EQ(louder, made) << steps;
            }
        }
    }
}

TEST(LayerIIITest, AFrameTooShortForItsSideInformationKeepsItsBytes) {
    // Free-format frames may be a few bytes long: their side information would lie behind them.
    for (const bool crc : {false, true}) {
        const QByteArray whole = Layer3Frame(3, 9, 0, false, crc, SideInfo{});
        const qint32 needed = LayoutOf(whole).mainDataAt;
        for (const qint32 length : {0, 3, 8, needed - 1}) {
            // Exactly as long as the frame, so that a write past it is one past the allocation.
            std::vector<quint8> frame(whole.begin(), whole.begin() + length);
            EXPECT_FALSE(mp3::AddGlobalGain(frame.data(), length, 5)) << length;
            EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(frame.data()), length),
                      whole.left(length));
        }
        std::vector<quint8> frame(whole.begin(), whole.begin() + needed);
        EXPECT_TRUE(mp3::AddGlobalGain(frame.data(), needed, 5));
    }
}

TEST(LayerIIITest, FrameCrcsAgreeWithLames) {
    const std::vector<Unit> units = ReadAllUnits(Fixture(QStringLiteral("mpeg2_mono_crc.mp3")));
    ASSERT_GT(units.size(), 10u);
    // Every audio frame's; LAME's own header frame follows the CRC flag of the audio only.
    for (auto unit = units.begin() + 1; unit != units.end(); ++unit) {
        EXPECT_EQ(mp3::HeaderOf(unit->bytes).protection, 0);
        EXPECT_EQ(mp3::FrameCrc(reinterpret_cast<const quint8*>(unit->bytes.constData())),
                  BigEndian(unit->bytes, 4, 2));
    }
}

}  // namespace
