#include <gtest/gtest.h>

#include "FormCase.h"

namespace {

using namespace form_case;

// Lines as show notes, audiobook tools and video descriptions write them, a byte order mark, CR
// LF and blank lines passed over.
TEST(LinesFormTest, ReadWrittenToldAndRefusedAsTheLinesSay) {
    ExpectForm(
        {tessaro::ChapterForm::Lines,
         "c.txt",
         "\xEF\xBB\xBF"
         "0:00 Intro\r\n1:02:03 - Zwei\n75:30.25  \xE2\x80\x94  Drei \n",
         {{"Intro", 0, 3723000, true},
          {"Zwei", 3723000, 4530250, true},
          {"Drei", 4530250, kEndMs, true}},
         "00:00:00.000 Intro\n00:00:01.500 Teil \"2\"; a=b #3 \\ Ende\n",
         "\n \n",
         {{"0:05 A\n0:05 B\n", "line 2: 00:00:05.000 does not come after the chapter before"},
          {"0:00 A\n600:00 B\n", "line 2: 10:00:00.000 is not before the end"}}});
}

// A byte order mark at a title's edge goes as white space does, as JSON's decoding drops one
// where a text begins: the title reads back the same from every form. Read, a separator between
// time and title goes, one within a title stays.
TEST(LinesFormTest, WhatStandsAroundATitleGoesAndWhatIsInItStays) {
    QString error;
    const auto withMark = tessaro::ParseChapters(QStringLiteral("00:00:01.000 \uFEFFIntro\uFEFF"),
                                                 tessaro::ChapterForm::Lines, 10000, &error);
    ASSERT_TRUE(withMark) << error.toStdString();
    EXPECT_EQ(withMark->front().title, QStringLiteral("Intro"));
    const auto separated =
        tessaro::ParseChapters(QStringLiteral("00:00 -\n00:01 -Part\n00:02 | x\n00:03 x - y\n"),
                               tessaro::ChapterForm::Lines, kEndMs, &error);
    ASSERT_TRUE(separated) << error.toStdString();
    std::vector<std::string> read;
    for (const tessaro::Chapter& chapter : *separated) {
        read.push_back(chapter.title.toStdString());
    }
    EXPECT_EQ(read, (std::vector<std::string>{"", "-Part", "x", "x - y"}));
}

}  // namespace
