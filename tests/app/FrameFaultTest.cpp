// Faults met through the main window: a merge onto a full disk, with an input that shrinks
// meanwhile or without the memory for its thread, a workspace save and a preference save that
// fail halfway. Each is shown to the
// user, and the file it was to replace is left as it was, with no temporary file beside it.

#include <QtTest>
#include <functional>
#include <optional>

#include <sys/resource.h>
#include <QScopeGuard>
#include <QSettings>
#include "FrameTesting.h"
#include "TestFiles.h"
#include "app/JoinController.h"
#include "app/MainWindow.h"
#include "settings/Preferences.h"
#include "workspace/TessaroWorkSpace.h"

using namespace testing_files;
using namespace tessaro;

namespace {

const QByteArray kOld("what the file held before");

// Runs `fault` on the GUI thread once the merge first tells progress past 0 %.
class FaultyFrame : public tessaro::MainWindow {
public:
    FaultyFrame() {
        connect(&Join(), &JoinController::progressed, this, [this](int percent) {
            if (percent > 0 && fault) {
                std::exchange(fault, nullptr)();
            }
        });
    }

    std::function<void()> fault;
};

}  // namespace

class FrameFaultTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<FaultyFrame> MakeFrame() { return MakeScriptedFrame<FaultyFrame>(script); }
    QString Write(const QString& name, const QByteArray& bytes) {
        return WriteAll(dir.filePath(name), bytes);
    }
    // Runs the Merge command onto `output` until its finish message has been handled.
    void Merge(tessaro::MainWindow& frame, const QString& output) {
        script->saveAnswers << output;
        frame.Action(QStringLiteral("merge"))->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!frame.IsMerging(), 20000);
    }
    // One error box whose text names `subject` and says `reason`; the old file is untouched and
    // alone in its folder.
    void ExpectShownAndNothingReplaced(const QString& subject, const QString& reason,
                                       const QString& file, const QStringList& folderEntries) {
        QCOMPARE(script->messages.size(), 1);
        QCOMPARE(script->messages[0].icon, tessaro::WindowDialogs::Icon::Error);
        QVERIFY2(script->messages[0].text.contains(subject), qPrintable(script->messages[0].text));
        QVERIFY2(script->messages[0].text.contains(reason), qPrintable(script->messages[0].text));
        QCOMPARE(ReadAll(file), kOld);
        QCOMPARE(FolderEntries(QFileInfo(file).path()), folderEntries);
    }

    QTemporaryDir dir;
    QTemporaryDir config;
    ScriptedDialogs* script = nullptr;

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path())); }
    void init() {
        for (const QString& name : FolderEntries(dir.path())) {
            QFile::remove(dir.filePath(name));
        }
    }

    void aMergeOntoAFullDisk() {
        auto frame = MakeFrame();
        AddEntry(*frame, Write(QStringLiteral("a.mp3"), Mp3Frames(3000)));
        AddEntry(*frame, Write(QStringLiteral("b.mp3"), Mp3Frames(3000)));
        const QString output = Write(QStringLiteral("out.mp3"), kOld);
        {
            const FileSizeLimit full(1 << 20);
            Merge(*frame, output);
        }
        ExpectShownAndNothingReplaced(output, QStringLiteral("File too large"), output,
                                      {"a.mp3", "b.mp3", "out.mp3"});
        const QStringList log = LogTexts(*frame);
        QVERIFY(log.filter(QStringLiteral("File too large")).size() == 1);
        QCOMPARE(log.last(), QStringLiteral("merge process has been finished!"));
    }

    void anInputThatShrinksDuringTheMerge() {
        // Levelled, the join decodes every input before it copies one, far longer than the
        // window takes to see the first percent: the input shrinks before it is copied.
        QSettings settings(QStringLiteral("Veskaro Technology"), QStringLiteral("Zovi Tessaro"));
        settings.setValue(QStringLiteral("joinedFile/level"), true);
        const auto unlevel = qScopeGuard([&] { settings.remove(QStringLiteral("joinedFile")); });
        auto frame = MakeFrame();
        QVERIFY(frame->Options().level);
        const QString input = Write(QStringLiteral("a.mp3"), Mp3Frames(20000));
        AddEntry(*frame, input);
        const QString output = Write(QStringLiteral("out.mp3"), kOld);
        frame->fault = [&] { QFile::resize(input, 100000); };
        Merge(*frame, output);
        ExpectShownAndNothingReplaced(input, QStringLiteral("changed or removed"), output,
                                      {"a.mp3", "out.mp3"});
    }

    void aMergeWhoseThreadCannotStart() {
        if (kThreadSanitized) {
            QSKIP("ThreadSanitizer's runtime needs threads the limit refuses");
        }
        const QString output = Write(QStringLiteral("out.mp3"), kOld);
        const tessaro::JoinRequest request{
            .inputs = {Write(QStringLiteral("a.mp3"), Mp3Frames(30))}, .output = output};
        // A user allowed no more processes is allowed no thread either.
        const QString said = RunWithoutPrivileges([&] {
            const rlimit none{0, 0};
            ::setrlimit(RLIMIT_NPROC, &none);
            tessaro::JoinController controller;
            QStringList lines;
            QObject::connect(&controller, &tessaro::JoinController::logged,
                             [&](const QString& line) { lines << line; });
            controller.Start(request);
            QCoreApplication::sendPostedEvents(&controller, QEvent::MetaCall);
            return lines.join(QLatin1Char('|'));
        });
        QCOMPARE(said, QStringLiteral("Not enough memory to start a thread for the merge|"
                                      "merge process has been finished!"));
        QCOMPARE(ReadAll(output), kOld);
        QCOMPARE(FolderEntries(dir.path()), (QStringList{"a.mp3", "out.mp3"}));
    }

    void aWorkspaceSaveThatFailsHalfway() {
        auto frame = MakeFrame();
        for (int i = 0; i < 100; ++i) {
            AddEntry(*frame, QStringLiteral("/music/a rather long path/track %1.mp3").arg(i));
        }
        const QString saved = Write(QStringLiteral("work.twk"), kOld);
        script->saveAnswers << saved;
        {
            const FileSizeLimit full(2000);
            frame->Action(QStringLiteral("saveWorkspace"))->trigger();
        }
        ExpectShownAndNothingReplaced(saved, QStringLiteral("File too large"), saved, {"work.twk"});
        QVERIFY(LogTexts(*frame).isEmpty());
    }

    void aPreferenceSaveThatFailsAtExit() {
        const QString file = tessaro::GetPreferencesPath(QStringLiteral("Zovi Tessaro 1.2"));
        QVERIFY(tessaro::WriteSaveID3Tag(file, true).isEmpty());
        const QByteArray before = ReadAll(file);
        {
            auto frame = MakeFrame();
            QVERIFY(frame->SaveID3Tag());
            frame->SetSaveID3Tag(false);
            const FileSizeLimit full(100);
            frame.reset();
        }
        // Not shown: the window is gone. The old file stays whole.
        QCOMPARE(ReadAll(file), before);
        QVERIFY(tessaro::ReadSaveID3Tag(file));
        QCOMPARE(FolderEntries(QFileInfo(file).path()), QStringList{"preferences.dat"});
    }
};

QTEST_MAIN(FrameFaultTest)
#include "FrameFaultTest.moc"
