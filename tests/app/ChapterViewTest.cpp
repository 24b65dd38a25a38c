#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

#include "FrameTesting.h"
#include "TestFiles.h"
#include "app/ChapterPreview.h"
#include "app/MainWindow.h"
#include "app/WorkspaceDocument.h"
#include "settings/JoinPreferences.h"
#include "view/ChapterListModel.h"
#include "view/ChapterPane.h"
#include "view/TrackListView.h"

using namespace testing_files;
using tessaro::ChapterMark;

namespace {

using Start = ChapterMark::Start;

// What the Chapters pane lists: "start|title|entries" a chapter.
QStringList Listed(tessaro::MainWindow& frame) {
    QStringList rows;
    const QAbstractItemModel& model = *frame.Chapters().Table().model();
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model.columnCount(); ++column) {
            cells << model.index(row, column).data().toString();
        }
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

const tessaro::ChapterListModel& ListModel(tessaro::MainWindow& frame) {
    return static_cast<const tessaro::ChapterListModel&>(*frame.Chapters().Table().model());
}

// Waits for the chapters of the list as it stands.
bool Previewed(tessaro::MainWindow& frame) {
    return QTest::qWaitFor([&] { return !frame.Preview().IsBusy(); }, 10000);
}

}  // namespace

class ChapterViewTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<tessaro::MainWindow> MakeFrame(const tessaro::JoinOptions& options) {
        auto frame = MakeScriptedFrame(script);
        frame->SetOptions(options);
        return frame;
    }
    // A copy of a fixture of a bit over half a second whose tag carries `title`.
    QString Titled(const QString& name, const QString& title) {
        return TaggedCopy(dir.filePath(name), {{QStringLiteral("TIT2"), title}});
    }
    void AddTitled(tessaro::MainWindow& frame, const QStringList& titles) {
        for (const QString& title : titles) {
            AddEntry(frame, Titled(QString(title).replace(QLatin1Char('/'), QLatin1Char('-')) +
                                       QStringLiteral(".mp3"),
                                   title));
        }
    }
    // The pane's chapters once worked out are those a real merge of the list writes: the same
    // titles, each starting within a millisecond of its own.
    void ListedAsMerged(tessaro::MainWindow& frame) {
        QVERIFY(Previewed(frame));
        QVERIFY2(frame.Chapters().Line().text().isEmpty(),
                 qPrintable(frame.Chapters().Line().text()));
        const QString output = joined.filePath(QStringLiteral("check.mp3"));
        RecordingHost host;
        tessaro::JoinPreferences preferences;
        preferences.options = frame.Options();
        const tessaro::MergeResult merged =
            tessaro::RunMerge(frame.Document().JoinOf(preferences, output), host);
        QVERIFY2(merged.Succeeded(), qPrintable(merged.error));
        const ChapterTables written = ReadChapterTables(output);
        const std::vector<tessaro::ListedChapter>& listed = ListModel(frame).Chapters();
        QCOMPARE(listed.size(), written.chapters.size());
        for (size_t i = 0; i < listed.size(); ++i) {
            QCOMPARE(listed[i].title.toStdString(), written.chapters[i].title);
            QVERIFY2(qAbs(qint64(listed[i].startMs) - qint64(written.chapters[i].startMs)) <= 1,
                     qPrintable(QString::number(i)));
        }
    }
    // What the track list shows of the chapters, entry by entry ("" for none).
    static QStringList EntryChapters(tessaro::MainWindow& frame) {
        QStringList shown;
        const tessaro::TrackListModel& tracks = frame.Document().Tracks();
        for (int row = 0; row < tracks.Count(); ++row) {
            shown << tracks.Track(row).chapters.join(QLatin1Char('+'));
        }
        return shown;
    }
    void Trigger(tessaro::MainWindow& frame, const char* name) {
        frame.Action(QLatin1String(name))->trigger();
    }

    QTemporaryDir dir;
    QTemporaryDir joined;
    QTemporaryDir config;
    ScriptedDialogs* script = nullptr;

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path())); }

    // One chapter for each input, then one for each title's parts, then the same with a gap
    // between the inputs: each as the merge writes it, and shown on the entries it starts at.
    void theChaptersOfTheInputsAreThoseTheMergeWrites() {
        auto frame = MakeFrame({});
        QVERIFY(frame->Chapters().isHidden());
        AddTitled(*frame, {"Night (1/2)", "Night (2/2)", "Morning"});
        QVERIFY(Previewed(*frame));
        QVERIFY(Listed(*frame).isEmpty());
        QVERIFY(frame->Chapters().Line().text().contains(QStringLiteral("Preferences")));

        frame->SetOptions({.chapters = true});
        QVERIFY(!frame->Chapters().isHidden());
        ListedAsMerged(*frame);
        QCOMPARE(Listed(*frame).size(), 3);
        QCOMPARE(Listed(*frame)[0], QStringLiteral("0:00:00.000|Night (1/2)|1"));
        QVERIFY(Listed(*frame)[2].endsWith(QStringLiteral("|Morning|3")));
        QCOMPARE(EntryChapters(*frame), (QStringList{"Night (1/2)", "Night (2/2)", "Morning"}));

        frame->SetOptions({.chapters = true, .chaptersByTitle = true});
        ListedAsMerged(*frame);
        QCOMPARE(Listed(*frame).size(), 2);
        QVERIFY(Listed(*frame)[0].endsWith(QStringLiteral("|Night|1\u20132")));
        QCOMPARE(EntryChapters(*frame), (QStringList{"Night", "", "Morning"}));
        const QString spoken =
            frame->Document().Tracks().index(0).data(Qt::AccessibleDescriptionRole).toString();
        QVERIFY2(spoken.endsWith(QStringLiteral(", Chapter: Night")), qPrintable(spoken));

        const quint32 before = ListModel(*frame).Chapters()[1].startMs;
        frame->SetOptions({.chapters = true, .chaptersByTitle = true, .gapSeconds = 2});
        ListedAsMerged(*frame);
        QVERIFY(ListModel(*frame).Chapters()[1].startMs >= before + 3900);
    }

    // The chapters of an imported CUE sheet, renamed in the pane and dropped again, each a step.
    void anImportedSheetIsShownRenamedAndCleared() {
        auto frame = MakeFrame({});
        AddTitled(*frame, {"One", "Two"});
        QVERIFY(!frame->Action(QStringLiteral("clearChapterFile"))->isEnabled());
        script->openAnswers << WriteAll(dir.filePath(QStringLiteral("book.cue")),
                                        "FILE \"x.mp3\" MP3\n  TRACK 01 AUDIO\n"
                                        "    TITLE \"Opening\"\n    INDEX 01 00:00:00\n"
                                        "  TRACK 02 AUDIO\n    TITLE \"Closing\"\n"
                                        "    INDEX 01 00:00:45\n");
        Trigger(*frame, "importChapters");
        QVERIFY(!frame->Chapters().isHidden());
        ListedAsMerged(*frame);
        QCOMPARE(Listed(*frame),
                 (QStringList{"0:00:00.000|Opening|1\u20132", "0:00:00.600|Closing|2"}));
        // Its chapters go by the file: the inputs' marks are not to be set.
        QVERIFY(!frame->Action(QStringLiteral("startChapter"))->isEnabled());

        QAbstractItemModel& model = *frame->Chapters().Table().model();
        model.setData(model.index(1, tessaro::ChapterListModel::TitleColumn),
                      QStringLiteral(" Finale "));
        QCOMPARE(frame->Document().ChapterTitles(), (QStringList{"", "Finale"}));
        ListedAsMerged(*frame);
        QCOMPARE(EntryChapters(*frame), (QStringList{"Opening", "Finale"}));
        Trigger(*frame, "undo");
        QVERIFY(frame->Document().ChapterTitles().isEmpty());
        Trigger(*frame, "redo");
        ListedAsMerged(*frame);
        QVERIFY(Listed(*frame)[1].contains(QStringLiteral("|Finale|")));

        Trigger(*frame, "clearChapterFile");
        QVERIFY(frame->Document().ChapterFile().isEmpty());
        QVERIFY(frame->Document().ChapterTitles().isEmpty());
        QVERIFY(Previewed(*frame));
        QVERIFY(Listed(*frame).isEmpty());
        Trigger(*frame, "undo");
        QCOMPARE(frame->Document().ChapterTitles(), (QStringList{"", "Finale"}));
        ListedAsMerged(*frame);
    }

    // Start Chapter Here, Join with Previous Chapter and a rename on the entry, each as the
    // merge writes it and each taken back by Undo.
    void handEditsGoIntoTheMergeAndAreUndone() {
        auto frame = MakeFrame({.chapters = true, .chaptersByTitle = true});
        AddTitled(*frame, {"Night (1/2)", "Night (2/2)", "Morning", "Evening"});
        ListedAsMerged(*frame);
        QCOMPARE(EntryChapters(*frame), (QStringList{"Night", "", "Morning", "Evening"}));

        frame->View().SelectRows({1});
        Trigger(*frame, "startChapter");
        QCOMPARE(frame->Document().Tracks().Track(1).mark.start, Start::Here);
        ListedAsMerged(*frame);
        QCOMPARE(Listed(*frame).size(), 4);
        QVERIFY(Listed(*frame)[1].endsWith(QStringLiteral("|2")));

        frame->View().SelectRows({2, 3});
        Trigger(*frame, "joinChapter");
        ListedAsMerged(*frame);
        QCOMPARE(Listed(*frame).size(), 2);
        QVERIFY(Listed(*frame)[1].endsWith(QStringLiteral("|2\u20134")));

        // Renamed where it starts in the track list.
        tessaro::TrackListModel& tracks = frame->Document().Tracks();
        QVERIFY(tracks.flags(tracks.index(1)).testFlag(Qt::ItemIsEditable));
        QVERIFY(!tracks.flags(tracks.index(2)).testFlag(Qt::ItemIsEditable));
        QCOMPARE(tracks.index(1).data(Qt::EditRole).toString(), tracks.Track(1).chapters.value(0));
        tracks.setData(tracks.index(1), QStringLiteral("Dawn"), Qt::EditRole);
        QCOMPARE(tracks.Track(1).mark, (ChapterMark{Start::Here, QStringLiteral("Dawn")}));
        ListedAsMerged(*frame);
        QCOMPARE(EntryChapters(*frame), (QStringList{"Night", "Dawn", "", ""}));

        for (int step = 0; step < 3; ++step) {
            Trigger(*frame, "undo");
        }
        for (int row = 0; row < tracks.Count(); ++row) {
            QVERIFY(tracks.Track(row).mark.IsAuto());
        }
        ListedAsMerged(*frame);
        QCOMPARE(EntryChapters(*frame), (QStringList{"Night", "", "Morning", "Evening"}));
    }

    // A mark goes with its entry when entries move, out with it when it is removed, and back
    // with it on Undo; a file added again comes without it.
    void marksTravelWithTheirEntries() {
        auto frame = MakeFrame({.chapters = true});
        AddTitled(*frame, {"A", "B", "C"});
        frame->View().SelectRows({2});
        Trigger(*frame, "joinChapter");
        Trigger(*frame, "moveUp");
        const tessaro::TrackListModel& tracks = frame->Document().Tracks();
        QCOMPARE(tracks.Track(1).mark.start, Start::WithPrevious);
        QVERIFY(tracks.Track(2).mark.IsAuto());
        ListedAsMerged(*frame);
        QCOMPARE(EntryChapters(*frame), (QStringList{"A", "", "B"}));
        const QString marked = tracks.Track(1).path;
        QCOMPARE(frame->Document().JoinOf({}, QString()).options.chapterMarks[1].start,
                 Start::WithPrevious);

        AddEntry(*frame, marked);
        QVERIFY(tracks.Track(3).mark.IsAuto());
        ListedAsMerged(*frame);
        QCOMPARE(Listed(*frame).size(), 3);
        frame->Document().Tracks().Remove({3});

        frame->View().SelectRows({1});
        Trigger(*frame, "removeMp3");
        QCOMPARE(tracks.Count(), 2);
        QVERIFY(tracks.Track(0).mark.IsAuto() && tracks.Track(1).mark.IsAuto());
        Trigger(*frame, "undo");
        QCOMPARE(tracks.Track(1).mark.start, Start::WithPrevious);
        ListedAsMerged(*frame);
        QCOMPARE(Listed(*frame).size(), 2);
        // New takes the marks with the list, and Undo brings both back.
        script->saveQuestionAnswers << tessaro::WindowDialogs::Answer::Discard;
        Trigger(*frame, "newWorkspace");
        QCOMPARE(tracks.Count(), 0);
        Trigger(*frame, "undo");
        QCOMPARE(tracks.Track(1).mark.start, Start::WithPrevious);
    }

    // A run that a change makes stale is cancelled through the merge host and started anew:
    // only the chapters of the join as it stands are reported.
    void aStalePreviewIsCancelledAndRunAgain() {
        const QStringList first{Titled(QStringLiteral("p.mp3"), QStringLiteral("Stale"))};
        const QStringList second{Titled(QStringLiteral("q.mp3"), QStringLiteral("Fresh"))};
        int asked = 0;
        tessaro::ChapterPreview* preview = nullptr;
        tessaro::ChapterPreview owned([&] {
            // The list changes just as the first run starts.
            if (asked++ == 0) {
                preview->Refresh();
                return tessaro::JoinRequest{.inputs = first, .options = {.chapters = true}};
            }
            return tessaro::JoinRequest{.inputs = second, .options = {.chapters = true}};
        });
        preview = &owned;
        QSignalSpy cancelled(&owned, &tessaro::ChapterPreview::cancelled);
        QSignalSpy previewed(&owned, &tessaro::ChapterPreview::previewed);
        owned.Refresh();
        QVERIFY(owned.IsBusy());
        QTRY_COMPARE_WITH_TIMEOUT(previewed.size(), 1, 10000);
        QCOMPARE(cancelled.size(), 1);
        QCOMPARE(asked, 2);
        const auto result = previewed[0][0].value<tessaro::MergeResult>();
        QCOMPARE(result.chapters.size(), size_t(1));
        QCOMPARE(result.chapters[0].title, QStringLiteral("Fresh"));
        QVERIFY(!owned.IsBusy());
    }

    // F2 renames the current chapter in the pane and the current entry's in the list; the
    // chapter commands have keys of their own and are in the list's context menu.
    void theKeyboardAlone() {
        auto frame = MakeFrame({.chapters = true});
        AddTitled(*frame, {"One", "Two", "Three"});
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        ListedAsMerged(*frame);

        QTableView& table = frame->Chapters().Table();
        table.setFocus();
        QTest::keyClick(&table, Qt::Key_Down);
        QCOMPARE(table.currentIndex().column(), int(tessaro::ChapterListModel::TitleColumn));
        QTest::keyClick(&table, Qt::Key_F2);
        auto* editor = table.findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("Second"));
        QTest::keyClick(editor, Qt::Key_Return);
        // The delegate commits a moment later.
        QTRY_COMPARE(frame->Document().Tracks().Track(1).mark.title, QStringLiteral("Second"));
        ListedAsMerged(*frame);
        QCOMPARE(table.currentIndex().row(), 1);

        tessaro::TrackListView& list = frame->View();
        list.setFocus();
        frame->View().SelectRows({2});
        QTest::keyClick(&list, Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(frame->Document().Tracks().Track(2).mark.start, Start::WithPrevious);
        QTest::keyClick(&list, Qt::Key_K, Qt::ControlModifier);
        QCOMPARE(frame->Document().Tracks().Track(2).mark.start, Start::Here);
        ListedAsMerged(*frame);
        QTest::keyClick(&list, Qt::Key_F2);
        auto* entryEditor = list.findChild<QLineEdit*>();
        QVERIFY(entryEditor);
        QCOMPARE(entryEditor->text(), QStringLiteral("Three"));
        entryEditor->selectAll();
        QTest::keyClicks(entryEditor, QStringLiteral("Last"));
        QTest::keyClick(entryEditor, Qt::Key_Return);
        QTRY_COMPARE(frame->Document().Tracks().Track(2).mark.title, QStringLiteral("Last"));
        QVERIFY(list.actions().contains(frame->Action(QStringLiteral("startChapter"))));
        QVERIFY(list.actions().contains(frame->Action(QStringLiteral("joinChapter"))));
        QCOMPARE(frame->Action(QStringLiteral("chaptersPane"))->text(),
                 QStringLiteral("&Chapters"));
    }

    // The marks, the chapter file and its titles are saved with the workspace and opened with
    // it, and the pane shows the chapters they make.
    void theChaptersSetByHandAreKeptInTheWorkspace() {
        auto frame = MakeFrame({.chapters = true});
        AddTitled(*frame, {"One", "Two", "Three"});
        frame->View().SelectRows({1});
        Trigger(*frame, "joinChapter");
        ListedAsMerged(*frame);
        frame->Chapters().Table().model()->setData(
            frame->Chapters().Table().model()->index(1, tessaro::ChapterListModel::TitleColumn),
            QStringLiteral("Last"));
        ListedAsMerged(*frame);
        const QStringList byHand = Listed(*frame);
        const QString saved = dir.filePath(QStringLiteral("book.twk"));
        script->saveAnswers << saved;
        Trigger(*frame, "saveWorkspace");

        auto opened = MakeFrame({.chapters = true});
        script->openAnswers << saved;
        Trigger(*opened, "openWorkspace");
        const tessaro::TrackListModel& tracks = opened->Document().Tracks();
        QCOMPARE(tracks.Marks(), frame->Document().Tracks().Marks());
        ListedAsMerged(*opened);
        QCOMPARE(Listed(*opened), byHand);

        // An imported file's titles go the same way.
        script->openAnswers << WriteAll(dir.filePath(QStringLiteral("two.txt")),
                                        "0:00 Opening\n0:01 Closing\n");
        Trigger(*opened, "importChapters");
        ListedAsMerged(*opened);
        opened->Chapters().Table().model()->setData(
            opened->Chapters().Table().model()->index(0, tessaro::ChapterListModel::TitleColumn),
            QStringLiteral("Overture"));
        Trigger(*opened, "saveWorkspace");
        auto again = MakeFrame({});
        script->openAnswers << saved;
        Trigger(*again, "openWorkspace");
        QCOMPARE(again->Document().ChapterFile(), opened->Document().ChapterFile());
        QCOMPARE(again->Document().ChapterTitles(), QStringList{QStringLiteral("Overture")});
        QVERIFY(!again->Chapters().isHidden());
        ListedAsMerged(*again);
        QVERIFY(Listed(*again)[0].contains(QStringLiteral("|Overture|")));
    }

    // The merge's result line counts the chapters it wrote.
    void theResultLineCountsTheChapters() {
        auto frame = MakeFrame({.chapters = true});
        AddTitled(*frame, {"One", "Two"});
        script->saveAnswers << joined.filePath(QStringLiteral("book.mp3"));
        Trigger(*frame, "merge");
        QTRY_VERIFY(!frame->IsMerging());
        QVERIFY(LogTexts(*frame).contains(
            QStringLiteral("Joined 2 files into book.mp3 (0:00:01), 2 chapters")));
    }
};

QTEST_MAIN(ChapterViewTest)
#include "ChapterViewTest.moc"
