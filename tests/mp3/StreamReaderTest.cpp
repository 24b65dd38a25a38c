#include "io/Files.h"
#include "mp3/StreamReader.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <random>

#include "ReferenceScan.h"
#include "TestFiles.h"

namespace {

using namespace testing_files;

class StreamReaderTest : public ::testing::Test {
protected:
    QString Write(const QByteArray& bytes, const QString& name = QStringLiteral("in.mp3")) {
        return WriteAll(dir.filePath(name), bytes);
    }
    QTemporaryDir dir;
};

TEST_F(StreamReaderTest, FileOfFramesYieldsEachFrameFromOffsetZero) {
    const QByteArray a = Mp3Frame(0x11), b = Mp3Frame(0x22, 1), c = MakeFrame(2, 1, 8, 0);
    const auto units = ReadAllUnits(Write(a + b + c));
    ASSERT_EQ(units.size(), 3u);
    EXPECT_EQ(units[0], (Unit{0, a}));
    EXPECT_EQ(units[1], (Unit{417, b}));
    EXPECT_EQ(units[2], (Unit{417 + 418, c}));
}

TEST_F(StreamReaderTest, LastFrameEndingAtEndOfFileIsYieldedThenTheReaderEnds) {
    mp3::StreamReader reader(Write(Mp3Frame()));
    ASSERT_FALSE(reader.AtEnd());
    EXPECT_EQ(reader.FrameIndex(), 0);
    EXPECT_EQ(reader.FrameLength(), 417);
    reader.Advance();
    EXPECT_TRUE(reader.AtEnd());
    reader.Advance();
    EXPECT_TRUE(reader.AtEnd());
}

TEST_F(StreamReaderTest, SyncScanTraps) {
    // 0xFF 0xFF is a sync: MPEG-1 Layer I without CRC.
    mp3::StreamReader ffff(Write(QByteArray("\xFF\xFF\x10\x00", 4) + QByteArray(40, 0x11)));
    ASSERT_FALSE(ffff.AtEnd());
    EXPECT_EQ(ffff.Header().offset, 0);
    EXPECT_EQ(ffff.Header().layer, 3);
    EXPECT_EQ(ffff.Header().protection, 1);

    // 0xFF 0x12 fails the test; the scan passes both bytes and finds the header behind them.
    const QByteArray frame = Mp3Frame();
    const auto units = ReadAllUnits(Write(QByteArray("\xFF\x12", 2) + frame, "trap.mp3"));
    ASSERT_EQ(units.size(), 1u);
    EXPECT_EQ(units[0], (Unit{2, frame}));
}

TEST_F(StreamReaderTest, JunkBetweenFramesAndTrailingTagArePassedOver) {
    const QByteArray a = Mp3Frame(0x11), b = Mp3Frame(0x22);
    const auto units =
        ReadAllUnits(Write(a + QByteArray("junk\xFF\x00 junk", 11) + b + Id3v1Tag("Title")));
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units[0].bytes, a);
    EXPECT_EQ(units[1], (Unit{417 + 11, b}));
}

TEST_F(StreamReaderTest, BodyCutByEndOfFileYieldsOnlyTheBytesThatExist) {
    // A longer frame first leaves bytes in the frame buffer that must not show up later.
    const QByteArray big = MakeFrame(3, 1, 14, 1), cut = Mp3Frame(0x22).left(100);
    const auto units = ReadAllUnits(Write(big + cut));
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units[1], (Unit{960, cut}));
}

TEST_F(StreamReaderTest, HeaderAloneOrCutAtTheEndYieldsNoFrame) {
    // A complete header whose body is missing altogether, and one cut after 3 bytes.
    EXPECT_TRUE(ReadAllUnits(Write(Mp3Frame().left(4))).empty());
    EXPECT_TRUE(ReadAllUnits(Write(QByteArray("\x00\xFF\xFB\x90", 4))).empty());
    const QByteArray frame = Mp3Frame();
    const auto units = ReadAllUnits(Write(frame + QByteArray("\xFF\xFB\x90", 3)));
    ASSERT_EQ(units.size(), 1u);
    EXPECT_EQ(units[0].bytes, frame);
}

TEST_F(StreamReaderTest, HeaderWithoutALengthIsAUnitOfFourBytes) {
    // Free-format Layer III: no length, so the header alone is the unit.
    const QByteArray free("\xFF\xFB\x00\x00", 4);
    const QByteArray frame = Mp3Frame();
    const auto units = ReadAllUnits(Write(free + frame));
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units[0], (Unit{0, free}));
    EXPECT_EQ(units[1], (Unit{4, frame}));
}

TEST_F(StreamReaderTest, TinyEmptyMissingAndFolderInputsYieldNothing) {
    for (const QByteArray& bytes :
         {QByteArray(), QByteArray("\xFF", 1), QByteArray("\xFF\xFB", 2), QByteArray(3, '\xFF')}) {
        mp3::StreamReader reader(Write(bytes));
        EXPECT_TRUE(reader.IsOpen());
        EXPECT_TRUE(reader.AtEnd()) << bytes.size() << " bytes";
    }
    mp3::StreamReader missing(dir.filePath(QStringLiteral("missing.mp3")));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_TRUE(missing.AtEnd());
    EXPECT_FALSE(missing.OpenError().isEmpty());
    mp3::StreamReader folder(dir.path());
    EXPECT_FALSE(folder.IsOpen());
    EXPECT_TRUE(folder.AtEnd());
}

TEST_F(StreamReaderTest, ReachesItsEndBehindTheLastFrame) {
    mp3::StreamReader reader(Write(Mp3Frame() + Mp3Frame()));
    reader.Advance();
    EXPECT_FALSE(reader.AtEnd());
    EXPECT_EQ(reader.FrameIndex(), 1);
    reader.Advance();
    EXPECT_TRUE(reader.AtEnd());
}

TEST_F(StreamReaderTest, ScanStartsBehindTheWholePaddedLeadingTag) {
    // The padding holds bytes a scan started inside the tag would take for a frame.
    QByteArray tag = Id3v2Tag("A title", 600);
    const QByteArray falseFrame = Mp3Frame(0x33);
    tag.replace(tag.size() - 500, falseFrame.size(), falseFrame);
    const QByteArray a = Mp3Frame(0x11), b = Mp3Frame(0x22);
    mp3::StreamReader reader(Write(tag + a + b));
    EXPECT_EQ(reader.StartOffset(), tag.size());
    const auto units = ReadAllUnits(reader.Path());
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units[0], (Unit{tag.size(), a}));
}

TEST_F(StreamReaderTest, LeadingTagsAreMeasuredByTheirHeaders) {
    // A tag header stating `size` bytes, then `size` bytes (or `body`) that hold a false frame.
    const auto tag = [](const char* versionAndFlags, int size, int body = -1) {
        const QByteArray fill =
            (Mp3Frame(0x44) + QByteArray(size, '\0')).left(body < 0 ? size : body);
        return QByteArray("ID3") + QByteArray(versionAndFlags, 3) + char(size >> 21 & 0x7F) +
               char(size >> 14 & 0x7F) + char(size >> 7 & 0x7F) + char(size & 0x7F) + fill;
    };
    const QByteArray frames = Mp3Frame(0x11) + Mp3Frame(0x22);
    // A compressed title frame stating a 4 GB text: parsing it corrupted id3lib's heap.
    const QByteArray compressed =
        QByteArray::fromHex("494433 030000 00000011 54495432 00000007 00fd ff77fffb 900079");
    const QByteArray twoTags = tag("\x03\x00\x00", 500) + tag("\x04\x00\x00", 600);
    // An ID3v2.4 tag with a footer, which repeats the header with "3DI".
    const QByteArray footer =
        tag("\x04\x00\x10", 700) + QByteArray::fromHex("334449 040010 0000053c");
    const QByteArray pastTheEnd = tag("\x03\x00\x00", 100000, 700) + frames;
    const struct {
        QByteArray bytes;
        qint64 start;
    } cases[] = {
        {compressed + frames, compressed.size()},
        {twoTags + frames, twoTags.size()},
        {footer + frames, footer.size()},
        {pastTheEnd, pastTheEnd.size()},
        // Not tag headers: a size byte with its top bit set, and version 255.
        {tag("\x03\x00\x00", 300).replace(6, 1, "\x80") + frames, 0},
        {tag("\xFF\x00\x00", 300) + frames, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.left(10).toHex().toStdString());
        const QString path = Write(c.bytes);
        EXPECT_EQ(mp3::StreamReader(path).StartOffset(), c.start);
        EXPECT_EQ(ReadAllUnits(path), ReferenceScan(c.bytes, c.start));
    }
}

TEST_F(StreamReaderTest, RealFilesKeepEveryFrame) {
    // A padded ID3v2 tag in front and an ID3v1 tag at the end around an untagged encoding.
    const auto tagged = ReadAllUnits(Fixture(QStringLiteral("tagged_v2v1.mp3")));
    const auto plain = ReadAllUnits(Fixture(QStringLiteral("cbr128_stereo.mp3")));
    ASSERT_EQ(tagged.size(), plain.size());
    for (size_t i = 0; i < plain.size(); ++i) {
        EXPECT_EQ(tagged[i].bytes, plain[i].bytes) << "frame " << i;
    }
    // Only a trailing ID3v1 tag: nothing is lost at the front.
    EXPECT_EQ(Joined(ReadAllUnits(Fixture(QStringLiteral("v1only.mp3")))),
              ReadAll(Fixture(QStringLiteral("mpeg2_22k.mp3"))));
}

TEST_F(StreamReaderTest, Mpeg25FramesAreWholeFrames) {
    const QString path = Fixture(QStringLiteral("mpeg25_8k.mp3"));
    mp3::StreamReader reader(path);
    ASSERT_FALSE(reader.AtEnd());
    EXPECT_EQ(reader.Header().version, 0);
    EXPECT_EQ(reader.Header().GetBitrate(), 8000);
    EXPECT_EQ(reader.Header().GetSampleRate(), 8000);
    EXPECT_EQ(reader.FrameLength(), 72);
    QByteArray joined;
    for (const Unit& unit : ReadAllUnits(path)) {
        EXPECT_EQ(unit.bytes.size(), 72);
        joined += unit.bytes;
    }
    EXPECT_EQ(joined, ReadAll(path));
}

TEST_F(StreamReaderTest, BufferedScanYieldsExactlyWhatTheByteScanYields) {
    // Frames of every kind, junk, runs of 0xFF and cut units, across read-buffer boundaries.
    std::mt19937 random(20261208);
    const auto pick = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int round = 0; round < 60; ++round) {
        QByteArray data;
        // Small files are read, larger ones mapped, the largest in more than one piece.
        const int target = round < 10   ? pick(0, 12)
                           : round < 57 ? pick(1000, 600000)
                                        : pick(8380000, 8400000);
        while (data.size() < target) {
            switch (pick(0, 4)) {
                case 0:
                case 1:
                    data += MakeFrame(pick(0, 3), pick(0, 3), pick(0, 15), pick(0, 3), pick(0, 1),
                                      pick(0, 3), char(pick(0, 0xFE)));
                    break;
                case 2:
                    data += QByteArray(pick(1, 6), '\xFF');
                    break;
                case 3:
                    data += char(0xE0 | pick(0, 31));
                    break;
                default:
                    for (int i = pick(1, 3000); i > 0; --i) {
                        data += char(pick(0, 255));
                    }
            }
        }
        data.truncate(target);
        const QString path = Write(data);
        mp3::StreamReader probe(path);
        ASSERT_EQ(ReadAllUnits(path), ReferenceScan(data, probe.StartOffset()))
            << "round " << round << ", " << data.size() << " bytes";
    }
}

TEST_F(StreamReaderTest, AFileCutShortWhileReadIsFoundChangedAndKillsNothing) {
    // On the disk and, where there is one, on a tmpfs; read at once, and mapped.
    QTemporaryDir shm(QStringLiteral("/dev/shm/stream-reader-XXXXXX"));
    for (const QString& folder : {dir.path(), shm.path()}) {
        for (const int frames : {400, 2000}) {
            if (folder.isEmpty()) {
                continue;
            }
            SCOPED_TRACE(QStringLiteral("%1 frames in %2").arg(frames).arg(folder).toStdString());
            const QString path = WriteAll(folder + QStringLiteral("/cut.mp3"), Mp3Frames(frames));
            mp3::StreamReader reader(path);
            ASSERT_TRUE(QFile::resize(path, 100000));
            int units = 0;
            for (; !reader.AtEnd(); reader.Advance()) {
                ++units;
            }
            EXPECT_TRUE(reader.Changed());
            // What was read before the cut is all there is; past it, the pages read as zeros.
            EXPECT_EQ(units, frames < 1000 ? frames : 100000 / Mp3Frame().size() + 1);
        }
    }
}

TEST_F(StreamReaderTest, FileSize) {
    EXPECT_EQ(tessaro::GetFileSize64(Write(QByteArray(1234, 'x'))), 1234);
    EXPECT_EQ(tessaro::GetFileSize64(dir.filePath(QStringLiteral("missing"))), 0);
    EXPECT_EQ(tessaro::GetFileSize64(dir.path()), 0);
}

}  // namespace
