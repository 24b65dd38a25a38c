#include "split/CutPoints.h"
#include "split/Split.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "LameFiles.h"
#include "ReferenceScan.h"
#include "TestFiles.h"
#include "split/SourceStream.h"

namespace {

using namespace testing_files;
using namespace tessaro;

class QuietHost : public MergeHost {
public:
    void MergeProgress(qint32, qint32) override {}
};

// Cut points at odd samples, none at a frame's edge, one within the first frame after the
// encoder's delay and one close to the end.
std::vector<qint64> OddCuts(qint64 samples) {
    return {301, 12345, samples / 3 + 1, samples / 2 + 7, samples - 1000};
}

// The music CRC in a part's LAME extension against the Crc16 of the frames behind its header.
void ExpectMusicCrc(const QString& part) {
    QString error;
    const std::optional<SplitSource> read = ReadSplitSource(part, &error);
    ASSERT_TRUE(read) << error.toStdString();
    const QByteArray& lead = read->frames->lead;
    const qsizetype lame = std::max(lead.indexOf("LAME"), lead.indexOf("Lavf"));
    ASSERT_GE(lame, 0);
    EXPECT_EQ(BigEndian(lead, lame + 32, 2), read->frames->crcBefore.back());
}

class SplitTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        return WriteAll(dir.filePath(name), bytes);
    }
    QTemporaryDir dir;
    QuietHost host;
};

TEST_F(SplitTest, PartsDecodeToTheirSamplesAndBackToBackToTheWhole) {
    for (const Encoding& encoding :
         {Encoding{"CBR", false, 2, 44100, 128}, Encoding{"VBR", true, 2, 44100},
          Encoding{"48 kHz", false, 2, 48000, 192}, Encoding{"MPEG-2 mono", false, 1, 24000, 64},
          Encoding{"VBR low", true, 2, 44100, 0, 9}}) {
        SCOPED_TRACE(encoding.name);
        const QString source = Write(QStringLiteral("%1.mp3").arg(QLatin1String(encoding.name)),
                                     EncodeWithLame(Recording(0, 44100 * 8), encoding));
        QString error;
        const std::optional<SplitSource> read = ReadSplitSource(source, &error);
        ASSERT_TRUE(read) << error.toStdString();
        const std::vector<float> whole = DecodeAsPlayers(source, encoding);
        const size_t channels = size_t(encoding.channels);
        ASSERT_EQ(whole.size(), size_t(read->samples) * channels);

        const QString folder = dir.filePath(QLatin1String(encoding.name));
        ASSERT_TRUE(QDir().mkpath(folder));
        SplitRequest request{source, PartsBetween(*read, OddCuts(read->samples)), folder};
        const SplitResult result = RunSplit(request, host);
        ASSERT_TRUE(result.Succeeded()) << result.error.toStdString();
        ASSERT_EQ(result.written.size(), qsizetype(request.parts.size()));
        size_t at = 0;
        for (size_t i = 0; i < request.parts.size(); ++i) {
            SCOPED_TRACE(i);
            const std::vector<float> part = DecodeAsPlayers(result.written[qsizetype(i)], encoding);
            const SplitPart& cut = request.parts[i];
            ASSERT_EQ(part.size(), size_t(cut.end - cut.start) * channels);
            // mpg123 decodes an MPEG-2 part's first frames otherwise than within the whole stream,
            // its sums rounded in another order: the last bits of a float may differ.
            const float tolerance = encoding.rate < 32000 ? 1e-4f : 0;
            size_t differing = 0;
            for (size_t j = 0; j < part.size(); ++j) {
                differing += std::abs(part[j] - whole[at + j]) > tolerance;
            }
            EXPECT_EQ(differing, 0u);
            ExpectMusicCrc(result.written[qsizetype(i)]);
            at += part.size();
        }
    }
}

// A host that changes the source the first time it hears of progress, or cancels there.
class MeddlingHost : public MergeHost {
public:
    MeddlingHost(QString source, bool cancel) : source(std::move(source)), cancel(cancel) {}
    void MergeProgress(qint32, qint32) override {
        if (!done && !cancel) {
            QFile file(source);
            if (file.open(QIODevice::Append)) {
                file.write("more");
            }
        }
        done = true;
    }
    bool MergeCancelled() override { return cancel && done; }

private:
    const QString source;
    const bool cancel;
    bool done = false;
};

// A source changed while it is split, or a split cancelled, fails naming the part; the parts
// before it stay whole, and neither it nor a temporary file is left behind.
TEST_F(SplitTest, AChangeOrACancelFailsThePartWithNothingHalfWritten) {
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel);
        const Encoding encoding{"CBR", false, 2, 44100, 128};
        const QString source = Write(QStringLiteral("changing.mp3"),
                                     EncodeWithLame(Recording(0, 44100 * 4), encoding));
        QString error;
        const std::optional<SplitSource> read = ReadSplitSource(source, &error);
        ASSERT_TRUE(read);
        const QString folder = dir.filePath(QStringLiteral("changed%1").arg(cancel));
        ASSERT_TRUE(QDir().mkpath(folder));
        MeddlingHost meddling(source, cancel);
        const SplitResult result = RunSplit(
            {source, PartsBetween(*read, {44100}), folder, QStringLiteral("{n}.mp3")}, meddling);
        EXPECT_FALSE(result.Succeeded());
        EXPECT_EQ(result.cancelled, cancel);
        EXPECT_TRUE(result.written.isEmpty());
        EXPECT_TRUE(cancel ? result.error.contains(QLatin1String("cancelled"))
                           : result.error.contains(QLatin1String("part 1")))
            << result.error.toStdString();
        EXPECT_TRUE(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
}

// Free-format frames are measured by where the next one starts, and rebuilt frames could not
// grow: such a source is cut at frames, with a warning, into parts that readers take, the last
// one too where it starts within the last frame.
TEST_F(SplitTest, AFreeFormatSourceIsCutAtFramesIntoPartsThatReadersTake) {
    // Without its LAME header, so that the last part starts within the last frame, and with an
    // ID3v1 tag behind, which each part gets too, so that no part's last frame reaches to the end
    // of its file.
    std::vector<Unit> frames = ReadAllUnits(Fixture(QStringLiteral("freeformat_200k.mp3")));
    frames.erase(frames.begin());
    const QString source =
        Write(QStringLiteral("free.mp3"), Joined(frames) + "TAG" + QByteArray(125, ' '));
    QString error;
    const std::optional<SplitSource> read = ReadSplitSource(source, &error);
    ASSERT_TRUE(read);
    const SplitResult result =
        RunSplit({source, PartsBetween(*read, {3456, 3457, read->samples - 1}), dir.path(),
                  QStringLiteral("{n}.mp3")},
                 host);
    ASSERT_TRUE(result.Succeeded()) << result.error.toStdString();
    EXPECT_EQ(result.warnings.size(), 1);
    for (const QString& part : result.written) {
        EXPECT_TRUE(ReadSplitSource(part, &error)) << error.toStdString();
    }
}

// The audio frames' bytes of a file, its encoder's header frame left out.
QByteArray AudioFramesOf(const QString& path) {
    QByteArray bytes;
    const std::vector<Unit> units = ReadAllUnits(path);
    for (size_t i = 1; i < units.size(); ++i) {
        bytes += units[i].bytes;
    }
    return bytes;
}

// A join with a chapter for each input, split at its chapters, gives each input back: its audio
// frames byte for byte, decoding to its own samples, bit for bit.
TEST_F(SplitTest, AJoinSplitAtItsChaptersGivesBackItsInputs) {
    const Encoding encoding{"VBR", true, 2, 44100};
    QStringList inputs;
    int from = 0;
    for (const int samples : {44100 * 2 + 777, 30001, 44100 * 3}) {
        inputs << Write(QStringLiteral("in%1.mp3").arg(inputs.size()),
                        EncodeWithLame(Recording(from, samples), encoding));
        from += samples;
    }
    const QString joined = dir.filePath(QStringLiteral("joined.mp3"));
    JoinOptions options;
    options.chapters = true;
    ASSERT_TRUE(
        RunMerge({.inputs = inputs, .output = joined, .options = options}, host).Succeeded());
    QString error;
    const std::optional<SplitSource> source = ReadSplitSource(joined, &error);
    ASSERT_TRUE(source);
    bool usage = false;
    auto parts = PartsAt(CutPoints{}, *source, host, &usage);
    ASSERT_TRUE(std::holds_alternative<std::vector<SplitPart>>(parts));
    const QString folder = dir.filePath(QStringLiteral("parts"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const SplitResult result = RunSplit(
        {joined, std::get<std::vector<SplitPart>>(parts), folder, QStringLiteral("{n}.mp3")}, host);
    ASSERT_TRUE(result.Succeeded()) << result.error.toStdString();
    ASSERT_EQ(result.written.size(), inputs.size());
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(AudioFramesOf(result.written[i]), AudioFramesOf(inputs[i]));
        EXPECT_EQ(DecodeAsPlayers(result.written[i], encoding),
                  DecodeAsPlayers(inputs[i], encoding));
    }
}

}  // namespace
