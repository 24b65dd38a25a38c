#include "tags/Tags.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <string>
#include <tuple>
#include <vector>

#include "TestFiles.h"

namespace {

using namespace testing_files;

// Past 255 tables of 255 chapters, the top-level table lists tables of those in turn.
TEST(JoinedTagTest, PastTwoHundredFiftyFiveTablesOfChaptersTablesListTables) {
    tessaro::JoinedTag tag;
    tag.name = QStringLiteral("Book");
    const quint32 count = 255 * 255 + 1;
    for (quint32 i = 0; i < count; ++i) {
        tag.chapters.push_back({QString::number(i + 1), i, i + 1});
    }
    const QTemporaryDir dir;
    const ChapterTables read = ReadChapterTables(
        WriteAll(dir.filePath(QStringLiteral("tag.mp3")), tessaro::RenderJoinedTag(tag).front));
    ASSERT_EQ(read.chapters.size(), count);
    EXPECT_EQ(read.chapters.back().title, "65026");
    // 256 tables of chapters, then 2 of tables, then the top-level one.
    ASSERT_EQ(read.tables.size(), 259u);
    const auto summary = [](const ChapterTables::Table& table) {
        return std::tuple(table.id, table.title, table.topLevel, table.children.size(),
                          table.children.front(), table.children.back());
    };
    EXPECT_EQ(summary(read.tables[254]),
              std::tuple("toc254", "Chapters 64771–65025", false, 255u, "chp64770", "chp65024"));
    EXPECT_EQ(summary(read.tables[255]),
              std::tuple("toc255", "Chapter 65026", false, 1u, "chp65025", "chp65025"));
    EXPECT_EQ(summary(read.tables[256]),
              std::tuple("toc256", "Chapters 1–65025", false, 255u, "toc0", "toc254"));
    EXPECT_EQ(summary(read.tables[257]),
              std::tuple("toc257", "Chapter 65026", false, 1u, "toc255", "toc255"));
    EXPECT_EQ(summary(read.tables[258]), std::tuple("toc", "Book", true, 2u, "toc256", "toc257"));
}

TEST(JoinedTagTest, ATagIsRefusedOnceItsSizeNoLongerFitsTheHeadersTwentyEightBits) {
    const qint64 largest = 10 + (1 << 28) - 1;  // the header and what its size field can state
    EXPECT_TRUE(tessaro::TagTooLarge(largest).isEmpty());
    EXPECT_TRUE(tessaro::TagTooLarge(largest + 1).contains(QStringLiteral("268435466 bytes")));
}

// The tag is rendered once, before its chapters' times are known: they are set in place, in
// either version, behind a frame whose size reads otherwise as a synchsafe number; and only in
// the chapters it was rendered with.
TEST(JoinedTagTest, ChapterTimesAreSetInTheRenderedTagOnlyForTheChaptersItHolds) {
    tessaro::JoinedTag tag;
    tag.shared = {{"TXXX", QStringLiteral("Notes"), {}, {QString(300, u'n')}}};
    tag.chapters = {{QStringLiteral("One"), 0, 0}, {QStringLiteral("Two"), 0, 0}};
    const std::vector<tessaro::Chapter> timed{{QStringLiteral("One"), 0, 1234},
                                              {QStringLiteral("Two"), 1234, 98765}};
    QTemporaryDir dir;
    for (const bool id3v23 : {false, true}) {
        SCOPED_TRACE(id3v23);
        tag.id3v23 = id3v23;
        tessaro::TagBytes bytes = tessaro::RenderJoinedTag(tag);
        const QByteArray planned = bytes.front;
        EXPECT_FALSE(tessaro::SetChapterTimes(bytes, {timed[0]}));
        EXPECT_FALSE(tessaro::SetChapterTimes(bytes, {timed[0], {QStringLiteral("Zwei"), 1, 2}}));
        EXPECT_EQ(bytes.front, planned);
        ASSERT_TRUE(tessaro::SetChapterTimes(bytes, timed));
        const QString path =
            WriteAll(dir.filePath(QStringLiteral("timed.mp3")), bytes.front + Mp3Frames(2));
        std::vector<std::tuple<std::string, quint32, quint32>> chapters;
        for (const ChapterTables::Chapter& chapter : ReadChapterTables(path).chapters) {
            chapters.emplace_back(chapter.title, chapter.startMs, chapter.endMs);
        }
        EXPECT_EQ(chapters, (decltype(chapters){{"One", 0, 1234}, {"Two", 1234, 98765}}));
        EXPECT_EQ(bytes.front.size(), planned.size());
    }
}

}  // namespace
