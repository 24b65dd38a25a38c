#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QtTest>

#include "FrameTesting.h"
#include "LameFiles.h"
#include "TestFiles.h"
#include "app/SplitController.h"
#include "app/SplitDialog.h"
#include "view/SplitPartsModel.h"

using namespace testing_files;
using tessaro::SplitDialog;
using tessaro::SplitPartsModel;

namespace {

constexpr int kRate = 44100;

// The texts of one column of the parts' table, top to bottom.
QStringList Column(const SplitPartsModel& parts, int column) {
    QStringList texts;
    for (int row = 0; row < parts.rowCount(); ++row) {
        texts << parts.index(row, column).data().toString();
    }
    return texts;
}

template <typename Widget>
Widget* Named(QWidget& parent, const QString& name) {
    for (Widget* widget : parent.findChildren<Widget*>()) {
        if (widget->accessibleName() == name || widget->text() == name) {
            return widget;
        }
    }
    return nullptr;
}

}  // namespace

class SplitCommandsTest : public QObject {
    Q_OBJECT

private:
    // Ten seconds LAME encoded, without chapters.
    QString Book() {
        return WriteAll(
            dir.filePath(QStringLiteral("book.mp3")),
            EncodeWithLame(Recording(0, kRate * 10), Encoding{"CBR", false, 2, kRate, 128}));
    }
    QString Folder() const { return dir.filePath(QStringLiteral("book")); }
    // File > Split MP3 on `path`, its dialog as it opens once the file is read; null where none
    // did. While it is read, the window is busy with the split.
    SplitDialog* OpenSplit(tessaro::MainWindow& frame, const QString& path) {
        script->openAnswers << path;
        QAction* split = frame.Action(QStringLiteral("splitMp3"));
        split->trigger();
        [&] { QVERIFY(!split->isEnabled() && frame.IsSplitting()); }();
        [&] { QTRY_VERIFY(!frame.IsSplitting()); }();
        return frame.findChild<SplitDialog*>();
    }
    // Until the dialog has found that its source has no chapters and turned to times.
    static void WaitForNoChapters(SplitDialog& dialog) {
        const QString none = SplitDialog::tr("The file's own &chapters (it has none)");
        QTRY_VERIFY(Named<QRadioButton>(dialog, none));
        QVERIFY(!Named<QRadioButton>(dialog, none)->isEnabled());
        QVERIFY(Named<QRadioButton>(dialog, SplitDialog::tr("&Times:"))->isChecked());
    }
    // The dialog of a source without chapters, once it has turned to times, given `times`.
    static void CutAt(SplitDialog& dialog, const QString& times) {
        WaitForNoChapters(dialog);
        QTest::keyClicks(Named<QLineEdit>(dialog, QStringLiteral("Times to cut at")), times);
        QTRY_VERIFY(!dialog.Parts().Names().isEmpty() &&
                    Named<QPushButton>(dialog, QStringLiteral("&Split"))->isEnabled());
    }
    static void StartSplit(SplitDialog& dialog) {
        Named<QPushButton>(dialog, QStringLiteral("&Split"))->click();
    }

    QTemporaryDir dir;
    QTemporaryDir config;
    ScriptedDialogs* script = nullptr;

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path())); }

    void timesGiveTheParts() {
        auto frame = MakeScriptedFrame(script);
        SplitDialog* dialog = OpenSplit(*frame, Book());
        QVERIFY(dialog);
        CutAt(*dialog, QStringLiteral("0:02.5, 5"));
        const SplitPartsModel& parts = dialog->Parts();
        QCOMPARE(Column(parts, SplitPartsModel::StartColumn),
                 QStringList({"0:00:00.000", "0:00:02.500", "0:00:05.000"}));
        QCOMPARE(Column(parts, SplitPartsModel::LengthColumn),
                 QStringList({"0:00:02.500", "0:00:02.500", "0:00:05.000"}));
        QCOMPARE(Column(parts, SplitPartsModel::FileColumn),
                 QStringList({"1.mp3", "2.mp3", "3.mp3"}));
        QCOMPARE(parts.Request().folder, Folder());
        // Times out of order are refused before any part is looked for.
        QTest::keyClicks(Named<QLineEdit>(*dialog, QStringLiteral("Times to cut at")),
                         QStringLiteral(", 4"));
        QTRY_COMPARE(parts.rowCount(), 0);
        QVERIFY(dialog->Line().contains(QStringLiteral("\"4\"")));
        QVERIFY(!Named<QPushButton>(*dialog, QStringLiteral("&Split"))->isEnabled());
        // As are times past the end of the audio.
        Named<QLineEdit>(*dialog, QStringLiteral("Times to cut at"))->clear();
        QTest::keyClicks(Named<QLineEdit>(*dialog, QStringLiteral("Times to cut at")),
                         QStringLiteral("5, 10"));
        QCOMPARE(parts.rowCount(), 0);
        QVERIFY(dialog->Line().contains(QStringLiteral("\"10\" lies past the end")));
    }

    void renamingAPartRenamesItsFile() {
        auto frame = MakeScriptedFrame(script);
        SplitDialog* dialog = OpenSplit(*frame, Book());
        CutAt(*dialog, QStringLiteral("3"));
        auto* table = dialog->findChild<QTableView*>();
        dialog->activateWindow();
        table->setFocus();
        table->setCurrentIndex(dialog->Parts().index(1, SplitPartsModel::NumberColumn));
        QTest::keyClick(table, Qt::Key_F2);
        auto* editor = table->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("Ending/Credits"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(Column(dialog->Parts(), SplitPartsModel::FileColumn),
                     QStringList({"1.mp3", "2 Ending_Credits.mp3"}));
        // The Return that ends the rename is not the dialog's: nothing is split yet.
        QVERIFY(dialog->isVisible());
        QVERIFY(!frame->IsSplitting());
        QCOMPARE(dialog->Request().parts.at(1).title, QStringLiteral("Ending/Credits"));
    }

    void splitWritesThePartsIntoTheProposedFolder() {
        auto frame = MakeScriptedFrame(script);
        SplitDialog* dialog = OpenSplit(*frame, Book());
        CutAt(*dialog, QStringLiteral("4"));
        StartSplit(*dialog);
        QVERIFY(frame->IsSplitting());
        QVERIFY(!frame->Action(QStringLiteral("splitMp3"))->isEnabled());
        QVERIFY(!frame->Action(QStringLiteral("merge"))->isEnabled());
        QTRY_VERIFY(!frame->IsSplitting());
        QCOMPARE(FolderEntries(Folder()), QStringList({"1.mp3", "2.mp3"}));
        QString error;
        const auto first = tessaro::ReadSplitSource(QDir(Folder()).filePath("1.mp3"), &error);
        QVERIFY2(first, qPrintable(error));
        QCOMPARE(first->samples, qint64(kRate) * 4);
        const QStringList log = LogTexts(*frame);
        QVERIFY(log.contains(QStringLiteral("Made the folder \"%1\"").arg(Folder())));
        QCOMPARE(log.last(), QStringLiteral("Split book.mp3 into 2 parts in %1")
                                 .arg(QDir::toNativeSeparators(Folder())));
        QVERIFY(script->messages.isEmpty());
        QVERIFY(frame->Action(QStringLiteral("splitMp3"))->isEnabled());

        // Again: the parts are there now, and replaced only when the question says so.
        script->confirmAnswers << false << true;
        dialog = OpenSplit(*frame, dir.filePath(QStringLiteral("book.mp3")));
        CutAt(*dialog, QStringLiteral("4"));
        StartSplit(*dialog);
        QVERIFY(!frame->IsSplitting());
        QVERIFY(dialog->isVisible());
        QVERIFY(script->messages.last().text.contains(QStringLiteral("exist already")));
        StartSplit(*dialog);
        QVERIFY(frame->IsSplitting());
        QTRY_VERIFY(!frame->IsSplitting());
        QVERIFY(LogTexts(*frame).last().startsWith(QStringLiteral("Split book.mp3 into 2 parts")));
    }

    void cancelLeavesNoPartHalfWritten() {
        auto frame = MakeScriptedFrame(script);
        SplitDialog* dialog = OpenSplit(*frame, Book());
        CutAt(*dialog, QStringLiteral("1, 2, 3, 4, 5, 6, 7, 8, 9"));
        StartSplit(*dialog);
        frame->Action(QStringLiteral("cancelMerge"))->trigger();
        QTRY_VERIFY(!frame->IsSplitting());
        // Whatever was written is whole; the part it was writing is gone.
        const QStringList written = FolderEntries(Folder());
        QVERIFY(written.size() < 10);
        for (const QString& name : written) {
            QVERIFY2(name.endsWith(QStringLiteral(".mp3")) && !name.startsWith(QLatin1Char('.')),
                     qPrintable(name));
        }
        QCOMPARE(LogTexts(*frame).last(),
                 QStringLiteral("The split was cancelled: no part is left half written."));
        QVERIFY(script->messages.isEmpty());
    }

    void silencesAreLookedForOffTheWindowsThread() {
        auto frame = MakeScriptedFrame(script);
        const QString path = LameEncoded(dir.filePath(QStringLiteral("talk.mp3")),
                                         Tape().Tone(2).Silence(3).Tone(2).Silence(3).Tone(2));
        SplitDialog* dialog = OpenSplit(*frame, path);
        WaitForNoChapters(*dialog);
        Named<QRadioButton>(*dialog, QStringLiteral("Si&lences of at least:"))->click();
        QVERIFY(frame->Split().IsSearching());
        QVERIFY(dialog->Line().startsWith(QStringLiteral("Looking for silences")));
        QTRY_COMPARE(dialog->Parts().rowCount(), 3);
        QVERIFY(dialog->Line().isEmpty());
        // The middle of each silence.
        QCOMPARE(Column(dialog->Parts(), SplitPartsModel::StartColumn).mid(1),
                 QStringList({"0:00:03.500", "0:00:08.500"}));
    }

    void aFileThatIsNotMp3IsAnError() {
        auto frame = MakeScriptedFrame(script);
        const QString path =
            WriteAll(dir.filePath(QStringLiteral("notes.mp3")), QByteArray("just some notes\n"));
        QVERIFY(!OpenSplit(*frame, path));
        QCOMPARE(script->messages.size(), 1);
        QCOMPARE(script->messages[0].icon, ScriptedDialogs::Icon::Error);
        QCOMPARE(script->messages[0].caption, QStringLiteral("Split MP3"));
        QVERIFY(script->messages[0].text.contains(QStringLiteral("notes.mp3")));
        QVERIFY(LogTexts(*frame).contains(script->messages[0].text));
        QVERIFY(frame->Action(QStringLiteral("splitMp3"))->isEnabled());
    }
};

QTEST_MAIN(SplitCommandsTest)
#include "SplitCommandsTest.moc"
