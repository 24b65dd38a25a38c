#include <QAction>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QStatusBar>
#include <QtTest>
#include <cmath>

#include "FrameTesting.h"
#include "TestFiles.h"
#include "app/Listening.h"
#include "app/SoundOutput.h"
#include "merge/FileDecoder.h"
#include "merge/MergeJob.h"
#include "settings/JoinPreferences.h"
#include "view/TrackListView.h"

using namespace testing_files;

namespace {

// Takes what would be played, at once, and wants more as a device soon would.
class RecordingOutput : public tessaro::SoundOutput {
public:
    bool Ready() const override { return ready; }
    bool Play(const tessaro::PcmFormat& played, const std::vector<float>& given) override {
        ++plays;
        format = played;
        samples = given;
        playing = ready;
        Want();
        return ready;
    }
    void Append(const std::vector<float>& given) override {
        samples.insert(samples.end(), given.begin(), given.end());
        Want();
    }
    void Stop() override {
        stops += playing;
        playing = false;
    }

    bool ready = true;
    bool playing = false;
    int plays = 0;
    int stops = 0;  // of a sound playing
    tessaro::PcmFormat format;
    std::vector<float> samples;

private:
    void Want() { QMetaObject::invokeMethod(this, &SoundOutput::wanting, Qt::QueuedConnection); }
};

// Every audio frame of the file decoded from the first, as the join decodes.
std::vector<float> DecodedWhole(const QString& path) {
    tessaro::FileDecoder decoder(path);
    return decoder.Next(1LL << 30);
}

}  // namespace

class ListeningTest : public QObject {
    Q_OBJECT

private:
    // A tone of `seconds` as the lame tool encodes it.
    QString Tone(const QString& name, double seconds, double frequency) {
        QByteArray raw;
        for (int i = 0; i < int(seconds * 44100); ++i) {
            const auto value = qint16(8000 * std::sin(i * frequency * 2 * M_PI / 44100));
            raw.append(reinterpret_cast<const char*>(&value), 2)
                .append(reinterpret_cast<const char*>(&value), 2);
        }
        const QString pcm = WriteAll(dir.filePath(name + QStringLiteral(".raw")), raw);
        const QString mp3 = dir.filePath(name + QStringLiteral(".mp3"));
        QProcess::execute(
            QStringLiteral("lame"),
            {QStringLiteral("--quiet"), QStringLiteral("-r"), QStringLiteral("-s"),
             QStringLiteral("44.1"), QStringLiteral("-b"), QStringLiteral("128"), pcm, mp3});
        return mp3;
    }
    // A window listing `paths`, its sound recorded by *output.
    std::unique_ptr<tessaro::MainWindow> Frame(const QStringList& paths, RecordingOutput*& output) {
        auto frame = MakeScriptedFrame(script);
        auto recording = std::make_unique<RecordingOutput>();
        output = recording.get();
        frame->SetSoundOutput(std::move(recording));
        for (const QString& path : paths) {
            AddEntry(*frame, path);
        }
        frame->show();
        static_cast<void>(QTest::qWaitForWindowExposed(frame.get()));
        return frame;
    }

    QTemporaryDir dir;
    QTemporaryDir config;
    ScriptedDialogs* script = nullptr;

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path())); }

    void listeningToTheJoinPlaysTheMergedFilesSamplesThere() {
        const QStringList list{Tone(QStringLiteral("a"), 6, 440),
                               Tone(QStringLiteral("b"), 5.5, 660),
                               Tone(QStringLiteral("c"), 5, 550)};
        tessaro::JoinOptions options;
        options.gapSeconds = 1;
        options.level = true;
        tessaro::SaveJoinOptions(options);
        RecordingOutput* output = nullptr;
        auto frame = Frame(list, output);
        QAction* listen = frame->Action(QStringLiteral("listenToJoin"));
        QVERIFY(!listen->isEnabled());
        frame->View().SelectRows({2});
        QVERIFY(!listen->isEnabled());
        frame->View().SelectRows({0});
        QVERIFY(listen->isEnabled());
        frame->View().setFocus();
        QTest::keyClick(&frame->View(), Qt::Key_Space, Qt::ControlModifier);
        QTRY_COMPARE(output->plays, 1);

        options.chapters = true;  // to tell where the second entry starts, to the millisecond
        testing_files::RecordingHost host;
        const QString merged = dir.filePath(QStringLiteral("merged.mp3"));
        const tessaro::MergeResult result =
            tessaro::RunMerge({list, merged, {}, false, options}, host);
        QVERIFY(result.Succeeded());
        QCOMPARE(output->format.sampleRate, 44100);
        QCOMPARE(output->format.channels, 2);
        QCOMPARE(output->samples.size(), size_t(8 * 44100 * 2));
        const std::vector<float> whole = DecodedWhole(merged);
        // Behind the encoder's and decoder's silence, which the chapters' timeline leaves out.
        const qint64 start = qint64(result.chapters[1].startMs) * 441 / 10 - 4 * 44100;
        bool found = false;
        for (qint64 at = start; at < start + 1200 && !found; ++at) {
            found =
                std::equal(output->samples.begin(), output->samples.end(), whole.begin() + at * 2);
        }
        QVERIFY(found);
    }

    void spacePlaysTheEntryAndStopsIt() {
        const QString entry = Fixture(QStringLiteral("vbr_fadeout.mp3"));
        RecordingOutput* output = nullptr;
        auto frame = Frame({entry, Fixture(QStringLiteral("cbr128_stereo.mp3"))}, output);
        frame->View().SelectRows({0});
        frame->View().setFocus();
        QTest::keyClick(&frame->View(), Qt::Key_Space);
        QTRY_COMPARE(output->samples.size(), DecodedWhole(entry).size());
        QCOMPARE(output->samples, DecodedWhole(entry));
        QVERIFY(output->playing);
        QTest::keyClick(&frame->View(), Qt::Key_Space);
        QCOMPARE(output->stops, 1);
        QVERIFY(!output->playing);
        // Space typed elsewhere stays the widget's.
        auto* field = new QLineEdit(frame->centralWidget());
        field->show();
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Space);
        QCOMPARE(field->text(), QStringLiteral(" "));
        QListWidget& log = frame->Output().List();
        log.setFocus();
        QTest::keyClick(&log, Qt::Key_Space);
        QTest::qWait(50);
        QCOMPARE(output->plays, 1);
        // The context menu offers both.
        QVERIFY(frame->View().actions().contains(frame->Action(QStringLiteral("playEntry"))));
        QVERIFY(frame->View().actions().contains(frame->Action(QStringLiteral("listenToJoin"))));
    }

    void noSoundDeviceIsSaidOnceInTheStatusBar() {
        RecordingOutput* output = nullptr;
        auto frame = Frame({Fixture(QStringLiteral("cbr128_stereo.mp3"))}, output);
        output->ready = false;
        QSignalSpy messages(frame->findChild<tessaro::Listening*>(), &tessaro::Listening::told);
        frame->View().SelectRows({0});
        frame->Action(QStringLiteral("playEntry"))->trigger();
        QTest::qWait(100);
        const QString said = QStringLiteral("No sound device: nothing can be played");
        QCOMPARE(frame->statusBar()->currentMessage(), said);
        int times = 0;
        for (const QList<QVariant>& message : messages) {
            times += message.at(0).toString() == said;
        }
        QCOMPARE(times, 1);
        QVERIFY(script->messages.isEmpty());
        QCOMPARE(output->plays, 0);
        // A file that cannot be decoded is named.
        output->ready = true;
        AddEntry(*frame, WriteAll(dir.filePath(QStringLiteral("text.mp3")), "no audio"));
        frame->View().SelectRows({1});
        frame->Action(QStringLiteral("playEntry"))->trigger();
        QTRY_VERIFY(frame->statusBar()->currentMessage().contains(QStringLiteral("text.mp3")));
        QCOMPARE(output->plays, 0);
    }
};

QTEST_MAIN(ListeningTest)
#include "ListeningTest.moc"
