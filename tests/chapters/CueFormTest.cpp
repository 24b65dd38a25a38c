#include <gtest/gtest.h>

#include "FormCase.h"

namespace {

using namespace form_case;
using tessaro::Chapter;
using tessaro::ChapterForm;

// A CUE sheet as rippers and audiobook tools write it, its commands in either case, a title
// quoted or not; what is not a sheet's line, an INDEX that is not mm:ss:ff or stands before any
// TRACK, and a TRACK without INDEX 01 are refused.
TEST(CueFormTest, ReadWrittenToldAndRefusedAsTheSheetSays) {
    ExpectForm(
        {tessaro::ChapterForm::Cue,
         "c.cue",
         "REM GENRE Audiobook\nPERFORMER \"Ada\"\nTITLE \"Book\"\nFILE \"book.m4b\" MP4\n"
         "  TRACK 01 AUDIO\n    TITLE \"Anfang\"\n    INDEX 00 00:00:00\n    INDEX 01 00:00:00\n"
         "  TRACK 02 AUDIO\n    title Zwei \"ohne\" Zeichen\n    INDEX 01 01:02:74\n",
         {{"Anfang", 0, 62987, true}, {"Zwei \"ohne\" Zeichen", 62987, kEndMs, true}},
         "PERFORMER \"Ada Lövelace\"\nTITLE \"Das Buch\"\nFILE \"book.mp3\" MP3\n"
         "  TRACK 01 AUDIO\n    TITLE \"Intro\"\n    PERFORMER \"Ada Lövelace\"\n"
         "    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    TITLE \"Teil '2'; a=b #3 \\ Ende\"\n"
         "    PERFORMER \"Ada Lövelace\"\n    INDEX 01 00:01:38\n",
         "REM nothing\n",
         {{"FILE \"a\" MP3\nTRACK 01 AUDIO\n  TITLE \"A\"\n", "line 2: the TRACK has no INDEX 01"},
          {"TRACK 1 AUDIO\nTITLE A\nINDEX 01 00:00:75\n", "line 3: \"INDEX 01 00:00:75\" is not"},
          {"TRACK 01 AUDIO\nTITLE \"A\x01\"\nINDEX 01 00:00:00\n",
           "line 3: the title holds a "
           "control character (U+0001)"},
          {"TITLE \"A\"\nINDEX 01 00:00:00\n", "line 2: an INDEX stands before any TRACK"},
          {"TRACK 01 AUDIO\nTITLE A\nINDEX 01 01:00:00\nTRACK 02 AUDIO\nTITLE B\n"
           "INDEX 01 00:50:00\n",
           "line 6: 00:00:50.000 does not come after the chapter before (00:01:00.000)"},
          {"TRACK 01 AUDIO\nJUNK\n", "line 2: \"JUNK\" is not a line of a CUE sheet"}}});
}

TEST(CueFormTest, StartsGoToTheNearestFrameAndNoMoreThanNinetyNineTracks) {
    // A CUE sheet's times go to the nearest of its frames, read and written, but never to one
    // past where the chapter ends; it cannot tell two starts within 1/75 s apart, nor hold more
    // than 99 tracks.
    QString error;
    const auto cueStarts = [&](const std::vector<Chapter>& chapters, quint32 endMs) {
        std::vector<quint32> read;
        const std::optional<QByteArray> cue =
            tessaro::FormatChapters(chapters, ChapterForm::Cue, Sheet(), &error);
        const auto again =
            cue ? tessaro::ParseChapters(QString::fromUtf8(*cue), ChapterForm::Cue, endMs, &error)
                : std::nullopt;
        for (const Chapter& chapter : again.value_or(std::vector<Chapter>())) {
            read.push_back(chapter.startMs);
        }
        return read;
    };
    EXPECT_EQ(cueStarts({{QStringLiteral("A"), 0, 7}, {QStringLiteral("B"), 7, 20}}, 20),
              (std::vector<quint32>{0, 13}));
    EXPECT_EQ(cueStarts({{QStringLiteral("A"), 0, 20}, {QStringLiteral("B"), 20, 34}}, 34),
              (std::vector<quint32>{0, 27}));
    EXPECT_EQ(cueStarts({{QStringLiteral("A"), 0, 1007}, {QStringLiteral("B"), 1007, 1010}}, 1010),
              (std::vector<quint32>{0, 1000}));
    EXPECT_TRUE(cueStarts({{QStringLiteral("A"), 0, 6}, {QStringLiteral("B"), 6, 20}}, 20).empty());
    EXPECT_TRUE(error.contains(QStringLiteral("chapters 1 and 2 start within one 1/75 s")));
    EXPECT_FALSE(tessaro::FormatChapters(std::vector<Chapter>(100, TwoChapters()[0]),
                                         ChapterForm::Cue, Sheet(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("at most 99 tracks, not 100 chapters")));
}

// Only INDEX 01 starts a track, as libcue and cuetools' cuebreakpoints take it: an INDEX 00
// (a pregap) before it and an INDEX 02 after it move no chapter, and a track of an INDEX 00
// alone has no start.
TEST(CueFormTest, OnlyIndexOneStartsATrack) {
    QString error;
    const auto read = tessaro::ParseChapters(
        QStringLiteral("FILE \"book.mp3\" MP3\n  TRACK 01 AUDIO\n    TITLE \"A\"\n"
                       "    INDEX 01 00:00:00\n    INDEX 02 00:10:00\n  TRACK 02 AUDIO\n"
                       "    TITLE \"B\"\n    INDEX 00 00:15:00\n    INDEX 01 00:20:00\n"
                       "    INDEX 02 00:30:00\n  TRACK 03 AUDIO\n    TITLE \"C\"\n"
                       "    INDEX 01 00:35:00\n"),
        ChapterForm::Cue, kEndMs, &error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(
        Seen(*read),
        (Chapters{{"A", 0, 20000, true}, {"B", 20000, 35000, true}, {"C", 35000, kEndMs, true}}));
    EXPECT_FALSE(tessaro::ParseChapters(
        QStringLiteral(
            "TRACK 01 AUDIO\n  INDEX 01 00:00:00\nTRACK 02 AUDIO\n  INDEX 00 00:05:00\n"),
        ChapterForm::Cue, kEndMs, &error));
    EXPECT_EQ(error, QStringLiteral("line 3: the TRACK has no INDEX 01"));
}

}  // namespace
