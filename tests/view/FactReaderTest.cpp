#include <sys/resource.h>

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "TestFiles.h"
#include "view/FactReader.h"

using namespace testing_files;
using tessaro::FactReader;
using tessaro::FileFacts;

class FactReaderTest : public QObject {
    Q_OBJECT

private:
    QString Write(const QString& name, const QByteArray& bytes) {
        return WriteAll(dir.filePath(name), bytes);
    }
    // The paths of the files reported, in the order of the reports.
    static QStringList Reported(const QSignalSpy& spy) {
        QStringList paths;
        for (const QList<QVariant>& report : spy) {
            for (const FileFacts& file : report.at(0).value<std::vector<FileFacts>>()) {
                paths << file.path;
            }
        }
        return paths;
    }

    // The process's threads.
    static qsizetype Threads() {
        return QDir(QStringLiteral("/proc/self/task"))
            .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
            .size();
    }

    QTemporaryDir dir;

private Q_SLOTS:
    void initTestCase() {
        qRegisterMetaType<std::vector<FileFacts>>();
        QVERIFY(dir.isValid());
    }

    // Each file asked for is read once, however often it is asked for while pending, and is
    // pending until its facts are reported; what cannot be read says why.
    void eachFileAskedForIsReportedOnceWithItsFigures() {
        FactReader reader;
        QSignalSpy reports(&reader, &FactReader::factsRead);
        const QString song = Write(QStringLiteral("song.mp3"),
                                   Id3v2Of(3, PlainFrame(3, "TIT2", "Song")) + Mp3Frames(200));
        const QString gone = dir.filePath(QStringLiteral("gone.mp3"));
        QVERIFY(!reader.Pending());
        reader.Read(song);
        reader.Read(gone);
        reader.Read(song);
        QVERIFY(reader.Pending());
        QTRY_VERIFY(!reader.Pending());
        QStringList paths = Reported(reports);
        std::sort(paths.begin(), paths.end());
        QCOMPARE(paths, (QStringList{gone, song}));
        for (const QList<QVariant>& report : reports) {
            for (const FileFacts& file : report.at(0).value<std::vector<FileFacts>>()) {
                QCOMPARE(file.facts.title, file.path == song ? QStringLiteral("Song") : QString());
                QCOMPARE(file.facts.problem.isEmpty(), file.path == song);
            }
        }
        // Reported, a file is read anew when asked for again: it may have changed.
        reader.Read(song);
        QVERIFY(reader.Pending());
        QTRY_VERIFY(!reader.Pending());
        QCOMPARE(Reported(reports).count(song), 2);
    }

    // Destroyed while its thread reads, the reader waits for the file in hand, its thread gone
    // when it is, and what was read is never reported.
    void destroyedWhileReadingItStopsAndReportsNothing() {
        const QByteArray bytes = Mp3Frames(50);
        QStringList paths;
        for (int i = 0; i < 400; ++i) {
            paths << Write(QStringLiteral("%1.mp3").arg(i), bytes);
        }
        const qsizetype threads = Threads();
        auto reader = std::make_unique<FactReader>();
        QSignalSpy reports(reader.get(), &FactReader::factsRead);
        for (const QString& path : paths) {
            reader->Read(path);
        }
        QCOMPARE(Threads(), threads + 1);
        reader.reset();
        QCOMPARE(Threads(), threads);
        QTest::qWait(50);
        QCOMPARE(reports.count(), 0);
    }

    // Where the system starts no thread, the file is reported unreadable rather than left
    // pending, and nothing escapes into the event loop.
    void aReaderWithoutAThreadReportsWhy() {
        if (kThreadSanitized) {
            QSKIP("ThreadSanitizer's runtime needs threads the limit refuses");
        }
        const QString path = Write(QStringLiteral("a.mp3"), Mp3Frames(5));
        const QString said = RunWithoutPrivileges([&] {
            const rlimit none{0, 0};
            ::setrlimit(RLIMIT_NPROC, &none);
            FactReader reader;
            QString problem;
            QObject::connect(
                &reader, &FactReader::factsRead,
                [&](const std::vector<FileFacts>& files) { problem = files.at(0).facts.problem; });
            reader.Read(path);
            QCoreApplication::sendPostedEvents(&reader, QEvent::MetaCall);
            return reader.Pending() ? QStringLiteral("pending") : problem;
        });
        QCOMPARE(said, QStringLiteral("Not enough memory to start a thread for reading the files' "
                                      "figures"));
    }
};

QTEST_GUILESS_MAIN(FactReaderTest)
#include "FactReaderTest.moc"
