#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "LameFiles.h"
#include "TestFiles.h"
#include "split/Split.h"

namespace {

using namespace testing_files;

struct SplitRun {
    int exitCode;
    QString out;
    QString err;
};

SplitRun Split(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(TESSARO_SPLIT), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

class TessaroSplitTest : public ::testing::Test {
protected:
    QStringList Parts() const {
        return QDir(dir.path()).entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name);
    }
    QTemporaryDir dir;
    // Three seconds as LAME encodes them, kept out of the folder the parts go to.
    QTemporaryDir sources;
    const QString cbr =
        WriteAll(sources.filePath(QStringLiteral("book.mp3")),
                 EncodeWithLame(Recording(0, 3 * 44100), Encoding{"CBR", false, 2, 44100, 128}));
};

TEST_F(TessaroSplitTest, HelpNamesEveryOption) {
    const SplitRun run = Split({QStringLiteral("--help")});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* option :
         {"-q, --quiet", "--chapters", "--chapter-file <FILE>", "--at <TIME[,TIME...]>",
          "--every <DURATION>", "--at-silence[=SECONDS]", "--silence-threshold <DB>",
          "-o, --output <FOLDER>", "--name <PATTERN>", "--id3v2.3", "--force"}) {
        EXPECT_TRUE(run.out.contains(QLatin1String(option))) << option;
    }
}

TEST_F(TessaroSplitTest, WrongUsageIsRefusedBeforeAnythingIsWritten) {
    const QString out = dir.path();
    for (const QStringList& arguments :
         {QStringList{QStringLiteral("-o"), out},
          {QStringLiteral("--at"), QStringLiteral("1,1"), QStringLiteral("-o"), out, cbr},
          {QStringLiteral("--at"), QStringLiteral("0:75"), QStringLiteral("-o"), out, cbr},
          {QStringLiteral("--at"), QStringLiteral("1"), QStringLiteral("--every"),
           QStringLiteral("1"), QStringLiteral("-o"), out, cbr},
          {QStringLiteral("--every"), QStringLiteral("2"), QStringLiteral("--silence-threshold"),
           QStringLiteral("-40"), QStringLiteral("-o"), out, cbr},
          {QStringLiteral("--at"), QStringLiteral("9:00"), QStringLiteral("-o"), out, cbr},
          {QStringLiteral("--at"), QStringLiteral("1"), QStringLiteral("--name"),
           QStringLiteral("same.mp3"), QStringLiteral("-o"), out, cbr},
          // No chapters of its own to cut at.
          {QStringLiteral("-o"), out, cbr}}) {
        const SplitRun run = Split(arguments);
        EXPECT_EQ(run.exitCode, 2)
            << arguments.join(QLatin1Char(' ')).toStdString() << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith(QLatin1String("tessaro-split: ")));
    }
    EXPECT_TRUE(Parts().isEmpty());
    // Not MPEG audio, a folder that is not there: failures, nothing written either.
    const QString text = WriteAll(dir.filePath(QStringLiteral("notes.txt")), "not audio");
    EXPECT_EQ(Split({QStringLiteral("--at"), QStringLiteral("1"), QStringLiteral("-o"), out, text})
                  .exitCode,
              1);
    EXPECT_EQ(Split({QStringLiteral("--at"), QStringLiteral("1"), QStringLiteral("-o"),
                     dir.filePath(QStringLiteral("none")), cbr})
                  .exitCode,
              1);
    EXPECT_TRUE(Parts().isEmpty());
}

TEST_F(TessaroSplitTest, PartsAreNumberedNamedAndNeverReplacedUnlessForced) {
    const QStringList arguments{QStringLiteral("--at"),
                                QStringLiteral("0.5,00:01.25"),
                                QStringLiteral("--name"),
                                QStringLiteral("{n}/{album}.mp3"),
                                QStringLiteral("-o"),
                                dir.path(),
                                cbr};
    const SplitRun run = Split(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // The slash cannot stand in a name; the album is empty here.
    EXPECT_EQ(Parts(), (QStringList{QStringLiteral("1_.mp3"), QStringLiteral("2_.mp3"),
                                    QStringLiteral("3_.mp3")}));
    EXPECT_TRUE(run.out.contains(QLatin1String("into 3 parts")));
    QString error;
    const auto part = tessaro::ReadSplitSource(dir.filePath(QStringLiteral("2_.mp3")), &error);
    ASSERT_TRUE(part);
    EXPECT_EQ(part->samples, qint64(0.75 * part->sampleRate));

    // Taken names stop the run before any part is written.
    const QByteArray before = ReadAll(dir.filePath(QStringLiteral("1_.mp3")));
    QFile::remove(dir.filePath(QStringLiteral("3_.mp3")));
    const SplitRun again = Split(arguments);
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains(QLatin1String("exists already")));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("3_.mp3"))));
    EXPECT_EQ(
        Split(QStringList(arguments) << QStringLiteral("--force") << QStringLiteral("-q")).out,
        QString());
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("1_.mp3"))), before);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("3_.mp3"))));
}

}  // namespace
