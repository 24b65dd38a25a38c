#include "workspace/WorkSpaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <limits>

#include "TestFiles.h"
#include "workspace/TessaroWorkSpace.h"
#include "workspace/WorkSpaceLoad.h"

namespace {

using namespace testing_files;
using tessaro::TessaroWorkSpace;

// A slot as a writer of the format fills it: 4 ignored bytes, the text, a 0 unit, zero fill,
// the length and the marker 7.
QByteArray Slot(const QString& text, quint32 marker = 7) {
    return QByteArray(4, '\0') + Utf16Le(text) + QByteArray(16 - 2 * text.size(), '\0') +
           U32Le(quint32(text.size())) + U32Le(marker);
}

QByteArray Record(const QString& text) {
    return U32Le(quint32(2 * text.size() + 2)) + Utf16Le(text) + QByteArray(2, '\0');
}

QByteArray Header(const QByteArray& textSlots, qint32 year, qint32 count) {
    return "TWKS" + textSlots + U32Le(quint32(year)) + U32Le(quint32(count));
}

// Four empty slots, year 1, one path "/p.mp3": the base the damage cases start from.
QByteArray ValidFile() {
    const QByteArray empty = Slot(QString());
    return Header(empty + empty + empty + empty, 1, 1) + Record(QStringLiteral("/p.mp3"));
}

class WorkSpaceFileTest : public ::testing::Test {
protected:
    const QString& Write(const QByteArray& bytes) {
        WriteAll(file, bytes);
        return file;
    }
    // The state a refused load must leave alone.
    void FillBefore() {
        workspace.SetTag({QStringLiteral("Before"), QStringLiteral("Old"), QStringLiteral("T"),
                          1999, QStringLiteral("C")});
        workspace.AddPath(QStringLiteral("/old/a.mp3"));
        workspace.AddPath(QStringLiteral("/old/b.mp3"));
    }
    void ExpectUntouched() {
        EXPECT_EQ(workspace.Tag().album, QStringLiteral("Before"));
        EXPECT_EQ(workspace.Tag().artist, QStringLiteral("Old"));
        EXPECT_EQ(workspace.Tag().title, QStringLiteral("T"));
        EXPECT_EQ(workspace.Tag().comment, QStringLiteral("C"));
        EXPECT_EQ(workspace.Tag().year, 1999);
        const QStringList before{QStringLiteral("/old/a.mp3"), QStringLiteral("/old/b.mp3")};
        EXPECT_EQ(workspace.Paths(), before);
    }
    void ExpectTags(const QString& album, const QString& artist, const QString& title, qint32 year,
                    const QString& comment) {
        EXPECT_EQ(workspace.Tag().album, album);
        EXPECT_EQ(workspace.Tag().artist, artist);
        EXPECT_EQ(workspace.Tag().title, title);
        EXPECT_EQ(workspace.Tag().year, year);
        EXPECT_EQ(workspace.Tag().comment, comment);
    }
    void ExpectPaths(const QStringList& paths) { EXPECT_EQ(workspace.Paths(), paths); }

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("work.twk"));
    TessaroWorkSpace workspace;
};

TEST_F(WorkSpaceFileTest, AnEmptyWorkspaceIsTheBare124ByteHeader) {
    workspace.SaveToFile(file);
    const QByteArray slot = QByteArray::fromHex(
        "00000000 00000000000000000000000000000000"
        "00000000 07000000");
    const QByteArray expected =
        "TWKS" + slot + slot + slot + slot + QByteArray::fromHex("00000000 00000000");
    ASSERT_EQ(expected.size(), 124);
    EXPECT_EQ(ReadAll(file), expected);

    FillBefore();
    workspace.LoadFromFile(file);
    ExpectTags(QString(), QString(), QString(), 0, QString());
    ExpectPaths({});
}

TEST_F(WorkSpaceFileTest, ShortTextsAndPathsAreLaidOutInPlaceReplacingTheOldFile) {
    Write(QByteArray(10000, 'o'));
    const QString a = QStringLiteral("/a.mp3"), b = QStringLiteral("/mü/ß €.mp3");
    workspace.SetTag({QStringLiteral("Best"), QStringLiteral("ABC"), QStringLiteral("Live at"), -3,
                      QStringLiteral("2008")});
    for (const QString& path : {a, b, a}) {
        workspace.AddPath(path);
    }
    workspace.SaveToFile(file);
    const QByteArray expected =
        Header(Slot(QStringLiteral("Best")) + Slot(QStringLiteral("ABC")) +
                   Slot(QStringLiteral("Live at")) + Slot(QStringLiteral("2008")),
               -3, 3) +
        Record(a) + Record(b) + Record(a);
    EXPECT_EQ(ReadAll(file), expected);
    // 124 bytes, then 4 + 2k + 2 a path of k units: no extension for texts of 7 units.
    EXPECT_EQ(expected.size(), 124 + 3 * (4 + 2) + 2 * (6 + 11 + 6));
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("work.twk")});
}

TEST_F(WorkSpaceFileTest, ALongTextKeepsItsPrefixInTheSlotAndAllFourFollowInTheExtension) {
    const QString album = QStringLiteral("Long album name");
    workspace.SetTag({album, QString(), QStringLiteral("Seven 7"), 2024, QStringLiteral("x")});
    workspace.AddPath(QStringLiteral("/p.mp3"));
    workspace.SaveToFile(file);
    const QByteArray expected =
        Header(Slot(QStringLiteral("Long al")) + Slot(QString()) + Slot(QStringLiteral("Seven 7")) +
                   Slot(QStringLiteral("x")),
               2024, 1) +
        Record(QStringLiteral("/p.mp3")) + "TWKX" + Record(album) + Record(QString()) +
        Record(QStringLiteral("Seven 7")) + Record(QStringLiteral("x"));
    EXPECT_EQ(ReadAll(file), expected);
}

TEST_F(WorkSpaceFileTest, EverythingSurvivesSaveAndOpen) {
    // An emoji straddles the 7-unit cut, so the slot holds half of it.
    const QString album = QStringLiteral("Großes 🎵 Album, das länger ist als sieben Zeichen");
    const QString comment = QString(5000, QChar(u'ж'));
    QStringList paths;
    for (int i = 0; i < 10; ++i) {
        paths << QStringLiteral("/home/åsa/Musik/日本語 %1/Track ♫ %2.mp3").arg(i % 4).arg(i % 3);
    }
    paths[7] = paths[2];
    paths << QStringLiteral("relative/😀.mp3") << QString(300, QChar(u'é'));
    workspace.SetTag({album, QStringLiteral("Ärtist"), QString(), -2008, comment});
    for (const QString& path : paths) {
        workspace.AddPath(path);
    }
    workspace.SaveToFile(file);

    TessaroWorkSpace other;
    other.AddPath(QStringLiteral("/old.mp3"));
    other.LoadFromFile(file);
    EXPECT_EQ(other.Tag().album, album);
    EXPECT_EQ(other.Tag().artist, QStringLiteral("Ärtist"));
    EXPECT_EQ(other.Tag().title, QString());
    EXPECT_EQ(other.Tag().comment, comment);
    EXPECT_EQ(other.Tag().year, -2008);
    EXPECT_EQ(other.Paths(), paths);

    for (const qint32 year :
         {0, -1, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()}) {
        workspace.SetTag({QStringLiteral("A"), QString(), QString(), year, QString()});
        workspace.SaveToFile(file);
        other.LoadFromFile(file);
        EXPECT_EQ(other.Tag().year, year);
        EXPECT_EQ(other.Tag().album, QStringLiteral("A"));
    }
}

TEST_F(WorkSpaceFileTest, FilesOfOtherWritersOpen) {
    // Bytes the format leaves insignificant hold junk: slot heads, the bytes after a slot's
    // 0 unit, the bytes after a record's 0 unit, and anything after the last record.
    QByteArray album = Slot(QStringLiteral("Jazz"));
    album.replace(0, 4, "\xde\xad\xbe\xef");
    album.replace(14, 6, "zzzzzz");
    QByteArray title = Slot(QStringLiteral("Seven77"));
    title[18] = 'q';  // where the 0 unit would be; the length decides
    const QByteArray record = U32Le(10) + Utf16Le(QStringLiteral("/a")) + QByteArray(2, '\0') +
                              Utf16Le(QStringLiteral("zz"));
    const QByteArray bytes =
        Header(album + Slot(QString()) + title + Slot(QStringLiteral("c")), 7, 2) + record +
        Record(QStringLiteral("/b")) + "trailing junk TWKX";
    workspace.LoadFromFile(Write(bytes));
    ExpectTags(QStringLiteral("Jazz"), QString(), QStringLiteral("Seven77"), 7,
               QStringLiteral("c"));
    ExpectPaths({QStringLiteral("/a"), QStringLiteral("/b")});
}

TEST_F(WorkSpaceFileTest, ASlotThatDoesNotHoldItsTextReadsEmptyUnlessTheExtensionGivesIt) {
    QByteArray artist = Slot(QStringLiteral("junk"), 8);
    artist.replace(20, 4, U32Le(99));  // a length no short-form slot may have
    const QByteArray head =
        Header(Slot(QStringLiteral("Al")) + artist + Slot(QStringLiteral("T"), 0xFFFFFFFF) +
                   Slot(QStringLiteral("C")),
               5, 0);
    workspace.LoadFromFile(Write(head));
    ExpectTags(QStringLiteral("Al"), QString(), QString(), 5, QStringLiteral("C"));

    const QByteArray extension = "TWKX" + Record(QStringLiteral("Album in full")) +
                                 Record(QStringLiteral("Artist in full")) +
                                 Record(QStringLiteral("Title")) + Record(QStringLiteral("C"));
    workspace.LoadFromFile(Write(head + extension));
    ExpectTags(QStringLiteral("Album in full"), QStringLiteral("Artist in full"),
               QStringLiteral("Title"), 5, QStringLiteral("C"));
}

TEST_F(WorkSpaceFileTest, AnExtensionThatIsNotWellFormedIsIgnored) {
    const QByteArray head = Header(Slot(QStringLiteral("Long al")) + Slot(QString()) +
                                       Slot(QString()) + Slot(QString()),
                                   0, 1) +
                            Record(QStringLiteral("/p.mp3"));
    const QByteArray three =
        Record(QStringLiteral("Long album")) + Record(QString()) + Record(QString());
    for (const QByteArray& tail : {"TWKX" + three, "TWKX" + three + U32Le(3) + "abc",
                                   "TWKx" + three + Record(QString()), "TWKX" + three + U32Le(0)}) {
        workspace.LoadFromFile(Write(head + tail));
        EXPECT_EQ(workspace.Tag().album, QStringLiteral("Long al")) << tail.toHex().toStdString();
        ExpectPaths({QStringLiteral("/p.mp3")});
    }
}

// An extras record: its kind, the payload's length and the payload.
QByteArray ExtrasRecord(const char* kind, const QByteArray& payload) {
    return kind + U32Le(quint32(payload.size())) + payload;
}

QByteArray ExtrasBlock(const QByteArray& records) {
    return "TWKY" + U32Le(quint32(records.size())) + records;
}

QByteArray MarkEntry(quint32 start, const QString& title) {
    return U32Le(start) + Record(title);
}

tessaro::WorkspaceExtras FullExtras() {
    using Start = tessaro::ChapterMark::Start;
    tessaro::WorkspaceExtras extras;
    extras.moreTag = {QStringLiteral("Hörbuch"), QStringLiteral("Various 🎵 Artists"),
                      QStringLiteral("Narrator Name, longer than seven")};
    extras.cover = QStringLiteral("/pictures/cover ü.jpg");
    extras.chapterFile = QStringLiteral("relative/chapters.txt");
    extras.chapterMarks = {{Start::Auto, QStringLiteral("Own title")},
                           {Start::WithPrevious, QString()},
                           {},
                           {Start::Here, QString()}};
    extras.chapterTitles = {QStringLiteral("One"), QString(), QStringLiteral("Drei — 3")};
    return extras;
}

TEST_F(WorkSpaceFileTest, ExtrasFollowThePlainFormatAndSurviveSaveAndOpen) {
    for (const QString& album : {QStringLiteral("Short"), QStringLiteral("Longer than seven")}) {
        SCOPED_TRACE(album.toStdString());
        workspace.Reset();
        workspace.SetTag({album, QStringLiteral("A"), QString(), 2020, QString()});
        for (int i = 0; i < 5; ++i) {
            workspace.AddPath(QStringLiteral("/book/%1.mp3").arg(i));
        }
        workspace.SaveToFile(file);
        const QByteArray plain = ReadAll(file);

        workspace.SetExtras(FullExtras());
        workspace.SaveToFile(file);
        // A reader of the plain format finds what it always did, the block where it stops.
        const QByteArray bytes = ReadAll(file);
        EXPECT_TRUE(bytes.startsWith(plain));
        EXPECT_EQ(bytes.mid(plain.size(), 4), "TWKY");
        EXPECT_EQ(U32Le(quint32(bytes.size() - plain.size() - 8)), bytes.mid(plain.size() + 4, 4));

        TessaroWorkSpace other;
        other.LoadFromFile(file);
        EXPECT_TRUE(other.Extras() == FullExtras());
        EXPECT_EQ(other.Tag(), workspace.Tag());
        EXPECT_EQ(other.Paths(), workspace.Paths());
        // A file without extras takes them away again.
        WriteAll(file, plain);
        other.LoadFromFile(file);
        EXPECT_TRUE(other.Extras().IsEmpty());
        EXPECT_TRUE(other.Extras().chapterMarks.empty());
    }
}

TEST_F(WorkSpaceFileTest, ExtrasAreLaidOutAsRecordsOfTheirKindsAndOnlyWhenKept) {
    using Start = tessaro::ChapterMark::Start;
    workspace.AddPath(QStringLiteral("/a.mp3"));
    workspace.AddPath(QStringLiteral("/b.mp3"));
    const QByteArray plain =
        Header(Slot(QString()) + Slot(QString()) + Slot(QString()) + Slot(QString()), 0, 2) +
        Record(QStringLiteral("/a.mp3")) + Record(QStringLiteral("/b.mp3"));
    // Only Auto marks, and extras emptied again, leave the plain format byte for byte.
    tessaro::WorkspaceExtras extras;
    extras.chapterMarks.resize(2);
    workspace.SetExtras(extras);
    workspace.SaveToFile(file);
    EXPECT_EQ(ReadAll(file), plain);

    extras.moreTag.composer = QStringLiteral("Ann");
    extras.cover = QStringLiteral("/c.png");
    // The Auto marks after the last other one, and those past the path records, are left out.
    extras.chapterMarks = {{}, {Start::Here, QStringLiteral("T")}, {}, {Start::Here, QString()}};
    extras.chapterTitles = {QString()};
    workspace.SetExtras(extras);
    workspace.SaveToFile(file);
    EXPECT_EQ(ReadAll(file),
              plain + ExtrasBlock(ExtrasRecord("COMP", Record(QStringLiteral("Ann")).mid(4)) +
                                  ExtrasRecord("COVR", Record(QStringLiteral("/c.png")).mid(4)) +
                                  ExtrasRecord("MARK", MarkEntry(0, QString()) +
                                                           MarkEntry(1, QStringLiteral("T"))) +
                                  ExtrasRecord("TITL", Record(QString()))));
    workspace.LoadFromFile(file);
    const std::vector<tessaro::ChapterMark> kept = {{}, {Start::Here, QStringLiteral("T")}};
    EXPECT_EQ(workspace.Extras().chapterMarks, kept);
    EXPECT_EQ(workspace.Extras().moreTag.composer, QStringLiteral("Ann"));
    EXPECT_EQ(workspace.Extras().chapterTitles, QStringList{QString()});
}

TEST_F(WorkSpaceFileTest, AnUnknownExtrasRecordIsSkippedAndADamagedBlockIgnoredWhole) {
    const QByteArray head = ValidFile();
    const QByteArray genre = ExtrasRecord("GENR", Record(QStringLiteral("Jazz")).mid(4));
    const QByteArray future = ExtrasRecord("XTRA", "odd");
    // Unknown kinds are skipped, a kind given twice takes the later record, bytes after the
    // block are not its own.
    workspace.LoadFromFile(
        Write(head +
              ExtrasBlock(future + ExtrasRecord("GENR", Record(QStringLiteral("x")).mid(4)) +
                          ExtrasRecord("CHPF", Record(QStringLiteral("/c.txt")).mid(4)) + genre +
                          ExtrasRecord("NONE", QByteArray())) +
              "junk"));
    EXPECT_EQ(workspace.Extras().moreTag.genre, QStringLiteral("Jazz"));
    EXPECT_EQ(workspace.Extras().chapterFile, QStringLiteral("/c.txt"));

    const QByteArray block = ExtrasBlock(genre);
    const QByteArray tails[] = {
        block.left(block.size() - 1),                             // the block cut short
        "TWKY" + U32Le(0xFFFFFFFF) + genre,                       // a huge block length
        "TWKY" + U32Le(2) + "GE",                                 // a record's head cut
        ExtrasBlock(genre + ExtrasRecord("AART", "").left(7)),    // likewise
        ExtrasBlock(genre + "XTRA" + U32Le(0xFFFFFFF0) + "abc"),  // a record past the block
        ExtrasBlock(genre + ExtrasRecord("COMP", QByteArray("a\0b", 3))),  // an odd text
        ExtrasBlock(genre + ExtrasRecord("COVR", QByteArray())),           // a text without units
        ExtrasBlock(genre + ExtrasRecord("COVR", Utf16Le(QStringLiteral("/c")))),  // no 0 unit
        ExtrasBlock(genre + ExtrasRecord("MARK", MarkEntry(3, QString()))),  // an unknown start
        ExtrasBlock(genre + ExtrasRecord("MARK", MarkEntry(1, QString()).left(6))),
        // More marks than path records.
        ExtrasBlock(genre +
                    ExtrasRecord("MARK", MarkEntry(1, QString()) + MarkEntry(0, QString()))),
        ExtrasBlock(genre + ExtrasRecord("TITL", Record(QStringLiteral("A")) + U32Le(2))),
        // A TWKX that is not well-formed hides what follows it.
        "TWKX" + Record(QStringLiteral("a")) + block,
    };
    for (const QByteArray& tail : tails) {
        SCOPED_TRACE(tail.toHex().toStdString());
        workspace.SetExtras(FullExtras());
        workspace.LoadFromFile(Write(head + tail));
        EXPECT_TRUE(workspace.Extras().IsEmpty());
        EXPECT_TRUE(workspace.Extras().chapterMarks.empty());
        ExpectTags(QString(), QString(), QString(), 1, QString());
        ExpectPaths({QStringLiteral("/p.mp3")});
    }
    // Each damage is one: the whole block before it reads.
    workspace.LoadFromFile(Write(head + block));
    EXPECT_EQ(workspace.Extras().moreTag.genre, QStringLiteral("Jazz"));
}

TEST_F(WorkSpaceFileTest, ACountOfZeroOrLessClearsThePathsAndTakesTheTags) {
    for (const qint32 count : {0, -1, std::numeric_limits<qint32>::min()}) {
        FillBefore();
        const QByteArray bytes = Header(Slot(QStringLiteral("New")) + Slot(QString()) +
                                            Slot(QString()) + Slot(QString()),
                                        42, count) +
                                 Record(QStringLiteral("/ignored.mp3"));
        workspace.LoadFromFile(Write(bytes));
        ExpectTags(QStringLiteral("New"), QString(), QString(), 42, QString());
        ExpectPaths({});
    }
}

TEST_F(WorkSpaceFileTest, AFolderListedStandsForItsFilesWhenOpened) {
    const QString folder = dir.filePath(QStringLiteral("book"));
    QDir().mkpath(folder + QStringLiteral("/extra"));
    const QString two = WriteAll(folder + QStringLiteral("/Chapter 2.mp3"), Mp3Frame());
    const QString ten = WriteAll(folder + QStringLiteral("/Chapter 10.mp3"), Mp3Frame());
    const QString extra = WriteAll(folder + QStringLiteral("/extra/Bonus.mp3"), Mp3Frame());
    WriteAll(folder + QStringLiteral("/booklet.pdf"), "%PDF");
    const QString empty = dir.filePath(QStringLiteral("empty"));
    QDir().mkpath(empty);
    const QString first = QStringLiteral("/first.mp3");
    const QByteArray noTexts =
        Slot(QString()) + Slot(QString()) + Slot(QString()) + Slot(QString());
    const tessaro::FolderInputs folders = workspace.LoadFromFile(
        Write(Header(noTexts, 0, 3) + Record(first) + Record(folder) + Record(empty)));
    ExpectPaths({first, two, ten, extra});
    EXPECT_EQ(folders.notes.size(), 2);
    EXPECT_TRUE(folders.notes[0].contains(QStringLiteral("1 file of another type")));
    EXPECT_TRUE(folders.notes[1].startsWith(QStringLiteral("Skipped \"%1\"").arg(empty)));
    EXPECT_EQ(folders.skipped, 1);
    // Saved again, it lists the files in the one layout there is.
    workspace.SaveToFile(file);
    EXPECT_EQ(ReadAll(file),
              Header(noTexts, 0, 4) + Record(first) + Record(two) + Record(ten) + Record(extra));
}

TEST_F(WorkSpaceFileTest, EachIdentifierByteIsChecked) {
    FillBefore();
    const QByteArray valid = ValidFile();
    for (int i = 0; i < 4; ++i) {
        for (const char other : {char(valid[i] ^ 0x20), 'X', '\0'}) {
            QByteArray bytes = valid;
            bytes[i] = other;
            EXPECT_THROW(workspace.LoadFromFile(Write(bytes)), tessaro::BadTessaroWorkSpaceIden)
                << "byte " << i << " = " << int(other);
        }
    }
    for (const QByteArray& shortFile : {QByteArray(), QByteArray("T"), QByteArray("TWK")}) {
        EXPECT_THROW(workspace.LoadFromFile(Write(shortFile)), tessaro::BadTessaroWorkSpaceIden);
    }
    // Files that cannot be opened count as files without the identifier.
    EXPECT_THROW(workspace.LoadFromFile(dir.filePath(QStringLiteral("missing.twk"))),
                 tessaro::BadTessaroWorkSpaceIden);
    EXPECT_THROW(workspace.LoadFromFile(dir.path()), tessaro::BadTessaroWorkSpaceIden);
    ExpectUntouched();
}

TEST_F(WorkSpaceFileTest, DamagedFilesAreRefusedWithNothingChanged) {
    const QByteArray valid = ValidFile();
    const QByteArray header = valid.left(124);
    const auto withSlotLength = [&valid](int slot, quint32 length) {
        return QByteArray(valid).replace(4 + 28 * slot + 20, 4, U32Le(length));
    };
    const auto withCount = [&header](qint32 count) {
        return QByteArray(header).replace(120, 4, U32Le(quint32(count)));
    };
    const struct {
        QByteArray bytes;
        const char* reason;
    } cases[] = {
        {"TWKS", "header is 4 bytes"},
        {valid.left(123), "header is 123 bytes"},
        {withSlotLength(0, 8), "album slot gives a length of 8"},
        {withSlotLength(1, 0xFFFFFFFF), "artist slot gives a length of 4294967295"},
        {withSlotLength(2, 9), "title slot"},
        {withSlotLength(3, 1000), "comment slot"},
        {header + U32Le(0), "record 1 of 1 has a length of 0"},
        {header + U32Le(3) + "abc", "record 1 of 1 has an odd length of 3"},
        {header + U32Le(100) + Utf16Le(QStringLiteral("/p")) + QByteArray(2, '\0'), "past the end"},
        {header + U32Le(6) + Utf16Le(QStringLiteral("abc")), "record 1 of 1 has no 0 unit"},
        {header, "record 1 of 1 is missing"},
        {header + QByteArray(3, '\0'), "record 1 of 1 is missing"},
        {withCount(3) + Record(QStringLiteral("/a")) + Record(QStringLiteral("/b")),
         "record 3 of 3 is missing"},
        {withCount(std::numeric_limits<qint32>::max()) + Record(QStringLiteral("/a")),
         "record 2 of 2147483647 is missing"},
        // Names that would open other files: one read from bytes that were not UTF-8, one that
        // has no UTF-8 form (a lone surrogate).
        {withCount(2) + Record(QStringLiteral("/a")) +
             Record(MakeNotUtf8Name(dir.path(), "b\xFF.mp3")),
         "record 2 of 2 holds"},
        {header + U32Le(6) + QByteArray("/\0\0\xD8\0\0", 6), "not valid UTF-8"},
    };
    FillBefore();
    for (const auto& damaged : cases) {
        SCOPED_TRACE(damaged.bytes.toHex().toStdString());
        try {
            workspace.LoadFromFile(Write(damaged.bytes));
            ADD_FAILURE() << "not refused";
        } catch (const tessaro::BadTessaroWorkSpaceFile& error) {
            EXPECT_TRUE(error.reason.contains(QLatin1String(damaged.reason)))
                << error.reason.toStdString();
            // Taken as a standard exception, it still tells why.
            const std::exception& standard = error;
            EXPECT_STREQ(standard.what(), error.reason.toUtf8().constData());
        }
        ExpectUntouched();
    }
}

TEST_F(WorkSpaceFileTest, AFifoOrAHugeFileIsRefusedAtOnce) {
    // A FIFO without a writer would keep the open waiting for ever.
    const QString fifo = dir.filePath(QStringLiteral("fifo.twk"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    FillBefore();
    try {
        workspace.LoadFromFile(fifo);
        ADD_FAILURE() << "not refused";
    } catch (const tessaro::BadTessaroWorkSpaceFile& error) {
        EXPECT_EQ(error.reason, QStringLiteral("it is not a regular file"));
    }
    // Larger than any list of files: not read into memory.
    const QString huge = Write(ValidFile());
    ASSERT_TRUE(QFile::resize(huge, qint64(65) << 20));
    try {
        workspace.LoadFromFile(huge);
        ADD_FAILURE() << "not refused";
    } catch (const tessaro::BadTessaroWorkSpaceFile& error) {
        EXPECT_EQ(error.reason,
                  QStringLiteral("it is 65 MiB long, more than any workspace (64 MiB)"));
    }
    ExpectUntouched();
}

TEST_F(WorkSpaceFileTest, AFailedSaveLeavesTheOldFileAndSaysWhy) {
    const QByteArray old = ValidFile();
    Write(old);
    for (int i = 0; i < 50; ++i) {
        workspace.AddPath(QStringLiteral("/a/rather/long/path/to/some/track %1.mp3").arg(i));
    }

    QString reason;
    try {
        const FileSizeLimit limit(1000);
        workspace.SaveToFile(file);
    } catch (const tessaro::TessaroWorkSpaceNotSaved& error) {
        reason = error.reason;
    }

    EXPECT_TRUE(reason.contains(QStringLiteral("large"))) << reason.toStdString();
    EXPECT_EQ(ReadAll(file), old);
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("work.twk")});

    // A target whose folder is a regular file cannot even be created.
    try {
        workspace.SaveToFile(file + QStringLiteral("/inside.twk"));
        ADD_FAILURE() << "not refused";
    } catch (const tessaro::TessaroWorkSpaceNotSaved& error) {
        EXPECT_EQ(error.reason, QStringLiteral("Not a directory"));
    }
    EXPECT_EQ(ReadAll(file), old);

    // A name holding U+FFFD may be the file's own, or have been read from bytes that are not
    // UTF-8, where the file it spells is another one, to be left alone.
    const QString lossy = WriteAll(dir.filePath(QStringLiteral("\uFFFD.twk")), old);
    workspace.SaveToFile(lossy);
    WriteAll(lossy, old);
    EXPECT_EQ(MakeNotUtf8Name(dir.path(), "\xFF.twk"), lossy);
    try {
        workspace.SaveToFile(lossy);
        ADD_FAILURE() << "not refused";
    } catch (const tessaro::TessaroWorkSpaceNotSaved& error) {
        EXPECT_TRUE(error.reason.contains(QStringLiteral("not valid UTF-8")));
    }
    EXPECT_EQ(ReadAll(lossy), old);
}

// Each failure as the front ends word it: what the loader found and, apart, why no file could be
// opened; the workspace and the folders are left as they were.
TEST_F(WorkSpaceFileTest, LoadWorkSpaceSaysWhyAFileCannotBeLoaded) {
    using Kind = tessaro::WorkSpaceLoadFailure::Kind;
    const QString folder = dir.filePath(QStringLiteral("folder.twk"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString fifo = dir.filePath(QStringLiteral("fifo.twk"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Its byte 0xFF reads as U+FFFD, as the name beside it is spelt: Qt's name may stand for it.
    const QString lookalike = WriteAll(dir.filePath(QStringLiteral("job\uFFFD.twk")), ValidFile());
    const QByteArray unreadable = QFile::encodeName(dir.path()) + "/job\xFF.twk";
    const int fd = ::open(unreadable.constData(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const QString unusable = QStringLiteral("the name is not valid UTF-8");
    const struct {
        QString path;
        Kind kind;
        QString reason;
        QString unopened;
    } cases[] = {
        {dir.filePath(QStringLiteral("missing.twk")), Kind::NotWorkSpace, QString(),
         QStringLiteral("No such file or directory")},
        {folder, Kind::NotWorkSpace, QString(), QStringLiteral("it is a folder")},
        {fifo, Kind::Damaged, QStringLiteral("it is not a regular file"),
         QStringLiteral("it is not a regular file (a FIFO, device or socket)")},
        {WriteAll(dir.filePath(QStringLiteral("notes.twk")), "TWKs and more"), Kind::NotWorkSpace,
         QString(), QString()},
        {WriteAll(dir.filePath(QStringLiteral("short.twk")), "TWKS"), Kind::Damaged,
         QStringLiteral("the header is 4 bytes long instead of 124"), QString()},
        {lookalike, Kind::UnusableName, unusable, unusable},
    };
    for (const auto& refused : cases) {
        SCOPED_TRACE(refused.path.toStdString());
        workspace.Reset();
        FillBefore();
        tessaro::FolderInputs folders{{QStringLiteral("/kept.mp3")}, {}, 0};
        const auto failure = tessaro::LoadWorkSpace(workspace, refused.path, folders);
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->kind, refused.kind);
        EXPECT_TRUE(failure->reason.startsWith(refused.reason)) << failure->reason.toStdString();
        EXPECT_EQ(failure->reason.isEmpty(), refused.reason.isEmpty());
        EXPECT_TRUE(failure->unopened.startsWith(refused.unopened));
        EXPECT_EQ(failure->unopened.isEmpty(), refused.unopened.isEmpty());
        ExpectUntouched();
        EXPECT_EQ(folders.files, QStringList{QStringLiteral("/kept.mp3")});
    }
    // QTemporaryDir cannot name it.
    ::unlink(unreadable.constData());
    tessaro::FolderInputs folders;
    EXPECT_FALSE(tessaro::LoadWorkSpace(workspace, Write(ValidFile()), folders).has_value());
    ExpectPaths({QStringLiteral("/p.mp3")});
    EXPECT_EQ(folders.files, QStringList{QStringLiteral("/p.mp3")});
}

}  // namespace
