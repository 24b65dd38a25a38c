#include "io/Files.h"
#include "io/InputFile.h"
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
    const QByteArray a = Mp3Frame(0x11), b = Mp3Frame(0x22, 1), c = Mp3Frame(0x33);
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
    // 0xFF 0xFF is a sync: MPEG-1 Layer I without CRC, 32 kbit/s: 32 bytes.
    mp3::StreamReader ffff(Write(QByteArray("\xFF\xFF\x10\x00", 4) + QByteArray(28, 0x11)));
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
    const QByteArray a = Mp3Frame(0x11), b = Mp3Frame(0x22), c = Mp3Frame(0x33);
    const auto units = ReadAllUnits(
        Write(a + b + c + QByteArray("junk\xFF\x00 junk", 11) + a + b + Id3v1Tag("T")));
    ASSERT_EQ(units.size(), 5u);
    EXPECT_EQ(units[2].bytes, c);
    EXPECT_EQ(units[3], (Unit{3 * 417 + 11, a}));
}

TEST_F(StreamReaderTest, AFrameNotWholeOrNotConfirmedIsPassedOver) {
    // A longer frame first leaves bytes in the frame buffer that must not show up later.
    const QByteArray big = MakeFrame(3, 1, 14, 1), cut = MakeFrame(3, 1, 9, 1).left(100);
    EXPECT_EQ(ReadAllUnits(Write(big + big + cut)), (std::vector<Unit>{{0, big}, {960, big}}));
    // A header whose body is missing, or cut after 3 bytes, or followed by junk, or by a frame of
    // another stream.
    const QByteArray frame = Mp3Frame();
    EXPECT_TRUE(ReadAllUnits(Write(frame.left(4))).empty());
    EXPECT_TRUE(ReadAllUnits(Write(QByteArray("\x00\xFF\xFB\x90", 4))).empty());
    EXPECT_EQ(ReadAllUnits(Write(frame + frame + frame + QByteArray("\xFF\xFB\x90", 3))).size(),
              3u);
    // Followed by one header only, then junk.
    EXPECT_TRUE(ReadAllUnits(Write(frame + frame + QByteArray("junk"))).empty());
    EXPECT_TRUE(ReadAllUnits(Write(frame + QByteArray("junk"))).empty());
    EXPECT_EQ(ReadAllUnits(Write(frame + big)), (std::vector<Unit>{{417, big}}));
}

TEST_F(StreamReaderTest, FreeFormatFramesReachToTheNextFreeFormatHeader) {
    // Two free-format streams: 300 and 301 bytes (padded), then a last frame that repeats the
    // length before it, padding aside; one whose next header is too far; a lone free header.
    const auto free = [](int length, int padding, char fill) {
        return QByteArray("\xFF\xFB", 2) + char(padding << 1) + '\0' + QByteArray(length - 4, fill);
    };
    const QByteArray a = free(300, 0, 0x11), b = free(301, 1, 0x22), c = free(300, 0, 0x33);
    EXPECT_EQ(ReadAllUnits(Write(a + b + c)), (std::vector<Unit>{{0, a}, {300, b}, {601, c}}));
    const QByteArray far = free(9000, 0, 0x11);
    EXPECT_TRUE(ReadAllUnits(Write(far + far)).empty());
    EXPECT_EQ(ReadAllUnits(Write(free(4, 0, 0) + Mp3Frame())).size(), 1u);
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
        return QByteArray("ID3") + QByteArray(versionAndFlags, 3) + SizeBytes(quint32(size), true) +
               fill;
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

TEST_F(StreamReaderTest, InputsYieldTheirRealFramesAndNothingElse) {
    // 16-bit PCM of a quiet noise: its negative samples are runs of 0xFF bytes.
    std::mt19937 random(20261209);
    QByteArray wav = QByteArray("RIFF") + U32Le(36 + 400000) + "WAVEfmt " + U32Le(16) +
                     QByteArray::fromHex("01000200 44ac0000 10b10200 04001000") + "data" +
                     U32Le(400000);
    for (int i = 0; i < 200000; ++i) {
        const qint16 sample = qint16(std::uniform_int_distribution<int>(-300, 300)(random));
        wav += char(sample & 0xFF);
        wav += char(sample >> 8);
    }
    QByteArray noise;
    for (int i = 0; i < 1 << 20; ++i) {
        noise += char(random());
    }
    const QByteArray mp3 = ReadAll(Fixture(QStringLiteral("cbr128_stereo.mp3")));
    const QByteArray jpeg = ReadAll(Fixture(QStringLiteral("plasma.jpg")));
    const QByteArray frames = Mp3Frame(0x55) + Mp3Frame(0x66);  // sync bytes inside tags
    const QByteArray apeItem = U32Le(quint32(frames.size() + jpeg.size())) + U32Le(0) +
                               "Cover Art (Front)" + '\0' + frames + jpeg;
    const auto ape = [&apeItem](quint32 flags) {
        return "APETAGEX" + U32Le(2000) + U32Le(quint32(apeItem.size() + 32)) + U32Le(1) +
               U32Le(flags) + QByteArray(8, '\0');
    };
    const QByteArray apeTag = ape(0xA0000000u) + apeItem + ape(0x80000000u);
    const QByteArray lyricsTag = "LYRICSBEGININD00002" + QByteArray("10") + "LYR" +
                                 QByteArray::number(frames.size()).rightJustified(5, '0') + frames;
    const QByteArray lyrics3 =
        lyricsTag + QByteArray::number(lyricsTag.size()).rightJustified(6, '0') + "LYRICS200";
    const QByteArray id3v2Body = Id3v2Tag(frames, 0).mid(10);
    const auto id3v2 = [&id3v2Body](const char* identifier) {
        return QByteArray(identifier) + QByteArray::fromHex("040010") +
               SizeBytes(quint32(id3v2Body.size()), true);
    };
    const QByteArray appended = id3v2("ID3") + id3v2Body + id3v2("3DI");
    const QByteArray free = ReadAll(Fixture(QStringLiteral("freeformat_200k.mp3")));
    const QByteArray mpeg25 = ReadAll(Fixture(QStringLiteral("mpeg25_8k.mp3")));
    const struct {
        const char* name;
        QByteArray bytes;
        QByteArray audio;  // what the frames yielded hold, back to back
        size_t frames;
        bool unconfirmed = false;  // ends in a tag's footer that its tag does not bear out
    } cases[] = {
        {"WAV", wav, {}, 0},
        {"FLAC", ReadAll(Fixture(QStringLiteral("noise.flac"))), {}, 0},
        {"JPEG", jpeg, {}, 0},
        {"random bytes", noise, {}, 0},
        {"among junk", wav.left(5000) + jpeg + mp3 + noise.left(5000), mp3, 22},
        {"APEv2 with a picture", mp3 + apeTag + Id3v1Tag("T"), mp3, 22},
        {"ID3v1 title of 0xFF", mp3 + Id3v1Tag(frames.left(30)), mp3, 22},
        {"Lyrics3v2", mp3 + lyrics3 + Id3v1Tag("T"), mp3, 22},
        {"appended ID3v2", mp3 + appended, mp3, 22},
        {"APEv2 item without header", mp3 + apeItem + ape(0), mp3, 22},
        // A footer without its tag claims the audio before it: that is scanned as audio.
        {"APEv2 footer alone", mp3 + mp3 + ape(0x80000000u), mp3 + mp3, 44, true},
        {"APEv2 footer behind no item", mp3 + frames + ape(0), mp3 + frames, 24, true},
        {"APEv2 footer behind no header", mp3 + apeItem + ape(0x80000000u), mp3, 22, true},
        {"ID3v2 footer alone", mp3 + id3v2Body + id3v2("3DI"), mp3, 22, true},
        {"cut last frame", mp3 + mp3.mid(417, 300), mp3, 22},
        {"free format", free, free, 22},
        {"MPEG-2.5", mpeg25, mpeg25, 11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Write(c.bytes);
        const auto units = ReadAllUnits(path);
        EXPECT_EQ(units.size(), c.frames);
        EXPECT_EQ(Joined(units), c.audio);
        const mp3::StreamReader reader(path);
        EXPECT_EQ(units, ReferenceScan(c.bytes, reader.StartOffset()));
        EXPECT_EQ(!reader.UnconfirmedTag().isEmpty(), c.unconfirmed);
    }
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
        // Most files are read in one piece, the largest in several.
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
    // On the disk and, where there is one, on a tmpfs; read at once, and in several buffers.
    QTemporaryDir shm(QStringLiteral("/dev/shm/stream-reader-XXXXXX"));
    // A look at the first frames reads a little at first, so the cut falls behind that.
    using Reach = mp3::StreamReader::Reach;
    for (const QString& folder : {dir.path(), shm.path()}) {
        for (const auto& [frames, reach] :
             {std::pair{400, Reach::Whole}, {6000, Reach::Whole}, {400, Reach::FirstFrames}}) {
            if (folder.isEmpty()) {
                continue;
            }
            SCOPED_TRACE(QStringLiteral("%1 frames in %2, %3")
                             .arg(frames)
                             .arg(folder)
                             .arg(reach == Reach::Whole ? "whole" : "first frames")
                             .toStdString());
            const QString path = WriteAll(folder + QStringLiteral("/cut.mp3"), Mp3Frames(frames));
            QString error;
            mp3::StreamReader reader(tessaro::InputFile::Open(path, &error), path, reach);
            ASSERT_TRUE(QFile::resize(path, 100000));
            int units = 0;
            for (; !reader.AtEnd(); reader.Advance()) {
                ++units;
            }
            EXPECT_TRUE(reader.Changed());
            // The frames of the first read, before the cut, or those before the cut where the
            // first read was short: those with a frame's reach behind them.
            const int size = Mp3Frame().size();
            const int read = reach == Reach::Whole ? (1 << 20) : 100000;
            EXPECT_NEAR(units, std::min<int>(frames, read / size),
                        mp3::StreamReader::kMaxFrameLength / size + 1);
        }
    }
    // Rewritten in place once read, its time put back: the frames read keep the bytes they were
    // read with, as the writer may take them long after, and the reader finds the file changed.
    const QByteArray bytes = Mp3Frames(2000);
    const QString path = Write(bytes);
    mp3::StreamReader reader(path);
    const std::shared_ptr<const void> firstFrames = reader.Buffer();  // as the writer holds them
    const quint8* const first = reader.Frame();
    RewriteKeepingTimes(path, QByteArray(bytes).replace(char(0x12), char(0x13)));
    qsizetype held = 0;  // of the file's bytes, by the first buffer
    for (; !reader.AtEnd(); reader.Advance()) {
        if (reader.Buffer() == firstFrames) {
            held = reader.Frame() + reader.FrameLength() - first;
        }
    }
    ASSERT_GT(held, 0);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(first), held), bytes.left(held));
    EXPECT_TRUE(reader.Changed());
}

TEST_F(StreamReaderTest, FileSize) {
    EXPECT_EQ(tessaro::GetFileSize64(Write(QByteArray(1234, 'x'))), 1234);
    EXPECT_EQ(tessaro::GetFileSize64(dir.filePath(QStringLiteral("missing"))), 0);
    EXPECT_EQ(tessaro::GetFileSize64(dir.path()), 0);
}

}  // namespace
