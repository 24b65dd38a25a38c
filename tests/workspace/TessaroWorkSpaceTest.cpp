#include "workspace/TessaroWorkSpace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <array>

#include "TestFiles.h"

#include "workspace/Exception.h"
#include "workspace/FolderInputs.h"
#include "workspace/NaturalOrder.h"
#include "workspace/TrackOrder.h"

namespace {

using tessaro::Direction;
using tessaro::Rearrangement;
using tessaro::TessaroWorkSpace;

// The entries of `count` named a, b, c, ... in a new order, and the moved ones where they landed.
QString Shown(const Rearrangement& moved) {
    QString shown;
    for (int row : moved.order) {
        shown += QChar(u'a' + row);
    }
    shown += QLatin1Char(' ');
    for (int row : moved.landed) {
        shown += QString::number(row);
    }
    return shown;
}

TEST(TrackOrderTest, StepsPassTheNeighbourThatIsNotMovedAndBlockAtEitherEnd) {
    EXPECT_EQ(Shown(tessaro::StepRows(3, {1}, Direction::Up)), QStringLiteral("bac 0"));
    EXPECT_EQ(Shown(tessaro::StepRows(3, {1}, Direction::Down)), QStringLiteral("acb 2"));
    // A block passes its neighbour together; each moved row once, whatever the order given.
    EXPECT_EQ(Shown(tessaro::StepRows(5, {3, 1, 3}, Direction::Up)), QStringLiteral("badce 02"));
    EXPECT_EQ(Shown(tessaro::StepRows(5, {2, 3}, Direction::Down)), QStringLiteral("abecd 34"));
    // Blocked at either end, or nothing to move: nothing is computed.
    for (const auto& [rows, direction] :
         std::initializer_list<std::pair<QList<int>, Direction>>{{{0, 3}, Direction::Up},
                                                                 {{1, 4}, Direction::Down},
                                                                 {{}, Direction::Down},
                                                                 {{2, 5}, Direction::Up},
                                                                 {{-1}, Direction::Down}}) {
        EXPECT_THROW(tessaro::StepRows(5, rows, direction), x::BadBound);
    }
    EXPECT_THROW(tessaro::StepRows(1, {0}, Direction::Up), x::BadBound);
    EXPECT_THROW(tessaro::StepRows(1, {0}, Direction::Down), x::BadBound);
}

TEST(TrackOrderTest, ADragPutsRowsBeforeTheFirstOtherAtTheDropInTheirOrder) {
    EXPECT_EQ(Shown(tessaro::MoveRowsBefore(3, {0}, 2)), QStringLiteral("bac 1"));
    EXPECT_EQ(Shown(tessaro::MoveRowsBefore(3, {2}, 0)), QStringLiteral("cab 0"));
    EXPECT_EQ(Shown(tessaro::MoveRowsBefore(3, {1}, 1)), QStringLiteral("abc 1"));
    EXPECT_EQ(Shown(tessaro::MoveRowsBefore(3, {0}, 3)), QStringLiteral("bca 2"));
    EXPECT_EQ(Shown(tessaro::MoveRowsBefore(5, {4, 0}, 2)), QStringLiteral("baecd 12"));
    EXPECT_EQ(Shown(tessaro::MoveRowsBefore(5, {0, 1}, 5)), QStringLiteral("cdeab 34"));
    // Dropped on one of them: they close up where they are.
    EXPECT_EQ(Shown(tessaro::MoveRowsBefore(5, {1, 3}, 3)), QStringLiteral("acbde 23"));
    EXPECT_THROW(tessaro::MoveRowsBefore(3, {3}, 0), x::BadBound);
    EXPECT_THROW(tessaro::MoveRowsBefore(3, {0}, 4), x::BadBound);
    EXPECT_THROW(tessaro::MoveRowsBefore(3, {-1}, 0), x::BadBound);
}

TEST(TrackOrderTest, TheOrderOfASortKeepsEqualPathsInTheirOrderAndRefusesOtherPaths) {
    const QString A = QStringLiteral("/music/a.mp3"), B = QStringLiteral("/music/b.mp3");
    EXPECT_EQ(tessaro::OrderOf({B, A, B, A}, {A, A, B, B}), (QList<int>{1, 3, 0, 2}));
    EXPECT_EQ(tessaro::OrderOf({}, {}), QList<int>());
    EXPECT_THROW(tessaro::OrderOf({A, B}, {A, A}), x::BadBound);
    EXPECT_THROW(tessaro::OrderOf({A, B}, {A}), x::BadBound);
    EXPECT_EQ(tessaro::CheckedRows({4, 0, 4}, 5), (QList<int>{0, 4}));
    EXPECT_THROW(tessaro::CheckedRows({1, 3}, 3), x::BadBound);
}

TEST(TessaroWorkSpaceTest, StartsEmptyAndResetEmptiesTheTagAndThePaths) {
    TessaroWorkSpace workspace;
    EXPECT_TRUE(workspace.Tag().IsEmpty());
    EXPECT_TRUE(workspace.Paths().isEmpty());
    workspace.SetTag({QStringLiteral("Album"), QStringLiteral("Artist"), QStringLiteral("Title"),
                      1999, QStringLiteral("Comment")});
    workspace.AddPath(QStringLiteral("/music/a.mp3"));
    workspace.Reset();
    EXPECT_TRUE(workspace.Tag().IsEmpty());
    EXPECT_TRUE(workspace.Paths().isEmpty());
}

TEST(NaturalOrderTest, NamesCompareByTheirNumbersThenCaseInsensitively) {
    // Digits of another script are numbers too, and stand before letters as ours do: the order
    // stays transitive ("۱" is Arabic-Indic one).
    const QString arabicOne = QStringLiteral("\u06F1"), eight = QStringLiteral("8"),
                  n = QStringLiteral("n");
    EXPECT_TRUE(tessaro::NaturalLess(arabicOne, eight));
    EXPECT_TRUE(tessaro::NaturalLess(eight, n));
    EXPECT_TRUE(tessaro::NaturalLess(arabicOne, n));
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
    EXPECT_EQ(sorted(list({u"c 10.mp3", u"B.mp3", u"C 2.mp3", u"a.mp3", u"ärger 2", u"Ärger 1"})),
              list({u"a.mp3", u"B.mp3", u"C 2.mp3", u"c 10.mp3", u"Ärger 1", u"ärger 2"}));
    // Composed and decomposed accents are one letter ("e" and U+0301 for "é").
    EXPECT_EQ(sorted(list({u"caf\u00e9 10", u"cafe\u0301 2", u"caf\u00e9 1"})),
              list({u"caf\u00e9 1", u"cafe\u0301 2", u"caf\u00e9 10"}));
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
        std::vector<std::pair<QString, QString>> frames{
            {QStringLiteral("TIT2"), QStringLiteral("x")}};
        for (const auto& [id, value] : {std::pair{"TPOS", disc}, std::pair{"TRCK", track}}) {
            if (*value) {
                frames.emplace_back(QString::fromLatin1(id), QString::fromLatin1(value));
            }
        }
        paths << testing_files::TaggedCopy(dir.filePath(QString::fromLatin1(name)), frames);
    }
    QStringList expected;
    for (const char* name : {"d.mp3", "e.mp3", "c.mp3", "b.mp3", "a 9.mp3", "a 10.mp3"}) {
        expected << dir.filePath(QString::fromLatin1(name));
    }
    EXPECT_EQ(tessaro::SortedByTrack(paths), expected);
}

}  // namespace

namespace {

TEST(NaturalOrderTest, TheFirstNumberedPairAgainstNaturalOrderIsFound) {
    using Pair = std::pair<QString, QString>;
    QStringList shell;  // as a shell's "Chapter*.mp3" gives them: 1, 10..19, 2, 20, 3..9
    for (const int i : {1, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 2, 20, 3}) {
        shell << QStringLiteral("/book/Chapter %1.mp3").arg(i);
    }
    EXPECT_EQ(tessaro::FirstPairOutOfOrder(shell),
              Pair(QStringLiteral("/book/Chapter 19.mp3"), QStringLiteral("/book/Chapter 2.mp3")));
    // Names that differ in more than their numbers, or lie in other folders, are the user's
    // order; so are names in natural order, case and leading zeros aside, and repeated ones.
    for (const QStringList& kept :
         {QStringList{"/b/Intro 10.mp3", "/b/Outro 2.mp3"},
          QStringList{"/a/Part 10.mp3", "/b/Part 2.mp3"},
          QStringList{"/b/part 1.mp3", "/b/Part 02.mp3", "/b/PART 10.mp3", "/b/part 10.mp3"},
          QStringList{"CD1/Track 9.mp3", "CD1/Track 10.mp3", "CD2/Track 1.mp3"}}) {
        EXPECT_EQ(tessaro::FirstPairOutOfOrder(kept), std::nullopt)
            << kept.join(u' ').toStdString();
    }
    // Another kind between them does not hide a pair; case does not either.
    EXPECT_EQ(tessaro::FirstPairOutOfOrder(
                  {"x/Disc 2 Track 1.mp3", "x/notes 5.mp3", "x/disc 1 track 7.mp3"}),
              Pair(QStringLiteral("x/Disc 2 Track 1.mp3"), QStringLiteral("x/disc 1 track 7.mp3")));
}

class FolderInputsTest : public ::testing::Test {
protected:
    QString Make(const QString& name) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        return testing_files::WriteAll(path, "x");
    }
    QString Link(const QString& name, const QString& target) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(QFile::link(target, path)) << name.toStdString();
        return path;
    }

    QTemporaryDir dir;
};

TEST_F(FolderInputsTest, AFolderStandsForItsMpegAudioFilesInNaturalOrderOfTheirPaths) {
    for (const char* name :
         {"book/Chapter 10.mp3", "book/Chapter 2.mp3", "book/Chapter 1.MP3", "book/notes.txt",
          "book/cover.jpg", "book/x.mp3x", "book/Disc 10/a.mp2", "book/Disc 9/c.mp1",
          "book/Disc 9/b.Mpa", "book/.hidden.mp3", "book/._Chapter 1.mp3", "book/.git/x.mp3",
          "book/Disc 9/.mp3"}) {
        Make(QString::fromUtf8(name));
    }
    const QString single = Make(QStringLiteral("single.txt"));
    const QString missing = dir.filePath(QStringLiteral("missing"));
    const QString book = dir.filePath(QStringLiteral("book"));
    const tessaro::FolderInputs inputs = tessaro::ExpandFolders({single, book, missing});
    QStringList expected{single};
    for (const char* name : {"Chapter 1.MP3", "Chapter 2.mp3", "Chapter 10.mp3", "Disc 9/b.Mpa",
                             "Disc 9/c.mp1", "Disc 10/a.mp2"}) {
        expected << book + QLatin1Char('/') + QString::fromUtf8(name);
    }
    expected << missing;
    EXPECT_EQ(inputs.files, expected);
    // Hidden ones unsaid; the rest (notes.txt, cover.jpg, x.mp3x) in one line.
    EXPECT_EQ(
        inputs.notes,
        QStringList(QStringLiteral("Left out 3 files of other types in \"%1\"; only MPEG audio "
                                   "files (.mp3, .mp2, .mp1, .mpa) are joined")
                        .arg(book)));
    EXPECT_EQ(inputs.skipped, 0);
}

TEST_F(FolderInputsTest, LinksToFilesAreFollowedLinksToFoldersNamedAndAFolderWithoutAudioSkipped) {
    const QString root = dir.filePath(QStringLiteral("root"));
    const QString a = Make(QStringLiteral("root/sub/a.mp3"));
    const QString outside = Make(QStringLiteral("elsewhere/b.mp3"));
    // A link up, to itself, out, and to the root of the file system: none is walked.
    const QStringList folderLinks{
        Link(QStringLiteral("root/sub/up"), root),
        Link(QStringLiteral("root/sub/self"), QStringLiteral(".")),
        Link(QStringLiteral("root/more"), dir.filePath(QStringLiteral("elsewhere"))),
        Link(QStringLiteral("root/system"), QStringLiteral("/"))};
    Link(QStringLiteral("root/linked.mp3"), outside);
    const tessaro::FolderInputs inputs = tessaro::ExpandFolders({root});
    EXPECT_EQ(inputs.files, (QStringList{root + QStringLiteral("/linked.mp3"), a}));
    QStringList notes;
    for (const QString& link : folderLinks) {
        notes << QStringLiteral(
                     "Skipped \"%1\": it is a link to a folder, which is not walked "
                     "into; give the folder itself to join its files")
                     .arg(link);
    }
    notes.sort();
    QStringList found = inputs.notes;
    found.sort();
    EXPECT_EQ(found, notes);
    EXPECT_EQ(inputs.skipped, 4);
    // Given itself, a link to a folder stands for it as the folder does.
    EXPECT_EQ(tessaro::ExpandFolders({dir.filePath(QStringLiteral("root/more"))}).files,
              QStringList(root + QStringLiteral("/more/b.mp3")));

    const QString pictures = dir.filePath(QStringLiteral("pictures"));
    Make(QStringLiteral("pictures/front.jpg"));
    const QString empty = dir.filePath(QStringLiteral("empty"));
    QDir().mkpath(empty);
    const tessaro::FolderInputs none = tessaro::ExpandFolders({pictures, empty});
    EXPECT_TRUE(none.files.isEmpty());
    EXPECT_EQ(none.skipped, 2);
    EXPECT_EQ(none.notes,
              (QStringList{QStringLiteral("Skipped \"%1\": no MPEG audio files (.mp3, .mp2, .mp1, "
                                          ".mpa) in it, only 1 file of another type")
                               .arg(pictures),
                           QStringLiteral("Skipped \"%1\": no MPEG audio files (.mp3, .mp2, .mp1, "
                                          ".mpa) in it")
                               .arg(empty)}));
}

TEST_F(FolderInputsTest, EveryEntryLeftOutThatCouldBeAudioIsNamedAndCountsAsSkipped) {
    // U+FFFD spells the name another folder really has: walking it would take that one's files.
    Make(QStringLiteral("\uFFFD/other.mp3"));
    const QString unusable = testing_files::MakeNotUtf8Name(dir.path(), "\xFF");
    EXPECT_EQ(tessaro::ExpandFolders({unusable}).files, QStringList(unusable));

    // Below a folder: refused by name, with the other kinds that hold no audio to join.
    const QString top = dir.filePath(QStringLiteral("top"));
    const QString a = Make(QStringLiteral("top/a.mp3"));
    const QString realReplacement = Make(QStringLiteral("top/\uFFFD/b.mp3"));
    testing_files::MakeNotUtf8Name(top, "\xFE.mp3");
    QDir().mkpath(top + QStringLiteral("/sub"));
    testing_files::MakeNotUtf8Name(top + QStringLiteral("/sub"), "\xFD", true);
    Make(QStringLiteral("top/notes\xE9.txt"));
    testing_files::MakeNotUtf8Name(top, "\xFC.txt");
    const QString gone = Link(QStringLiteral("top/gone.mp3"), dir.filePath(QStringLiteral("x")));
    Link(QStringLiteral("top/gone.txt"), dir.filePath(QStringLiteral("x")));
    const QString pipe = top + QStringLiteral("/pipe.mp3");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(top + QStringLiteral("/pipe.txt")).constData(), 0600), 0);
    const tessaro::FolderInputs inputs = tessaro::ExpandFolders({top});
    EXPECT_EQ(inputs.files, (QStringList{a, realReplacement}));
    const QString notUtf8 = QStringLiteral(
        "the name is not valid UTF-8 (U+FFFD marks the bytes that are not), so it would stand for "
        "another file; rename the file");
    QStringList notes{
        QStringLiteral("Skipped \"%1\": it is a link that leads to nothing that can be read (No "
                       "such file or directory)")
            .arg(gone),
        QStringLiteral("Skipped \"%1\": it is not a regular file (a FIFO, device or socket)")
            .arg(pipe),
        QStringLiteral("Skipped \"%1/\uFFFD.mp3\": %2").arg(top, notUtf8),
        QStringLiteral("Skipped \"%1/sub/\uFFFD\": %2").arg(top, notUtf8),
        QStringLiteral("Left out 4 files of other types in \"%1\"; only MPEG audio files (.mp3, "
                       ".mp2, .mp1, .mpa) are joined")
            .arg(top)};
    QStringList found = inputs.notes;
    std::sort(found.begin(), found.end() - 1);
    std::sort(notes.begin(), notes.end() - 1);
    EXPECT_EQ(found, notes);
    EXPECT_EQ(inputs.skipped, 4);
}

}  // namespace
