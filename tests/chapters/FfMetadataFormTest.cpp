#include <gtest/gtest.h>

#include "FormCase.h"

namespace {

using namespace form_case;
using tessaro::ChapterForm;

// An FFMETADATA file as ffmpeg writes it, [STREAM] sections and escapes included; what ffmpeg
// would read other chapters from is refused.
TEST(FfMetadataFormTest, ReadWrittenToldAndRefusedAsFfmpegReadsIt) {
    ExpectForm(
        {tessaro::ChapterForm::FfMetadata,
         "c.ffmeta",
         ";FFMETADATA1\ntitle=Book\nencoder=Lavf60\n[CHAPTER]\nTIMEBASE=1/1000000\n;c\nSTART=0\n"
         "END=1500000\nTitle=Eins\\=1\n[STREAM]\ntitle=nobody's\n[CHAPTER]\nTIMEBASE=1/44100\n"
         "START=88200\nEND=90000\ntitle=Zwei \\\\ \\;\\#\\",
         {{"Eins=1", 0, 1500, true}, {"Zwei \\ ;#", 2000, 2041, true}},
         ";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=1500\ntitle=Intro\n[CHAPTER]\n"
         "TIMEBASE=1/1000\nSTART=1500\nEND=2000\ntitle=Teil \"2\"\\; a\\=b \\#3 \\\\ Ende\n",
         ";FFMETADATA1\ntitle=Book\n",
         {{"[CHAPTER]\nSTART=0\ntitle=A\n", "line 1: it does not start with \";FFMETADATA1\""},
          // Where ffmpeg would read other chapters or none: its START and END, one line each in
          // that order, behind the [CHAPTER] and a TIMEBASE (the line after START taken as END
          // whatever it says), and lines ending in a backslash, escaped or not, run on.
          {";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\ntitle=A\n",
           "line 4: \"title=A\" stands where ffmpeg reads the chapter's START (\"START=0\")"},
          {";FFMETADATA1\n[CHAPTER]\nSTART=0\ntitle=A\nEND=5\n",
           "line 4: \"title=A\" stands where ffmpeg reads the chapter's END"},
          {";FFMETADATA1\n[CHAPTER]\nSTART=0\n", "line 2: the [CHAPTER] has no END"},
          {";FFMETADATA1\n[CHAPTER]\nSTART=5\nEND=4\n", "line 4: END=4 comes before the START (5)"},
          {";FFMETADATA1\r\n[CHAPTER]\r\n\r\nSTART=0\r\nEND=1\r\n",
           "line 3: \"\uFFFD\" stands where ffmpeg reads the chapter's START"},
          {";FFMETADATA1\n[CHAPTER]\rSTART=0\n",
           "line 2: a carriage return stands apart from a line feed"},
          {";FFMETADATA1\n[CHAPTERS]\n", "line 2: \"[CHAPTERS]\" is no section ffmpeg reads"},
          {";FFMETADATA1\n[CHAPTER]\nSTART=0\nEND=1\ntitle=A\\\nB\n",
           "line 2: the title holds a control character (U+000A) at character 2"},
          {";FFMETADATA1\n[CHAPTER]\nSTART=0\nEND=1\ntitle=A\\\\\n[CHAPTER]\nSTART=2\nEND=3\n",
           "line 2: the title holds a control character (U+000A) at character 3"},
          {";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/0\nSTART=0\n", "line 3: TIMEBASE=\"1/0\" is not"},
          {";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=36000000\nEND=36000000\n",
           "line 2: 10:00:00.000 is not before the end of the joined audio (10:00:00.000)"},
          {";FFMETADATA1\n[CHAPTER]\nSTART=x\n", "line 3: START=\"x\" is not a whole number"},
          {";FFMETADATA1\n[CHAPTER]\nSTART=0\nEND=1\nSTART\n", "line 5: \"START\" is neither"}}});
}

// As ffmpeg reads them (measured with ffmpeg -f ffmetadata and ffprobe -show_chapters): TIMEBASE,
// START and END only in capitals, as it matches them letter for letter; a title's key in any
// case, the last given winning, as ffmpeg keeps one of a key whatever its case.
TEST(FfMetadataFormTest, TimesInCapitalsAloneAndATitleInAnyCase) {
    QString error;
    const auto read = tessaro::ParseChapters(
        QStringLiteral(";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=200\nTITLE=Upper\n"
                       "[CHAPTER]\nTIMEBASE=1/1000\nSTART=400\nEND=500\ntitle=a\nTiTlE=b\n"),
        ChapterForm::FfMetadata, kEndMs, &error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(Seen(*read), (Chapters{{"Upper", 0, 200, true}, {"b", 400, 500, true}}));
    for (const auto& [text, why] : std::vector<std::pair<const char*, const char*>>{
             {"[CHAPTER]\ntimebase=1/1000\nSTART=0\nEND=1\n",
              "line 3: \"timebase=1/1000\" stands where ffmpeg reads the chapter's START"},
             {"[CHAPTER]\nTIMEBASE=1/1000\nstart=0\nEND=1\n",
              "line 4: \"start=0\" stands where ffmpeg reads the chapter's START"},
             {"[CHAPTER]\nStart=0\nEND=1\n",
              "line 3: \"Start=0\" stands where ffmpeg reads the chapter's START"},
             {"[CHAPTER]\nSTART=0\nend=1\n",
              "line 4: \"end=1\" stands where ffmpeg reads the chapter's END"}}) {
        EXPECT_FALSE(tessaro::ParseChapters(QStringLiteral(";FFMETADATA1\n") + QLatin1String(text),
                                            ChapterForm::FfMetadata, kEndMs, &error));
        EXPECT_TRUE(error.startsWith(QLatin1String(why))) << error.toStdString();
    }
}

}  // namespace
