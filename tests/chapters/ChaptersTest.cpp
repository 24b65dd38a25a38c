#include "chapters/Chapters.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "FormCase.h"
#include "chapters/ChapterForms.h"

namespace {

using form_case::ExpectReadBack;

// The form a text is in is told by its first line that is not blank, whatever the order the forms
// are tried in: no two forms take one line (a label's starts with a number, as the lines' do);
// where none takes it, the extension tells.
TEST(ChaptersTest, TheFirstLineThatIsNotBlankTellsTheFormAndElseTheExtension) {
    using tessaro::ChapterForm;
    const std::vector<std::tuple<const char*, const char*, ChapterForm>> texts{
        {"\uFEFF\n \r\n  {\"chapters\": []}", "c.txt", ChapterForm::Json},
        {";FFMETADATA1\n", "c.txt", ChapterForm::FfMetadata},
        {"12.5\t13\tA\n", "c.txt", ChapterForm::Labels},
        {"12\t13\tA\n", "c.cue", ChapterForm::Labels},
        {" 12\t13\tA\n", "c.json", ChapterForm::Lines},
        {"12:00 A\n", "c.json", ChapterForm::Lines},
        {"\n\nrem x\nTRACK 01 AUDIO\n", "c.txt", ChapterForm::Cue},
        {"  PERFORMER \"A\"\n", "c.json", ChapterForm::Cue},
        {"Chapter 1\n00:00 A\n", "c.cue", ChapterForm::Cue},
        {"Chapter 1\n00:00 A\n", "c.txt", ChapterForm::Lines},
        {"#;FFMETADATA1\n", "c.labels", ChapterForm::Labels},
    };
    for (const auto& [text, name, form] : texts) {
        const QString line = QString::fromUtf8(text);
        EXPECT_EQ(tessaro::GuessChapterForm(line, QLatin1String(name)), form) << text;
        const QStringList lines = tessaro::chapter_forms::LinesOf(line);
        const QString first = *std::find_if(lines.begin(), lines.end(), [](const QString& each) {
            return !each.trimmed().isEmpty();
        });
        int taking = 0;
        for (const tessaro::chapter_forms::ChapterFormat* format :
             tessaro::chapter_forms::Formats()) {
            taking += format->sniff(first) ? 1 : 0;
        }
        EXPECT_LE(taking, 1) << text;
    }
}

// What a reader of a form would misread in a title, the CUE sheet's names or the separator the
// lines may put before a title, goes out so that it reads back alike, one chapter for each, and
// as this program reads it: a line or paragraph separator as a space, the white space around a
// title dropped; in a CUE sheet a " as ', and in it and in FFMETADATA a backslash that ends a
// text (which cuetools and ffmpeg take to escape what follows) as U+2216.
TEST(ChaptersTest, TitlesReadersWouldMisreadGoOutSoThatTheyReadBackAlike) {
    using tessaro::ChapterForm;
    const std::vector<const char*> titles{"Ends in \\",
                                          "\"Quoted\" and 'single'",
                                          "Line\u2028Paragraph\u2029End",
                                          "a=b; c#d \\= e",
                                          "  Spaced  ",
                                          "",
                                          "- Dash first",
                                          "\u2014",
                                          ": Colon | bar",
                                          "#;[CHAPTER]",
                                          "title=x\\\\"};
    // Read back from the lines, JSON and labels.
    std::vector<std::string> plain(titles.begin(), titles.end());
    plain[2] = "Line Paragraph End";
    plain[4] = "Spaced";
    std::vector<std::string> ff = plain;
    ff[0] = "Ends in \u2216";
    ff[10] = "title=x\\\u2216";
    std::vector<std::string> cue = ff;
    cue[1] = "'Quoted' and 'single'";
    std::vector<tessaro::Chapter> chapters;
    for (size_t i = 0; i < titles.size(); ++i) {
        chapters.push_back(
            {QString::fromUtf8(titles[i]), quint32(i * 1000), quint32(i * 1000 + 1000)});
    }
    const tessaro::ChapterSheet sheet{QStringLiteral("Book \"1\"\\.mp3"),
                                      QStringLiteral(" Title\\ "),
                                      QStringLiteral("Ada\u2028\"Lovelace\"")};
    ExpectReadBack<std::string>(
        chapters, sheet,
        {{ChapterForm::Lines, plain},
         {ChapterForm::Cue, cue},
         {ChapterForm::FfMetadata, ff},
         {ChapterForm::Json, plain},
         {ChapterForm::Labels, plain}},
        [](const tessaro::Chapter& chapter) { return chapter.title.toStdString(); });
    QString error;
    EXPECT_TRUE(tessaro::FormatChapters(chapters, ChapterForm::Cue, sheet, &error)
                    ->startsWith("PERFORMER \"Ada 'Lovelace'\"\nTITLE \"Title\u2216\"\n"
                                 "FILE \"Book '1'\\.mp3\" MP3\n"));
}

}  // namespace
