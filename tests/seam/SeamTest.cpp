#include "seam/Seam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

#include "ReferenceScan.h"
#include "TestFiles.h"
#include "codec/Codec.h"
#include "mp3/StreamFormat.h"
#include "seam/SeamPacking.h"
#include "seam/SeamRefusal.h"
#include "seam/Splice.h"

namespace {

using namespace testing_files;
using tessaro::SeamInput;

// MPEG-1 Layer III, 32 kbit/s at 48 kHz, stereo: 96 bytes, 60 of them main data area.
QByteArray SmallFrame(int mainDataBegin = 0) {
    return Layer3Frame(3, 1, 1, false, false, {mainDataBegin, {}, {}});
}

// Two inputs a seam can be made between: LAME's delay and padding, and just enough frames.
std::pair<SeamInput, SeamInput> SeamableInputs() {
    SeamInput earlier;
    earlier.format = mp3::HeaderOf(SmallFrame());
    earlier.delay = 576;
    earlier.padding = 1000;
    earlier.frames.assign(size_t(tessaro::EarlierFramesNeeded(earlier)), SmallFrame());
    SeamInput later = earlier;
    later.frames.assign(tessaro::kLaterFramesNeeded, SmallFrame());
    return {earlier, later};
}

struct RefusalCase {
    const char* refusal;
    std::function<void(SeamInput& earlier, SeamInput& later)> change;
};

TEST(SeamRefusalTest, EachRuleRefusesWithItsReasonAndInputsWithinAllPass) {
    const QByteArray mono = Layer3Frame(3, 1, 1, true, false, {});
    const int room = int(SmallFrame().size()) - LayoutOf(SmallFrame()).mainDataAt;
    const std::vector<RefusalCase> cases{
        {"", [](SeamInput&, SeamInput&) {}},
        // The longest delay a later input may have, and the shortest padding.
        {"",
         [](SeamInput& e, SeamInput& l) {
             e.padding = 529;
             l.delay = 8 * 1152 - 530;
         }},
        // The warm-up frames may draw on anything; the first one trusted on all before it.
        {"", [](SeamInput& e, SeamInput&) { e.frames[5] = SmallFrame(511); }},
        {"", [&](SeamInput& e, SeamInput&) { e.frames[6] = SmallFrame(6 * room); }},
        // Frames in front of the fewest hold reserved bytes from further back, as LAME's quiet
        // frames draw on.
        {"",
         [&](SeamInput& e, SeamInput&) {
             e.frames.insert(e.frames.begin(), 2, SmallFrame());
             e.frames[8] = SmallFrame(8 * room);
         }},
        {"the header of the first one does not tell its encoder's delay and padding",
         [](SeamInput& e, SeamInput&) { e.delay = -1; }},
        {"the header of the second one does not tell its encoder's delay and padding",
         [](SeamInput&, SeamInput& l) { l.delay = -1; }},
        {"the formats differ", [&](SeamInput&, SeamInput& l) { l.format = mp3::HeaderOf(mono); }},
        {"the formats differ",
         [](SeamInput&, SeamInput& l) { l.format = mp3::HeaderOf(Mp3Frame()); }},
        {"the formats differ",
         [](SeamInput& e, SeamInput& l) {
             e.format = l.format = mp3::HeaderOf(MakeFrame(3, 2, 9, 0));  // Layer II
         }},
        {"their headers tell a delay and padding no encoder writes",
         [](SeamInput& e, SeamInput&) { e.padding = 528; }},
        {"their headers tell a delay and padding no encoder writes",
         [](SeamInput&, SeamInput& l) { l.delay = 8 * 1152 - 529; }},
        {"an input is too short", [](SeamInput& e, SeamInput&) { e.frames.pop_back(); }},
        {"an input is too short", [](SeamInput&, SeamInput& l) { l.frames.pop_back(); }},
        {"the frames around it are damaged or of another format",
         [&](SeamInput& e, SeamInput&) { e.frames[3] = mono; }},
        {"the frames around it are damaged or of another format",
         [](SeamInput&, SeamInput& l) { l.frames[15].chop(1); }},  // cut short
        {"the frames around it are damaged or of another format",
         [](SeamInput&, SeamInput& l) {
             l.frames[0][2] = char(l.frames[0][2] & 0x0F);  // free format
         }},
        {"the earlier input's last frames draw on reserved bytes from before its first frame: it "
         "was cut out of a longer stream, or is damaged",
         [&](SeamInput& e, SeamInput&) { e.frames[6] = SmallFrame(6 * room + 1); }},
        {"the earlier input's last frames draw on reserved bytes from before its first frame: it "
         "was cut out of a longer stream, or is damaged",
         [&](SeamInput& e, SeamInput&) {
             e.frames.insert(e.frames.begin(), 2, SmallFrame());
             e.frames[8] = SmallFrame(8 * room + 1);
         }},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        auto [earlier, later] = SeamableInputs();
        cases[i].change(earlier, later);
        EXPECT_EQ(tessaro::Refusal(earlier, &later).toStdString(), cases[i].refusal);
    }
}

// Frame i's main data as a decoder finds it: main_data_begin bytes before its own area, in the
// areas of the frames before it, as long as its part2_3_length fields add up to.
QByteArray MainDataOf(const std::vector<QByteArray>& frames, size_t i) {
    QByteArray areas;
    for (size_t k = 0; k < i; ++k) {
        areas += frames[k].mid(LayoutOf(frames[k]).mainDataAt);
    }
    const SideInfoLayout layout = LayoutOf(frames[i]);
    const int back = Bits(frames[i], layout.mainDataBeginAt, layout.mainDataBeginBits);
    int bits = 0;
    for (const int at : layout.part23LengthAt) {
        bits += Bits(frames[i], at, 12);
    }
    EXPECT_LE(back, areas.size());
    areas += frames[i].mid(layout.mainDataAt);
    return areas.mid(areas.size() - (frames[i].size() - layout.mainDataAt) - back, (bits + 7) / 8);
}

// A frame as LAME makes them without reservoir, `bytes` of main data in its own area: bytes that
// tell the frame and the place apart.
QByteArray OwnFrame(int version, int bitrateIndex, int bytes, int tag) {
    QByteArray frame = Layer3Frame(version, bitrateIndex, 0, false, false, {0, {8 * bytes}, {}});
    const int at = LayoutOf(frame).mainDataAt;
    for (int i = 0; i < bytes; ++i) {
        frame[at + i] = char((tag * 37 + i) % 251);
    }
    return frame;
}

struct PackCase {
    const char* name;
    int version;
    std::vector<QByteArray> made;   // as the encoder gave them
    std::vector<QByteArray> later;  // the later input's first frames, drawing on reserved bytes
    size_t first;                   // the later frame the new ones go in front of
    size_t widened;                 // the fewest frames made wider for room
};

TEST(SeamPackingTest, MainDataReadsBackAndTheReservedBytesStandWhereTheLaterFramesLook) {
    // MPEG-1 at 128 kbit/s: 381 bytes of area a frame; the second later frame after `first`
    // reaches furthest back. MPEG-2 at 80 kbit/s: 240 bytes; main_data_begin stops at 255 there.
    const std::vector<QByteArray> mpeg1Later{
        OwnFrame(3, 9, 300, 10), OwnFrame(3, 9, 300, 11),
        Layer3Frame(3, 9, 0, false, false, {50, {800, 800}, {}}),
        Layer3Frame(3, 9, 0, false, false, {511, {4000}, {}}), OwnFrame(3, 9, 10, 12)};
    for (const PackCase& c : {
             PackCase{"room to spare",
                      3,
                      {OwnFrame(3, 9, 100, 1), OwnFrame(3, 9, 381, 2), OwnFrame(3, 9, 0, 3),
                       OwnFrame(3, 9, 150, 4)},
                      mpeg1Later,
                      2,
                      0},
             PackCase{"one frame widened",
                      3,
                      {OwnFrame(3, 9, 300, 1), OwnFrame(3, 9, 300, 2), OwnFrame(3, 9, 300, 3),
                       OwnFrame(3, 9, 300, 4)},
                      {OwnFrame(3, 9, 381, 10), OwnFrame(3, 9, 381, 11),
                       Layer3Frame(3, 9, 0, false, false, {511, {800}, {}})},
                      2,
                      1},
             PackCase{"MPEG-2, as far back as main_data_begin goes",
                      2,
                      {OwnFrame(2, 9, 10, 1), OwnFrame(2, 9, 10, 2), OwnFrame(2, 9, 10, 3),
                       OwnFrame(2, 9, 10, 4)},
                      {OwnFrame(2, 9, 240, 10), OwnFrame(2, 9, 240, 11),
                       Layer3Frame(2, 9, 0, false, false, {255, {800}, {}})},
                      2,
                      0},
         }) {
        SCOPED_TRACE(c.name);
        bool fits = false;
        const QByteArray reserved = tessaro::ReservedBytes(c.later, c.first, &fits);
        ASSERT_TRUE(fits);
        std::vector<QByteArray> packed = c.made;
        if (c.widened > 0) {
            EXPECT_FALSE(tessaro::Pack(&packed, reserved, c.widened - 1));
            EXPECT_EQ(packed, c.made) << "left as they were";
        }
        ASSERT_TRUE(tessaro::Pack(&packed, reserved, c.widened));
        std::vector<QByteArray> joined = packed;
        joined.insert(joined.end(), c.later.begin() + qsizetype(c.first), c.later.end());
        for (size_t i = 0; i < c.made.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(MainDataOf(joined, i), MainDataOf(c.made, i));
            const mp3::FrameHeader header = mp3::HeaderOf(packed[i]);
            EXPECT_EQ(packed[i].size(), header.GetFrameLength());
            const bool wide = i + c.widened >= c.made.size();
            EXPECT_EQ(header.bitrateIndex, wide ? 14 : 9);
            EXPECT_EQ(packed[i].left(2) + packed[i].mid(3, 1), c.made[i].left(2) + c.made[i][3]);
        }
        for (size_t i = c.first; i < c.later.size(); ++i) {
            EXPECT_EQ(MainDataOf(joined, c.made.size() + i - c.first), MainDataOf(c.later, i)) << i;
        }
    }
    // Reserved bytes the frames before do not hold, and more than any widening makes room for.
    bool fits = true;
    const std::vector<QByteArray> reaching{OwnFrame(3, 9, 100, 1),
                                           Layer3Frame(3, 9, 0, false, false, {511, {}, {}})};
    EXPECT_TRUE(tessaro::ReservedBytes(reaching, 1, &fits).isEmpty());
    EXPECT_FALSE(fits);
    std::vector<QByteArray> made{OwnFrame(3, 9, 100, 1), OwnFrame(3, 9, 100, 2)};
    EXPECT_FALSE(tessaro::Pack(&made, QByteArray(2000, 'r'), made.size()));
}

// The 10 frames from `from` on of a LAME fixture, behind its header frame.
std::vector<QByteArray> FixtureFrames(const char* name, size_t from) {
    const std::vector<Unit> units = ReadAllUnits(Fixture(QString::fromLatin1(name)));
    std::vector<QByteArray> frames;
    for (size_t i = 1 + from; i < 11 + from && i < units.size(); ++i) {
        frames.push_back(units[i].bytes);
    }
    return frames;
}

TEST(SeamCodecTest, ADecoderStartsEachStreamAfreshAndTheEncoderMakesFramesOfItsOwn) {
    for (const char* name : {"cbr128_stereo.mp3", "vbr_mono.mp3", "mpeg2_22k.mp3"}) {
        SCOPED_TRACE(name);
        const std::vector<QByteArray> first = FixtureFrames(name, 0),
                                      second = FixtureFrames(name, 10);
        ASSERT_EQ(second.size(), 10u);
        const mp3::FrameHeader header = mp3::HeaderOf(first[0]);
        const mp3::StreamFormat format(header);
        tessaro::Mpg123Decoder decoder(format);
        const std::vector<float> before = decoder.Decode(first);
        EXPECT_EQ(before.size(), 10u * size_t(header.GetSampleCount() * format.channels));
        EXPECT_EQ(decoder.Decode(second), tessaro::Mpg123Decoder(format).Decode(second));
        EXPECT_EQ(decoder.Decode(first), before);
        EXPECT_TRUE(decoder.Decode({}).empty());
        // Fed frame by frame, the same samples, each frame's once.
        std::vector<float> streamed;
        tessaro::Mpg123Stream stream(format);
        const tessaro::Mpg123Stream::Take take = [&](const float* samples, size_t count) {
            streamed.insert(streamed.end(), samples, samples + count * size_t(format.channels));
        };
        for (const QByteArray& frame : first) {
            stream.Feed(reinterpret_cast<const quint8*>(frame.constData()), qint32(frame.size()),
                        take);
        }
        stream.Finish(take);
        stream.Finish(take);
        EXPECT_EQ(streamed, before);

        // Far beyond full scale, and NaN, as damaged frames decode: cut, not an abort.
        std::vector<float> loud = before;
        loud[100] = 1e9f;
        loud[101] = std::nanf("");
        tessaro::LameEncoder encoder({header, 64000, 0});
        ASSERT_TRUE(encoder.Ready());
        EXPECT_GT(encoder.Delay(), 0);
        const std::vector<QByteArray> frames = encoder.Encode(loud);
        EXPECT_GE(frames.size(), 10u);
        for (const QByteArray& frame : frames) {
            EXPECT_EQ(mp3::StreamFormat(mp3::HeaderOf(frame)), format);
            EXPECT_EQ(mp3::HeaderOf(frame).GetBitrate(), 64000);
            const SideInfoLayout layout = LayoutOf(frame);
            EXPECT_EQ(Bits(frame, layout.mainDataBeginAt, layout.mainDataBeginBits), 0);
        }
    }
}

}  // namespace

namespace {

// Music-like audio encoded as LAME writes a whole file, its header frame left out, as a seam
// sees it: the encoder's delay and padding, all its audio frames.
SeamInput Encoded(int samples) {
    SeamInput input;
    input.format = mp3::HeaderOf(FixtureFrames("cbr128_stereo.mp3", 0)[0]);
    input.bitrate = input.meanBitrate = 128000;
    tessaro::LameEncoder encoder({input.format, input.bitrate, 0, -1, false});
    std::vector<float> audio;
    for (int i = 0; i < samples; ++i) {
        const float value = float(0.3 * std::sin(i * 0.05) + 0.1 * std::sin(i * 0.0071));
        audio.insert(audio.end(), {value, value});
    }
    input.frames = encoder.Encode(audio);
    input.frames.erase(input.frames.begin());
    input.delay = qint32(encoder.Delay());
    input.padding = qint32(encoder.Padding());
    return input;
}

TEST(SeamCodecTest, AnInputsAudioLeavesItsSilenceOutAndSeamsMakeUpForTheShiftsBeforeThem) {
    const SeamInput whole = Encoded(40000);
    const qint64 frameSamples = whole.format.GetSampleCount();
    const std::vector<float> audio = tessaro::AudioOf(whole);
    EXPECT_EQ(audio.size(), 80000u);
    // One of its frames cannot hold its silence: nothing is left.
    SeamInput cut = whole;
    cut.frames.resize(1);
    EXPECT_TRUE(tessaro::AudioOf(cut).empty());

    // Joined to itself: whatever came early before, the seam's shift brings the sum within half
    // a frame; the audio of an input taken in whole lengthens the seam by as many samples. What
    // the seam holds of the audio, against the frames it replaces, stays the same either way.
    const auto held = [frameSamples](const tessaro::Seam& seam) {
        return qint64(seam.frames.size() - size_t(seam.earlierReplaced + seam.laterReplaced)) *
                   frameSamples +
               seam.shift;
    };
    SeamInput earlier = whole, later = whole;
    earlier.frames.erase(earlier.frames.begin(),
                         earlier.frames.end() - tessaro::EarlierFramesNeeded(earlier));
    later.frames.resize(tessaro::kLaterFramesNeeded);
    const tessaro::Seam plain = tessaro::MakeSeam(earlier, later);
    ASSERT_TRUE(plain.failure.isEmpty()) << plain.failure.toStdString();
    for (const qint64 early : {-frameSamples / 2, qint64(-100), qint64(0), frameSamples / 2 - 1}) {
        SCOPED_TRACE(early);
        const tessaro::Seam seam = tessaro::MakeSeam(earlier, later, early);
        ASSERT_TRUE(seam.failure.isEmpty()) << seam.failure.toStdString();
        EXPECT_GE(early + seam.shift, -frameSamples / 2);
        EXPECT_LT(early + seam.shift, frameSamples / 2);
        EXPECT_EQ(held(seam), held(plain));
    }
    earlier.absorbed.assign(size_t(3 * frameSamples + 100) * 2, 0.1f);
    const tessaro::Seam longer = tessaro::MakeSeam(earlier, later);
    ASSERT_TRUE(longer.failure.isEmpty()) << longer.failure.toStdString();
    EXPECT_EQ(held(longer), held(plain) + 3 * frameSamples + 100);

    // Where nothing follows, the seam ends the join: what it holds of the audio, less its own
    // padding, is the taken-in audio more than the frames it replaces held.
    const tessaro::Seam ending = tessaro::MakeEndingSeam(earlier);
    ASSERT_TRUE(ending.failure.isEmpty()) << ending.failure.toStdString();
    EXPECT_GE(ending.padding, tessaro::kDecoderDelay);
    EXPECT_LT(ending.padding, tessaro::kDecoderDelay + frameSamples);
    EXPECT_EQ(qint64(ending.frames.size() - size_t(ending.earlierReplaced)) * frameSamples -
                  ending.padding + earlier.padding,
              3 * frameSamples + 100);
    earlier.delay = -1;
    EXPECT_FALSE(tessaro::MakeEndingSeam(earlier).failure.isEmpty());
}

TEST(SeamCodecTest, TheSpliceLiesWhereThePiecesAgreeOverAWholeWindow) {
    constexpr qint64 kShift = 300, kLength = 8000;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    std::vector<float> audio(size_t(kLength) * 2);
    for (float& value : audio) {
        value = noise(random);
    }
    // Noise everywhere, but for 520 samples that come again kShift samples on: a window of 512
    // fits there alone.
    for (size_t i = 3000 * 2; i < 3520 * 2; ++i) {
        audio[i + kShift * 2] = audio[i];
    }
    tessaro::Splice splice(audio, kLength, {}, {}, 0, 2);
    splice.Place(kShift, 1000, 6000);
    const std::vector<float> spliced = splice.Samples(0, kLength - kShift);
    for (size_t c = 0; c < 2; ++c) {
        EXPECT_EQ(spliced[2990 * 2 + c], audio[2990 * 2 + c]);
        EXPECT_EQ(spliced[3530 * 2 + c], audio[(3530 + kShift) * 2 + c]);
    }
}

}  // namespace
