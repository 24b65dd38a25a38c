// The bad inputs of tests/bad-inputs and a folder, each put into the main window's track list
// between two good files, merged and saved in a workspace: no crash, no hang, and the joined file
// holds exactly the frames the plain byte scan finds.

#include <QtTest>

#include "FrameTesting.h"
#include "ReferenceScan.h"
#include "TestFiles.h"
#include "app/MainWindow.h"
#include "app/WorkspaceDocument.h"
#include "view/TrackListView.h"

using namespace testing_files;
using namespace tessaro;

namespace {

// Where the audio starts as a leading ID3v2 tag's header states it: 10 bytes and the syncsafe
// size, at most the whole file.
qint64 AudioStart(const QByteArray& bytes) {
    if (!bytes.startsWith("ID3") || bytes.size() < 10) {
        return 0;
    }
    qint64 size = 0;
    for (int i = 6; i < 10; ++i) {
        size = size << 7 | (quint8(bytes[i]) & 0x7F);
    }
    return std::min<qint64>(10 + size, bytes.size());
}

// What a merge copies of a file: the frames from where its audio starts; nothing of what cannot
// be read as a file.
std::vector<Unit> MergedUnits(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return {};
    }
    const QByteArray bytes = ReadAll(path);
    return ReferenceScan(bytes, AudioStart(bytes));
}

}  // namespace

class BadInputTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QTemporaryDir config;
    ScriptedDialogs* script = nullptr;

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path())); }

    void listedMergedAndSaved_data() {
        QTest::addColumn<QString>("path");
        const QDir inputs(QStringLiteral(TESSARO_BAD_INPUTS));
        const QStringList names =
            inputs.entryList({QStringLiteral("*.mp3")}, QDir::Files | QDir::Hidden, QDir::Name);
        QVERIFY(names.size() >= 8);
        for (const QString& name : names) {
            QTest::newRow(qPrintable(name)) << inputs.filePath(name);
        }

        const QString folder = dir.filePath(QStringLiteral("folder.mp3"));
        QVERIFY(QDir().mkpath(folder));
        QTest::newRow("a folder") << folder;
    }

    void listedMergedAndSaved() {
        QFETCH(QString, path);
        const QString before = Fixture(QStringLiteral("cbr128_stereo.mp3"));
        const QString after = Fixture(QStringLiteral("mpeg2_22k.mp3"));
        const QStringList paths{before, path, after};
        // A folder stands for the MPEG audio files under it: none here, which the log says.
        const QStringList listed = QFileInfo(path).isDir() ? QStringList{before, after} : paths;
        auto frame = MakeScriptedFrame(script);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));

        // One by one: picked together they would go in in order of their names.
        for (const QString& picked : paths) {
            script->openManyAnswers << QStringList{picked};
            frame->Action(QStringLiteral("insertMp3"))->trigger();
        }
        QCOMPARE(frame->Document().Workspace().Paths(), listed);
        QCOMPARE(EntryPaths(frame->Document().Tracks()), listed);
        // An entry without audio figures says why instead.
        QTRY_VERIFY(!frame->Document().Tracks().FiguresPending());
        const tessaro::TrackInfo& info = frame->Document().Tracks().Track(1);
        QCOMPARE(info.bitrate > 0, info.problem.isEmpty());
        frame->View().viewport()->grab();  // painted like any other entry

        const QString output = dir.filePath(QStringLiteral("joined.mp3"));
        script->saveAnswers << output;
        frame->Action(QStringLiteral("merge"))->trigger();
        QTRY_VERIFY(!frame->IsMerging());
        QVERIFY(script->messages.isEmpty());
        QCOMPARE(ReadBehindTag(output),
                 MergeOutput({MergedUnits(before), MergedUnits(path), MergedUnits(after)}));
        // An input that gives nothing is named in the log as skipped.
        const bool skipped =
            !LogTexts(*frame).filter(QStringLiteral("Skipped")).filter(path).isEmpty();
        QCOMPARE(skipped, MergedUnits(path).empty());

        const QString saved = dir.filePath(QStringLiteral("bad.twk"));
        script->saveAnswers << saved;
        frame->Action(QStringLiteral("saveWorkspace"))->trigger();
        auto reopened = MakeScriptedFrame(script);
        script->openAnswers << saved;
        reopened->Action(QStringLiteral("openWorkspace"))->trigger();
        QVERIFY(script->messages.isEmpty());
        QCOMPARE(reopened->Document().Workspace().Paths(), listed);
        QCOMPARE(EntryPaths(reopened->Document().Tracks()), listed);
        QTRY_VERIFY(!reopened->Document().Tracks().FiguresPending());
        QCOMPARE(reopened->Document().Tracks().Track(1).problem, info.problem);
    }
};

QTEST_MAIN(BadInputTest)
#include "BadInputTest.moc"
