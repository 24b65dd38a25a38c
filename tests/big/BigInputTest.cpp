// Opt-in tests with big inputs, too slow for every test run (`make big-tests`): a 1.9 GB input
// merges in memory that does not grow with it, an input past 2 GiB - 1 bytes is joined whole, a
// join past 4 GiB tells libmpg123 its length, and a workspace of 10,000 paths saves and opens. Each
// prints its figures. The inputs are generated in $TESSARO_BIG_DIR (default: the temporary folder)
// and removed again.

#include <gtest/gtest.h>
#include <mpg123.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "TestFiles.h"
#include "io/Files.h"
#include "merge/MergeJob.h"
#include "mp3/ListFigures.h"
#include "mp3/StreamReader.h"
#include "view/TrackListModel.h"
#include "workspace/TessaroWorkSpace.h"

namespace {

using namespace testing_files;

constexpr qint64 kFrameSize = 417;  // Mp3Frame(): MPEG-1 Layer III, 128 kbit/s, 44100 Hz

// Only the last position is kept, so that the host's memory does not grow with the input.
class CountingHost : public tessaro::MergeHost {
public:
    void MergeProgress(qint32 position, qint32) override { last = position; }
    qint32 last = 0;
};

class BigInputTest : public ::testing::Test {
protected:
    // A file of `frames` frames and nothing else, so that its merge must equal it; the frames'
    // fill bytes change from one to the next, so that a frame out of place shows.
    QString Generate(const QString& name, qint64 frames) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        QByteArray block;
        for (qint64 i = 0; i < frames; ++i) {
            block += Mp3Frame(char(1 + i % 251));
            if (block.size() >= (1 << 20) || i == frames - 1) {
                EXPECT_EQ(file.write(block), block.size());
                block.clear();
            }
        }
        return path;
    }
    // Merges in a child process and returns its peak resident memory in KiB; -1 on failure.
    static long MergePeakKiB(const QString& input, const QString& output) {
        const pid_t child = ::fork();
        if (child == 0) {
            tessaro::TessaroWorkSpace workspace;
            workspace.AddPath(input);
            CountingHost host;
            const tessaro::MergeResult result =
                tessaro::RunMerge(JoinOf(workspace, output, {}), host);
            ::_exit(result.Succeeded() && host.last == 100 ? 0 : 1);
        }
        int status = 0;
        rusage usage{};
        ::wait4(child, &status, 0, &usage);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss : -1;
    }
    // Whether the bytes of `joined` behind its leading ID3v2 tag are those of `input`.
    static bool SameAudio(const QString& joined, const QString& input) {
        QFile first(joined), second(input);
        if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly) ||
            !first.seek(TagEnd(first.peek(10))) || first.size() - first.pos() != second.size()) {
            return false;
        }
        while (!first.atEnd()) {
            if (first.read(1 << 20) != second.read(1 << 20)) {
                return false;
            }
        }
        return true;
    }

    QTemporaryDir dir{(qEnvironmentVariableIsSet("TESSARO_BIG_DIR")
                           ? qEnvironmentVariable("TESSARO_BIG_DIR")
                           : QDir::tempPath()) +
                      QStringLiteral("/tessaro-big-XXXXXX")};
};

TEST_F(BigInputTest, A19GBInputMergesInFlatMemory) {
    const QString small = Generate(QStringLiteral("small.mp3"), 19'000'000 / kFrameSize);
    const QString big = Generate(QStringLiteral("big.mp3"), 1'900'000'000 / kFrameSize);
    const QString output = dir.filePath(QStringLiteral("out.mp3"));

    const long smallPeak = MergePeakKiB(small, output);
    QElapsedTimer timer;
    timer.start();
    const long bigPeak = MergePeakKiB(big, output);
    const double seconds = timer.nsecsElapsed() / 1e9;
    ASSERT_GT(smallPeak, 0);
    ASSERT_GT(bigPeak, 0);
    std::printf("19 MB input: peak RSS %ld KiB; 1.9 GB input: peak RSS %ld KiB, %.1f s\n",
                smallPeak, bigPeak, seconds);
    // A hundred times the input, and no more than a few MiB more memory.
    EXPECT_LT(bigPeak - smallPeak, 8 * 1024);
    EXPECT_TRUE(SameAudio(output, big));
}

TEST_F(BigInputTest, AnInputPast2GiBIsJoinedWhole) {
    const qint64 frames = (qint64(1) << 31) / kFrameSize + 100000;
    const QString input = Generate(QStringLiteral("big.mp3"), frames);
    const qint64 size = frames * kFrameSize;
    ASSERT_GT(size, qint64(INT32_MAX));
    EXPECT_EQ(tessaro::GetFileSize64(input), size);

    // The frame that straddles 2 GiB and the last one stand where they are.
    mp3::StreamReader reader(input);
    qint64 count = 0;
    qint64 lastOffset = -1;
    for (; !reader.AtEnd(); reader.Advance(), ++count) {
        lastOffset = reader.Header().offset;
    }
    EXPECT_EQ(count, frames);
    EXPECT_EQ(lastOffset, size - kFrameSize);

    tessaro::TessaroWorkSpace workspace;
    workspace.AddPath(input);
    const QString output = dir.filePath(QStringLiteral("out.mp3"));
    CountingHost host;
    QElapsedTimer timer;
    timer.start();
    const tessaro::MergeResult result = tessaro::RunMerge(JoinOf(workspace, output, {}), host);
    std::printf("%lld-byte input: merged in %.1f s\n", size, timer.nsecsElapsed() / 1e9);
    ASSERT_TRUE(result.Succeeded()) << result.error.toStdString();
    EXPECT_EQ(result.written, size);
    EXPECT_EQ(result.frames, frames);
    EXPECT_EQ(host.last, 100);
    EXPECT_TRUE(SameAudio(output, input));

    // The list's playing time is reckoned in 64 bits too.
    EXPECT_EQ(qint64(mp3::ProbeFigures(input).duration), size * 8 / 128000);
}

TEST_F(BigInputTest, AJoinPast4GiBTellsLibmpg123ItsWholeLength) {
    // A LAME file's header leads; its 32-bit byte count cannot hold what follows.
    const QString big = Generate(QStringLiteral("big.mp3"), (qint64(1) << 31) / kFrameSize + 1000);
    tessaro::TessaroWorkSpace workspace;
    for (const QString& path : {Fixture(QStringLiteral("cbr128_stereo.mp3")), big, big}) {
        workspace.AddPath(path);
    }
    const QString output = dir.filePath(QStringLiteral("out.mp3"));
    CountingHost host;
    const tessaro::MergeResult result = tessaro::RunMerge(JoinOf(workspace, output, {}), host);
    ASSERT_TRUE(result.Succeeded()) << result.error.toStdString();
    ASSERT_GT(result.written, qint64(1) << 32);

    // Its length as the header tells it, without a scan and without the encoder's silence.
    mpg123_init();
    std::unique_ptr<mpg123_handle, void (*)(mpg123_handle*)> decoder(mpg123_new(nullptr, nullptr),
                                                                     mpg123_delete);
    mpg123_param(decoder.get(), MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
    ASSERT_EQ(mpg123_open(decoder.get(), QFile::encodeName(output).constData()), MPG123_OK);
    const off_t samples = mpg123_length(decoder.get());
    std::printf("%lld-byte join: libmpg123 tells %lld samples, %.0f s\n", result.written,
                qint64(samples), samples / 44100.0);
    EXPECT_EQ(qint64(samples), (result.frames - 1) * 1152);
}

TEST_F(BigInputTest, AWorkspaceOf10000PathsSavesAndOpens) {
    QStringList paths;
    for (int i = 0; i < 10000; ++i) {
        paths << QStringLiteral("/home/åsa/Musik/Künstler %1/Album ♫ %2/%3 Track.mp3")
                     .arg(i % 97)
                     .arg(i % 13)
                     .arg(i);
    }
    // Every tenth path is a real file, which the list reads.
    for (int i = 0; i < paths.size(); i += 10) {
        paths[i] = Fixture(QStringLiteral("cbr128_stereo.mp3"));
    }
    const QString file = dir.filePath(QStringLiteral("big.twk"));
    {
        tessaro::TessaroWorkSpace workspace;
        for (const QString& path : paths) {
            workspace.AddPath(path);
        }
        QElapsedTimer timer;
        timer.start();
        workspace.SaveToFile(file);
        std::printf("10,000 paths: saved in %.3f s, %lld bytes\n", timer.nsecsElapsed() / 1e9,
                    QFileInfo(file).size());
    }
    tessaro::TrackListModel list;
    tessaro::TessaroWorkSpace workspace;
    QElapsedTimer timer;
    timer.start();
    workspace.LoadFromFile(file);
    list.Reset(workspace.Paths());
    std::printf("10,000 paths: opened into the track list in %.2f s\n", timer.nsecsElapsed() / 1e9);
    EXPECT_EQ(workspace.Paths(), paths);
    ASSERT_EQ(list.Count(), 10000);
    EXPECT_EQ(list.Track(9999).path, paths[9999]);
    while (list.FiguresPending()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }
    EXPECT_GT(list.Track(0).bitrate, 0);
}

}  // namespace

// The track list needs an application object.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
