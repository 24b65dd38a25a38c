#include "workspace/TessaroWorkSpace.h"

#include <gtest/gtest.h>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include <QTemporaryDir>
#include <algorithm>
#include <array>

#include "TestFiles.h"

#include "workspace/Exception.h"
#include "workspace/NaturalOrder.h"
#include "workspace/PlainTrackList.h"

namespace {

using tessaro::TessaroWorkSpace;

class TessaroWorkSpaceTest : public ::testing::Test {
protected:
    void Fill(const QStringList& paths) {
        for (const QString& path : paths) {
            workspace.AddPath(path);
        }
    }
    // The workspace and the list name the same files in the same order.
    void ExpectOrder(const QStringList& expected) {
        EXPECT_EQ(workspace.Paths(), expected);
        EXPECT_EQ(list.Entries(), expected);
    }

    const QString A = QStringLiteral("/music/a.mp3");
    const QString B = QStringLiteral("/music/b.mp3");
    const QString C = QStringLiteral("/music/ç.mp3");
    tessaro::PlainTrackList list;
    TessaroWorkSpace workspace{list};
};

TEST_F(TessaroWorkSpaceTest, StartsEmpty) {
    EXPECT_TRUE(workspace.Tag().album.isEmpty());
    EXPECT_TRUE(workspace.Tag().artist.isEmpty());
    EXPECT_TRUE(workspace.Tag().title.isEmpty());
    EXPECT_TRUE(workspace.Tag().comment.isEmpty());
    EXPECT_EQ(workspace.Tag().year, 0);
    ExpectOrder({});
}

TEST_F(TessaroWorkSpaceTest, AddAndRemoveKeepTheListInStep) {
    Fill({A, B, A});
    ExpectOrder({A, B, A});
    workspace.RemoveAt(1);
    ExpectOrder({A, A});
    EXPECT_THROW(workspace.RemoveAt(2), x::BadBound);
    EXPECT_THROW(workspace.RemoveAt(-1), x::BadBound);
    ExpectOrder({A, A});
}

TEST_F(TessaroWorkSpaceTest, MoveEntryExchangesWithTheNeighbourAndSelectsIt) {
    Fill({A, B, C});
    workspace.MoveEntry(1, TessaroWorkSpace::Up);
    ExpectOrder({B, A, C});
    EXPECT_EQ(list.Selection(), 0);
    workspace.MoveEntry(1, TessaroWorkSpace::Down);
    ExpectOrder({B, C, A});
    EXPECT_EQ(list.Selection(), 2);
}

TEST_F(TessaroWorkSpaceTest, MoveEntryPastEitherEndRaisesAndChangesNothing) {
    Fill({A, B, C});
    list.SelectTrack(1);
    EXPECT_THROW(workspace.MoveEntry(0, TessaroWorkSpace::Up), x::BadBound);
    EXPECT_THROW(workspace.MoveEntry(2, TessaroWorkSpace::Down), x::BadBound);
    EXPECT_THROW(workspace.MoveEntry(3, TessaroWorkSpace::Up), x::BadBound);
    ExpectOrder({A, B, C});
    EXPECT_EQ(list.Selection(), 1);

    workspace.Clear();
    Fill({A});
    EXPECT_THROW(workspace.MoveEntry(0, TessaroWorkSpace::Up), x::BadBound);
    EXPECT_THROW(workspace.MoveEntry(0, TessaroWorkSpace::Down), x::BadBound);
    ExpectOrder({A});
}

TEST_F(TessaroWorkSpaceTest, MoveRowsPutsAPathBeforeTheOneDroppedOn) {
    Fill({A, B, C});
    workspace.MoveRows({0}, 2);
    EXPECT_EQ(workspace.Paths(), (QStringList{B, A, C}));
    workspace.MoveRows({2}, 0);
    EXPECT_EQ(workspace.Paths(), (QStringList{C, B, A}));
    workspace.MoveRows({1}, 1);
    EXPECT_EQ(workspace.Paths(), (QStringList{C, B, A}));
    EXPECT_THROW(workspace.MoveRows({3}, 0), x::BadBound);
    EXPECT_THROW(workspace.MoveRows({0}, 4), x::BadBound);
    ExpectOrder({C, B, A});
    // The moved path is selected where it landed.
    workspace.MoveRows({0}, 3);
    ExpectOrder({B, A, C});
    EXPECT_EQ(list.Selection(), 2);
}

TEST_F(TessaroWorkSpaceTest, SeveralPathsMoveAndGoTogetherAndLandSelected) {
    const QString D = QStringLiteral("/music/d.mp3"), E = QStringLiteral("/music/e.mp3");
    Fill({A, B, C, D, E});
    // Up and Down: each passes the neighbour that is not moved; a block passes it together.
    workspace.MoveEntries({1, 3}, TessaroWorkSpace::Up);
    ExpectOrder({B, A, D, C, E});
    EXPECT_EQ(list.Selection(), 0);
    workspace.MoveEntries({2, 3}, TessaroWorkSpace::Down);
    ExpectOrder({B, A, E, D, C});
    EXPECT_EQ(list.Selection(), 3);
    // Blocked at either end: nothing moves, not even the others.
    EXPECT_THROW(workspace.MoveEntries({0, 3}, TessaroWorkSpace::Up), x::BadBound);
    EXPECT_THROW(workspace.MoveEntries({1, 4}, TessaroWorkSpace::Down), x::BadBound);
    EXPECT_THROW(workspace.MoveEntries({}, TessaroWorkSpace::Down), x::BadBound);
    EXPECT_THROW(workspace.MoveEntries({2, 5}, TessaroWorkSpace::Up), x::BadBound);
    ExpectOrder({B, A, E, D, C});

    // A drag of several keeps their order and puts them before the first other at `to`.
    workspace.MoveRows({4, 0}, 2);
    ExpectOrder({A, B, C, E, D});
    EXPECT_EQ(list.Selection(), 1);
    workspace.MoveRows({0, 1}, 5);  // below the last
    ExpectOrder({C, E, D, A, B});
    workspace.MoveRows({1, 2}, 2);  // dropped on one of them: they close up where they are
    ExpectOrder({C, E, D, A, B});
    EXPECT_THROW(workspace.MoveRows({0}, 6), x::BadBound);
    EXPECT_THROW(workspace.MoveRows({-1}, 0), x::BadBound);

    workspace.RemoveRows({4, 0, 4});
    ExpectOrder({E, D, A});
    EXPECT_THROW(workspace.RemoveRows({1, 3}), x::BadBound);
    ExpectOrder({E, D, A});
}

TEST_F(TessaroWorkSpaceTest, SetPathsMovesWhatStaysAndAddsOnlyWhatIsNew) {
    // Counts the entries built anew, which a view would read from their files.
    struct CountingList : tessaro::PlainTrackList {
        int InsertTrack(int index, const QString& path) override {
            ++inserted;
            return PlainTrackList::InsertTrack(index, path);
        }
        int inserted = 0;
    } counting;
    TessaroWorkSpace counted(counting);
    for (const QString& path : {A, B, A, C}) {
        counted.AddPath(path);
    }
    const auto expect = [&](const QStringList& paths, int inserted) {
        counted.SetPaths(paths);
        EXPECT_EQ(counted.Paths(), paths);
        EXPECT_EQ(counting.Entries(), paths);
        EXPECT_EQ(counting.inserted, inserted);
    };
    expect({C, A, A, B}, 0);  // a new order: nothing is added again
    expect({A, B}, 0);        // fewer: the others go
    expect({C, A, C, B}, 2);
    expect({}, 2);
    expect({B, B}, 4);
}

TEST_F(TessaroWorkSpaceTest, ClearEmptiesPathsAndEveryListEntryButKeepsTheTag) {
    workspace.Clear();
    ExpectOrder({});
    workspace.SetTag({QStringLiteral("Album"), QStringLiteral("Artist"), QStringLiteral("Title"),
                      -7, QStringLiteral("Comment")});
    Fill({A, B});
    list.AddTrack(C);  // an entry the workspace does not know of: the list's count decides
    workspace.Clear();
    ExpectOrder({});
    EXPECT_EQ(workspace.Tag().album, QStringLiteral("Album"));
    EXPECT_EQ(workspace.Tag().year, -7);
}

TEST_F(TessaroWorkSpaceTest, ResetEmptiesTheTagAndThePaths) {
    workspace.SetTag({QStringLiteral("Album"), QStringLiteral("Artist"), QStringLiteral("Title"),
                      1999, QStringLiteral("Comment")});
    EXPECT_EQ(workspace.Tag().artist, QStringLiteral("Artist"));
    EXPECT_EQ(workspace.Tag().title, QStringLiteral("Title"));
    EXPECT_EQ(workspace.Tag().comment, QStringLiteral("Comment"));
    Fill({A, B});
    workspace.Reset();
    EXPECT_TRUE(workspace.Tag().album.isEmpty());
    EXPECT_TRUE(workspace.Tag().artist.isEmpty());
    EXPECT_TRUE(workspace.Tag().title.isEmpty());
    EXPECT_TRUE(workspace.Tag().comment.isEmpty());
    EXPECT_EQ(workspace.Tag().year, 0);
    ExpectOrder({});
}

}  // namespace

namespace {

TEST(NaturalOrderTest, NamesCompareByTheirNumbersThenCaseInsensitively) {
    const auto sorted = [](QStringList names) {
        std::sort(names.begin(), names.end(), tessaro::NaturalLess);
        return names;
    };
    const auto list = [](std::initializer_list<const char16_t*> names) {
        QStringList out;
        for (const char16_t* name : names) {
            out << QString::fromUtf16(name);
        }
        return out;
    };
    // Digits by value, however many; longer than any integer type too.
    EXPECT_EQ(
        sorted(list({u"Chapter 10.mp3", u"Chapter 2.mp3", u"Chapter 1.mp3", u"Chapter 20.mp3"})),
        list({u"Chapter 1.mp3", u"Chapter 2.mp3", u"Chapter 10.mp3", u"Chapter 20.mp3"}));
    EXPECT_TRUE(tessaro::NaturalLess(QStringLiteral("x99999999999999999999999"),
                                     QStringLiteral("x100000000000000000000000")));
    EXPECT_EQ(sorted(list({u"t 3 b", u"t 3 a 10", u"t 3 a 9"})),
              list({u"t 3 a 9", u"t 3 a 10", u"t 3 b"}));
    // Case and Unicode: folded, not by the locale; an accented letter is another letter.
    EXPECT_EQ(sorted(list({u"b.mp3", u"A.mp3", u"Été.mp3", u"été 2.mp3", u"ete.mp3"})),
              list({u"A.mp3", u"b.mp3", u"ete.mp3", u"été 2.mp3", u"Été.mp3"}));
    EXPECT_EQ(tessaro::NaturalCompare(QString::fromUtf16(u"ÄRGER"), QString::fromUtf16(u"ärger 1")),
              -1);
    // Folders first, part by part: a folder's files stay together.
    EXPECT_EQ(
        sorted(list(
            {u"CD2/Track 1.mp3", u"CD10/Track 1.mp3", u"CD1/Track 9.mp3", u"CD1/Track 10.mp3"})),
        list({u"CD1/Track 9.mp3", u"CD1/Track 10.mp3", u"CD2/Track 1.mp3", u"CD10/Track 1.mp3"}));
    EXPECT_TRUE(tessaro::NaturalLess(QStringLiteral("Disc/b.mp3"), QStringLiteral("Disc 1/a.mp3")));
    // Names alike but for case or leading zeros still have one repeatable order; equal ones none.
    EXPECT_EQ(tessaro::NaturalCompare(QStringLiteral("a.mp3"), QStringLiteral("a.mp3")), 0);
    EXPECT_EQ(tessaro::NaturalCompare(QStringLiteral("A 01"), QStringLiteral("a 1")),
              -tessaro::NaturalCompare(QStringLiteral("a 1"), QStringLiteral("A 01")));
    EXPECT_NE(tessaro::NaturalCompare(QStringLiteral("A 01"), QStringLiteral("a 1")), 0);
    // By file name: the folders they lie in only break ties.
    EXPECT_EQ(tessaro::SortedByFileName({QStringLiteral("/z/Part 10.mp3"),
                                         QStringLiteral("/a/Part 9.mp3"),
                                         QStringLiteral("/b/Part 9.mp3")}),
              QStringList({QStringLiteral("/a/Part 9.mp3"), QStringLiteral("/b/Part 9.mp3"),
                           QStringLiteral("/z/Part 10.mp3")}));
}

TEST(NaturalOrderTest, TracksSortByDiscAndTrackNumberThenByName) {
    QTemporaryDir dir;
    // name, TPOS, TRCK ("" for none)
    const std::vector<std::array<const char*, 3>> files{
        {"a 10.mp3", "", ""},     {"b.mp3", "2/2", "1"}, {"c.mp3", "1", "10/12"},
        {"d.mp3", "1/2", "9/12"}, {"a 9.mp3", "", ""},   {"e.mp3", "1", "9"}};
    QStringList paths;
    for (const auto& [name, disc, track] : files) {
        paths << testing_files::WriteAll(
            dir.filePath(QString::fromLatin1(name)),
            testing_files::ReadAll(testing_files::Fixture(QStringLiteral("cbr128_stereo.mp3"))));
        TagLib::MPEG::File file(QFile::encodeName(paths.back()).constData(), false);
        file.ID3v2Tag(true)->setTitle("x");
        for (const auto& [id, value] : {std::pair{"TPOS", disc}, std::pair{"TRCK", track}}) {
            if (*value) {
                auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id);
                frame->setText(value);
                file.ID3v2Tag()->addFrame(frame);
            }
        }
        ASSERT_TRUE(file.save());
    }
    QStringList expected;
    for (const char* name : {"d.mp3", "e.mp3", "c.mp3", "b.mp3", "a 9.mp3", "a 10.mp3"}) {
        expected << dir.filePath(QString::fromLatin1(name));
    }
    EXPECT_EQ(tessaro::SortedByTrack(paths), expected);
}

}  // namespace
