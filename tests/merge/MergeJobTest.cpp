#include "merge/MergeJob.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>

#include "TestFiles.h"
#include "mp3/StreamReader.h"
#include "workspace/PlainTrackList.h"
#include "workspace/TessaroWorkSpace.h"

namespace {

using namespace testing_files;

// Where the "Xing" or "Info" tag stands in the header frame that starts bytes; -1 for none.
qsizetype TagAt(const QByteArray& bytes) {
    const QByteArray start = bytes.left(40);
    const qsizetype xing = start.indexOf("Xing");
    return xing >= 0 ? xing : start.indexOf("Info");
}

// Checks, field by field, that the LAME header frame at the start of the output describes the
// whole output, and that the output differs from `joined` (the inputs' frames back to back) in
// nothing else. The frames are those the reader finds; the delay is the first input's and the
// padding the last input's, as their own headers give them.
void ExpectHeaderDescribesOutput(const QString& output, const QByteArray& joined,
                                 const QString& lastInput) {
    const QByteArray out = ReadAll(output);
    ASSERT_EQ(out.size(), joined.size());
    std::vector<qint64> offsets;
    for (mp3::StreamReader reader(output); !reader.AtEnd(); reader.Advance()) {
        offsets.push_back(reader.Header().offset);
    }
    ASSERT_GE(offsets.size(), 2u);
    const qint64 n = qint64(offsets.size()), bytes = out.size();
    const qsizetype at = TagAt(out), lame = at + 120;
    ASSERT_GE(at, 0);
    ASSERT_EQ(BigEndian(out, at + 4), 0xFu) << "LAME writes every field";
    EXPECT_EQ(BigEndian(out, at + 8), n - 1);
    EXPECT_EQ(BigEndian(out, at + 12), bytes);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(quint8(out[at + 16 + i]), 256 * offsets[size_t(i * n / 100)] / bytes) << i;
    }
    ASSERT_EQ(out.mid(lame, 4), "LAME");
    EXPECT_EQ(BigEndian(out, lame + 21, 3) >> 12, BigEndian(joined, lame + 21, 3) >> 12);
    const QByteArray last = ReadAll(lastInput);
    EXPECT_EQ(BigEndian(out, lame + 21, 3) & 0xFFF,
              BigEndian(last, TagAt(last) + 120 + 21, 3) & 0xFFF);
    EXPECT_EQ(BigEndian(out, lame + 28), bytes);
    EXPECT_EQ(BigEndian(out, lame + 32, 2), BitwiseCrc16(out.mid(offsets[1])));
    EXPECT_EQ(BigEndian(out, lame + 34, 2), BitwiseCrc16(out.left(lame + 34)));
    QByteArray rest = out;
    for (const auto& [from, length] :
         {std::pair<qsizetype, qsizetype>{at + 8, 108}, {lame + 21, 3}, {lame + 28, 8}}) {
        rest.replace(from, length, joined.mid(from, length));
    }
    EXPECT_EQ(rest, joined);
}

class MergeJobTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        return WriteAll(dir.filePath(name), bytes);
    }
    tessaro::MergeResult Merge(bool saveTag = false) {
        host.saveTag = saveTag;
        return tessaro::RunMerge(workspace, output, host);
    }

    QTemporaryDir dir;
    QString output = dir.filePath(QStringLiteral("out.mp3"));
    tessaro::PlainTrackList list;
    tessaro::TessaroWorkSpace workspace{list};
    RecordingHost host;
};

TEST_F(MergeJobTest, TwoInputsOfOneFrameEach) {
    const QByteArray a = Mp3Frame(0x11), b = Mp3Frame(0x22, 1);
    workspace.AddPath(Write(QStringLiteral("a.mp3"), a));
    workspace.AddPath(Write(QStringLiteral("b.mp3"), b));
    const tessaro::MergeResult result = Merge();
    EXPECT_TRUE(result.Succeeded()) << result.error.toStdString();
    EXPECT_EQ(ReadAll(output), a + b);
    EXPECT_EQ(result.written, 835);
    EXPECT_EQ(result.frames, 2);
    EXPECT_EQ(result.inputsJoined, 2);
    EXPECT_TRUE(result.warnings.isEmpty());
    // The range first, one position per frame, then the tag question.
    EXPECT_EQ(host.progress, (std::vector<std::pair<qint32, qint32>>{{0, 100}, {49, 0}, {100, 0}}));
    EXPECT_EQ(host.events.last(), QStringLiteral("query"));
    EXPECT_EQ(host.events.count(QStringLiteral("query")), 1);
}

TEST_F(MergeJobTest, EmptyWorkspaceGivesAnEmptyFile) {
    const tessaro::MergeResult result = Merge();
    EXPECT_TRUE(result.Succeeded());
    EXPECT_TRUE(QFile::exists(output));
    EXPECT_EQ(ReadAll(output).size(), 0);
    EXPECT_EQ(host.progress, (std::vector<std::pair<qint32, qint32>>{{0, 100}}));
    EXPECT_EQ(result.written, 0);
}

TEST_F(MergeJobTest, TagsAtBothEndsAreLeftBehindAndPercentStaysBelow100) {
    workspace.AddPath(Fixture(QStringLiteral("tagged_v2v1.mp3")));
    const tessaro::MergeResult result = Merge();
    EXPECT_TRUE(result.Succeeded());
    EXPECT_EQ(ReadAll(output), ReadAll(Fixture(QStringLiteral("cbr128_stereo.mp3"))));
    EXPECT_EQ(host.progress.back().first, 94);  // 9194 of 9683 bytes
}

TEST_F(MergeJobTest, RealEncoderFilesJoinFrameExactlyButForTheLeadingHeader) {
    QByteArray expected;
    for (const char* name : {"cbr128_stereo.mp3", "vbr_mono.mp3", "mpeg2_22k.mp3", "mpeg25_8k.mp3",
                             "cbr192_48k.mp3", "v1only.mp3"}) {
        workspace.AddPath(Fixture(QLatin1String(name)));
    }
    for (const char* name : {"cbr128_stereo.mp3", "vbr_mono.mp3", "mpeg2_22k.mp3", "mpeg25_8k.mp3",
                             "cbr192_48k.mp3", "mpeg2_22k.mp3"}) {
        expected += ReadAll(Fixture(QLatin1String(name)));
    }
    const tessaro::MergeResult result = Merge();
    EXPECT_TRUE(result.Succeeded());
    ExpectHeaderDescribesOutput(output, expected, Fixture(QStringLiteral("v1only.mp3")));
    EXPECT_EQ(result.written, expected.size());
    EXPECT_EQ(result.inputsJoined, 6);
    EXPECT_EQ(result.warnings.size(), 5) << "every later input differs from the first";
}

TEST_F(MergeJobTest, TheLeadingHeaderOfEachKindDescribesTheWholeJoin) {
    for (const QStringList& names : {
             // VBR, CBR, VBR; a "Xing" header in an MPEG-1 mono frame.
             QStringList{"vbr_mono.mp3", "cbr128_stereo.mp3", "vbr_mono.mp3"},
             // "Info" in an MPEG-1 stereo frame.
             QStringList{"cbr128_stereo.mp3", "vbr_mono.mp3"},
             // MPEG-2 stereo, then MPEG-2 mono with CRCs.
             QStringList{"mpeg2_22k.mp3", "mpeg2_mono_crc.mp3"},
             QStringList{"mpeg2_mono_crc.mp3", "mpeg2_22k.mp3", "mpeg2_mono_crc.mp3"},
         }) {
        tessaro::PlainTrackList tracks;
        tessaro::TessaroWorkSpace inputs{tracks};
        QByteArray joined;
        for (const QString& name : names) {
            inputs.AddPath(Fixture(name));
            joined += ReadAll(Fixture(name));
        }
        ASSERT_TRUE(tessaro::RunMerge(inputs, output, host).Succeeded());
        SCOPED_TRACE(names.join(QLatin1Char(' ')).toStdString());
        ExpectHeaderDescribesOutput(output, joined, Fixture(names.last()));
    }
}

TEST_F(MergeJobTest, AFileJoinedAloneOrBehindAFrameWithoutHeaderIsCopiedByteForByte) {
    const QString cbr = Fixture(QStringLiteral("cbr128_stereo.mp3"));
    for (const QStringList& paths : {
             QStringList{cbr},
             QStringList{Fixture(QStringLiteral("vbr_mono.mp3"))},
             QStringList{Fixture(QStringLiteral("mpeg2_mono_crc.mp3"))},
             QStringList{Fixture(QStringLiteral("cbr192_48k.mp3"))},
             QStringList{Write(QStringLiteral("plain.mp3"), Mp3Frame()), cbr, cbr},
             QStringList{Fixture(QStringLiteral("mpeg25_8k.mp3")), cbr},
         }) {
        tessaro::PlainTrackList tracks;
        tessaro::TessaroWorkSpace inputs{tracks};
        QByteArray joined;
        for (const QString& path : paths) {
            inputs.AddPath(path);
            joined += ReadAll(path);
        }
        ASSERT_TRUE(tessaro::RunMerge(inputs, output, host).Succeeded());
        EXPECT_EQ(ReadAll(output), joined) << paths.join(QLatin1Char(' ')).toStdString();
    }
}

TEST_F(MergeJobTest, InputsUnlikeTheFirstAreJoinedWithAWarningNamingTheFigures) {
    const QString cbr = Fixture(QStringLiteral("cbr128_stereo.mp3"));
    const QString rate48k = Fixture(QStringLiteral("cbr192_48k.mp3"));
    workspace.AddPath(cbr);
    workspace.AddPath(rate48k);
    workspace.AddPath(Fixture(QStringLiteral("tagged_v2v1.mp3")));
    workspace.AddPath(Write(QStringLiteral("stereo.mp3"), Mp3Frame()));
    workspace.AddPath(Fixture(QStringLiteral("vbr_mono.mp3")));
    workspace.AddPath(Fixture(QStringLiteral("mpeg2_22k.mp3")));
    workspace.AddPath(Write(QStringLiteral("layer2.mp3"), MakeFrame(3, 2, 9, 0)));
    const tessaro::MergeResult result = Merge();
    EXPECT_TRUE(result.Succeeded());
    EXPECT_EQ(result.inputsJoined, 7);
    ASSERT_EQ(result.warnings.size(), 4) << result.warnings.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(result.warnings[0],
              QStringLiteral("\"%1\" (48000 Hz) differs from the first input \"%2\" (44100 Hz); "
                             "many players play the joined file wrongly")
                  .arg(rate48k, cbr));
    EXPECT_TRUE(result.warnings[1].contains(QStringLiteral("(1 channel) differs")));
    EXPECT_TRUE(result.warnings[1].contains(QStringLiteral("(2 channels);")));
    EXPECT_TRUE(result.warnings[2].contains(QStringLiteral("(MPEG-2, 22050 Hz) differs")));
    EXPECT_TRUE(result.warnings[2].contains(QStringLiteral("(MPEG-1, 44100 Hz);")));
    EXPECT_TRUE(result.warnings[3].contains(QStringLiteral("(Layer II) differs")));
    EXPECT_TRUE(result.warnings[3].contains(QStringLiteral("(Layer III);")));
}

TEST_F(MergeJobTest, TheSameFileTwiceIsJoinedTwice) {
    const QString a = Write(QStringLiteral("a.mp3"), Mp3Frame(0x11) + Mp3Frame(0x12));
    workspace.AddPath(a);
    workspace.AddPath(a);
    EXPECT_TRUE(Merge().Succeeded());
    EXPECT_EQ(ReadAll(output), ReadAll(a) + ReadAll(a));
}

TEST_F(MergeJobTest, UnreadableInputsAreSkippedWithAWarningNamingThem) {
    const QString missing = dir.filePath(QStringLiteral("missing.mp3"));
    const QString text = Write(QStringLiteral("notes.mp3"), "just some text\n");
    const QByteArray frame = Mp3Frame();
    workspace.AddPath(missing);
    workspace.AddPath(text);
    workspace.AddPath(Write(QStringLiteral("a.mp3"), frame));
    const tessaro::MergeResult result = Merge();
    EXPECT_TRUE(result.Succeeded());
    EXPECT_EQ(ReadAll(output), frame);
    EXPECT_EQ(result.inputsJoined, 1);
    ASSERT_EQ(result.warnings.size(), 2);
    EXPECT_TRUE(result.warnings[0].contains(missing));
    EXPECT_TRUE(result.warnings[1].contains(text));
}

TEST_F(MergeJobTest, AnOutputThatIsAnInputIsRefusedBeforeAnythingIsWritten) {
    const QByteArray frames = Mp3Frame(0x11) + Mp3Frame(0x22);
    const QString input = Write(QStringLiteral("in.mp3"), frames);
    const QString link = dir.filePath(QStringLiteral("link.mp3"));
    const QString hardLink = dir.filePath(QStringLiteral("hard.mp3"));
    ASSERT_TRUE(QFile::link(input, link));
    ASSERT_EQ(::link(QFile::encodeName(input).constData(), QFile::encodeName(hardLink).constData()),
              0);
    workspace.AddPath(Write(QStringLiteral("other.mp3"), Mp3Frame(0x33)));
    workspace.AddPath(input);
    for (const QString& target :
         {input, link, hardLink, dir.path() + QStringLiteral("/./in.mp3")}) {
        const tessaro::MergeResult result = tessaro::RunMerge(workspace, target, host);
        EXPECT_FALSE(result.Succeeded()) << target.toStdString();
        EXPECT_TRUE(result.error.contains(target));
        EXPECT_EQ(ReadAll(input), frames);
    }
    EXPECT_EQ(FolderEntries(dir.path()),
              (QStringList{QStringLiteral("hard.mp3"), QStringLiteral("in.mp3"),
                           QStringLiteral("link.mp3"), QStringLiteral("other.mp3")}));
    EXPECT_EQ(host.events.count(QStringLiteral("query")), 0);
}

TEST_F(MergeJobTest, AFailedWriteLeavesTheOldTargetAndNoTemporaryFile) {
    const QByteArray old("the previous output");
    Write(QStringLiteral("out.mp3"), old);
    workspace.AddPath(Write(QStringLiteral("big.mp3"), Mp3Frames(200)));

    tessaro::MergeResult result;
    {
        const FileSizeLimit limit(20000);
        result = Merge(true);
    }

    EXPECT_FALSE(result.Succeeded());
    EXPECT_TRUE(result.error.contains(output)) << result.error.toStdString();
    EXPECT_TRUE(result.error.contains(QStringLiteral("large")) ||
                result.error.contains(QStringLiteral("space")))
        << result.error.toStdString();
    EXPECT_EQ(ReadAll(output), old);
    EXPECT_EQ(FolderEntries(dir.path()),
              (QStringList{QStringLiteral("big.mp3"), QStringLiteral("out.mp3")}));
    EXPECT_EQ(host.events.count(QStringLiteral("query")), 0);
}

TEST_F(MergeJobTest, AnOutputThatCannotBeCreatedIsAnError) {
    workspace.AddPath(Write(QStringLiteral("a.mp3"), Mp3Frame()));
    output = dir.filePath(QStringLiteral("no/such/folder/out.mp3"));
    const tessaro::MergeResult result = Merge();
    EXPECT_FALSE(result.Succeeded());
    EXPECT_TRUE(result.error.contains(output));
}

TEST_F(MergeJobTest, ASuccessfulMergeReplacesTheOldTarget) {
    Write(QStringLiteral("out.mp3"), "old contents that are longer than one frame");
    const QByteArray frame = Mp3Frame();
    workspace.AddPath(Write(QStringLiteral("a.mp3"), frame));
    EXPECT_TRUE(Merge().Succeeded());
    EXPECT_EQ(ReadAll(output), frame);
    EXPECT_EQ(FolderEntries(dir.path()),
              (QStringList{QStringLiteral("a.mp3"), QStringLiteral("out.mp3")}));
}

TEST_F(MergeJobTest, TheTagIsWrittenOnlyWhenAskedForAndWhateverTheName) {
    const QByteArray audio = ReadAll(Fixture(QStringLiteral("cbr128_stereo.mp3")));
    workspace.AddPath(Fixture(QStringLiteral("tagged_v2v1.mp3")));
    workspace.SetTag(QStringLiteral("Ålbum longer than seven"), QStringLiteral("Artïst"),
                     QStringLiteral("Title"), 2008, QStringLiteral("Comment"));

    EXPECT_TRUE(Merge(false).Succeeded());
    EXPECT_EQ(ReadAll(output), audio);

    output = dir.filePath(QStringLiteral("joined.audio"));
    const tessaro::MergeResult result = Merge(true);
    EXPECT_TRUE(result.Succeeded());
    EXPECT_TRUE(result.warnings.isEmpty());
    const QByteArray tagged = ReadAll(output);
    EXPECT_TRUE(tagged.startsWith("ID3"));
    EXPECT_TRUE(tagged.contains(audio));
    EXPECT_EQ(ReadTag(output),
              (TagValues{"Ålbum longer than seven", "Artïst", "Title", "Comment", 2008}));
}

TEST_F(MergeJobTest, AYearOfZeroOrBelowWritesNoYear) {
    workspace.AddPath(Fixture(QStringLiteral("cbr128_stereo.mp3")));
    workspace.SetTag(QStringLiteral("Album"), QString(), QString(), -5, QString());
    EXPECT_TRUE(Merge(true).Succeeded());
    EXPECT_EQ(ReadTag(output), (TagValues{"Album", "", "", "", 0}));
}

TEST_F(MergeJobTest, TotalSizeCountsWholeFilesAndNothingForMissingOnes) {
    workspace.AddPath(Fixture(QStringLiteral("tagged_v2v1.mp3")));
    workspace.AddPath(dir.filePath(QStringLiteral("missing.mp3")));
    workspace.AddPath(Fixture(QStringLiteral("tagged_v2v1.mp3")));
    EXPECT_EQ(tessaro::GetTotalFileSize(workspace), 2 * 9683);
}

}  // namespace
