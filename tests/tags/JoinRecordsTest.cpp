#include "tags/JoinRecords.h"

#include <gtest/gtest.h>
#include <taglib/chapterframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/tableofcontentsframe.h>
#include <taglib/textidentificationframe.h>

#include <QTemporaryDir>
#include <string>
#include <tuple>
#include <vector>

#include "TestFiles.h"
#include "tags/Tags.h"

namespace {

using namespace testing_files;

// An ID3v2.4 frame `id` holding `body`, without flags.
QByteArray FrameOf(const char* id, const QByteArray& body) {
    return id + SizeBytes(quint32(body.size()), true) + QByteArray(2, '\0') + body;
}

// A PRIV frame of the owner the records go by, holding `data`.
QByteArray PartsFrame(const QByteArray& data) {
    return FrameOf("PRIV", QByteArray("Zovi Tessaro parts", 19) + data);
}

// A record's 12 bytes, big-endian.
QByteArray RecordBytes(quint32 firstFrame, quint32 frames, quint16 delay, quint16 padding) {
    return SizeBytes(firstFrame, false) + SizeBytes(frames, false) + char(delay >> 8) +
           char(delay) + char(padding >> 8) + char(padding);
}

// A chapter frame `id` from `startMs` to `endMs`, without byte offsets, holding `frames`.
QByteArray ChapterOf(const QByteArray& id, quint32 startMs, quint32 endMs,
                     const QByteArray& frames) {
    return FrameOf("CHAP", id + '\0' + SizeBytes(startMs, false) + SizeBytes(endMs, false) +
                               QByteArray(8, '\xFF') + frames);
}

// The chapters read as titles, times, whether listed and records.
using ChapterRow =
    std::tuple<std::string, quint32, quint32, bool, std::optional<tessaro::JoinRecord>>;
std::vector<ChapterRow> Rows(const std::vector<tessaro::FileChapter>& chapters) {
    std::vector<ChapterRow> rows;
    for (const tessaro::FileChapter& read : chapters) {
        const tessaro::Chapter& chapter = read.chapter;
        rows.emplace_back(chapter.title.toStdString(), chapter.startMs, chapter.endMs,
                          chapter.listed, read.record);
    }
    return rows;
}

class JoinRecordsTest : public ::testing::Test {
protected:
    // The file of `tag` in front of two frames.
    QString TagFile(const QByteArray& tag) {
        return WriteAll(dir.filePath(QStringLiteral("tagged.mp3")), tag + Mp3Frames(2));
    }

    QTemporaryDir dir;
};

// Rendered before the audio, the records are set in place, in either version, in the frame of
// them all and in the chapter frames that start at their inputs, behind frames whose sizes read
// otherwise as synchsafe numbers; and only as many as it was rendered with.
TEST_F(JoinRecordsTest, RecordsAreSetInPlaceInTheTagAndInTheChaptersOfTheirInputs) {
    tessaro::JoinedTag tag;
    tag.shared = {{"TXXX", QStringLiteral("Notes"), {}, {QString(300, u'n')}}};
    const QString longTitle(150, u'T');  // 151 bytes in ID3v2.4, 303 in ID3v2.3
    tag.chapters = {
        {QStringLiteral("One"), 0, 0}, {longTitle, 0, 0}, {QStringLiteral("Three"), 0, 0}};
    tag.records.emplace(3);
    tag.chapterRecords = {std::nullopt, 1, 2};
    const std::vector<tessaro::JoinRecord> records{
        {0, 70000, 576, 1000}, {70000, 20, 0, 0}, {70025, 0x10203, 0x1234, 4095}};
    const std::vector<tessaro::Chapter> timed{{QStringLiteral("One"), 0, 1234},
                                              {longTitle, 1234, 5000},
                                              {QStringLiteral("Three"), 5000, 98765}};
    for (const bool id3v23 : {false, true}) {
        SCOPED_TRACE(id3v23);
        tag.id3v23 = id3v23;
        tessaro::TagBytes bytes = tessaro::RenderJoinedTag(tag);
        const QByteArray planned = bytes.front;
        EXPECT_FALSE(tessaro::SetJoinRecords(bytes, {records[0], records[1]}));
        EXPECT_EQ(bytes.front, planned);
        ASSERT_TRUE(tessaro::SetJoinRecords(bytes, records));
        ASSERT_TRUE(tessaro::SetChapterTimes(bytes, timed));
        EXPECT_EQ(bytes.front.size(), planned.size());
        EXPECT_TRUE(bytes.front.contains(
            QByteArray("Zovi Tessaro parts\0\1", 20) + RecordBytes(0, 70000, 576, 1000) +
            RecordBytes(70000, 20, 0, 0) + RecordBytes(70025, 0x10203, 0x1234, 4095)));
        const QString path = TagFile(bytes.front);
        EXPECT_EQ(tessaro::ReadJoinRecords(path), records);
        EXPECT_EQ(Rows(tessaro::ReadFileChapters(path)),
                  (std::vector<ChapterRow>{{"One", 0, 1234, true, {}},
                                           {longTitle.toStdString(), 1234, 5000, true, records[1]},
                                           {"Three", 5000, 98765, true, records[2]}}));
    }
}

// Records alone make no tag; beside a value, they are a frame of their own.
TEST_F(JoinRecordsTest, RecordsRideAlongWithATagWrittenAnyway) {
    tessaro::JoinedTag tag;
    tag.records = {{0, 3, 0, 0}};
    EXPECT_TRUE(tessaro::RenderJoinedTag(tag).front.isEmpty());
    tag.typed = tessaro::OutputTag{QStringLiteral("Album")};
    const QString path = TagFile(tessaro::RenderJoinedTag(tag).front);
    EXPECT_EQ(FrameIds(path), (std::vector<std::string>{"TALB", "PRIV"}));
    EXPECT_EQ(tessaro::ReadJoinRecords(path), tag.records);
}

// Records that are not whole, or of another version, or of another owner, are none; a chapter
// whose frame holds such a record, or more than one, is read without.
TEST_F(JoinRecordsTest, DamagedRecordsAreNone) {
    const QByteArray record = RecordBytes(0x01020304, 0x0A0B0C0D, 0x0E0F, 0x1011);
    EXPECT_EQ(tessaro::ReadJoinRecords(TagFile(Id3v2Of(4, PartsFrame('\1' + record)))),
              (std::vector<tessaro::JoinRecord>{{0x01020304, 0x0A0B0C0D, 0x0E0F, 0x1011}}));
    EXPECT_EQ(
        tessaro::ReadJoinRecords(TagFile(Id3v2Of(
            4, FrameOf("PRIV", QByteArray("Other\0", 6) + "x") + PartsFrame(QByteArray(1, '\1'))))),
        std::vector<tessaro::JoinRecord>{})
        << "another owner's frame passed over, and no input is no damage";
    for (const QByteArray& damaged :
         {'\2' + record, '\1' + record.left(11), '\1' + record + '\0', QByteArray()}) {
        SCOPED_TRACE(damaged.toHex().toStdString());
        const QString path = TagFile(Id3v2Of(4, PartsFrame(damaged)));
        EXPECT_EQ(tessaro::ReadJoinRecords(path), std::nullopt);
    }
    EXPECT_EQ(tessaro::ReadJoinRecords(TagFile(QByteArray())), std::nullopt);
    EXPECT_EQ(tessaro::ReadJoinRecords(dir.filePath(QStringLiteral("missing.mp3"))), std::nullopt);

    const QString chapters = TagFile(Id3v2Of(
        4, ChapterOf("a", 0, 10, PartsFrame('\2' + record)) +
               ChapterOf("b", 10, 20, PartsFrame('\1' + record + record)) +
               ChapterOf("c", 20, 30, PlainFrame(4, "TIT2", "C") + PartsFrame('\1' + record))));
    EXPECT_EQ(
        Rows(tessaro::ReadFileChapters(chapters)),
        (std::vector<ChapterRow>{
            {"", 0, 10, true, {}},
            {"", 10, 20, true, {}},
            {"C", 20, 30, true, tessaro::JoinRecord{0x01020304, 0x0A0B0C0D, 0x0E0F, 0x1011}}}));
}

// The chapters come as the top-level table of contents lists them, through the tables it lists,
// each once; one it does not list comes by its start among them. Without such a table, all come
// by their starts.
TEST_F(JoinRecordsTest, ChaptersComeAsTheTableOfContentsListsThemAndTheOthersByTheirStarts) {
    const auto chapter = [](const char* id, quint32 startMs, const char* title) {
        TagLib::ID3v2::FrameList embedded;
        auto* text = new TagLib::ID3v2::TextIdentificationFrame("TIT2", TagLib::String::UTF8);
        text->setText(title);
        embedded.append(text);
        return new TagLib::ID3v2::ChapterFrame(id, startMs, startMs + 500, 0xFFFFFFFF, 0xFFFFFFFF,
                                               embedded);
    };
    const auto table = [](const char* id, const TagLib::ByteVectorList& children, bool top) {
        auto* frame = new TagLib::ID3v2::TableOfContentsFrame(id, children);
        frame->setIsTopLevel(top);
        return frame;
    };
    for (const bool tables : {true, false}) {
        SCOPED_TRACE(tables);
        TagLib::ID3v2::Tag tag;
        tag.addFrame(chapter("c3", 2000, "Three"));
        tag.addFrame(chapter("u", 1500, "Between"));
        tag.addFrame(chapter("c1", 0, "One"));
        tag.addFrame(chapter("c2", 1000, "Two"));
        if (tables) {
            // "inner" lists the top-level table again, and "c1" twice.
            tag.addFrame(table("inner", TagLib::ByteVectorList::split("c1 top c1", " "), false));
            tag.addFrame(
                table("top", TagLib::ByteVectorList::split("c2 inner c3 missing", " "), true));
        }
        const TagLib::ByteVector rendered = tag.render();
        const QString path = TagFile(QByteArray(rendered.data(), qsizetype(rendered.size())));
        EXPECT_EQ(Rows(tessaro::ReadFileChapters(path)),
                  tables ? (std::vector<ChapterRow>{{"Two", 1000, 1500, true, {}},
                                                    {"One", 0, 500, true, {}},
                                                    {"Between", 1500, 2000, false, {}},
                                                    {"Three", 2000, 2500, true, {}}})
                         : (std::vector<ChapterRow>{{"One", 0, 500, true, {}},
                                                    {"Two", 1000, 1500, true, {}},
                                                    {"Between", 1500, 2000, true, {}},
                                                    {"Three", 2000, 2500, true, {}}}));
    }
    EXPECT_TRUE(tessaro::ReadFileChapters(TagFile(QByteArray())).empty());
}

}  // namespace
