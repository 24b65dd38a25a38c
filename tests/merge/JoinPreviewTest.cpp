#include "merge/JoinPreview.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <cmath>

#include "TestFiles.h"
#include "codec/Codec.h"
#include "merge/FileDecoder.h"
#include "mp3/StreamReader.h"
#include "mp3/XingHeader.h"

namespace {

using namespace testing_files;
using tessaro::JoinOptions;

constexpr int kRate = 44100;

// A tone of `seconds` at `level` of full scale, encoded by LAME as its front end writes a whole
// file: the header frame, which tells its delay and padding, in front of the audio.
QString Tone(const QString& path, double seconds, double frequency, double level) {
    const mp3::FrameHeader format = mp3::StreamReader(Fixture("cbr128_stereo.mp3")).Header();
    tessaro::LameEncoder encoder({format, 128000, 0, -1, false});
    std::vector<float> samples;
    for (int i = 0; i < int(seconds * kRate); ++i) {
        const auto value = float(level * std::sin(i * frequency * 2 * M_PI / kRate));
        samples.insert(samples.end(), {value, -value});
    }
    std::vector<QByteArray> frames = encoder.Encode(samples);
    frames[0] = encoder.HeaderFrame();
    QByteArray file;
    for (const QByteArray& frame : frames) {
        file += frame;
    }
    return WriteAll(path, file);
}

// Every audio frame of the file decoded as one stream from the first, as the join's decoder
// does, the header frame left out.
std::vector<float> DecodedWhole(const QString& path) {
    mp3::StreamReader reader(path);
    if (mp3::XingHeader::IsEncoderHeader(reader.Frame(), reader.FrameLength())) {
        reader.Advance();
    }
    tessaro::Mpg123Stream decoder{mp3::StreamFormat(reader.Header())};
    std::vector<float> samples;
    const auto take = [&](const float* decoded, size_t count) {
        samples.insert(samples.end(), decoded, decoded + count * 2);
    };
    for (; !reader.AtEnd(); reader.Advance()) {
        decoder.Feed(reader.Frame(), reader.FrameLength(), take);
    }
    decoder.Finish(take);
    return samples;
}

// Where `part` lies in `whole` (samples per channel), looked for within `reach` of `near`; -1
// where it does not.
qint64 FoundAt(const std::vector<float>& whole, const std::vector<float>& part, qint64 near,
               qint64 reach) {
    for (qint64 at = std::max(near - reach, qint64(0)); at <= near + reach; ++at) {
        if (size_t(at) * 2 + part.size() <= whole.size() &&
            std::equal(part.begin(), part.end(), whole.begin() + at * 2)) {
            return at;
        }
    }
    return -1;
}

class JoinPreviewTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    QTemporaryDir dir;
    RecordingHost host;
};

TEST_F(JoinPreviewTest, FileDecoderSkipsToTheSamplesOfDecodingFromTheStart) {
    for (const char* name : {"vbr_fadeout.mp3", "cbr128_stereo.mp3"}) {
        const QString path = Fixture(QString::fromLatin1(name));
        const std::vector<float> whole = DecodedWhole(path);
        for (const qint64 from : {qint64(0), qint64(700), qint64(11000)}) {
            tessaro::FileDecoder decoder(path);
            ASSERT_EQ(decoder.Error(), QString());
            EXPECT_EQ(decoder.SampleRate(), kRate);
            decoder.SkipTo(from);
            // In stretches as a player takes them, then to the end.
            std::vector<float> decoded = decoder.Next(1000);
            EXPECT_FALSE(decoder.AtEnd());
            for (std::vector<float> more; !decoder.AtEnd();) {
                more = decoder.Next(3000);
                decoded.insert(decoded.end(), more.begin(), more.end());
            }
            const std::vector<float> expected(
                whole.begin() + std::min(size_t(from) * 2, whole.size()), whole.end());
            EXPECT_EQ(decoded, expected) << name << " from " << from;
        }
    }
    // Past the end, nothing is left.
    tessaro::FileDecoder shorter(Fixture(QStringLiteral("cbr128_stereo.mp3")));
    shorter.SkipTo(kRate);
    EXPECT_TRUE(shorter.Next(1000).empty());
    EXPECT_TRUE(shorter.AtEnd());
    tessaro::FileDecoder nothing(WriteAll(Path(QStringLiteral("text.mp3")), "no audio here"));
    EXPECT_EQ(nothing.Error(), QStringLiteral("no MPEG audio frames found"));
    EXPECT_TRUE(nothing.Next(100).empty());
    EXPECT_TRUE(nothing.AtEnd());
}

TEST_F(JoinPreviewTest, SamplesAreThoseOfTheWholeMergeWhereTheNextEntryStarts) {
    // The last entry far louder, so that album levelling of the whole list differs from that of
    // the two joined.
    const QStringList list{Tone(Path(QStringLiteral("a.mp3")), 1.5, 440, 0.05),
                           Tone(Path(QStringLiteral("b.mp3")), 1.4, 660, 0.1),
                           Tone(Path(QStringLiteral("c.mp3")), 1.3, 550, 0.9)};
    const qint64 leadA =
        tessaro::LameEncoder({mp3::StreamReader(list[0]).Header(), 128000, 0, -1, false}).Delay() +
        529;
    JoinOptions gap, seamless, album, track, gapSeamlessTrack;
    gap.gapSeconds = 0.2;
    seamless.seamless = true;
    album.level = album.levelAlbum = true;
    track.level = true;
    gapSeamlessTrack = track;
    gapSeamlessTrack.seamless = true;
    gapSeamlessTrack.gapSeconds = 0.3;
    int index = 0;
    for (const JoinOptions& options :
         {JoinOptions(), gap, seamless, album, track, gapSeamlessTrack}) {
        SCOPED_TRACE(index++);
        JoinOptions chaptered = options;
        chaptered.chapters = true;  // to tell where each entry starts, to the millisecond
        const QString merged = Path(QStringLiteral("merged.mp3"));
        const tessaro::MergeResult result =
            tessaro::RunMerge({list, merged, {}, false, chaptered}, host);
        ASSERT_TRUE(result.Succeeded()) << result.error.toStdString();
        const std::vector<float> whole = DecodedWhole(merged);
        const tessaro::JoinPreview preview = tessaro::PreviewJoin(list, 0, options, 0.4, host);
        ASSERT_EQ(preview.error, QString());
        EXPECT_EQ(preview.sampleRate, kRate);
        EXPECT_EQ(preview.channels, 2);
        const qint64 span = qint64(0.4 * kRate);
        EXPECT_EQ(preview.joinAt, span);
        ASSERT_EQ(preview.samples.size(), size_t(span) * 4);
        const qint64 start = result.chapters[1].startMs * kRate / 1000 + leadA;
        const qint64 found = FoundAt(whole, preview.samples, start - span, kRate / 1000);
        EXPECT_GE(found, 0) << "chapter at " << start;
        // Heard on both sides: neither silence nor the same tone.
        const auto loudest = [&](size_t from, size_t to) {
            float peak = 0;
            for (size_t i = from; i < to; ++i) {
                peak = std::max(peak, std::abs(preview.samples[i]));
            }
            return peak;
        };
        EXPECT_GT(loudest(0, size_t(span)), 0.001f);
        EXPECT_GT(loudest(size_t(span) * 3, size_t(span) * 4), 0.001f);
    }
}

TEST_F(JoinPreviewTest, EntriesShorterThanTheSpanAreTakenWholeAndTheLastHasNoJoin) {
    const QStringList list{Fixture(QStringLiteral("cbr128_stereo.mp3")),
                           Fixture(QStringLiteral("cbr128_stereo.mp3"))};
    const tessaro::JoinPreview preview = tessaro::PreviewJoin(list, 0, {}, 4, host);
    ASSERT_EQ(preview.error, QString());
    const tessaro::MergeResult result =
        tessaro::RunMerge({list, Path(QStringLiteral("m.mp3"))}, host);
    EXPECT_EQ(preview.samples, DecodedWhole(Path(QStringLiteral("m.mp3"))));
    EXPECT_GT(preview.joinAt, 0);
    EXPECT_NE(tessaro::PreviewJoin(list, 1, {}, 4, host).error, QString());
    EXPECT_FALSE(tessaro::PreviewMeasuresList({}, 3));
    JoinOptions album;
    album.level = album.levelAlbum = true;
    EXPECT_FALSE(tessaro::PreviewMeasuresList(album, 2));
    EXPECT_TRUE(tessaro::PreviewMeasuresList(album, 3));
    EXPECT_EQ(tessaro::PreviewJoin({list[0], Path(QStringLiteral("missing.mp3"))}, 0, {}, 4, host)
                  .samples.size(),
              0u);
}

}  // namespace
