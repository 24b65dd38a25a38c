#include "merge/Silence.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <random>

#include "TestFiles.h"

namespace {

using namespace testing_files;
using tessaro::SilenceRule;

constexpr double kRate = Tape::kRate;
// The blocks of about 10 ms the level is measured in.
constexpr double kBlock = kRate / 100;

// Asks to stop once it has been told any progress past the start.
class CancellingHost : public RecordingHost {
public:
    bool MergeCancelled() override { return progress.size() > 1; }
};

class SilenceTest : public ::testing::Test {
protected:
    QString Encoded(const Tape& tape) {
        return LameEncoded(dir.filePath(QStringLiteral("%1.mp3").arg(++files)), tape);
    }
    // The middles found, in seconds.
    std::vector<double> Middles(const QString& path, const SilenceRule& rule = {}) {
        QString error;
        const std::optional<std::vector<qint64>> middles =
            tessaro::SilenceMiddles(path, rule, host, &error);
        EXPECT_TRUE(middles) << error.toStdString();
        std::vector<double> seconds;
        for (const qint64 middle : middles.value_or(std::vector<qint64>{})) {
            seconds.push_back(double(middle) / kRate);
        }
        return seconds;
    }

    QTemporaryDir dir;
    RecordingHost host;
    int files = 0;
};

// Each within a block of the middle of the silence as taped, the timeline starting where the
// tape does, behind the encoder's and decoder's delay.
void ExpectNear(const std::vector<double>& found, const std::vector<double>& taped) {
    ASSERT_EQ(found.size(), taped.size());
    for (size_t i = 0; i < found.size(); ++i) {
        EXPECT_NEAR(found[i], taped[i], kBlock / kRate) << i;
    }
}

TEST_F(SilenceTest, TheMiddleOfEachSilenceLongEnoughWithinABlock) {
    const QString path =
        Encoded(Tape().Tone(3).Silence(3).Tone(4).Silence(2.5).Tone(3).Silence(1).Tone(2));
    ExpectNear(Middles(path), {4.5, 11.25});
    ExpectNear(Middles(path, {.minSeconds = 0.9}), {4.5, 11.25, 16});
    ExpectNear(Middles(path, {.minSeconds = 2.6}), {4.5});
}

TEST_F(SilenceTest, QuietIsSilenceBelowTheThresholdAlone) {
    // The quiet tone's RMS is 43 dB below full scale.
    const QString path = Encoded(Tape().Tone(3).Tone(3, 0.01).Tone(3));
    ExpectNear(Middles(path), {});
    ExpectNear(Middles(path, {.thresholdDb = -40}), {4.5});
}

TEST_F(SilenceTest, SilenceAtTheStartOrEndIsNoPlaceToCut) {
    const QString path = Encoded(Tape().Silence(3).Tone(3).Silence(3).Tone(3).Silence(3));
    ExpectNear(Middles(path), {7.5});
}

// Either channel alone keeps a stretch from being silent, even where the two together would be
// below the threshold: the left one at 49 dB below full scale.
TEST_F(SilenceTest, TheLoudestChannelDecides) {
    const QString path = Encoded(
        Tape().Tone(3).Tone(3, 0, 0.25).Tone(3).Tone(3, 0.25, 0).Tone(3).Tone(3, 0.005, 0).Tone(3));
    ExpectNear(Middles(path), {});
    ExpectNear(Middles(path, {.thresholdDb = -48}), {16.5});
}

// Dither whose samples reach above the threshold, and a click far above it, leave the level of
// every block below it.
TEST_F(SilenceTest, NeitherDitherNorAClickBreaksASilence) {
    Tape tape;
    tape.Tone(3).Silence(3).Tone(3);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> half(-0.0025f, 0.0025f);
    const size_t from = size_t(3 * kRate) * 2, to = size_t(6 * kRate) * 2;
    for (size_t i = from; i < to; ++i) {
        tape.samples[i] = half(random) + half(random);
    }
    tape.samples[size_t(4 * kRate) * 2] = 0.03f;
    ExpectNear(Middles(Encoded(tape)), {4.5});
}

TEST_F(SilenceTest, TheHostHearsThePercentDecodedAndMayCancel) {
    const QString path = Encoded(Tape().Tone(3).Silence(3).Tone(3));
    Middles(path);
    ASSERT_GT(host.progress.size(), 2u);
    EXPECT_EQ(host.progress.front(), std::pair(0, 100));
    EXPECT_EQ(host.progress.back(), std::pair(100, 0));
    for (size_t i = 2; i < host.progress.size(); ++i) {
        EXPECT_GT(host.progress[i].first, host.progress[i - 1].first);
    }
    CancellingHost cancelling;
    QString error;
    EXPECT_FALSE(tessaro::SilenceMiddles(path, {}, cancelling, &error));
    EXPECT_EQ(error, QStringLiteral("The search for silence was cancelled"));
}

TEST_F(SilenceTest, AFileWithoutAudioSaysWhy) {
    const QString text = WriteAll(dir.filePath(QStringLiteral("text.mp3")), "no audio here");
    for (const QString& path : {text, dir.filePath(QStringLiteral("missing.mp3"))}) {
        QString error;
        EXPECT_FALSE(tessaro::SilenceMiddles(path, {}, host, &error));
        EXPECT_TRUE(
            error.startsWith(QStringLiteral("Cannot look for silence in \"%1\": ").arg(path)))
            << error.toStdString();
    }
}

}  // namespace
