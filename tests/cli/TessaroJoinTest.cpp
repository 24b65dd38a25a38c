#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <vector>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <QDir>

#include "TestFiles.h"
#include "mp3/StreamReader.h"
#include "workspace/TessaroWorkSpace.h"

namespace {

using namespace testing_files;

struct JoinRun {
    int exitCode;
    QString out;
    QString err;
};

// Runs tessaro-join; fileSizeLimit, when not 0, is the largest file it may write, with the
// signal for larger ones as the system sets it. rawArguments, when given, are passed instead of
// `arguments` byte for byte, as a shell passes names that are not UTF-8 (a QString cannot).
JoinRun Join(const QStringList& arguments, rlim_t fileSizeLimit = 0,
             QList<QByteArray> rawArguments = {}) {
    std::vector<char*> argv;
    rawArguments.prepend(TESSARO_JOIN);
    for (QByteArray& argument : rawArguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    QProcess process;
    process.setChildProcessModifier([fileSizeLimit, &argv] {
        if (fileSizeLimit != 0) {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::signal(SIGXFSZ, SIG_DFL);
        }
        if (argv.size() > 2) {
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    });
    process.start(QStringLiteral(TESSARO_JOIN), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

class TessaroJoinTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("out.mp3"));
    const QString cbr = Fixture(QStringLiteral("cbr128_stereo.mp3"));
    const QString vbr = Fixture(QStringLiteral("vbr_mono.mp3"));
};

TEST_F(TessaroJoinTest, HelpExplainsEveryOption) {
    const JoinRun run = Join({QStringLiteral("--help")});
    EXPECT_EQ(run.exitCode, 0);
    // Each where the list of options names it, "-o, --output" as one: "-o" alone would be found
    // inside "--output", and "--tag" inside another option's explanation.
    for (const char* option : {"-o, --output",
                               "-w, --workspace",
                               "-q, --quiet",
                               "--tag",
                               "--album",
                               "--artist",
                               "--title",
                               "--year",
                               "--comment",
                               "--genre",
                               "--album-artist",
                               "--composer",
                               "--copy-tags",
                               "--id3v2.3",
                               "--chapters[=title|silence]",
                               "--silence-threshold <DB>",
                               "--chapter-file",
                               "--export-chapters",
                               "--copy-cover",
                               "--cover",
                               "--seamless",
                               "--chapter-format",
                               "--level[=LUFS]",
                               "--level-mode",
                               "--conform",
                               "--sort",
                               "INPUT",
                               "--gap <SECONDS>"}) {
        const QRegularExpression listed(QStringLiteral("^  %1( |=|\\[|$)")
                                            .arg(QRegularExpression::escape(QLatin1String(option))),
                                        QRegularExpression::MultilineOption);
        EXPECT_TRUE(run.out.contains(listed)) << option;
    }
    // --copy-tags as one whose value is optional.
    for (const char* option : {"--copy-tags[=first]", "--force-name", "--batch"}) {
        EXPECT_TRUE(run.out.contains(QStringLiteral("\n  %1 ").arg(QLatin1String(option))))
            << option;
    }
    const JoinRun all = Join({QStringLiteral("--help-all")});
    EXPECT_EQ(all.exitCode, 0) << all.err.toStdString();
    EXPECT_TRUE(all.out.startsWith(run.out.section(QLatin1Char('\n'), 0, 0)));
    EXPECT_GT(all.out.size(), run.out.size());
}

// LANGUAGE=de: the help is German, the parser's own lines (Qt's translation) and the options'
// explanations (the program's, the joined-file choices' among them) alike; the options keep
// their names. A language before it that the program is written in keeps it English.
TEST_F(TessaroJoinTest, HelpIsInTheUsersLanguage) {
    const QByteArray language = qgetenv("LANGUAGE");
    qputenv("LANGUAGE", "de");
    const JoinRun german = Join({QStringLiteral("--help")});
    qputenv("LANGUAGE", "en_GB:de");
    const JoinRun english = Join({QStringLiteral("--help")});
    qputenv("LANGUAGE", language);
    EXPECT_EQ(german.exitCode, 0);
    for (const char* line :
         {"Aufruf: ", "Optionen:", "Zeigt Hilfe zu den Kommandozeilenoptionen",
          "-o, --output <OUTPUT>            Die zusammengefügte Datei nach OUTPUT",
          "--chapters[=title|silence]       Dem Tag der Ausgabe",
          "Argumente:", "Fügt MP3-Dateien ohne Neukodierung zu einer zusammen"}) {
        EXPECT_TRUE(german.out.contains(QString::fromUtf8(line))) << line;
    }
    EXPECT_TRUE(english.out.contains(QLatin1String("Write the joined file to OUTPUT")));
}

TEST_F(TessaroJoinTest, WrongUsageExitsWith2AndShowsTheUsage) {
    for (const QStringList& arguments :
         {QStringList{cbr}, QStringList{QStringLiteral("-o"), output},
          QStringList{QStringLiteral("--bogus"), QStringLiteral("-o"), output, cbr},
          QStringList{QStringLiteral("--year"), QStringLiteral("20x"), QStringLiteral("-o"), output,
                      cbr},
          QStringList{QStringLiteral("-w"), dir.filePath(QStringLiteral("job.twk")),
                      QStringLiteral("-o"), output, cbr},
          QStringList{QStringLiteral("--level=loud"), QStringLiteral("-o"), output, cbr},
          QStringList{QStringLiteral("--level=5"), QStringLiteral("-o"), output, cbr},
          QStringList{QStringLiteral("--sort=size"), QStringLiteral("-o"), output, cbr},
          QStringList{QStringLiteral("--level=nan"), QStringLiteral("-o"), output, cbr},
          // A number behind --level is its value, however far out.
          QStringList{QStringLiteral("--level"), QStringLiteral("20"), QStringLiteral("-o"), output,
                      cbr},
          QStringList{QStringLiteral("--chapters=each"), QStringLiteral("-o"), output, cbr},
          QStringList{QStringLiteral("--chapters"), QStringLiteral("--chapter-file"), cbr,
                      QStringLiteral("-o"), output, cbr}}) {
        const JoinRun run = Join(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("Usage:")));
        EXPECT_FALSE(QFile::exists(output));
    }
}

TEST_F(TessaroJoinTest, JoinsInOrderAndSummarises) {
    const JoinRun run = Join({QStringLiteral("-o"), output, vbr, cbr});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray joined = ReadBehindTag(output), first = ReadAll(vbr), second = ReadAll(cbr);
    // The first frame's header now counts the frames of both; the second's own is left out.
    const qint32 headerFrame = mp3::StreamReader(vbr).FrameLength();
    const qint32 cbrHeader = mp3::StreamReader(cbr).FrameLength();
    EXPECT_EQ(joined.mid(headerFrame), first.mid(headerFrame) + second.mid(cbrHeader));
    const int vbrFrames = 21 + 8, cbrFrames = 36 + 8;
    EXPECT_EQ(BigEndian(joined, vbrFrames),
              BigEndian(first, vbrFrames) + BigEndian(second, cbrFrames));
    EXPECT_TRUE(run.out.contains(QStringLiteral("Joined 2 of 2 inputs")));
    EXPECT_TRUE(run.out.contains(QString::number(joined.size()) + QStringLiteral(" bytes")));
    // The mono input first, and no bar when stderr is not a terminal.
    EXPECT_EQ(run.err, QStringLiteral("tessaro-join: warning: \"%1\" (2 channels) differs from the "
                                      "first input \"%2\" (1 channel); many players play the "
                                      "joined file wrongly, unless inputs of another format are "
                                      "re-encoded to match the first (tessaro-join --conform, or "
                                      "\"Re-encode inputs of another format to match the first\" "
                                      "in the preferences)\n")
                           .arg(cbr, vbr));
}

TEST_F(TessaroJoinTest, QuietPrintsNothingButWarnings) {
    const QString missing = dir.filePath(QStringLiteral("missing.mp3"));
    const JoinRun run = Join({QStringLiteral("-q"), QStringLiteral("-o"), output, cbr, missing});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains(QStringLiteral("warning")));
    EXPECT_TRUE(run.err.contains(missing));
    EXPECT_EQ(ReadBehindTag(output), ReadAll(cbr));
    // A join that cannot be made seamless is made as it is, and said so.
    const JoinRun plain =
        Join({QStringLiteral("-q"), QStringLiteral("--seamless"), QStringLiteral("-o"), output, cbr,
              Fixture(QStringLiteral("mpeg2_22k.mp3"))});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_TRUE(plain.err.contains(QStringLiteral("not seamlessly"))) << plain.err.toStdString();
}

TEST_F(TessaroJoinTest, FailureExitsWith1AndSaysWhy) {
    const QString input = dir.filePath(QStringLiteral("in.mp3"));
    QFile::copy(cbr, input);
    const JoinRun run = Join({QStringLiteral("-o"), input, input});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("error")));
    EXPECT_TRUE(run.err.contains(input));
    EXPECT_EQ(ReadAll(input), ReadAll(cbr));

    // Nothing to join, or a file-size limit met: nothing is replaced.
    const QString missing = dir.filePath(QStringLiteral("missing.mp3"));
    for (const auto& [arguments, limit] :
         {std::pair{QStringList{QStringLiteral("-o"), output, missing}, rlim_t(0)},
          std::pair{QStringList{QStringLiteral("-o"), input, vbr, cbr}, rlim_t(4096)}}) {
        const JoinRun failed = Join(arguments, limit);
        EXPECT_EQ(failed.exitCode, 1) << failed.err.toStdString();
        EXPECT_EQ(failed.err.count(QStringLiteral("error:")), 1) << failed.err.toStdString();
        EXPECT_FALSE(QFile::exists(output));
        EXPECT_EQ(ReadAll(input), ReadAll(cbr));
    }
}

TEST_F(TessaroJoinTest, ConformReEncodesWhatDiffersAndRefusesAFirstInputNotOfLayerIII) {
    const JoinRun run = Join({QStringLiteral("--conform"), QStringLiteral("-o"), output, cbr,
                              Fixture(QStringLiteral("cbr192_48k.mp3"))});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("warning: re-encoded \"%1\" (48000 Hz to 44100 Hz)")
                                     .arg(Fixture(QStringLiteral("cbr192_48k.mp3")))))
        << run.err.toStdString();
    QFile::remove(output);
    const QString layer2 = WriteAll(dir.filePath(QStringLiteral("a.mp2")), MakeFrame(3, 2, 9, 0));
    const JoinRun refused =
        Join({QStringLiteral("--conform"), QStringLiteral("-o"), output, layer2, cbr});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("not of Layer III")))
        << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(output));
}

TEST_F(TessaroJoinTest, TheExitStatusTellsWhetherEveryInputWasJoined) {
    const QString missing = dir.filePath(QStringLiteral("missing.mp3"));
    const QString empty = WriteAll(dir.filePath(QStringLiteral("empty.mp3")), QByteArray());
    const struct {
        QStringList inputs;
        int status;
        const char* summary;  // null for none
    } cases[] = {
        {{cbr, vbr}, 0, "Joined 2 of 2 inputs: "},
        {{cbr, missing, vbr}, 3, "Joined 2 of 3 inputs (1 skipped): "},
        {{empty, cbr, missing}, 3, "Joined 1 of 3 inputs (2 skipped): "},
        {{missing, empty}, 1, nullptr},
        {{}, 2, nullptr},
    };
    for (const auto& expected : cases) {
        QFile::remove(output);
        const JoinRun run = Join(QStringList{QStringLiteral("-o"), output} + expected.inputs);
        SCOPED_TRACE(run.err.toStdString());
        EXPECT_EQ(run.exitCode, expected.status);
        EXPECT_EQ(QFile::exists(output), expected.summary != nullptr);
        if (expected.summary) {
            EXPECT_TRUE(run.out.startsWith(QLatin1String(expected.summary)))
                << run.out.toStdString();
        }
    }
}

// A name of another audio format is refused before anything is written, as players would trust
// it; --force-name writes the MP3 audio under it all the same.
TEST_F(TessaroJoinTest, AnOutputNamedAsAnotherAudioFormatIsRefusedUnlessForced) {
    for (const char* name :
         {"book.m4b", "book.M4A", "book.aac", "book.Ogg", "book.opus", "book.FLAC", "book.wav"}) {
        const QString misnamed = dir.filePath(QLatin1String(name));
        const JoinRun refused = Join({QStringLiteral("-o"), misnamed, cbr, vbr});
        EXPECT_EQ(refused.exitCode, 1) << name;
        EXPECT_EQ(refused.err,
                  QStringLiteral("tessaro-join: error: cannot write \"%1\": the output "
                                 "is MP3 audio, which a name ending in \".%2\" passes "
                                 "off as another format; --force-name writes it "
                                 "anyway\n")
                      .arg(misnamed, QFileInfo(misnamed).suffix()));
        EXPECT_FALSE(QFile::exists(misnamed)) << name;
        const JoinRun forced = Join({QStringLiteral("--force-name"), QStringLiteral("-q"),
                                     QStringLiteral("-o"), misnamed, cbr});
        EXPECT_EQ(forced.exitCode, 0) << forced.err.toStdString();
        EXPECT_EQ(ReadBehindTag(misnamed), ReadAll(cbr)) << name;
    }
    // Only the last extension counts.
    const QString mp3 = dir.filePath(QStringLiteral("book.m4b.mp3"));
    EXPECT_EQ(Join({QStringLiteral("-q"), QStringLiteral("-o"), mp3, cbr}).exitCode, 0);
    EXPECT_EQ(ReadBehindTag(mp3), ReadAll(cbr));
}

// Each folder of a batch is joined into a file named as it, whatever became of the others; the
// exit status is the worst of theirs, and the summary names each one's.
TEST_F(TessaroJoinTest, ABatchJoinsEachFolderAndExitsWithTheWorstOfTheirStatuses) {
    const auto folder = [this](const QString& name, const QByteArrayList& files) {
        const QString path = dir.filePath(name);
        QDir().mkpath(path);
        for (qsizetype i = 0; i < files.size(); ++i) {
            WriteAll(path + QStringLiteral("/%1.mp3").arg(i + 1), files[i]);
        }
        return path;
    };
    const QByteArray audio = ReadAll(cbr);
    const QString whole = folder(QStringLiteral("shelf/Whole"), {audio, ReadAll(vbr)});
    const QString lacking = folder(QStringLiteral("shelf/Lacking"), {audio, "no audio"});
    const QString broken = folder(QStringLiteral("shelf/Broken"), {"no audio"});
    const QString again = folder(QStringLiteral("other/Whole"), {audio});
    const QString file = dir.filePath(QStringLiteral("shelf/Whole/1.mp3"));
    const QString out = dir.filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    const QString wholeOut = out + QStringLiteral("/Whole.mp3");
    const QString lackingOut = out + QStringLiteral("/Lacking.mp3");
    const QStringList batch{QStringLiteral("--batch"), QStringLiteral("--tag"),
                            QStringLiteral("--album"), QStringLiteral("Shelf"),
                            QStringLiteral("-o"),      out};
    const QString joined = QStringLiteral("joined into \"%1\"");

    const struct {
        QStringList folders;
        int status;
        QStringList results;  // of the summary, each folder's
    } cases[] = {
        {{whole}, 0, {joined.arg(wholeOut)}},
        {{whole, lacking}, 3, {joined.arg(wholeOut), joined.arg(lackingOut) + ", inputs skipped"}},
        // A folder that fails, is no folder or would replace another's file stops no other.
        {{broken, lacking, file, whole, again},
         1,
         {QStringLiteral("failed"), joined.arg(lackingOut) + ", inputs skipped",
          QStringLiteral("failed"), joined.arg(wholeOut), QStringLiteral("failed")}},
    };
    for (const auto& expected : cases) {
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        const JoinRun run = Join(batch + expected.folders);
        SCOPED_TRACE(run.err.toStdString());
        EXPECT_EQ(run.exitCode, expected.status);
        QString summary =
            QStringLiteral("Joined %1 of %2 folders:\n")
                .arg(expected.results.size() - expected.results.count(QStringLiteral("failed")))
                .arg(expected.folders.size());
        for (qsizetype i = 0; i < expected.folders.size(); ++i) {
            summary +=
                QStringLiteral("  \"%1\": %2\n").arg(expected.folders[i], expected.results[i]);
        }
        EXPECT_TRUE(run.out.endsWith(summary)) << run.out.toStdString();
        EXPECT_EQ(run.err.count(QStringLiteral("error:")),
                  expected.results.count(QStringLiteral("failed")));
        // Each with the same options; no other file.
        EXPECT_EQ(ReadTag(wholeOut).album, "Shelf");
        EXPECT_EQ(QFileInfo::exists(lackingOut), expected.folders.contains(lacking));
        EXPECT_EQ(FolderEntries(out).size(), expected.folders.contains(lacking) ? 2 : 1);
    }
    EXPECT_TRUE(
        Join(batch + QStringList{whole, again})
            .err.contains(
                QStringLiteral("\"%1\" would replace the join of \"%2\"").arg(wholeOut, whole)));

    // Quiet: no summary. An output that is no folder fails before any join.
    JoinRun run = Join(QStringList{QStringLiteral("-q")} + batch + QStringList{whole, broken});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    QDir(out).removeRecursively();
    run = Join(batch + QStringList{whole});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("is not a folder"))) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out));

    // What names one file for the whole run is wrong usage with it.
    QDir().mkpath(out);
    for (const QStringList& single :
         {QStringList{QStringLiteral("-w"), dir.filePath(QStringLiteral("job.twk"))},
          QStringList{QStringLiteral("--chapter-file"), file},
          QStringList{QStringLiteral("--export-chapters"),
                      dir.filePath(QStringLiteral("c.txt"))}}) {
        run = Join(batch + single +
                   (single.first() == QLatin1String("-w") ? QStringList() : QStringList{whole}));
        EXPECT_EQ(run.exitCode, 2) << single.first().toStdString();
        EXPECT_TRUE(
            run.err.contains(QStringLiteral("--batch joins each folder given into a file "
                                            "of its own")))
            << run.err.toStdString();
        EXPECT_TRUE(FolderEntries(out).isEmpty());
    }
}

// Books on a shelf, each a folder of one input, to join as a batch.
class TessaroJoinBatchTest : public TessaroJoinTest {
protected:
    QString Book(const QString& name) {
        const QString folder = dir.filePath(name);
        QDir().mkpath(folder);
        WriteAll(folder + QStringLiteral("/1.mp3"), ReadAll(cbr));
        return folder;
    }
    JoinRun Batch(const QString& outputFolder, const QStringList& folders) {
        return Join(QStringList{QStringLiteral("--batch"), QStringLiteral("-o"), outputFolder} +
                    folders);
    }

    const QString shelf = dir.filePath(QStringLiteral("bk"));
    const QString a = Book(QStringLiteral("bk/A"));
    const QString b = Book(QStringLiteral("bk/B"));
};

// An output folder that is, or lies inside, a book's folder would make the books joined before
// it that book's chapters: refused as wrong usage before anything is written, naming both as
// given and where they lead.
TEST_F(TessaroJoinBatchTest, AnOutputFolderInsideABooksFolderIsRefusedBeforeAnyJoin) {
    const QString inB = dir.filePath(QStringLiteral("bk/B/out"));
    QDir().mkpath(inB);
    const QString link = dir.filePath(QStringLiteral("link"));
    const QString shelfLink = dir.filePath(QStringLiteral("shelf"));
    ASSERT_TRUE(QFile::link(b, link));
    ASSERT_TRUE(QFile::link(shelf, shelfLink));
    const struct {
        QString outputFolder;
        QStringList folders;
        QString book;      // the one the output folder lies in
        QString resolved;  // where a link among them leads
    } cases[] = {
        {b, {a, b}, b, QString()},
        {inB, {a, b}, b, QString()},
        {link, {a, b}, b, QStringLiteral("(%1)").arg(QFileInfo(b).canonicalFilePath())},
        {a,
         {shelfLink},
         shelfLink,
         QStringLiteral("(%1)").arg(QFileInfo(shelf).canonicalFilePath())},
    };
    const QStringList before = FolderEntries(shelf) + FolderEntries(a) + FolderEntries(b);
    for (const auto& refused : cases) {
        const JoinRun run = Batch(refused.outputFolder, refused.folders);
        SCOPED_TRACE(run.err.toStdString());
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(
            run.err.startsWith(QStringLiteral("tessaro-join: the output folder \"%1\" ")
                                   .arg(refused.outputFolder)) &&
            run.err.contains(QStringLiteral("inside the folder \"%1\"").arg(refused.book)) &&
            run.err.contains(refused.resolved));
        EXPECT_EQ(FolderEntries(shelf) + FolderEntries(a) + FolderEntries(b), before);
        EXPECT_TRUE(FolderEntries(inB).isEmpty());
    }
    // Books inside the output folder, or beside it under a name it begins with, are joined as
    // ever, each of its own file alone.
    const QString besideA = Book(QStringLiteral("bk/AB"));
    for (const QString& outputFolder : {shelf, besideA}) {
        const JoinRun run = Batch(outputFolder, {a, b});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(ReadBehindTag(outputFolder + QStringLiteral("/B.mp3")), ReadAll(cbr));
    }
}

// Every book's folder is walked before any book is joined, and a file in it that is one of the
// batch's outputs, through a link or a hard link, is skipped: no book takes in another's join,
// this run's or an earlier's.
TEST_F(TessaroJoinBatchTest, NoBookTakesInTheFileAnotherIsJoinedInto) {
    const QString out = dir.filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    const QString aJoined = out + QStringLiteral("/A.mp3");
    const QString inB = b + QStringLiteral("/0.mp3");
    for (const bool hard : {false, true}) {
        SCOPED_TRACE(hard ? "hard link" : "link");
        // A's file from an earlier run, unlike this one's.
        QFile::remove(inB);
        WriteAll(aJoined, ReadAll(vbr));
        ASSERT_EQ(hard ? ::link(QFile::encodeName(aJoined).constData(),
                                QFile::encodeName(inB).constData())
                       : ::symlink("../../out/A.mp3", QFile::encodeName(inB).constData()),
                  0);
        const JoinRun run = Batch(out, {a, b});
        EXPECT_EQ(run.exitCode, 3);
        EXPECT_TRUE(run.err.contains(
            QStringLiteral("warning: Skipped \"%1\": it is the file the batch joins \"%2\" into")
                .arg(inB, a)))
            << run.err.toStdString();
        EXPECT_EQ(ReadBehindTag(aJoined), ReadAll(cbr));
        EXPECT_EQ(ReadBehindTag(out + QStringLiteral("/B.mp3")), ReadAll(cbr));
    }
}

// Chapters whose frames tell them apart, in a folder of their own.
class TessaroJoinOrderTest : public TessaroJoinTest {
protected:
    QString Chapter(int number) {
        QDir().mkpath(book);
        return WriteAll(book + QStringLiteral("/Chapter %1.mp3").arg(number),
                        Mp3Frame(char(0x20 + number)));
    }
    static QByteArray Frames(std::initializer_list<int> numbers) {
        QByteArray frames;
        for (const int number : numbers) {
            frames += Mp3Frame(char(0x20 + number));
        }
        return frames;
    }

    const QString book = dir.filePath(QStringLiteral("book"));
};

TEST_F(TessaroJoinOrderTest, SortJoinsInNaturalOrderOfNamesOrByTrackNumbers) {
    const QString one = Chapter(1), two = Chapter(2), ten = Chapter(10);
    JoinRun run =
        Join({QStringLiteral("--sort=natural"), QStringLiteral("-o"), output, ten, two, one});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(ReadBehindTag(output), Frames({1, 2, 10}));
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();

    // Tracks 3, 1 and 2 against the names; the tags are left behind as ever.
    for (const auto& [path, track] : {std::pair{one, "3"}, {two, "1"}, {ten, "2"}}) {
        TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
        file.ID3v2Tag(true)->setTrack(QByteArray(track).toUInt());
        ASSERT_TRUE(file.save());
    }
    run = Join({QStringLiteral("--sort"), QStringLiteral("track"), QStringLiteral("-o"), output,
                one, two, ten});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(ReadBehindTag(output), Frames({2, 10, 1}));
}

TEST_F(TessaroJoinOrderTest, NumberedNamesAgainstNaturalOrderAreJoinedAsGivenWithAWarning) {
    const QString one = Chapter(1), two = Chapter(2), ten = Chapter(10);
    JoinRun run = Join({QStringLiteral("-o"), output, one, ten, two});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(ReadBehindTag(output), Frames({1, 10, 2}));
    EXPECT_EQ(run.err, QStringLiteral("tessaro-join: warning: \"%1\" is joined before \"%2\", "
                                      "against the natural order of their names; --sort=natural "
                                      "joins the inputs in that order\n")
                           .arg(ten, two));
    // In natural order, in an order asked for, or differing in more than numbers: no warning.
    const QString appendix = WriteAll(book + QStringLiteral("/Appendix 2.mp3"), Mp3Frame());
    for (const QStringList& options :
         {QStringList{one, two, ten}, QStringList{QStringLiteral("--sort=track"), one, ten, two},
          QStringList{ten, appendix}}) {
        run = Join(QStringList{QStringLiteral("-o"), output} + options);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    }
}

TEST_F(TessaroJoinOrderTest, AFolderStandsForTheMpegAudioFilesUnderIt) {
    Chapter(10), Chapter(2), Chapter(1);
    WriteAll(book + QStringLiteral("/cover.jpg"), "\xFF\xD8\xFF");
    QDir().mkpath(book + QStringLiteral("/Part 2"));
    WriteAll(book + QStringLiteral("/Part 2/Chapter 3.MP3"), Mp3Frame(char(0x23)));
    JoinRun run = Join({QStringLiteral("-o"), output, book});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(ReadBehindTag(output), Frames({1, 2, 10, 3}));
    EXPECT_EQ(run.err, QStringLiteral("tessaro-join: warning: Left out 1 file of another type in "
                                      "\"%1\"; only MPEG audio files (.mp3, .mp2, .mp1, .mpa) "
                                      "are joined\n")
                           .arg(book));
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("Joined 4 of 4 inputs: ")));

    // A folder without any is an input skipped; a workspace may list folders too.
    const QString empty = dir.filePath(QStringLiteral("empty"));
    QDir().mkpath(empty);
    tessaro::TessaroWorkSpace workspace;
    workspace.AddPath(empty);
    workspace.AddPath(book);
    const QString twk = dir.filePath(QStringLiteral("job.twk"));
    workspace.SaveToFile(twk);
    run = Join({QStringLiteral("-o"), output, QStringLiteral("-w"), twk});
    EXPECT_EQ(run.exitCode, 3) << run.err.toStdString();
    EXPECT_EQ(ReadBehindTag(output), Frames({1, 2, 10, 3}));
    EXPECT_TRUE(
        run.err.contains(QStringLiteral("warning: Skipped \"%1\": no MPEG audio files").arg(empty)))
        << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("Joined 4 of 5 inputs (1 skipped): ")));

    // What the folder holds that cannot be joined is named and counted, not lost unsaid.
    testing_files::MakeNotUtf8Name(book, "\xFE.mp3");
    ASSERT_EQ(::mkfifo(QFile::encodeName(book + QStringLiteral("/pipe.mp3")).constData(), 0600), 0);
    run = Join({QStringLiteral("-o"), output, book});
    EXPECT_EQ(run.exitCode, 3) << run.err.toStdString();
    EXPECT_EQ(ReadBehindTag(output), Frames({1, 2, 10, 3}));
    EXPECT_TRUE(run.err.contains(QStringLiteral("/\uFFFD.mp3\": the name is not valid UTF-8")));
    EXPECT_TRUE(run.err.contains(QStringLiteral("/pipe.mp3\": it is not a regular file")));
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("Joined 4 of 6 inputs (2 skipped): ")));
}

TEST_F(TessaroJoinTest, WritesTheTagOnlyWithTag) {
    const QStringList values{QStringLiteral("--album"),   QStringLiteral("Long album name"),
                             QStringLiteral("--artist"),  QStringLiteral("Artist"),
                             QStringLiteral("--title"),   QStringLiteral("Title"),
                             QStringLiteral("--year"),    QStringLiteral("1999"),
                             QStringLiteral("--comment"), QStringLiteral("Comment")};
    JoinRun run = Join(values + QStringList{QStringLiteral("-o"), output, cbr});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains(QStringLiteral("--tag")));
    EXPECT_EQ(ReadBehindTag(output), ReadAll(cbr));

    run = Join(values + QStringList{QStringLiteral("--tag"), QStringLiteral("-o"), output, cbr});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(ReadTag(output), (TagValues{"Long album name", "Artist", "Title", "Comment", 1999}));
}

TEST_F(TessaroJoinTest, AWorkspaceGivesTheInputsAndTheTagValues) {
    tessaro::TessaroWorkSpace workspace;
    for (const QString& input : {vbr, cbr, vbr}) {
        workspace.AddPath(input);
    }
    workspace.SetTag({QStringLiteral("Album from the workspace"), QStringLiteral("Artist"),
                      QStringLiteral("Title"), 2001, QStringLiteral("Comment")});
    const QString twk = dir.filePath(QStringLiteral("job.twk"));
    workspace.SaveToFile(twk);

    JoinRun run = Join({QStringLiteral("-w"), twk, QStringLiteral("-o"), output});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    // The workspace's order, the later inputs' own header frames left out.
    const qint32 headerFrame = mp3::StreamReader(vbr).FrameLength();
    const qint32 cbrHeader = mp3::StreamReader(cbr).FrameLength();
    const QByteArray joined =
        ReadAll(vbr) + ReadAll(cbr).mid(cbrHeader) + ReadAll(vbr).mid(headerFrame);
    EXPECT_EQ(ReadBehindTag(output).size(), joined.size());
    EXPECT_EQ(ReadBehindTag(output).mid(headerFrame), joined.mid(headerFrame));
    EXPECT_TRUE(run.out.contains(QStringLiteral("Joined 3 of 3 inputs")));

    // Options beside the workspace override its values one by one.
    run = Join({QStringLiteral("--workspace"), twk, QStringLiteral("--tag"),
                QStringLiteral("--artist"), QStringLiteral("Other"), QStringLiteral("--year"),
                QStringLiteral("1999"), QStringLiteral("-o"), output});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(ReadTag(output),
              (TagValues{"Album from the workspace", "Other", "Title", "Comment", 1999}));
}

TEST_F(TessaroJoinTest, AWorkspaceThatCannotBeUsedExitsWith1AndSaysWhy) {
    const QString empty = dir.filePath(QStringLiteral("empty.twk"));
    tessaro::TessaroWorkSpace().SaveToFile(empty);
    const QString damaged = dir.filePath(QStringLiteral("damaged.twk"));
    WriteAll(damaged, ReadAll(empty).left(100));
    const struct {
        QString path;
        const char* reason;
    } cases[] = {
        {dir.filePath(QStringLiteral("missing.twk")), "No such file or directory"},
        {cbr, "is not a workspace file"},
        {damaged, "is damaged: the header is 100 bytes long"},
        {empty, "lists no files to join"},
    };
    for (const auto& refused : cases) {
        const JoinRun run =
            Join({QStringLiteral("-w"), refused.path, QStringLiteral("-o"), output});
        EXPECT_EQ(run.exitCode, 1) << refused.reason;
        EXPECT_TRUE(run.err.contains(refused.path));
        EXPECT_TRUE(run.err.contains(QLatin1String(refused.reason))) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(output));
    }
}

}  // namespace

TEST_F(TessaroJoinTest, LevelTakesItsTargetOrAimsAtTheReference) {
    // Alone, --level takes no value from an argument behind it that is not a number; behind
    // "--", it is an input.
    QByteArrayList told;
    for (const QStringList& options :
         {QStringList{QStringLiteral("--level")}, QStringList{QStringLiteral("--level=-23")},
          QStringList{QStringLiteral("--level"), QStringLiteral("-23")},
          QStringList{QStringLiteral("-o"), output, QStringLiteral("--level")}}) {
        const JoinRun run = Join(
            options + QStringList{QStringLiteral("-o"), output, cbr, QStringLiteral("-q"), cbr});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QByteArray joined = ReadAll(output);
        const qsizetype gain = joined.indexOf("REPLAYGAIN_TRACK_GAIN");
        EXPECT_GT(gain, 0);
        told << joined.mid(gain, 40);
    }
    EXPECT_EQ(told[0], told[3]) << "-18 both ways";
    EXPECT_EQ(told[1], told[2]) << "-23 both ways";
    EXPECT_NE(told[0], told[1]);
    const JoinRun run =
        Join({QStringLiteral("-o"), output, cbr, QStringLiteral("--"), QStringLiteral("--level")});
    EXPECT_TRUE(run.err.contains(QStringLiteral("Skipped \"--level\"")));
    EXPECT_FALSE(ReadAll(output).contains("REPLAYGAIN_TRACK_GAIN"));
}

TEST_F(TessaroJoinTest, LevelModeTrackIsTheDefaultAndAlbumNeedsLevel) {
    QByteArrayList joined;
    for (const QStringList& mode :
         {QStringList{}, QStringList{QStringLiteral("--level-mode=track")},
          QStringList{QStringLiteral("--level-mode"), QStringLiteral("album")}}) {
        const JoinRun run = Join(mode + QStringList{QStringLiteral("--level"), QStringLiteral("-q"),
                                                    QStringLiteral("-o"), output, cbr, vbr});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        joined << ReadAll(output);
    }
    EXPECT_EQ(joined[1], joined[0]);
    EXPECT_NE(joined[2], joined[0]) << "the quieter input no longer brought up alone";
    for (const auto& [arguments, complaint] :
         {std::pair{QStringList{QStringLiteral("--level-mode=album")},
                    "--level-mode says how --level levels: give both"},
          {QStringList{QStringLiteral("--level"), QStringLiteral("--level-mode=loud")},
           "--level-mode needs \"track\" or \"album\", not \"loud\""}}) {
        const JoinRun run = Join(arguments + QStringList{QStringLiteral("-o"), output, cbr});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("tessaro-join: %1\n").arg(complaint)))
            << run.err.toStdString();
    }
}

TEST_F(TessaroJoinTest, ChaptersByTitleFromAFileAndToOne) {
    const QString exported = dir.filePath(QStringLiteral("chapters.txt"));
    JoinRun run = Join({QStringLiteral("--chapters=title"), QStringLiteral("--export-chapters"),
                        exported, QStringLiteral("-o"), output, cbr, cbr});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    // Inputs without a title share their file's name: one chapter.
    EXPECT_EQ(ReadAll(exported), "00:00:00.000 cbr128_stereo\n");
    run = Join(
        {QStringLiteral("--export-chapters"), exported, QStringLiteral("-o"), output, cbr, cbr});
    EXPECT_EQ(ReadAll(exported).count('\n'), 2) << "one an input without --chapters";

    // Taken back, and refused, before anything is written, naming the line.
    run =
        Join({QStringLiteral("--chapter-file"), exported, QStringLiteral("-o"), output, cbr, cbr});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray before = ReadAll(output);
    WriteAll(exported, "00:00:00.000 One\n00:00:00.000 Two\n");
    run = Join({QStringLiteral("--chapter-file"), exported, QStringLiteral("-o"), output, cbr});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("line 2: "))) << run.err.toStdString();
    EXPECT_EQ(ReadAll(output), before);
    // Never over the output or an input.
    run = Join({QStringLiteral("--export-chapters"), cbr, QStringLiteral("-o"), output, cbr});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(ReadAll(output), before);

    // Each form by the extension or as --chapter-format names it, the typed artist a CUE sheet's
    // performer; each taken back by its contents, or in the form named.
    const QString again = dir.filePath(QStringLiteral("again.txt"));
    for (const auto& [name, format, start] :
         {std::tuple{"c.cue", "", "PERFORMER \"Ada\"\nTITLE \"Book\"\nFILE \"out.mp3\" MP3\n"},
          {"c.json", "", "{\n    \"chapters\": [\n"},
          {"c.ffmeta", "", ";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\n"},
          {"c.FFMetadata", "", ";FFMETADATA1\n"},
          {"c.labels", "", "0.000000\t0.549000\tcbr128_stereo\n0.549000\t"},
          {"c.txt", "", "00:00:00.000 cbr128_stereo\n00:00:00.549 cbr128_stereo\n"},
          {"c.txt", "--chapter-format=labels", "0.000000\t0.549000\tcbr128_stereo\n"},
          {"c.cue", "--chapter-format=json", "{\n"}}) {
        const QString file = dir.filePath(QLatin1String(name));
        QStringList named{QStringLiteral("-q"), QStringLiteral("-o"), output, cbr, cbr};
        if (*format) {
            named << QLatin1String(format);
        }
        run = Join(named + QStringList{QStringLiteral("--tag"), QStringLiteral("--artist"),
                                       QStringLiteral("Ada"), QStringLiteral("--title"),
                                       QStringLiteral("Book"), QStringLiteral("--export-chapters"),
                                       file});
        EXPECT_EQ(run.exitCode, 0) << name << format << run.err.toStdString();
        EXPECT_TRUE(ReadAll(file).startsWith(start)) << name << format << ReadAll(file).constData();
        run = Join(named + QStringList{QStringLiteral("--chapter-file"), file,
                                       QStringLiteral("--export-chapters"), again});
        EXPECT_EQ(run.exitCode, 0) << name << format << run.err.toStdString();
    }
    run = Join({QStringLiteral("--chapter-format=cue"), QStringLiteral("-o"), output, cbr});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains(QStringLiteral("it names the form of no file")));
}

// A chapter where the audio starts and one in the middle of each silence long enough and quiet
// enough, numbered, each input's placed where its audio starts in the join.
TEST_F(TessaroJoinTest, ChaptersAtTheSilencesOfEachInput) {
    const QString recording =
        LameEncoded(dir.filePath(QStringLiteral("recording.mp3")),
                    Tape().Tone(3).Silence(3).Tone(4).Silence(2.5).Tone(3).Silence(1).Tone(2));
    // Silent only below -43 dB.
    const QString other = LameEncoded(dir.filePath(QStringLiteral("other.mp3")),
                                      Tape().Tone(2).Tone(3, 0.01).Tone(2));
    const auto chapters = [&](const QStringList& arguments) {
        const JoinRun run = Join(arguments + QStringList{QStringLiteral("-q"), QStringLiteral("-o"),
                                                         output, other, recording});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return ReadChapterTables(output).chapters;
    };
    const auto expectStarts = [](const std::vector<ChapterTables::Chapter>& found,
                                 const std::vector<double>& seconds) {
        ASSERT_EQ(found.size(), seconds.size());
        for (size_t i = 0; i < found.size(); ++i) {
            EXPECT_NEAR(found[i].startMs, seconds[i] * 1000, 10) << i;
            EXPECT_EQ(found[i].title, "Chapter " + std::to_string(i + 1));
        }
    };
    const std::vector<ChapterTables::Chapter> eachInput = chapters({QStringLiteral("--chapters")});
    ASSERT_EQ(eachInput.size(), 2u);
    const double second = eachInput[1].startMs / 1000.0;
    expectStarts(chapters({QStringLiteral("--chapters=silence")}),
                 {0, second + 4.5, second + 11.25});
    expectStarts(chapters({QStringLiteral("--chapters"), QStringLiteral("silence=2.8"),
                           QStringLiteral("--silence-threshold"), QStringLiteral("-40")}),
                 {0, 3.5, second + 4.5});
    // One recording alone.
    JoinRun run = Join({QStringLiteral("--chapters=silence"), QStringLiteral("-q"),
                        QStringLiteral("-o"), output, recording});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    expectStarts(ReadChapterTables(output).chapters, {0, 4.5, 11.25});
}

TEST_F(TessaroJoinTest, ChoiceValuesAreCheckedAndRefusedAsBefore) {
    for (const auto& [argument, complaint] :
         {std::pair{"--level=0.5", "--level needs a loudness in LUFS from -70 to 0, not \"0.5\""},
          {"--level=-70.5", "--level needs a loudness in LUFS from -70 to 0, not \"-70.5\""},
          {"--level=", "--level needs a loudness in LUFS from -70 to 0, not \"\""},
          {"--chapters=each", "--chapters takes no value, \"title\" or \"silence\", not \"each\""},
          {"--chapter-format=xml",
           "--chapter-format needs \"lines\", \"cue\", \"ffmetadata\", "
           "\"json\" or \"labels\", not \"xml\""},
          {"--copy-tags=all", "--copy-tags takes no value or \"first\", not \"all\""},
          {"--gap=-0.5", "--gap needs seconds from 0 to 60, not \"-0.5\""},
          {"--gap=60.01", "--gap needs seconds from 0 to 60, not \"60.01\""},
          {"--gap=1s", "--gap needs seconds from 0 to 60, not \"1s\""}}) {
        const JoinRun run = Join({QLatin1String(argument), QStringLiteral("-o"), output, cbr});
        EXPECT_EQ(run.exitCode, 2) << argument;
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("tessaro-join: %1\n").arg(complaint)))
            << run.err.toStdString();
    }
    // The range's ends are in it; an empty value of --chapters is none.
    for (const char* argument :
         {"--level=-70", "--level=0", "--chapters=", "--gap=0", "--gap=60"}) {
        const JoinRun run = Join(
            {QLatin1String(argument), QStringLiteral("-q"), QStringLiteral("-o"), output, cbr});
        EXPECT_EQ(run.exitCode, 0) << argument << run.err.toStdString();
    }
    // A tag's value the inputs disagree on is left out with a warning; "first", before an input
    // too, takes the first input's.
    const QString ada = TaggedCopy(dir.filePath(QStringLiteral("a.mp3")),
                                   {{QStringLiteral("TPE1"), QStringLiteral("Ada")}});
    const QString eve = TaggedCopy(dir.filePath(QStringLiteral("e.mp3")),
                                   {{QStringLiteral("TPE1"), QStringLiteral("Eve")}});
    JoinRun run = Join({QStringLiteral("--copy-tags"), QStringLiteral("-q"), QStringLiteral("-o"),
                        output, ada, eve});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, QStringLiteral("tessaro-join: warning: artist left out: \"Eve\" in \"%1\" "
                                      "differs from \"Ada\" in \"%2\"; --copy-tags=first keeps "
                                      "the first input's\n")
                           .arg(eve, ada));
    EXPECT_EQ(ReadTag(output).artist, "");
    run = Join({QStringLiteral("--copy-tags"), QStringLiteral("first"), QStringLiteral("-q"),
                QStringLiteral("-o"), output, ada, eve});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_EQ(ReadTag(output).artist, "Ada");
    // A number behind --gap is its value: half a second of frames between the two inputs.
    const JoinRun gapped = Join({QStringLiteral("--gap"), QStringLiteral("0.5"),
                                 QStringLiteral("-q"), QStringLiteral("-o"), output, cbr, cbr});
    ASSERT_EQ(gapped.exitCode, 0) << gapped.err.toStdString();
    const quint32 frames = BigEndian(ReadAll(cbr), 36 + 8);
    // Half a second is 19 frames of 26 ms; the inputs' own silence makes up for up to two.
    const quint32 joined = BigEndian(ReadBehindTag(output), 36 + 8);
    EXPECT_GE(joined, 2 * frames + 17);
    EXPECT_LE(joined, 2 * frames + 19);
}

// Exit status 1 means that nothing was written, whatever keeps the chapters from being exported.
TEST_F(TessaroJoinTest, AChapterExportThatWouldFailOrReplaceAFileOfTheRunIsRefusedFirst) {
    const QString input = WriteAll(dir.filePath(QStringLiteral("in.mp3")), ReadAll(cbr));
    const QString cover = WriteAll(dir.filePath(QStringLiteral("cover.jpg")),
                                   ReadAll(Fixture(QStringLiteral("plasma.jpg"))));
    const QString chapters =
        WriteAll(dir.filePath(QStringLiteral("chapters.txt")), "00:00:00.000 One\n");
    const QString fifo = dir.filePath(QStringLiteral("fifo.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    tessaro::TessaroWorkSpace workspace;
    workspace.AddPath(input);
    const QString job = dir.filePath(QStringLiteral("job.twk"));
    workspace.SaveToFile(job);
    WriteAll(output, "an earlier join");
    // The chapters would go where it leads.
    const QString link = dir.filePath(QStringLiteral("link.txt"));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("missing/chapters.txt")), link));
    const QStringList joinInput{QStringLiteral("-o"), output, input};
    // Chapters a CUE sheet cannot hold: past 99, or two within one of its 1/75 s frames.
    QByteArray lines;
    for (int i = 0; i < 150; ++i) {
        lines += QStringLiteral("00:00:00.%1 C\n").arg(i * 3, 3, 10, QLatin1Char('0')).toLatin1();
    }
    const QString many = WriteAll(dir.filePath(QStringLiteral("many.txt")), lines);
    const QString close =
        WriteAll(dir.filePath(QStringLiteral("close.txt")), "00:00:00.000 One\n00:00:00.006 Two\n");
    const QString cue = dir.filePath(QStringLiteral("c.cue"));
    const struct {
        QString exported;
        QStringList arguments;
        const char* reason;
    } cases[] = {
        {dir.filePath(QStringLiteral("missing/chapters.txt")), joinInput,
         "No such file or directory"},
        {link, joinInput, "No such file or directory"},
        {dir.filePath(QStringLiteral("folder")), joinInput, "it is a folder"},
        {fifo, joinInput, "it is not a regular file"},
        {QStringLiteral("/dev/null"), joinInput, "it is not a regular file"},
        {input, joinInput, "it is an input"},
        {dir.path() + QStringLiteral("/./out.mp3"), joinInput, "it is the output"},
        // One to be made: its path alone tells.
        {dir.filePath(QStringLiteral("new.mp3")),
         {QStringLiteral("-o"), dir.path() + QStringLiteral("/folder/../new.mp3"), input},
         "it is the output"},
        {job, {QStringLiteral("-o"), output, QStringLiteral("-w"), job}, "it is the workspace"},
        {cover, joinInput + QStringList{QStringLiteral("--cover"), cover},
         "it is the cover picture"},
        {chapters, joinInput + QStringList{QStringLiteral("--chapter-file"), chapters},
         "it is the chapter file"},
        {cue,
         QStringList{QStringLiteral("-o"), output, QStringLiteral("--chapters")} +
             QStringList(120, input),
         "a CUE sheet holds at most 99 tracks, not 120 chapters; nothing was written."},
        {cue, joinInput + QStringList{QStringLiteral("--chapter-file"), many}, "not 150 chapters"},
        {cue, joinInput + QStringList{QStringLiteral("--chapter-file"), close},
         "chapters 1 and 2 start within one 1/75 s"},
    };
    const QStringList entries = FolderEntries(dir.path());
    const QStringList files{input, cover, chapters, job, output, many, close};
    QByteArrayList contents;
    for (const QString& file : files) {
        contents << ReadAll(file);
    }
    for (const auto& refused : cases) {
        const JoinRun run = Join(
            refused.arguments + QStringList{QStringLiteral("--export-chapters"), refused.exported});
        SCOPED_TRACE(run.err.toStdString());
        EXPECT_EQ(run.exitCode, 1);
        // Those the form refuses, the join tells.
        EXPECT_TRUE(run.err.contains(
            QStringLiteral("error: cannot write the chapters to \"%1\": ").arg(refused.exported),
            Qt::CaseInsensitive));
        EXPECT_TRUE(run.err.contains(QLatin1String(refused.reason)));
        EXPECT_EQ(FolderEntries(dir.path()), entries);
        for (qsizetype i = 0; i < files.size(); ++i) {
            EXPECT_EQ(ReadAll(files[i]), contents[i]) << files[i].toStdString();
        }
    }
}

TEST_F(TessaroJoinTest, InputsThatAreNotRegularFilesAreSkippedTagsAndAll) {
    // A FIFO that no one writes and a device without end: not waited for, not read.
    const QString fifo = dir.filePath(QStringLiteral("fifo.mp3"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString zero = QStringLiteral("/dev/zero");
    const JoinRun run = Join({QStringLiteral("--chapters"), QStringLiteral("--copy-cover"),
                              QStringLiteral("-o"), output, fifo, cbr, zero});
    EXPECT_EQ(run.exitCode, 3) << run.err.toStdString();
    for (const QString& skipped : {fifo, zero}) {
        EXPECT_TRUE(run.err.contains(QStringLiteral("Skipped \"%1\"").arg(skipped)))
            << run.err.toStdString();
    }
    EXPECT_TRUE(run.out.contains(QStringLiteral("Joined 1 of 3 inputs (2 skipped): ")));
    EXPECT_TRUE(ReadAll(output).endsWith(ReadAll(cbr)));
}

TEST_F(TessaroJoinTest, ACoverThatIsNotARegularFileFailsBeforeAnythingIsWritten) {
    const QString fifo = dir.filePath(QStringLiteral("fifo.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    WriteAll(output, "an earlier join");
    const QStringList entries = FolderEntries(dir.path());
    for (const auto& [cover, reason] : {std::pair{fifo, "not a regular file"},
                                        {QStringLiteral("/dev/zero"), "not a regular file"},
                                        {dir.path(), "it is a folder"}}) {
        const JoinRun run =
            Join({QStringLiteral("--cover"), cover, QStringLiteral("-o"), output, cbr});
        EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("\"%1\" as the cover picture").arg(cover)));
        EXPECT_TRUE(run.err.contains(QLatin1String(reason))) << run.err.toStdString();
        EXPECT_EQ(ReadAll(output), "an earlier join");
        EXPECT_EQ(FolderEntries(dir.path()), entries);
    }
}

TEST_F(TessaroJoinTest, NamesThatAreNotUtf8AreRefusedNotTakenForOthers) {
    // Where each name would lead, its byte 0xFF read as U+FFFD: files that must stay untouched.
    WriteAll(dir.filePath(QStringLiteral("in\uFFFD.mp3")), ReadAll(vbr));
    const QString otherOutput = WriteAll(dir.filePath(QStringLiteral("out\uFFFD.mp3")), "other");
    WriteAll(dir.filePath(QStringLiteral("cover\uFFFD.png")), "\x89PNG\r\n\x1A\n a picture");
    tessaro::TessaroWorkSpace workspace;
    workspace.AddPath(vbr);
    const QString job = dir.filePath(QStringLiteral("job.twk"));
    workspace.SaveToFile(job);
    ASSERT_TRUE(QFile::rename(job, dir.filePath(QStringLiteral("job\uFFFD.twk"))));
    const QStringList entries = FolderEntries(dir.path());

    const QByteArray folder = QFile::encodeName(dir.path()) + '/';
    const QByteArray out = QFile::encodeName(output), input = QFile::encodeName(cbr);
    for (const QList<QByteArray>& arguments :
         {QList<QByteArray>{"-o", out, folder + "in\xFF.mp3"},
          QList<QByteArray>{"-o", folder + "out\xFF.mp3", input},
          QList<QByteArray>{"-o", out, "-w", folder + "job\xFF.twk"},
          QList<QByteArray>{"--cover", folder + "cover\xFF.png", "-o", out, input}}) {
        const JoinRun run = Join({}, 0, arguments);
        SCOPED_TRACE(run.err.toStdString());
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(QStringLiteral("\uFFFD")));
        EXPECT_TRUE(run.err.contains(QStringLiteral("not valid UTF-8")));
        EXPECT_EQ(FolderEntries(dir.path()), entries);
        EXPECT_EQ(ReadAll(otherOutput), "other");
    }
    // U+FFFD written as itself is a name like any other.
    const JoinRun run = Join({}, 0, {"-o", out, folder + "in\xEF\xBF\xBD.mp3"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(ReadBehindTag(output), ReadAll(vbr));
}

namespace {

// The environment of a join run with `libraries` (separated by ':') loaded before all others.
QProcessEnvironment Preloaded(const QString& libraries) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_PRELOAD"), libraries);
    // Under AddressSanitizer, which wants its runtime loaded first.
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS")) +
                           QStringLiteral(":verify_asan_link_order=0"));
    return environment;
}

}  // namespace

TEST_F(TessaroJoinTest, ASignalThatEndsAJoinRemovesItsNamedTemporaryFile) {
    const QString input = WriteAll(dir.filePath(QStringLiteral("in.mp3")), Mp3Frames(10000));
    WriteAll(output, "an earlier join");
    // 100 MB: long enough to be caught at work.
    QStringList arguments{QStringLiteral("-q"), QStringLiteral("-o"), output};
    for (int i = 0; i < 24; ++i) {
        arguments << input;
    }
    // Where O_TMPFILE fails, as on file systems without it, the temporary file has a name.
    const QProcessEnvironment environment =
        Preloaded(QStringLiteral(TESSARO_NAMED_TEMPORARY_FILES));
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TESSARO_JOIN), arguments);
        // Caught once audio is written to the temporary file beside the target.
        QFileInfo temporary;
        QElapsedTimer clock;
        clock.start();
        while (temporary.size() == 0 && clock.elapsed() < 20000) {
            const QStringList named = FolderEntries(dir.path()).filter(QStringLiteral("out.mp3."));
            temporary = QFileInfo(named.isEmpty() ? QString() : dir.filePath(named[0]));
        }
        ASSERT_GT(temporary.size(), 0);
        ::kill(pid_t(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(FolderEntries(dir.path()),
                  (QStringList{QStringLiteral("in.mp3"), QStringLiteral("out.mp3")}));
        EXPECT_EQ(ReadAll(output), "an earlier join");
    }
}

// Runs tessaro-join within `kibibytes` of address space (ulimit -v), its temporary file named as
// on file systems without unnamed ones.
JoinRun JoinWithin(rlim_t kibibytes, const QStringList& arguments) {
    QProcess process;
    process.setProcessEnvironment(Preloaded(QStringLiteral(TESSARO_NAMED_TEMPORARY_FILES)));
    process.start(
        QStringLiteral("sh"),
        QStringList{QStringLiteral("-c"), QStringLiteral("ulimit -v \"$0\" && exec \"$@\""),
                    QString::number(kibibytes), QStringLiteral(TESSARO_JOIN)} +
            arguments);
    // A join this small takes a moment: much longer, and it hangs.
    const bool finished = process.waitForFinished(20000);
    process.kill();
    return {finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

// Run short of memory, or of a thread, wherever in the join, the tool says so: no abort, the old
// output as it was, no temporary file left. Tried at every MiB from too little to start at all up
// to enough, so that each stage of the join runs short somewhere, whatever the machine.
TEST_F(TessaroJoinTest, RunningShortOfMemoryFailsTheJoinSayingSo) {
    if (kSanitized) {
        GTEST_SKIP() << "a sanitizer's shadow memory takes more address space than a limit leaves";
    }
    QTemporaryDir elsewhere;
    const QString exported = elsewhere.filePath(QStringLiteral("chapters.txt"));
    int saidSo = 0;
    for (const QStringList& options :
         {QStringList{},
          QStringList{QStringLiteral("--level"), QStringLiteral("--export-chapters"), exported}}) {
        WriteAll(output, "an earlier join");
        rlim_t kibibytes = 16 << 10;
        for (; kibibytes < (1 << 20); kibibytes += 1 << 10) {
            const JoinRun run = JoinWithin(
                kibibytes, options + QStringList{QStringLiteral("-o"), output, cbr, vbr, cbr});
            if (run.exitCode == 0) {
                break;
            }
            // Too little for the loader, or for a library's set-up, before the tool starts.
            if (run.err.contains(QStringLiteral("error while loading shared libraries")) ||
                run.err.startsWith(QStringLiteral("libgomp: Out of memory"))) {
                continue;
            }
            SCOPED_TRACE((QString::number(kibibytes) + QLatin1Char(' ') + run.err).toStdString());
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_TRUE(run.err.contains(
                QRegularExpression(QStringLiteral("error: [Nn]ot enough memory to [a-z]"))));
            EXPECT_EQ(ReadAll(output), "an earlier join");
            EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("out.mp3")});
            ++saidSo;
        }
        EXPECT_LT(kibibytes, rlim_t(1 << 20)) << "joined once there is enough";
    }
    EXPECT_GT(saidSo, 0);
}

// A signal amid the final rename waits for it: the target is then the whole join and no
// temporary file stays, whether it was made with a name or without (O_TMPFILE, named by Qt only
// for the rename).
TEST_F(TessaroJoinTest, ASignalDuringTheFinalRenameLeavesNoTemporaryFile) {
    const QString input = WriteAll(dir.filePath(QStringLiteral("in.mp3")), Mp3Frames(50));
    const QStringList arguments{QStringLiteral("-q"), QStringLiteral("-o"), output, input, input};
    QTemporaryDir elsewhere;
    const QString whole = elsewhere.filePath(QStringLiteral("whole.mp3"));
    ASSERT_EQ(Join({QStringLiteral("-q"), QStringLiteral("-o"), whole, input, input}).exitCode, 0);
    const QString signalInRename = QStringLiteral(TESSARO_SIGNAL_IN_RENAME);
    for (const QString& preload :
         {signalInRename,
          signalInRename + QLatin1Char(':') + QStringLiteral(TESSARO_NAMED_TEMPORARY_FILES)}) {
        for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
            SCOPED_TRACE((preload + QStringLiteral(" %1").arg(signal)).toStdString());
            WriteAll(output, "an earlier join");
            QProcessEnvironment environment = Preloaded(preload);
            environment.insert(QStringLiteral("TESSARO_RENAME_SIGNAL"), QString::number(signal));
            QProcess process;
            process.setProcessEnvironment(environment);
            process.start(QStringLiteral(TESSARO_JOIN), arguments);
            ASSERT_TRUE(process.waitForFinished(60000));
            // Ended by the signal, only once the rename was done.
            EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
            EXPECT_EQ(FolderEntries(dir.path()),
                      (QStringList{QStringLiteral("in.mp3"), QStringLiteral("out.mp3")}));
            EXPECT_EQ(ReadAll(output), ReadAll(whole));
        }
    }
}
