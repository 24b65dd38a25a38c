#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QScopeGuard>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "FrameTesting.h"
#include "TestFiles.h"
#include "app/CMainFrame.h"
#include "app/Commands.h"
#include "dialogs/Help.h"
#include "settings/Preferences.h"
#include "view/CTessaroListBox.h"
#include "view/OutputPane.h"
#include "workspace/NaturalOrder.h"
#include "workspace/PlainTrackList.h"

using namespace testing_files;

namespace {

const QString kMp3 = QStringLiteral("MP3 files(*.mp3)|mp3");
const QString kTwk = QStringLiteral("Tessaro Workspace file(*.twk)|twk");
const QList<int> kWorkspaceCommands = {
    ID_FILE_NEW_WORKSPACE, ID_FILE_OPEN_WORKSPACE, ID_FILE_SAVE_WORKSPACE, ID_FILE_INSERT_MP3,
    ID_FILE_REMOVE_MP3,    ID_FILE_MOVE_UP,        ID_FILE_MOVE_DOWN,      ID_FILE_ID3TAG_EDITOR,
    ID_FILE_MERGE,         ID_FILE_PREFERENCES,    ID_FILE_INSERT_FOLDER};
const QList<int> kAlwaysEnabled = {
    ID_VIEW_OUTPUT_WINDOW,  ID_VIEW_TOOL_BAR, ID_VIEW_STATUS_BAR, ID_HELP_HELP,
    ID_HELP_VISIT_WEB_SITE, ID_APP_ABOUT,     ID_APP_EXIT};

QStringList Menu(QMenu* menu) {
    QStringList items;
    for (QAction* action : menu->actions()) {
        items << (action->isSeparator()
                      ? QStringLiteral("-")
                      : action->text() + QLatin1Char('=') + action->data().toString());
    }
    return items;
}

// Drop events only reach a widget through a real drag, so the test hands them over directly.
class DropTarget : public CMainFrame {
public:
    using CMainFrame::dropEvent;
};

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private:
    // A frame whose dialogs answer from the script.
    std::unique_ptr<DropTarget> MakeFrame() { return MakeScriptedFrame<DropTarget>(script); }
    QString Write(const QString& name, const QByteArray& bytes) {
        return WriteAll(dir.filePath(name), bytes);
    }
    static void Drop(DropTarget& frame, const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls << QUrl::fromLocalFile(path);
        }
        data.setUrls(urls);
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        frame.dropEvent(&drop);
    }

    QTemporaryDir dir;
    QTemporaryDir config;
    ScriptedDialogs* script = nullptr;
    QList<QUrl> openedUrls;

public Q_SLOTS:
    // Stands in for the desktop: notes what it is asked to open.
    void openUrl(const QUrl& url) { openedUrls << url; }

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path())); }

    void menusAndToolBarAsLaidOut() {
        auto frame = MakeFrame();
        const QList<QAction*> menus = frame->menuBar()->actions();
        QCOMPARE(menus.size(), 4);
        QCOMPARE(menus[0]->text(), QStringLiteral("&File"));
        QCOMPARE(
            Menu(menus[0]->menu()),
            (QStringList{"&New\tCtrl+N=32781", "-", "&Open\tCtrl+O=32782", "&Save\tCtrl+S=32783",
                         "Recent &Workspaces=", "-", "&Insert MP3=32779", "Insert Folder...=32801",
                         "&Remove MP3=32780", "-", "&Up\tCtrl+UP=32777", "&Down\tCtrl+DOWN=32778",
                         "-", "ID&3 Tag Editor ...=32800", "&Merge=32774", "Preferences=32775", "-",
                         "E&xit=57665"}));
        QCOMPARE(menus[1]->text(), QStringLiteral("&Edit"));
        QStringList edit;
        for (QAction* action : menus[1]->menu()->actions()) {
            edit << (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        QCOMPARE(edit, (QStringList{"&Undo", "&Redo", "-", "&Delete\tDel", "Select &All", "-",
                                    "Sort by &File Name", "Sort by &Track Number"}));
        QCOMPARE(menus[2]->text(), QStringLiteral("&View"));
        QCOMPARE(Menu(menus[2]->menu()), (QStringList{"&Output Window=32776", "-",
                                                      "&Tool Bar=32798", "&Status Bar=59393"}));
        QCOMPARE(menus[3]->text(), QStringLiteral("&Help"));
        QCOMPARE(Menu(menus[3]->menu()),
                 (QStringList{"&Help=32796", "-", "Visit Veskaro Technology ...=32799", "-",
                              "&About ...=57664"}));

        QStringList tools;
        for (QAction* action : frame->ToolBar().actions()) {
            tools << (action->isSeparator() ? QStringLiteral("-") : action->data().toString());
            QVERIFY(action->isSeparator() || !action->icon().isNull());
            // At twice the density, drawn at twice the size rather than blown up.
            QVERIFY(action->isSeparator() ||
                    action->icon().pixmap(QSize(16, 16), 2.0).size() == QSize(32, 32));
        }
        QCOMPARE(tools, (QStringList{"32781", "32782", "32783", "-", "32779", "32780", "-", "32777",
                                     "32778", "-", "32774", "32775", "-", "32796"}));

        QAction* merge = frame->Action(ID_FILE_MERGE);
        QCOMPARE(merge->statusTip(), QStringLiteral("Merge all mp3 files into one"));
        QCOMPARE(merge->toolTip(), QStringLiteral("Start to Merge"));
        QCOMPARE(frame->Action(ID_FILE_OPEN_WORKSPACE)->statusTip(),
                 QStringLiteral("Open an existing workspace from your storage-disk"));
        QCOMPARE(frame->Action(ID_VIEW_OUTPUT_WINDOW)->statusTip(),
                 QStringLiteral("Show or hide output window"));
        QCOMPARE(frame->Action(ID_FILE_NEW_WORKSPACE)->shortcut(), QKeySequence::New);
    }

    void recentWorkspacesListTheLastEightOpenedOrSaved() {
        QSettings(QStringLiteral("Veskaro Technology"), QStringLiteral("Zovi Tessaro"))
            .remove(QStringLiteral("recentWorkspaces"));
        auto frame = MakeFrame();
        QVERIFY(!frame->RecentMenu().isEnabled());
        QStringList saved;
        for (int i = 0; i < 9; ++i) {
            frame->Workspace().AddPath(Write(QStringLiteral("%1.mp3").arg(i), Mp3Frame()));
            saved << dir.filePath(QStringLiteral("w%1.twk").arg(i));
            script->saveAnswers << saved.last();
            frame->Action(ID_FILE_SAVE_WORKSPACE)->trigger();
        }
        // Opened again, the first one saved comes first; the oldest beyond eight is gone.
        script->openAnswers << saved[1];
        frame->Action(ID_FILE_OPEN_WORKSPACE)->trigger();
        const auto listed = [](CMainFrame& frame) {
            QStringList texts;
            for (QAction* action : frame.RecentMenu().actions()) {
                texts << action->text();
            }
            return texts;
        };
        QStringList expected{QStringLiteral("&1 ") + saved[1]};
        for (int i = 8; i >= 2; --i) {
            expected << QStringLiteral("&%1 ").arg(10 - i) + saved[i];
        }
        QCOMPARE(listed(*frame), expected);
        // A later run lists them too, and choosing one opens it.
        auto later = MakeFrame();
        QCOMPARE(listed(*later), expected);
        later->RecentMenu().actions().at(1)->trigger();
        QCOMPARE(later->Workspace().Paths().size(), 9);
        QCOMPARE(LogTexts(*later), QStringList{"Workspace has been opened."});
        QCOMPARE(listed(*later).first(), QStringLiteral("&1 ") + saved[8]);
    }

    void shortcutsReachTheirCommandsFromAnywhereInTheWindow() {
        auto frame = MakeFrame();
        frame->show();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        const struct {
            QKeySequence keys;
            int command;
        } shortcuts[] = {
            {QKeySequence(QStringLiteral("Ctrl+I")), ID_FILE_INSERT_MP3},
            {QKeySequence(QStringLiteral("Del")), ID_FILE_REMOVE_MP3},
            {QKeySequence(QStringLiteral("Ctrl+M")), ID_FILE_MERGE},
            {QKeySequence(QStringLiteral("Ctrl+,")), ID_FILE_PREFERENCES},
            {QKeySequence(QStringLiteral("F1")), ID_HELP_HELP},
            {QKeySequence(QStringLiteral("Ctrl+Q")), ID_APP_EXIT},
            {QKeySequence(QStringLiteral("Ctrl+S")), ID_FILE_SAVE_WORKSPACE},
            {QKeySequence(QStringLiteral("Ctrl+Z")), ID_EDIT_UNDO},
            {QKeySequence(QStringLiteral("Ctrl+Shift+Z")), ID_EDIT_REDO},
            {QKeySequence(QStringLiteral("Ctrl+A")), ID_EDIT_SELECT_ALL},
        };
        // Each key is bound once, and where the focus is (the log, the list) does not matter.
        QHash<QKeySequence, int> bound;
        for (QAction* action : frame->findChildren<QAction*>()) {
            for (const QKeySequence& keys : action->shortcuts()) {
                QVERIFY2(!bound.contains(keys), qPrintable(keys.toString()));
                bound.insert(keys, action->data().toInt());
            }
        }
        for (const auto& [keys, command] : shortcuts) {
            QCOMPARE(bound.value(keys), command);
            QSignalSpy triggered(frame->Action(command), &QAction::triggered);
            // Counted, not run; Undo and Redo would wait for a step to take.
            frame->Action(command)->setEnabled(true);
            QObject::disconnect(frame->Action(command), &QAction::triggered, frame.get(), nullptr);
            for (QWidget* focus : {static_cast<QWidget*>(&frame->Output().List()),
                                   static_cast<QWidget*>(&frame->List())}) {
                focus->setFocus();
                QTest::keySequence(focus, keys);
            }
            QVERIFY2(triggered.count() == 2, qPrintable(keys.toString()));
        }
    }

    void promptsShowInTheStatusBarAndReadyOtherwise() {
        auto frame = MakeFrame();
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        frame->Action(ID_FILE_INSERT_MP3)->showStatusText(frame.get());
        QCOMPARE(frame->StatusBar().currentMessage(),
                 QStringLiteral("Insert mp3 file to workspace"));
        QStatusTipEvent leave{QString()};
        QCoreApplication::sendEvent(frame.get(), &leave);
        QCOMPARE(frame->StatusBar().currentMessage(), QStringLiteral("Ready"));
    }

    void newOpenAndSave() {
        auto frame = MakeFrame();
        tessaro::TessaroWorkSpace& workspace = frame->Workspace();
        const QString a = Fixture(QStringLiteral("cbr128_stereo.mp3"));
        workspace.AddPath(a);
        workspace.SetTag({QStringLiteral("An album longer than seven"), QStringLiteral("Me"),
                          QString(), -3, QString()});
        const QString saved = dir.filePath(QStringLiteral("saved.twk"));
        script->saveAnswers << saved;
        frame->Action(ID_FILE_SAVE_WORKSPACE)->trigger();
        QVERIFY(QFile::exists(saved));

        frame->Action(ID_FILE_NEW_WORKSPACE)->trigger();
        QVERIFY(workspace.Paths().isEmpty());
        QVERIFY(workspace.Tag().album.isEmpty());
        QCOMPARE(frame->Tracks().GetTrackCount(), 0);

        script->openAnswers << saved;
        frame->Action(ID_FILE_OPEN_WORKSPACE)->trigger();
        QCOMPARE(workspace.Paths(), QStringList{a});
        QCOMPARE(frame->Tracks().GetTrackPath(0), a);
        QCOMPARE(workspace.Tag().album, QStringLiteral("An album longer than seven"));
        QCOMPARE(workspace.Tag().year, -3);

        // Cancelled dialogs change nothing and log nothing.
        frame->Action(ID_FILE_OPEN_WORKSPACE)->trigger();
        frame->Action(ID_FILE_SAVE_WORKSPACE)->trigger();
        QCOMPARE(script->asked, (QStringList{kTwk, kTwk, kTwk, kTwk}));
        QCOMPARE(LogTexts(*frame),
                 (QStringList{"Workspace has been saved.", "Create new workspace.",
                              "Workspace has been opened."}));
        QVERIFY(script->messages.isEmpty());
    }

    void openAndSaveFailuresAreShownAndChangeNothing() {
        auto frame = MakeFrame();
        tessaro::TessaroWorkSpace& workspace = frame->Workspace();
        workspace.AddPath(QStringLiteral("/music/a.mp3"));
        const QString notWorkspace = Write(QStringLiteral("notes.twk"), "TWKs and more");
        QByteArray damaged("TWKS");
        damaged.append(QByteArray(40, '\0'));
        const QString shortFile = Write(QStringLiteral("short.twk"), damaged);
        script->openAnswers << notWorkspace << shortFile;
        frame->Action(ID_FILE_OPEN_WORKSPACE)->trigger();
        frame->Action(ID_FILE_OPEN_WORKSPACE)->trigger();
        const QString unwritable = dir.filePath(QStringLiteral("no/such/folder/w.twk"));
        script->saveAnswers << unwritable;
        frame->Action(ID_FILE_SAVE_WORKSPACE)->trigger();

        QCOMPARE(workspace.Paths(), QStringList{QStringLiteral("/music/a.mp3")});
        QCOMPARE(frame->Tracks().GetTrackCount(), 1);
        QVERIFY(LogTexts(*frame).isEmpty());
        QCOMPARE(script->messages.size(), 3);
        QVERIFY(script->messages[0].text.contains(notWorkspace));
        QVERIFY(script->messages[1].text.contains(shortFile));
        QVERIFY(script->messages[2].text.contains(unwritable));
        for (const auto& message : std::as_const(script->messages)) {
            QCOMPARE(message.icon, FrameDialogs::Icon::Error);
        }
    }

    void insertRemoveUpAndDown() {
        auto frame = MakeFrame();
        tessaro::TessaroWorkSpace& workspace = frame->Workspace();
        // Picked together, they go in in natural order of their names.
        const QStringList files{dir.filePath(QStringLiteral("part 1.mp3")),
                                dir.filePath(QStringLiteral("Part 2.mp3")),
                                dir.filePath(QStringLiteral("Part 10.mp3"))};
        script->openManyAnswers << QStringList{files[2], files[0], files[1]};
        frame->Action(ID_FILE_INSERT_MP3)->trigger();
        frame->Action(ID_FILE_INSERT_MP3)->trigger();  // cancelled
        QCOMPARE(workspace.Paths(), files);
        QCOMPARE(script->asked, (QStringList{kMp3, kMp3}));

        // Nothing selected: Remove, Up and Down do nothing.
        for (int id : {ID_FILE_REMOVE_MP3, ID_FILE_MOVE_UP, ID_FILE_MOVE_DOWN}) {
            frame->Action(id)->trigger();
        }
        QCOMPARE(workspace.Paths(), files);

        frame->List().SelectRows({0});
        frame->Action(ID_FILE_MOVE_UP)->trigger();  // already first
        frame->Action(ID_FILE_MOVE_DOWN)->trigger();
        QCOMPARE(workspace.Paths(), (QStringList{files[1], files[0], files[2]}));
        QCOMPARE(frame->List().SelectedRows(), QList<int>{1});
        frame->SendFrameMessage(WM_TRACK_MOVE_DOWN, 0, 0);
        frame->SendFrameMessage(WM_TRACK_MOVE_DOWN, 0, 0);  // already last
        QCOMPARE(workspace.Paths(), (QStringList{files[1], files[2], files[0]}));
        frame->SendFrameMessage(WM_TRACK_MOVE_UP, 0, 0);
        QCOMPARE(workspace.Paths(), (QStringList{files[1], files[0], files[2]}));
        frame->Action(ID_FILE_REMOVE_MP3)->trigger();
        QCOMPARE(workspace.Paths(), (QStringList{files[1], files[2]}));
        QCOMPARE(frame->Tracks().GetTrackCount(), 2);
        QCOMPARE(frame->StatusFigures(), QStringLiteral("2 files, 0:00:00"));
        // Nothing is selected afresh: a second Remove, Up or Down changes nothing.
        QVERIFY(frame->List().SelectedRows().isEmpty());
        for (int id : {ID_FILE_REMOVE_MP3, ID_FILE_MOVE_UP, ID_FILE_MOVE_DOWN}) {
            frame->Action(id)->trigger();
        }
        QCOMPARE(workspace.Paths(), (QStringList{files[1], files[2]}));

        const QString text = QStringLiteral("Move mp3 file from position 1 to 0");
        Q_EMIT frame->List().logText(text);
        QCOMPARE(LogTexts(*frame),
                 (QStringList{QStringLiteral("MP3 file \"%1\" has been inserted!").arg(files[0]),
                              QStringLiteral("MP3 file \"%1\" has been inserted!").arg(files[1]),
                              QStringLiteral("MP3 file \"%1\" has been inserted!").arg(files[2]),
                              "MP3 file moved down.", "MP3 file moved down.", "MP3 file moved up.",
                              "MP3 file has been removed from workspace.", text}));
    }

    void aMergeFromStartToFinish() {
        auto frame = MakeFrame();
        const QByteArray a = Mp3Frame(0x11) + Mp3Frame(0x12), b = Mp3Frame(0x22);
        frame->Workspace().AddPath(Write(QStringLiteral("a.mp3"), a));
        frame->Workspace().AddPath(Write(QStringLiteral("b.mp3"), b));
        const QString output = dir.filePath(QStringLiteral("joined.mp3"));
        script->saveAnswers << output;
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        frame->Action(ID_FILE_MERGE)->trigger();

        // The worker waits for the GUI thread at its first message, so the merge is still
        // running here.
        QVERIFY(frame->IsMerging());
        QCOMPARE(frame->SendFrameMessage(WM_QUERY_MERGING, 0, 0), 1);
        QVERIFY(frame->Progress().isVisible());
        QCOMPARE(frame->StatusBar().currentMessage(), QStringLiteral("Merging…"));
        QCOMPARE(frame->Progress().text(), QStringLiteral("0%"));
        for (int id : kWorkspaceCommands) {
            QVERIFY2(!frame->Action(id)->isEnabled(), qPrintable(QString::number(id)));
        }
        for (int id : kAlwaysEnabled) {
            QVERIFY2(frame->Action(id)->isEnabled(), qPrintable(QString::number(id)));
        }
        QVERIFY(!frame->close());
        QVERIFY(frame->isVisible());
        QCOMPARE(script->messages.size(), 1);
        QCOMPARE(script->messages[0].caption, QStringLiteral("Error"));
        QCOMPARE(script->messages[0].text,
                 QStringLiteral("Please wait until the merge thread finish!"));
        Drop(*frame, {dir.filePath(QStringLiteral("late.mp3"))});
        QCOMPARE(frame->Workspace().Paths().size(), 2);

        QTRY_VERIFY(!frame->IsMerging());
        QCOMPARE(frame->SendFrameMessage(WM_QUERY_MERGING, 0, 0), 0);
        QCOMPARE(ReadAll(output), a + b);
        QVERIFY(frame->Progress().isHidden());
        QCOMPARE(frame->Progress().value(), 100);
        QCOMPARE(frame->StatusBar().currentMessage(), QStringLiteral("Ready"));
        for (int id : kWorkspaceCommands) {
            QVERIFY(frame->Action(id)->isEnabled());
        }
        QCOMPARE(frame->Workspace().Paths().last(), dir.filePath(QStringLiteral("late.mp3")));
        QCOMPARE(LogTexts(*frame),
                 (QStringList{"Begin to merge mp3 files ...",
                              "You can not exit the application while merge thread is running ...",
                              "Joined 2 files into joined.mp3 (0:00:00)",
                              "merge process has been finished!",
                              "1 file(s) dropped during the merge have been added."}));
        QCOMPARE(script->messages.size(), 1);
        QVERIFY(frame->close());
    }

    void aCancelledMergeLeavesTheTargetAsItWas() {
        auto frame = MakeFrame();
        // 62.5 s of audio each: the status bar sums the times players show.
        const QByteArray minute = Mp3Frame().repeated(2398) + QByteArray(34, '\0');
        frame->Workspace().AddPath(Write(QStringLiteral("a.mp3"), minute));
        QTRY_COMPARE(frame->StatusFigures(), QStringLiteral("1 file, 0:01:02"));
        frame->Workspace().AddPath(Write(QStringLiteral("b.mp3"), minute));
        QTRY_COMPARE(frame->StatusFigures(), QStringLiteral("2 files, 0:02:05"));
        const QString output = Write(QStringLiteral("target.mp3"), "the previous output");
        script->saveAnswers << output;
        const QStringList before = FolderEntries(dir.path());
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        frame->Action(ID_FILE_MERGE)->trigger();
        // The worker waits for the window at its first message: Esc in the list stops it before
        // it writes a byte.
        QVERIFY(frame->CancelButton().isVisible() && frame->CancelButton().isEnabled());
        QTest::keyClick(&frame->List(), Qt::Key_Escape);
        QVERIFY(!frame->CancelButton().isEnabled());
        QTRY_VERIFY(!frame->IsMerging());
        QVERIFY(frame->CancelButton().isHidden());
        QCOMPARE(ReadAll(output), QByteArray("the previous output"));
        QCOMPARE(FolderEntries(dir.path()), before);  // nothing left behind
        QCOMPARE(LogTexts(*frame).mid(1),
                 (QStringList{"The merge was cancelled", "merge process has been finished!"}));
        QVERIFY(script->messages.isEmpty());
        // Without a merge, Esc and the message change nothing.
        QTest::keyClick(&frame->List(), Qt::Key_Escape);
        frame->SendFrameMessage(WM_CANCEL_MERGE, 0, 0);
        QCOMPARE(LogTexts(*frame).size(), 3);
    }

    void theResultLineTellsTheTimeAndATagLeftOut() {
        auto frame = MakeFrame();
        const QByteArray minute = Mp3Frame().repeated(2398) + QByteArray(34, '\0');
        frame->Workspace().AddPath(Write(QStringLiteral("one.mp3"), minute));
        frame->Workspace().AddPath(Write(QStringLiteral("two.mp3"), minute));
        frame->Workspace().SetTag({QStringLiteral("Book"), {}, {}, 0, {}});
        const auto merge = [&](bool saveTag) {
            frame->SetSaveID3Tag(saveTag);
            script->saveAnswers << dir.filePath(QStringLiteral("book.mp3"));
            frame->Action(ID_FILE_MERGE)->trigger();
            QTRY_VERIFY(!frame->IsMerging());
        };
        merge(false);
        QCOMPARE(LogTexts(*frame).mid(1),
                 (QStringList{"The ID3 tag was not written, as \"Save ID3 tag\" is off: turn it "
                              "on in File > Preferences.",
                              "Joined 2 files into book.mp3 (0:02:05)",
                              "merge process has been finished!"}));
        frame->Output().List().clear();
        merge(true);
        QCOMPARE(LogTexts(*frame).mid(1), (QStringList{"Joined 2 files into book.mp3 (0:02:05)",
                                                       "merge process has been finished!"}));
        // No tag typed: nothing to say about it.
        frame->Output().List().clear();
        frame->Workspace().SetTag({});
        frame->Workspace().RemoveAt(1);
        merge(false);
        QCOMPARE(LogTexts(*frame).mid(1), (QStringList{"Joined 1 file into book.mp3 (0:01:02)",
                                                       "merge process has been finished!"}));
        QVERIFY(script->messages.isEmpty());
    }

    void cancelStaysWholeInANarrowWindow() {
        auto frame = MakeFrame();
        frame->Workspace().AddPath(Write(QStringLiteral("in.mp3"), Mp3Frame()));
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        script->saveAnswers << dir.filePath(QStringLiteral("narrow.mp3"));
        frame->Action(ID_FILE_MERGE)->trigger();
        for (int width : {800, 420, 260, 160}) {
            frame->resize(width, 300);
            QTRY_COMPARE(frame->StatusBar().width(), frame->width());
            const QRect cancel = frame->CancelButton().geometry();
            QVERIFY2(cancel.left() >= 0 && cancel.right() < frame->StatusBar().width(),
                     qPrintable(QString::number(width)));
            QVERIFY(cancel.right() < frame->Progress().geometry().left() ||
                    frame->Progress().width() == 0);
        }
        QTRY_VERIFY(!frame->IsMerging());
    }

    void aFrameDestroyedMidMergeWaitsForTheWorker() {
        auto frame = MakeFrame();
        const QByteArray frames = Mp3Frame(0x11) + Mp3Frame(0x12) + Mp3Frame(0x13);
        frame->Workspace().AddPath(Write(QStringLiteral("in.mp3"), frames));
        const QString output = dir.filePath(QStringLiteral("late.mp3"));
        script->saveAnswers << output;
        frame->Action(ID_FILE_MERGE)->trigger();
        // The worker is waiting for the window's answer to its first message; the window must
        // answer it while it goes, or both would wait for ever.
        QVERIFY(frame->IsMerging());
        frame.reset();
        QCOMPARE(ReadAll(output), frames);
    }

    void aFailingMergeSaysWhy() {
        auto frame = MakeFrame();
        const QString input = Write(QStringLiteral("in.mp3"), Mp3Frame());
        frame->Workspace().AddPath(input);
        frame->Workspace().AddPath(dir.filePath(QStringLiteral("missing.mp3")));
        script->saveAnswers << input;
        frame->Action(ID_FILE_MERGE)->trigger();
        QTRY_VERIFY(!frame->IsMerging());
        const QStringList log = LogTexts(*frame);
        QCOMPARE(log.size(), 3);
        QVERIFY(log[1].contains(input));
        QCOMPARE(log[2], QStringLiteral("merge process has been finished!"));
        QCOMPARE(script->messages.size(), 1);
        QVERIFY(script->messages[0].text.contains(input));
        QCOMPARE(ReadAll(input), Mp3Frame());

        // A skipped input is a warning line of its own; the merge itself succeeds.
        frame->Workspace().RemoveAt(0);
        frame->Workspace().AddPath(Write(QStringLiteral("b.mp3"), Mp3Frame()));
        script->saveAnswers << dir.filePath(QStringLiteral("out.mp3"));
        frame->Action(ID_FILE_MERGE)->trigger();
        QTRY_VERIFY(!frame->IsMerging());
        QVERIFY(LogTexts(*frame)[4].contains(QStringLiteral("missing.mp3")));
        QCOMPARE(LogTexts(*frame).last(), QStringLiteral("merge process has been finished!"));
        QCOMPARE(script->messages.size(), 1);

        // With nothing left to join, the merge fails and makes no file.
        frame->Workspace().RemoveAt(1);
        script->saveAnswers << dir.filePath(QStringLiteral("none.mp3"));
        frame->Action(ID_FILE_MERGE)->trigger();
        QTRY_VERIFY(!frame->IsMerging());
        QCOMPARE(script->messages.size(), 2);
        QVERIFY(script->messages[1].text.contains(QStringLiteral("MPEG audio frame")));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.mp3"))));
    }

    void progressMessages() {
        auto frame = MakeFrame();
        QProgressBar& bar = frame->Progress();
        QCOMPARE(frame->SendFrameMessage(WM_MERGE_PROGRESS, 0, 100), 0);
        frame->SendFrameMessage(WM_MERGE_PROGRESS, 42, 0);
        QCOMPARE(bar.value(), 42);
        frame->SendFrameMessage(WM_MERGE_PROGRESS, 0, 0);
        QCOMPARE(bar.value(), 42);
        QCOMPARE(bar.maximum(), 100);
        frame->SendFrameMessage(WM_MERGE_PROGRESS, 0, 200);
        QCOMPARE(bar.maximum(), 200);
        QCOMPARE(bar.value(), 42);
        frame->SetSaveID3Tag(true);
        QCOMPARE(frame->SendFrameMessage(WM_QUERY_SAVE_ID3TAG, 0, 0), 1);
        frame->SetSaveID3Tag(false);
        QCOMPARE(frame->SendFrameMessage(WM_QUERY_SAVE_ID3TAG, 0, 0), 0);
    }

    void dropsAppendInOrderWithoutALogLine() {
        auto frame = MakeFrame();
        const QStringList paths{dir.filePath(QStringLiteral("z.mp3")),
                                dir.filePath(QStringLiteral("notes.txt"))};
        Drop(*frame, paths);
        QCOMPARE(frame->Workspace().Paths(), paths);
        QCOMPARE(frame->Tracks().GetTrackCount(), 2);
        QVERIFY(LogTexts(*frame).isEmpty());
    }

    void aFolderStandsForItsMp3FilesWhereverItComesIn() {
        const QString book = dir.filePath(QStringLiteral("book"));
        QVERIFY(QDir().mkpath(book + QStringLiteral("/Part 2")));
        const QStringList files{Write(QStringLiteral("book/Part 2/Track 1.mp2"), Mp3Frame()),
                                Write(QStringLiteral("book/Track 9.mp3"), Mp3Frame()),
                                Write(QStringLiteral("book/Track 10.mp3"), Mp3Frame())};
        Write(QStringLiteral("book/readme.txt"), "read me");
        const QString leftOut = QStringLiteral(
                                    "Left out 1 file of another type in \"%1\"; only MPEG audio "
                                    "files (.mp3, .mp2, .mp1, .mpa) are joined")
                                    .arg(book);

        // Insert Folder: a folder dialog, the files, a line like Insert's and one for the rest.
        auto frame = MakeFrame();
        script->folderAnswers << book;
        frame->Action(ID_FILE_INSERT_FOLDER)->trigger();
        frame->Action(ID_FILE_INSERT_FOLDER)->trigger();  // cancelled
        QCOMPARE(script->asked, (QStringList{"folder", "folder"}));
        QCOMPARE(frame->Workspace().Paths(), files);
        QCOMPARE(frame->Tracks().GetTrackCount(), 3);
        QCOMPARE(LogTexts(*frame),
                 (QStringList{leftOut, QStringLiteral("Folder \"%1\" has been inserted with 3 MP3 "
                                                      "files!")
                                           .arg(book)}));
        // A folder without any: said so, nothing inserted.
        const QString pictures = dir.filePath(QStringLiteral("pictures"));
        QVERIFY(QDir().mkpath(pictures));
        script->folderAnswers << pictures;
        frame->Action(ID_FILE_INSERT_FOLDER)->trigger();
        QCOMPARE(frame->Workspace().Paths(), files);
        QVERIFY(LogTexts(*frame).last().startsWith(QStringLiteral("Skipped \"%1\"").arg(pictures)));

        // Dropped between files, given to `tessaro FOLDER`, listed in a workspace.
        auto dropped = MakeFrame();
        const QString first = dir.filePath(QStringLiteral("first.mp3"));
        Drop(*dropped, {first, book});
        QCOMPARE(dropped->Workspace().Paths(), QStringList{first} + files);
        QCOMPARE(LogTexts(*dropped), QStringList{leftOut});
        auto named = MakeFrame();
        const auto restore =
            qScopeGuard([working = QDir::currentPath()] { QDir::setCurrent(working); });
        QVERIFY(QDir::setCurrent(dir.path()));
        named->OpenFiles({QStringLiteral("book")});
        QCOMPARE(named->Workspace().Paths(), files);
        const QString twk = dir.filePath(QStringLiteral("folder.twk"));
        tessaro::PlainTrackList list;
        tessaro::TessaroWorkSpace listing(list);
        listing.AddPath(book);
        listing.SaveToFile(twk);
        auto opened = MakeFrame();
        opened->OpenFiles({twk});
        QCOMPARE(opened->Workspace().Paths(), files);
        QCOMPARE(LogTexts(*opened), (QStringList{"Workspace has been opened.", leftOut}));
    }

    void filesNamedOnTheCommandLine() {
        // None: the window starts empty and silent.
        auto frame = MakeFrame();
        frame->OpenFiles({});
        QVERIFY(frame->Workspace().Paths().isEmpty() && LogTexts(*frame).isEmpty());
        QVERIFY(script->asked.isEmpty() && script->messages.isEmpty());

        // MP3 files go in as named, relative to the working folder, and fare as dropped ones: a
        // missing file shows why on its entry, a name that is not UTF-8 is logged and left out.
        const QString a = Write(QStringLiteral("a.mp3"), Mp3Frame());
        Write(QStringLiteral("b.mp3"), Mp3Frame(0x22));
        const QString missing = dir.filePath(QStringLiteral("missing.mp3"));
        const auto restore =
            qScopeGuard([working = QDir::currentPath()] { QDir::setCurrent(working); });
        QVERIFY(QDir::setCurrent(dir.path()));
        QCOMPARE(MakeNotUtf8Name(QStringLiteral("."), "\xFF.mp3"), QStringLiteral("./\uFFFD.mp3"));
        const QString b = QDir::currentPath() + QStringLiteral("/b.mp3");
        frame->OpenFiles({QStringLiteral("b.mp3"), a, missing, QStringLiteral("\uFFFD.mp3")});
        QCOMPARE(frame->Workspace().Paths(), (QStringList{b, a, missing}));
        QCOMPARE(frame->Tracks().GetTrackPath(0), b);
        QTRY_VERIFY(!frame->Tracks().FiguresPending());
        QVERIFY(frame->Tracks().Track(2).problem.startsWith(QStringLiteral("Cannot open")));
        QCOMPARE(LogTexts(*frame).size(), 1);
        QVERIFY(LogTexts(*frame)[0].contains(QStringLiteral("not valid UTF-8")));

        // A workspace file named alone is opened, its tag too; named with others, it is a file.
        frame->Workspace().SetTag({QStringLiteral("Album"), {}, {}, 2008, {}});
        const QString twk = dir.filePath(QStringLiteral("started.TWK"));
        frame->Workspace().SaveToFile(twk);
        auto opened = MakeFrame();
        opened->OpenFiles({twk});
        QCOMPARE(opened->Workspace().Paths(), (QStringList{b, a, missing}));
        QCOMPARE(opened->Workspace().Tag().year, 2008);
        QCOMPARE(LogTexts(*opened), QStringList{"Workspace has been opened."});
        opened->OpenFiles({twk, a});
        QCOMPARE(opened->Workspace().Paths().mid(3), (QStringList{twk, a}));

        // One that cannot be opened is reported as File > Open reports it.
        auto failed = MakeFrame();
        failed->OpenFiles({dir.filePath(QStringLiteral("missing.twk"))});
        QVERIFY(failed->Workspace().Paths().isEmpty());
        QCOMPARE(script->messages.size(), 1);
        QCOMPARE(script->messages[0].caption, QStringLiteral("Open workspace"));
        QVERIFY(script->messages[0].text.contains(QStringLiteral("missing.twk")));
    }

    void aNameThatIsNotUtf8IsRefusedWhereverItComesIn() {
        // Qt reads the name bytes 0xFF 0xFE as U+FFFD U+FFFD, which spell the names of these
        // other files: never to be read or written in the place of the file chosen.
        const QByteArray otherFrame = Mp3Frame(0x66);
        const QString other = Write(QStringLiteral("\uFFFD\uFFFD.mp3"), otherFrame);
        QCOMPARE(MakeNotUtf8Name(dir.path(), "\xFF\xFE.mp3"), other);
        auto frame = MakeFrame();
        frame->Workspace().AddPath(Write(QStringLiteral("decoy.mp3"), Mp3Frame()));
        const QString otherTwk = dir.filePath(QStringLiteral("\uFFFD.twk"));
        frame->Workspace().SaveToFile(dir.filePath(QStringLiteral("decoy.twk")));
        QVERIFY(QFile::rename(dir.filePath(QStringLiteral("decoy.twk")), otherTwk));
        QCOMPARE(MakeNotUtf8Name(dir.path(), "\xFF.twk"), otherTwk);
        const QByteArray otherWorkspace = ReadAll(otherTwk);

        script->openManyAnswers << QStringList{other};
        frame->Action(ID_FILE_INSERT_MP3)->trigger();
        Drop(*frame, {other});
        QCOMPARE(frame->Workspace().Paths().size(), 1);
        QCOMPARE(LogTexts(*frame).filter(QStringLiteral("not valid UTF-8")).size(), 2);

        script->saveAnswers << other;
        frame->Action(ID_FILE_MERGE)->trigger();
        QTRY_VERIFY(!frame->IsMerging());
        script->saveAnswers << otherTwk;
        frame->Action(ID_FILE_SAVE_WORKSPACE)->trigger();
        script->openAnswers << otherTwk;
        frame->Action(ID_FILE_OPEN_WORKSPACE)->trigger();
        QCOMPARE(script->messages.size(), 3);
        for (const ScriptedDialogs::Message& message : std::as_const(script->messages)) {
            QVERIFY2(message.text.contains(QStringLiteral("not valid UTF-8")),
                     qPrintable(message.text));
        }
        QCOMPARE(ReadAll(other), otherFrame);
        QCOMPARE(ReadAll(otherTwk), otherWorkspace);
        QCOMPARE(frame->Workspace().Paths().size(), 1);
    }

    void tagEditorAndPreferencesThroughTheirCommands() {
        auto frame = MakeFrame();
        frame->Workspace().SetTag({QStringLiteral("Old"), QStringLiteral("Old"),
                                   QStringLiteral("Old"), 1, QStringLiteral("Old")});
        // Fills the modal dialog once it shows, then presses OK or Cancel.
        const auto answer = [](const QStringList& texts, bool ok, bool check = false) {
            QTimer::singleShot(0, [texts, ok, check] {
                QWidget* dialog = QApplication::activeModalWidget();
                QVERIFY(dialog);
                const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
                for (int i = 0; i < texts.size() && i < edits.size(); ++i) {
                    edits[i]->setText(texts[i]);
                }
                for (auto* box : dialog->findChildren<QCheckBox*>()) {
                    box->setChecked(check);
                }
                QTest::keyClick(dialog, ok ? Qt::Key_Return : Qt::Key_Escape);
            });
        };
        answer({"New album, longer", "Artist", "Title", "2008", "Comment"}, false);
        frame->Action(ID_FILE_ID3TAG_EDITOR)->trigger();
        QCOMPARE(frame->Workspace().Tag().album, QStringLiteral("Old"));
        answer({"New album, longer", "Ärtist", "Title", "2008"}, true);
        frame->Action(ID_FILE_ID3TAG_EDITOR)->trigger();
        QCOMPARE(frame->Workspace().Tag().album, QStringLiteral("New album, longer"));
        QCOMPARE(frame->Workspace().Tag().artist, QStringLiteral("Ärtist"));
        QCOMPARE(frame->Workspace().Tag().year, 2008);
        // The comment left untouched keeps what the workspace's tag held.
        QCOMPARE(frame->Workspace().Tag().comment, QStringLiteral("Old"));

        QVERIFY(!frame->SaveID3Tag());
        answer({}, false, true);
        frame->Action(ID_FILE_PREFERENCES)->trigger();
        QVERIFY(!frame->SaveID3Tag());
        answer({}, true, true);
        frame->Action(ID_FILE_PREFERENCES)->trigger();
        QVERIFY(frame->SaveID3Tag());
        QVERIFY(LogTexts(*frame).isEmpty());

        // The joined-file boxes survive a restart in the window's settings; the preference file
        // holds the tag choice alone, byte for byte as without them.
        QVERIFY(frame->JoinOptions().chapters && frame->JoinOptions().copyCover &&
                frame->JoinOptions().seamless && frame->JoinOptions().conform &&
                frame->JoinOptions().level);
        QCOMPARE(frame->JoinOptions().levelTarget, tessaro::kReferenceLoudness);
        frame.reset();
        const QString saved = tessaro::GetPreferencesPath(QStringLiteral("Zovi Tessaro 1.2"));
        const QString alone = dir.filePath(QStringLiteral("alone.dat"));
        QVERIFY(tessaro::WriteSaveID3Tag(alone, true).isEmpty());
        QCOMPARE(ReadAll(saved), ReadAll(alone));
        frame = MakeFrame();
        QVERIFY(frame->JoinOptions().chapters && frame->JoinOptions().copyCover &&
                frame->JoinOptions().seamless && frame->JoinOptions().conform &&
                frame->JoinOptions().level);
        answer({}, true, false);
        frame->Action(ID_FILE_PREFERENCES)->trigger();
        QVERIFY(!frame->JoinOptions().chapters && !frame->JoinOptions().copyCover &&
                !frame->JoinOptions().seamless && !frame->JoinOptions().conform &&
                !frame->JoinOptions().level);
    }

    void everyChangeOfListAndTagIsUndoneAndRedone() {
        auto frame = MakeFrame();
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        CTessaroListBox& list = frame->List();
        list.setFocus();
        QStringList c;
        for (const char* name : {"Chapter 10", "Chapter 9", "Chapter 1", "Chapter 2"}) {
            c << Write(QLatin1String(name) + QStringLiteral(".mp3"), Mp3Frame());
        }
        const QString saved = dir.filePath(QStringLiteral("other.twk"));
        {
            tessaro::PlainTrackList entries;
            tessaro::TessaroWorkSpace other(entries);
            other.AddPath(c[3]);
            other.SetTag({QStringLiteral("Other"), {}, {}, 0, {}});
            other.SaveToFile(saved);
        }
        const auto tagEdit = [&] {
            QTimer::singleShot(0, [] {
                QWidget* dialog = QApplication::activeModalWidget();
                QVERIFY(dialog);
                dialog->findChildren<QLineEdit*>().first()->setText(QStringLiteral("Book"));
                QTest::keyClick(dialog, Qt::Key_Return);
            });
            frame->Action(ID_FILE_ID3TAG_EDITOR)->trigger();
        };
        // Each change, made with these entries selected.
        const struct {
            const char* name;
            std::function<void()> change;
            QList<int> select;
        } changes[] = {
            {"insert",
             [&] {
                 script->openManyAnswers << QStringList{c[0], c[1], c[2]};
                 frame->Action(ID_FILE_INSERT_MP3)->trigger();
             },
             {}},
            {"drop", [&] { Drop(*frame, {c[3]}); }, {}},
            {"sort by track", [&] { frame->Action(ID_EDIT_SORT_BY_TRACK)->trigger(); }, {}},
            {"move up", [&] { QTest::keyClick(&list, Qt::Key_Up, Qt::ControlModifier); }, {2}},
            {"drag", [&] { Q_EMIT list.tracksMoveRequested({0}, 4); }, {}},
            {"sort by name", [&] { frame->Action(ID_EDIT_SORT_BY_NAME)->trigger(); }, {}},
            {"delete key", [&] { QTest::keyClick(&list, Qt::Key_Delete); }, {0, 2}},
            {"tag", tagEdit, {}},
            {"new", [&] { frame->Action(ID_FILE_NEW_WORKSPACE)->trigger(); }, {}},
            {"open",
             [&] {
                 script->openAnswers << saved;
                 frame->Action(ID_FILE_OPEN_WORKSPACE)->trigger();
             },
             {}},
        };
        tessaro::TessaroWorkSpace& workspace = frame->Workspace();
        const auto state = [&] {
            [&] { QCOMPARE(EntryPaths(frame->Tracks()), workspace.Paths()); }();
            return std::pair(workspace.Paths(), workspace.Tag().album);
        };
        for (const auto& [name, change, select] : changes) {
            list.SelectRows(select);
            const auto before = state();
            const QList<int> selected = list.SelectedRows();
            change();
            const auto after = state();
            QVERIFY2(after != before, name);
            QTRY_VERIFY(!frame->Tracks().FiguresPending());
            frame->activateWindow();  // back from a dialog
            QVERIFY(QTest::qWaitForWindowActive(frame.get()));
            QTest::keyClick(&list, Qt::Key_Z, Qt::ControlModifier);
            QVERIFY2(state() == before, name);
            // A new order is put back by moves, which read nothing again; what was selected is
            // selected again.
            QStringList was = before.first, is = after.first;
            was.sort();
            is.sort();
            QVERIFY2(was != is || !frame->Tracks().FiguresPending(), name);
            QVERIFY2(list.SelectedRows() == selected, name);
            QTest::keyClick(&list, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            QVERIFY2(state() == after, name);
        }
        QCOMPARE(workspace.Paths(), QStringList{c[3]});
        QCOMPARE(workspace.Tag().album, QStringLiteral("Other"));
        // All the way back, then forward again.
        for (size_t i = 0; i < std::size(changes); ++i) {
            frame->Action(ID_EDIT_UNDO)->trigger();
        }
        QVERIFY(workspace.Paths().isEmpty() && !frame->Action(ID_EDIT_UNDO)->isEnabled());
        QCOMPARE(frame->Action(ID_EDIT_REDO)->text(), QStringLiteral("&Redo Insert"));
        for (size_t i = 0; i < std::size(changes); ++i) {
            frame->Action(ID_EDIT_REDO)->trigger();
        }
        QCOMPARE(workspace.Paths(), QStringList{c[3]});
        QVERIFY(!frame->Action(ID_EDIT_REDO)->isEnabled());
        QCOMPARE(frame->Action(ID_EDIT_UNDO)->text(), QStringLiteral("&Undo Open"));
        QVERIFY(LogTexts(*frame).contains(QStringLiteral("Undo: Insert")));
    }

    void sortsPutTheListInNaturalAndTrackOrder() {
        auto frame = MakeFrame();
        // Numbers by value, case folded; the CLI's orders exactly.
        const QString ten = Write(QStringLiteral("Part 10.mp3"), Mp3Frame());
        const QString two = Write(QStringLiteral("part 2.mp3"), Mp3Frame());
        const QString first = Write(QStringLiteral("z.mp3"), Id3v2Tag("t", 0) + Mp3Frame());
        frame->Action(ID_EDIT_SORT_BY_NAME)->trigger();  // nothing to sort: no step to undo
        QVERIFY(!frame->Action(ID_EDIT_UNDO)->isEnabled());
        for (const QString& path : {ten, first, two}) {
            frame->Workspace().AddPath(path);
        }
        frame->Action(ID_EDIT_SORT_BY_NAME)->trigger();
        QCOMPARE(frame->Workspace().Paths(), (QStringList{two, ten, first}));
        QCOMPARE(frame->Workspace().Paths(), tessaro::SortedByFileName({ten, first, two}));
        frame->Action(ID_EDIT_SORT_BY_TRACK)->trigger();
        QCOMPARE(frame->Workspace().Paths(), tessaro::SortedByTrack({ten, first, two}));
        QCOMPARE(LogTexts(*frame),
                 (QStringList{"MP3 files sorted by file name.", "MP3 files sorted by file name.",
                              "MP3 files sorted by track number."}));
        // While a merge runs, neither sort nor undo is to be had.
        script->saveAnswers << dir.filePath(QStringLiteral("out.mp3"));
        frame->Action(ID_FILE_MERGE)->trigger();
        for (int id : {ID_EDIT_SORT_BY_NAME, ID_EDIT_SORT_BY_TRACK, ID_EDIT_UNDO, ID_EDIT_CLEAR}) {
            QVERIFY(!frame->Action(id)->isEnabled());
        }
        QVERIFY(frame->Action(ID_EDIT_SELECT_ALL)->isEnabled());
        QTRY_VERIFY(!frame->IsMerging());
        QVERIFY(frame->Action(ID_EDIT_UNDO)->isEnabled());
    }

    void helpWithoutItsFileOrAViewerSaysWhatToDo() {
        auto frame = MakeFrame();
        const QString help = tessaro::HelpFilePath(QCoreApplication::applicationFilePath());
        frame->Action(ID_HELP_HELP)->trigger();
        QCOMPARE(script->messages.size(), 1);
        QCOMPARE(script->messages[0].icon, FrameDialogs::Icon::Error);
        QVERIFY(script->messages[0].text.contains(QStringLiteral("\"%1\" is missing").arg(help)));

        // The file is there but nothing to open it with (no xdg-mime on the path), and the HTML
        // guide is beside the executable: it is offered, and opened in the browser.
        const QDir folder(QCoreApplication::applicationDirPath());
        WriteAll(help, "ITSF");
        folder.mkdir(QStringLiteral("html"));
        const QString guide = WriteAll(folder.filePath(QStringLiteral("html/index.html")), "<p>");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nonexistent");
        qputenv("BROWSER", "a-browser");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
        script->confirmAnswers << true;
        frame->Action(ID_HELP_HELP)->trigger();
        // Nor a browser: handed over, the guide would open nowhere; the message says so.
        qunsetenv("BROWSER");
        frame->Action(ID_HELP_HELP)->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        qputenv("PATH", path);
        QFile::remove(help);
        QDir(folder.filePath(QStringLiteral("html"))).removeRecursively();

        QCOMPARE(script->messages.size(), 3);
        QVERIFY(script->messages[1].text.contains(QStringLiteral("xchm or kchmviewer")));
        QVERIFY(script->messages[1].text.endsWith(QStringLiteral("|Open in Browser")));
        QCOMPARE(openedUrls, QList<QUrl>{QUrl::fromLocalFile(guide)});
        QCOMPARE(script->messages[2].icon, FrameDialogs::Icon::Error);
        QVERIFY(script->messages[2].text.contains(
            QStringLiteral("No web browser was found either to read the same guide, \"%1\"")
                .arg(guide)));
    }

    void viewToggles() {
        auto frame = MakeFrame();
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        for (int id : {ID_VIEW_OUTPUT_WINDOW, ID_VIEW_TOOL_BAR, ID_VIEW_STATUS_BAR}) {
            QAction* action = frame->Action(id);
            QVERIFY(action->isCheckable());
            QVERIFY(action->isChecked());
            action->trigger();
            QVERIFY(!action->isChecked());
            action->trigger();
            QVERIFY(action->isChecked());
        }
        frame->Action(ID_VIEW_OUTPUT_WINDOW)->trigger();
        QVERIFY(frame->Output().isHidden());
        frame->Action(ID_VIEW_STATUS_BAR)->trigger();
        QVERIFY(frame->StatusBar().isHidden());
        frame->Action(ID_APP_EXIT)->trigger();
        QVERIFY(!frame->isVisible());
    }
};

QTEST_MAIN(CommandsTest)
#include "CommandsTest.moc"
