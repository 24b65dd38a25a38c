#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
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
#include "app/JoinController.h"
#include "app/MainWindow.h"
#include "app/NoticeBar.h"
#include "app/StatusArea.h"
#include "app/WorkspaceDocument.h"
#include "dialogs/Help.h"
#include "settings/JoinPreferences.h"
#include "settings/Preferences.h"
#include "view/OutputPane.h"
#include "view/TrackListView.h"
#include "workspace/NaturalOrder.h"
#include "workspace/TessaroWorkSpace.h"

using namespace testing_files;

namespace {

const QString kMp3 = QStringLiteral("MPEG audio (*.mp3 *.mp2 *.mpa)|mp3");
const QString kTwk = QStringLiteral("Tessaro Workspace file(*.twk)|twk");
const QStringList kWorkspaceCommands = {
    QStringLiteral("newWorkspace"),  QStringLiteral("openWorkspace"),
    QStringLiteral("saveWorkspace"), QStringLiteral("insertMp3"),
    QStringLiteral("removeMp3"),     QStringLiteral("moveUp"),
    QStringLiteral("moveDown"),      QStringLiteral("tagEditor"),
    QStringLiteral("merge"),         QStringLiteral("preferences"),
    QStringLiteral("insertFolder")};
const QStringList kAlwaysEnabled = {QStringLiteral("outputWindow"), QStringLiteral("toolBar"),
                                    QStringLiteral("statusBar"),    QStringLiteral("help"),
                                    QStringLiteral("visitWebSite"), QStringLiteral("about"),
                                    QStringLiteral("exit")};

QStringList Menu(QMenu* menu) {
    QStringList items;
    for (QAction* action : menu->actions()) {
        items << (action->isSeparator() ? QStringLiteral("-")
                                        : action->text() + QLatin1Char('=') + action->objectName());
    }
    return items;
}

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private:
    // A frame whose dialogs answer from the script.
    std::unique_ptr<tessaro::MainWindow> MakeFrame() { return MakeScriptedFrame(script); }
    QString Write(const QString& name, const QByteArray& bytes) {
        return WriteAll(dir.filePath(name), bytes);
    }
    static QString Inserted(const QString& path) {
        return QStringLiteral("MP3 file \"%1\" has been inserted!").arg(path);
    }
    // The chapters of the file merged last, exported through the window to the JSON file `name`.
    QJsonArray ExportedChapters(tessaro::MainWindow& frame, const QString& name) {
        script->saveAnswers << dir.filePath(name);
        frame.Action(QStringLiteral("exportChapters"))->trigger();
        return QJsonDocument::fromJson(ReadAll(dir.filePath(name)))
            .object()
            .value(QStringLiteral("chapters"))
            .toArray();
    }
    // Files dropped on the list after its last entry, as its model reports them.
    static void Drop(tessaro::MainWindow& frame, const QStringList& paths) {
        Q_EMIT frame.Document().Tracks().filesDropped(paths, frame.Document().Tracks().Count());
    }
    // Drop events only reach a widget through a real drag, so the test hands one to the list.
    static void DropAt(tessaro::MainWindow& frame, const QStringList& paths, const QPoint& at) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls << QUrl::fromLocalFile(path);
        }
        data.setUrls(urls);
        QWidget* viewport = frame.View().viewport();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &drop);
    }

    QTemporaryDir dir;
    // Where joined files go, away from the inputs.
    QTemporaryDir joined;
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
        QCOMPARE(menus.size(), 5);
        QCOMPARE(menus[0]->text(), QStringLiteral("&File"));
        QCOMPARE(Menu(menus[0]->menu()), (QStringList{"&New=newWorkspace",
                                                      "-",
                                                      "&Open...=openWorkspace",
                                                      "&Save=saveWorkspace",
                                                      "Save &As...=saveWorkspaceAs",
                                                      "Recent &Workspaces=",
                                                      "-",
                                                      "&Insert MP3...=insertMp3",
                                                      "Insert &Folder...=insertFolder",
                                                      "&Remove MP3=removeMp3",
                                                      "-",
                                                      "&Up=moveUp",
                                                      "&Down=moveDown",
                                                      "-",
                                                      "ID&3 Tag Editor ...=tagEditor",
                                                      "Import &Chapters...=importChapters",
                                                      "C&lear Imported Chapters=clearChapterFile",
                                                      "&Export Chapters...=exportChapters",
                                                      "&Merge...=merge",
                                                      "Spli&t MP3...=splitMp3",
                                                      "&Preferences...=preferences",
                                                      "-",
                                                      "E&xit=exit"}));
        // Every command has an access key.
        for (QAction* action : frame->findChildren<QAction*>()) {
            QVERIFY2(action->text().isEmpty() || action->text().contains(QLatin1Char('&')),
                     qPrintable(action->text()));
        }
        QCOMPARE(menus[1]->text(), QStringLiteral("&Edit"));
        QStringList edit;
        for (QAction* action : menus[1]->menu()->actions()) {
            edit << (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        QCOMPARE(edit, (QStringList{"&Undo", "&Redo", "-", "&Delete", "Select &All", "-",
                                    "Sort by &File Name", "Sort by &Track Number", "-",
                                    "Start C&hapter Here", "&Join with Previous Chapter"}));
        QCOMPARE(menus[2]->text(), QStringLiteral("&Play"));
        QCOMPARE(Menu(menus[2]->menu()),
                 (QStringList{"&Play Entry=playEntry", "Listen to the &Join=listenToJoin"}));
        QCOMPARE(menus[3]->text(), QStringLiteral("&View"));
        QCOMPARE(Menu(menus[3]->menu()),
                 (QStringList{"&Output Window=outputWindow", "&Chapters=chaptersPane", "-",
                              "&Tool Bar=toolBar", "&Status Bar=statusBar"}));
        QCOMPARE(menus[4]->text(), QStringLiteral("&Help"));
        QCOMPARE(Menu(menus[4]->menu()),
                 (QStringList{"&Help=help", "-", "&Visit Veskaro Technology ...=visitWebSite", "-",
                              "&About ...=about"}));

        QStringList tools;
        for (QAction* action : frame->ToolBar().actions()) {
            tools << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
            QVERIFY(action->isSeparator() || !action->icon().isNull());
            // At twice the density, drawn at twice the size rather than blown up.
            QVERIFY(action->isSeparator() ||
                    action->icon().pixmap(QSize(16, 16), 2.0).size() == QSize(32, 32));
        }
        QCOMPARE(tools, (QStringList{"newWorkspace", "openWorkspace", "saveWorkspace", "-",
                                     "insertMp3", "removeMp3", "-", "moveUp", "moveDown", "-",
                                     "merge", "preferences", "-", "help"}));

        QAction* merge = frame->Action(QStringLiteral("merge"));
        QCOMPARE(merge->statusTip(), QStringLiteral("Merge all mp3 files into one"));
        QCOMPARE(merge->toolTip(), QStringLiteral("Start to Merge"));
        QCOMPARE(frame->Action(QStringLiteral("openWorkspace"))->statusTip(),
                 QStringLiteral("Open an existing workspace from your storage-disk"));
        QCOMPARE(frame->Action(QStringLiteral("outputWindow"))->statusTip(),
                 QStringLiteral("Show or hide output window"));
        QCOMPARE(frame->Action(QStringLiteral("newWorkspace"))->shortcut(), QKeySequence::New);
    }

    void recentWorkspacesListTheLastEightOpenedOrSaved() {
        QSettings(QStringLiteral("Veskaro Technology"), QStringLiteral("Zovi Tessaro"))
            .remove(QStringLiteral("recentWorkspaces"));
        auto frame = MakeFrame();
        QVERIFY(!frame->RecentMenu().isEnabled());
        QStringList saved;
        for (int i = 0; i < 9; ++i) {
            AddEntry(*frame, Write(QStringLiteral("%1.mp3").arg(i), Mp3Frame()));
            saved << dir.filePath(QStringLiteral("w%1.twk").arg(i));
            script->saveAnswers << saved.last();
            frame->Action(QStringLiteral("saveWorkspaceAs"))->trigger();
        }
        // Opened again, the first one saved comes first; the oldest beyond eight is gone.
        script->openAnswers << saved[1];
        frame->Action(QStringLiteral("openWorkspace"))->trigger();
        const auto listed = [](tessaro::MainWindow& frame) {
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
        QCOMPARE(later->Document().Workspace().Paths().size(), 9);
        QCOMPARE(LogTexts(*later), QStringList{"Workspace has been opened."});
        QCOMPARE(listed(*later).first(), QStringLiteral("&1 ") + saved[8]);
    }

    void shortcutsReachTheirCommandsFromAnywhereInTheWindow() {
        auto frame = MakeFrame();
        frame->show();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        const struct {
            QKeySequence keys;
            QString command;
        } shortcuts[] = {
            {QKeySequence(QStringLiteral("Ctrl+Y")), QStringLiteral("redo")},
            {QKeySequence(QStringLiteral("Ctrl+Up")), QStringLiteral("moveUp")},
            {QKeySequence(QStringLiteral("Ctrl+Down")), QStringLiteral("moveDown")},
            {QKeySequence(QStringLiteral("Ctrl+Shift+I")), QStringLiteral("insertFolder")},
            {QKeySequence(QStringLiteral("Ctrl+I")), QStringLiteral("insertMp3")},
            {QKeySequence(QStringLiteral("Del")), QStringLiteral("delete")},
            {QKeySequence(QStringLiteral("Ctrl+M")), QStringLiteral("merge")},
            {QKeySequence(QStringLiteral("Ctrl+,")), QStringLiteral("preferences")},
            {QKeySequence(QStringLiteral("F1")), QStringLiteral("help")},
            {QKeySequence(QStringLiteral("Ctrl+Q")), QStringLiteral("exit")},
            {QKeySequence(QStringLiteral("Ctrl+S")), QStringLiteral("saveWorkspace")},
            {QKeySequence(QStringLiteral("Ctrl+Z")), QStringLiteral("undo")},
            {QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QStringLiteral("redo")},
            {QKeySequence(QStringLiteral("Ctrl+A")), QStringLiteral("selectAll")},
        };
        // Each key is bound once, and where the focus is (the log, the list) does not matter.
        QHash<QKeySequence, QString> bound;
        for (QAction* action : frame->findChildren<QAction*>()) {
            for (const QKeySequence& keys : action->shortcuts()) {
                QVERIFY2(!bound.contains(keys), qPrintable(keys.toString()));
                bound.insert(keys, action->objectName());
            }
        }
        for (const auto& [keys, command] : shortcuts) {
            QCOMPARE(bound.value(keys), command);
            QSignalSpy triggered(frame->Action(command), &QAction::triggered);
            // Counted, not run; Undo and Redo would wait for a step to take.
            frame->Action(command)->setEnabled(true);
            QObject::disconnect(frame->Action(command), &QAction::triggered, frame.get(), nullptr);
            for (QWidget* focus : {static_cast<QWidget*>(&frame->Output().List()),
                                   static_cast<QWidget*>(&frame->View())}) {
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
        frame->Action(QStringLiteral("insertMp3"))->showStatusText(frame.get());
        QCOMPARE(frame->statusBar()->currentMessage(),
                 QStringLiteral("Insert mp3 file to workspace"));
        QStatusTipEvent leave{QString()};
        QCoreApplication::sendEvent(frame.get(), &leave);
        QCOMPARE(frame->statusBar()->currentMessage(), QStringLiteral("Ready"));
    }

    void newOpenAndSave() {
        auto frame = MakeFrame();
        const LiveWorkspace workspace{*frame};
        const QString a = Fixture(QStringLiteral("cbr128_stereo.mp3"));
        workspace.AddPath(a);
        workspace.SetTag({QStringLiteral("An album longer than seven"), QStringLiteral("Me"),
                          QString(), -3, QString()});
        const QString saved = dir.filePath(QStringLiteral("saved.twk"));
        script->saveAnswers << saved;
        frame->Action(QStringLiteral("saveWorkspace"))->trigger();
        QVERIFY(QFile::exists(saved));

        frame->Action(QStringLiteral("newWorkspace"))->trigger();
        QVERIFY(workspace.Paths().isEmpty());
        QVERIFY(workspace.Tag().album.isEmpty());
        QCOMPARE(frame->Document().Tracks().Count(), 0);

        script->openAnswers << saved;
        frame->Action(QStringLiteral("openWorkspace"))->trigger();
        QCOMPARE(workspace.Paths(), QStringList{a});
        QCOMPARE(frame->Document().Tracks().Track(0).path, a);
        QCOMPARE(workspace.Tag().album, QStringLiteral("An album longer than seven"));
        QCOMPARE(workspace.Tag().year, -3);

        // A cancelled dialog changes nothing; Save writes to the workspace's file unasked.
        frame->Action(QStringLiteral("openWorkspace"))->trigger();
        frame->Action(QStringLiteral("saveWorkspace"))->trigger();
        QCOMPARE(script->asked, (QStringList{kTwk, kTwk, kTwk}));
        QCOMPARE(LogTexts(*frame),
                 (QStringList{"Workspace has been saved.", "Create new workspace.",
                              "Workspace has been opened.", "Workspace has been saved."}));
        QVERIFY(script->messages.isEmpty());
    }

    void theFurtherTagFieldsAndCoverAreKeptUndoneAndJoined() {
        auto frame = MakeFrame();
        tessaro::WorkspaceDocument& document = frame->Document();
        const tessaro::OutputTag tag{QStringLiteral("Book"), {}, {}, 0, {}};
        const tessaro::MoreTagFields more{QStringLiteral("Speech"), QStringLiteral("Author"),
                                          QStringLiteral("Narrator")};
        const QString cover = dir.filePath(QStringLiteral("cover.png"));
        document.SetTag(tag, more, cover);

        // Saved and opened again, the workspace file gives them back.
        const QString saved = dir.filePath(QStringLiteral("more.twk"));
        script->saveAnswers << saved;
        frame->Action(QStringLiteral("saveWorkspace"))->trigger();
        frame->Action(QStringLiteral("newWorkspace"))->trigger();
        QVERIFY(document.MoreTag().IsEmpty() && document.Cover().isEmpty());
        script->openAnswers << saved;
        frame->Action(QStringLiteral("openWorkspace"))->trigger();
        QCOMPARE(document.MoreTag(), more);
        QCOMPARE(document.Cover(), cover);
        QCOMPARE(document.Workspace().Extras().moreTag, more);

        // One step changes all three; its undo gives all three back.
        document.SetTag({}, {}, QString());
        QVERIFY(document.MoreTag().IsEmpty() && document.Cover().isEmpty());
        document.Undo();
        QCOMPARE(document.Tag(), tag);
        QCOMPARE(document.MoreTag(), more);
        QCOMPARE(document.Cover(), cover);

        // The join writes them with the typed tag only.
        tessaro::JoinPreferences preferences;
        QVERIFY(document.JoinOf(preferences, QString()).options.moreTag.IsEmpty());
        preferences.saveID3Tag = true;
        QCOMPARE(document.JoinOf(preferences, QString()).options.moreTag, more);
        QVERIFY(script->messages.isEmpty());
    }

    void unsavedWorkIsSavedDiscardedOrKeptBeforeQuitCloseNewAndOpen() {
        using Answer = tessaro::WindowDialogs::Answer;
        const QString other = dir.filePath(QStringLiteral("other.twk"));
        tessaro::TessaroWorkSpace().SaveToFile(other);
        const QString a = Write(QStringLiteral("a.mp3"), Mp3Frame());
        // Each way of leaving the work, with an answer; whether the work was left.
        const std::pair<const char*, std::function<bool(tessaro::MainWindow&)>> leaves[] = {
            {"quit",
             [](tessaro::MainWindow& w) {
                 w.Action(QStringLiteral("exit"))->trigger();
                 return !w.isVisible();
             }},
            {"close", [](tessaro::MainWindow& w) { return w.close(); }},
            {"new",
             [](tessaro::MainWindow& w) {
                 w.Action(QStringLiteral("newWorkspace"))->trigger();
                 return w.Document().Tracks().Count() == 0;
             }},
            {"open",
             [&](tessaro::MainWindow& w) {
                 script->openAnswers << other;
                 w.Action(QStringLiteral("openWorkspace"))->trigger();
                 return w.Document().File() == other;
             }},
        };
        for (const auto& [name, leave] : leaves) {
            for (const Answer answer : {Answer::Save, Answer::Discard, Answer::Cancel}) {
                auto frame = MakeFrame();
                frame->show();
                QCOMPARE(frame->windowTitle(),
                         QStringLiteral("Untitled[*] \u2014 Zovi Tessaro 1.2"));
                script->openManyAnswers << QStringList{a};
                frame->Action(QStringLiteral("insertMp3"))->trigger();
                QVERIFY2(frame->isWindowModified(), name);
                const QString saved =
                    dir.filePath(QStringLiteral("%1-%2.twk").arg(name).arg(int(answer)));
                script->saveAnswers << saved;
                script->saveQuestionAnswers << answer;
                const bool left = leave(*frame);
                QCOMPARE(script->questions.takeLast(), QStringLiteral("Save changes to Untitled?"));
                QVERIFY2(left == (answer != Answer::Cancel), name);
                QVERIFY2(QFile::exists(saved) == (answer == Answer::Save), name);
                if (answer == Answer::Cancel) {
                    QCOMPARE(frame->Document().Workspace().Paths(), QStringList{a});
                    QVERIFY(frame->isWindowModified());
                }
                script->saveAnswers.clear();
                script->openAnswers.clear();
            }
        }
        // Saved, the title names the file and no question is asked.
        auto frame = MakeFrame();
        AddEntry(*frame, a);
        frame->Document().SetTag({QStringLiteral("Book"), {}, {}, 0, {}});
        script->saveAnswers << dir.filePath(QStringLiteral("book.twk"));
        frame->Action(QStringLiteral("saveWorkspace"))->trigger();
        QCOMPARE(frame->windowTitle(), QStringLiteral("book.twk[*] \u2014 Zovi Tessaro 1.2"));
        QVERIFY(!frame->isWindowModified());
        QVERIFY(frame->close());
        QVERIFY(script->questions.isEmpty());
    }

    void openAndSaveFailuresAreShownAndChangeNothing() {
        auto frame = MakeFrame();
        const LiveWorkspace workspace{*frame};
        workspace.AddPath(QStringLiteral("/music/a.mp3"));
        const QString notWorkspace = Write(QStringLiteral("notes.twk"), "TWKs and more");
        QByteArray damaged("TWKS");
        damaged.append(QByteArray(40, '\0'));
        const QString shortFile = Write(QStringLiteral("short.twk"), damaged);
        script->openAnswers << notWorkspace << shortFile;
        frame->Action(QStringLiteral("openWorkspace"))->trigger();
        frame->Action(QStringLiteral("openWorkspace"))->trigger();
        const QString unwritable = dir.filePath(QStringLiteral("no/such/folder/w.twk"));
        script->saveAnswers << unwritable;
        frame->Action(QStringLiteral("saveWorkspace"))->trigger();

        QCOMPARE(workspace.Paths(), QStringList{QStringLiteral("/music/a.mp3")});
        QCOMPARE(frame->Document().Tracks().Count(), 1);
        QVERIFY(LogTexts(*frame).isEmpty());
        QCOMPARE(script->messages.size(), 3);
        QVERIFY(script->messages[0].text.contains(notWorkspace));
        QVERIFY(script->messages[1].text.contains(shortFile));
        // The window's words around the reason the loader gives.
        QCOMPARE(script->messages[0].text,
                 QStringLiteral("Cannot open \"%1\": it is not a Tessaro workspace file, or it "
                                "cannot be read.")
                     .arg(notWorkspace));
        QCOMPARE(script->messages[1].text,
                 QStringLiteral("Cannot open \"%1\": the file is damaged: the header is 44 bytes "
                                "long instead of 124.")
                     .arg(shortFile));
        QVERIFY(script->messages[2].text.contains(unwritable));
        for (const auto& message : std::as_const(script->messages)) {
            QCOMPARE(message.icon, tessaro::WindowDialogs::Icon::Error);
        }
    }

    void insertRemoveUpAndDown() {
        auto frame = MakeFrame();
        const LiveWorkspace workspace{*frame};
        // Picked together, they go in in natural order of their names.
        const QStringList files{dir.filePath(QStringLiteral("part 1.mp3")),
                                dir.filePath(QStringLiteral("Part 2.mp3")),
                                dir.filePath(QStringLiteral("Part 10.mp3"))};
        script->openManyAnswers << QStringList{files[2], files[0], files[1]};
        frame->Action(QStringLiteral("insertMp3"))->trigger();
        frame->Action(QStringLiteral("insertMp3"))->trigger();  // cancelled
        QCOMPARE(workspace.Paths(), files);
        QCOMPARE(script->asked, (QStringList{kMp3, kMp3}));

        // Inserted entries are selected; with nothing selected, Remove, Up and Down do nothing.
        QCOMPARE(frame->View().SelectedRows(), (QList<int>{0, 1, 2}));
        frame->View().SelectRows({});
        for (const QString& id :
             {QStringLiteral("removeMp3"), QStringLiteral("moveUp"), QStringLiteral("moveDown")}) {
            frame->Action(id)->trigger();
        }
        QCOMPARE(workspace.Paths(), files);

        frame->View().SelectRows({0});
        frame->Action(QStringLiteral("moveUp"))->trigger();  // already first
        frame->Action(QStringLiteral("moveDown"))->trigger();
        QCOMPARE(workspace.Paths(), (QStringList{files[1], files[0], files[2]}));
        QCOMPARE(frame->View().SelectedRows(), QList<int>{1});
        frame->Action(QStringLiteral("moveDown"))->trigger();
        frame->Action(QStringLiteral("moveDown"))->trigger();  // already last
        QCOMPARE(workspace.Paths(), (QStringList{files[1], files[2], files[0]}));
        frame->Action(QStringLiteral("moveUp"))->trigger();
        QCOMPARE(workspace.Paths(), (QStringList{files[1], files[0], files[2]}));
        frame->Action(QStringLiteral("removeMp3"))->trigger();
        QCOMPARE(workspace.Paths(), (QStringList{files[1], files[2]}));
        QCOMPARE(frame->Document().Tracks().Count(), 2);
        QTRY_COMPARE(frame->Status().Figures(), QStringLiteral("2 files, 0:00:00"));
        // Nothing is selected afresh: a second Remove, Up or Down changes nothing.
        QVERIFY(frame->View().SelectedRows().isEmpty());
        for (const QString& id :
             {QStringLiteral("removeMp3"), QStringLiteral("moveUp"), QStringLiteral("moveDown")}) {
            frame->Action(id)->trigger();
        }
        QCOMPARE(workspace.Paths(), (QStringList{files[1], files[2]}));

        const QString text = QStringLiteral("Move mp3 file from position 1 to 0");
        Q_EMIT frame->Document().Tracks().moveRequested({1}, 0);
        QCOMPARE(LogTexts(*frame),
                 (QStringList{Inserted(files[0]), Inserted(files[1]), Inserted(files[2]),
                              "MP3 file moved down.", "MP3 file moved down.", "MP3 file moved up.",
                              "MP3 file has been removed from workspace.", text}));
    }

    void aMergeFromStartToFinish() {
        auto frame = MakeFrame();
        const QByteArray a = Mp3Frame(0x11) + Mp3Frame(0x12), b = Mp3Frame(0x22);
        AddEntry(*frame, Write(QStringLiteral("a.mp3"), a));
        AddEntry(*frame, Write(QStringLiteral("b.mp3"), b));
        const QString output = joined.filePath(QStringLiteral("joined.mp3"));
        script->saveAnswers << output;
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        frame->Action(QStringLiteral("merge"))->trigger();

        // The worker waits for the GUI thread at its first message, so the merge is still
        // running here.
        QVERIFY(frame->IsMerging());
        QVERIFY(frame->Status().Progress().isVisible());
        QCOMPARE(frame->statusBar()->currentMessage(), QStringLiteral("Merging…"));
        QCOMPARE(frame->Status().Progress().text(), QStringLiteral("0%"));
        for (const QString& id : kWorkspaceCommands) {
            QVERIFY2(!frame->Action(id)->isEnabled(), qPrintable(id));
        }
        for (const QString& id : kAlwaysEnabled) {
            QVERIFY2(frame->Action(id)->isEnabled(), qPrintable(id));
        }
        QVERIFY(!frame->close());
        QVERIFY(frame->isVisible());
        QCOMPARE(script->messages.size(), 1);
        QCOMPARE(script->messages[0].caption, QStringLiteral("Merge"));
        QCOMPARE(script->messages[0].text,
                 QStringLiteral("A merge is running. Cancel it and close the window?|Cancel the "
                                "Merge and Close|Keep Merging"));
        Drop(*frame, {dir.filePath(QStringLiteral("late.mp3"))});
        QCOMPARE(frame->Document().Workspace().Paths().size(), 2);

        QTRY_VERIFY(!frame->IsMerging());
        QCOMPARE(ReadBehindTag(output), a + b);
        QVERIFY(frame->Status().Progress().isHidden());
        QCOMPARE(frame->Status().Progress().value(), 100);
        QCOMPARE(frame->statusBar()->currentMessage(), QStringLiteral("Ready"));
        for (const QString& id : kWorkspaceCommands) {
            QVERIFY(frame->Action(id)->isEnabled());
        }
        QCOMPARE(frame->Document().Workspace().Paths().last(),
                 dir.filePath(QStringLiteral("late.mp3")));
        QCOMPARE(LogTexts(*frame),
                 (QStringList{"Begin to merge mp3 files ...",
                              "You can not exit the application while merge thread is running ...",
                              "Joined 2 files into joined.mp3 (0:00:00)",
                              "merge process has been finished!",
                              Inserted(dir.filePath(QStringLiteral("late.mp3"))),
                              "1 file(s) dropped during the merge have been added."}));
        QCOMPARE(script->messages.size(), 1);
        // The files dropped are unsaved work.
        script->saveQuestionAnswers << tessaro::WindowDialogs::Answer::Discard;
        QVERIFY(frame->close());
        QCOMPARE(script->questions, QStringList{QStringLiteral("Save changes to Untitled?")});
    }

    // The status bar says how the last merge ended until the list changes, and its total counts
    // the silence the merge will put between the inputs; partial figures say they are.
    void theStatusBarKeepsTheResultAndCountsTheGap() {
        auto frame = MakeFrame();
        for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
            AddEntry(*frame, Write(QLatin1String(name), Mp3Frame()));
        }
        QTRY_COMPARE(frame->Status().Figures(), QStringLiteral("3 files, 0:00:00"));
        frame->Status().SetGapSeconds(2.5);
        QCOMPARE(frame->Status().Figures(), QStringLiteral("3 files, 0:00:05"));
        frame->Status().SetGapSeconds(0);
        script->saveAnswers << joined.filePath(QStringLiteral("kept.mp3"));
        frame->Action(QStringLiteral("merge"))->trigger();
        QTRY_VERIFY(!frame->IsMerging());
        QCOMPARE(frame->statusBar()->currentMessage(),
                 QStringLiteral("Joined 3 files into kept.mp3 (0:00:00)"));
        frame->View().SelectRows({0});
        frame->Action(QStringLiteral("removeMp3"))->trigger();
        QCOMPARE(frame->statusBar()->currentMessage(), QStringLiteral("Ready"));
        AddEntry(*frame, Write(QStringLiteral("d.mp3"), Mp3Frame()));
        QVERIFY(frame->Status().Figures().endsWith(QStringLiteral(", reading figures…")));
        QTRY_COMPARE(frame->Status().Figures(), QStringLiteral("3 files, 0:00:00"));
    }

    // The merge's inputs are fixed when it starts: entries cannot be dragged about until its end.
    void entriesAreNotDraggedWhileAMergeRuns() {
        auto frame = MakeFrame();
        AddEntry(*frame, Write(QStringLiteral("a.mp3"), Mp3Frame()));
        AddEntry(*frame, Write(QStringLiteral("b.mp3"), Mp3Frame()));
        script->saveAnswers << joined.filePath(QStringLiteral("joined.mp3"));
        QVERIFY(frame->View().dragEnabled());
        frame->Action(QStringLiteral("merge"))->trigger();
        QVERIFY(frame->IsMerging());
        QVERIFY(!frame->View().dragEnabled());
        QTRY_VERIFY(!frame->IsMerging());
        QVERIFY(frame->View().dragEnabled());
    }

    void aCancelledMergeLeavesTheTargetAsItWas() {
        auto frame = MakeFrame();
        // 62.5 s of audio each: the status bar sums the times players show.
        const QByteArray minute = Mp3Frame().repeated(2398) + QByteArray(34, '\0');
        AddEntry(*frame, Write(QStringLiteral("a.mp3"), minute));
        QTRY_COMPARE(frame->Status().Figures(), QStringLiteral("1 file, 0:01:02"));
        AddEntry(*frame, Write(QStringLiteral("b.mp3"), minute));
        QTRY_COMPARE(frame->Status().Figures(), QStringLiteral("2 files, 0:02:05"));
        // Far more than the worker, which never waits for the window, could join before Esc.
        frame->Document().Tracks().Insert(2,
                                          QStringList(300, dir.filePath(QStringLiteral("a.mp3"))));
        const QString output =
            WriteAll(joined.filePath(QStringLiteral("target.mp3")), "the previous output");
        script->saveAnswers << output;
        const QStringList before = FolderEntries(joined.path());
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        frame->Action(QStringLiteral("merge"))->trigger();
        // Esc in the list stops it; the target stays as it was.
        QVERIFY(frame->Status().CancelButton().isVisible() &&
                frame->Status().CancelButton().isEnabled());
        QTest::keyClick(&frame->View(), Qt::Key_Escape);
        QVERIFY(!frame->Status().CancelButton().isEnabled());
        QTRY_VERIFY(!frame->IsMerging());
        QVERIFY(frame->Status().CancelButton().isHidden());
        QCOMPARE(ReadAll(output), QByteArray("the previous output"));
        QCOMPARE(FolderEntries(joined.path()), before);  // nothing left behind
        // A cancel ends with its own line.
        QCOMPARE(LogTexts(*frame).mid(1), QStringList{"The merge was cancelled"});
        QVERIFY(script->messages.isEmpty());
        // Without a merge, Esc and the message change nothing.
        QTest::keyClick(&frame->View(), Qt::Key_Escape);
        frame->Action(QStringLiteral("cancelMerge"))->trigger();
        QCOMPARE(LogTexts(*frame).size(), 2);
    }

    void theResultLineTellsTheTimeAndATagLeftOut() {
        auto frame = MakeFrame();
        const QByteArray minute = Mp3Frame().repeated(2398) + QByteArray(34, '\0');
        AddEntry(*frame, Write(QStringLiteral("one.mp3"), minute));
        AddEntry(*frame, Write(QStringLiteral("two.mp3"), minute));
        frame->Document().SetTag({QStringLiteral("Book"), {}, {}, 0, {}});
        const auto merge = [&](bool saveTag) {
            frame->SetSaveID3Tag(saveTag);
            script->saveAnswers << joined.filePath(QStringLiteral("book.mp3"));
            frame->Action(QStringLiteral("merge"))->trigger();
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
        frame->Document().SetTag({});
        frame->Document().Tracks().Remove({1});
        merge(false);
        QCOMPARE(LogTexts(*frame).mid(1), (QStringList{"Joined 1 file into book.mp3 (0:01:02)",
                                                       "merge process has been finished!"}));
        QVERIFY(script->messages.isEmpty());
    }

    void cancelStaysWholeInANarrowWindow() {
        auto frame = MakeFrame();
        AddEntry(*frame, Write(QStringLiteral("in.mp3"), Mp3Frame()));
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        script->saveAnswers << dir.filePath(QStringLiteral("narrow.mp3"));
        frame->Action(QStringLiteral("merge"))->trigger();
        for (int width : {800, 420, 260, 160}) {
            frame->resize(width, 300);
            QTRY_COMPARE(frame->statusBar()->width(), frame->width());
            const QRect cancel = frame->Status().CancelButton().geometry();
            QVERIFY2(cancel.left() >= 0 && cancel.right() < frame->statusBar()->width(),
                     qPrintable(QString::number(width)));
            QVERIFY(cancel.right() < frame->Status().Progress().geometry().left() ||
                    frame->Status().Progress().width() == 0);
        }
        QTRY_VERIFY(!frame->IsMerging());
    }

    void aFrameDestroyedMidMergeWaitsForTheWorker() {
        auto frame = MakeFrame();
        const QByteArray frames = Mp3Frame(0x11) + Mp3Frame(0x12) + Mp3Frame(0x13);
        AddEntry(*frame, Write(QStringLiteral("in.mp3"), frames));
        const QString output = dir.filePath(QStringLiteral("late.mp3"));
        script->saveAnswers << output;
        frame->Action(QStringLiteral("merge"))->trigger();
        // Gone mid-merge, the window cancels it and waits for its worker: the target is whole
        // or was never made, and nothing is left behind.
        QVERIFY(frame->IsMerging());
        frame.reset();
        QVERIFY(!QFile::exists(output) || ReadBehindTag(output) == frames);
        QVERIFY(!FolderEntries(dir.path()).join(QLatin1Char(' ')).contains(QStringLiteral(".tmp")));
    }

    void aFailingMergeSaysWhy() {
        auto frame = MakeFrame();
        const QString input = Write(QStringLiteral("in.mp3"), Mp3Frame());
        AddEntry(*frame, input);
        AddEntry(*frame, dir.filePath(QStringLiteral("missing.mp3")));
        script->saveAnswers << input;
        frame->Action(QStringLiteral("merge"))->trigger();
        QTRY_VERIFY(!frame->IsMerging());
        const QStringList log = LogTexts(*frame);
        QCOMPARE(log.size(), 4);
        QVERIFY(log[0].startsWith(QStringLiteral("The joined file \"in.mp3\" lies in")));
        QVERIFY(log[2].contains(input));
        QCOMPARE(log[3], QStringLiteral("merge process has been finished!"));
        QCOMPARE(script->messages.size(), 1);
        QVERIFY(script->messages[0].text.contains(input));
        QCOMPARE(ReadAll(input), Mp3Frame());

        // A skipped input is a warning line of its own; the merge itself succeeds.
        frame->Document().Tracks().Remove({0});
        AddEntry(*frame, Write(QStringLiteral("b.mp3"), Mp3Frame()));
        script->saveAnswers << joined.filePath(QStringLiteral("out.mp3"));
        frame->Action(QStringLiteral("merge"))->trigger();
        QTRY_VERIFY(!frame->IsMerging());
        QVERIFY(LogTexts(*frame)[5].contains(QStringLiteral("missing.mp3")));
        QCOMPARE(LogTexts(*frame).last(), QStringLiteral("merge process has been finished!"));
        QCOMPARE(script->messages.size(), 1);

        // With nothing left to join, the merge fails and makes no file.
        frame->Document().Tracks().Remove({1});
        script->saveAnswers << joined.filePath(QStringLiteral("none.mp3"));
        frame->Action(QStringLiteral("merge"))->trigger();
        QTRY_VERIFY(!frame->IsMerging());
        QCOMPARE(script->messages.size(), 2);
        QVERIFY(script->messages[1].text.contains(QStringLiteral("MPEG audio frame")));
        QVERIFY(!QFile::exists(joined.filePath(QStringLiteral("none.mp3"))));
    }

    // Merge proposes the joined file above the inputs' common folder, named after the album, the
    // workspace or that folder; one chosen where inputs come from, or below, is joined with a
    // warning, as the next Insert Folder there would take it in.
    void mergeProposesAFileAboveTheInputsAndWarnsOfOneAmongThem() {
        const QString above = dir.filePath(QStringLiteral("proposal"));
        const QString album = above + QStringLiteral("/Album");
        QVERIFY(QDir().mkpath(album + QStringLiteral("/CD 2")));
        QVERIFY(QDir().mkpath(album + QStringLiteral("/out")));
        auto frame = MakeFrame();
        AddEntry(*frame, WriteAll(album + QStringLiteral("/a.mp3"), Mp3Frame()));
        AddEntry(*frame, WriteAll(album + QStringLiteral("/CD 2/b.mp3"), Mp3Frame()));
        const auto proposal = [this](tessaro::MainWindow& window) {
            window.Action(QStringLiteral("merge"))->trigger();  // cancelled
            return script->proposals.last();
        };
        QCOMPARE(proposal(*frame), above + QStringLiteral("/Album.mp3"));
        script->saveAnswers << dir.filePath(QStringLiteral("Book.twk"));
        frame->Action(QStringLiteral("saveWorkspaceAs"))->trigger();
        // No '/' or control character, no leading dot or space, at most 255 bytes of whole
        // characters; with nothing left, the next name.
        const std::pair<QString, QString> albums[] = {
            {QString(), QStringLiteral("Book")},
            {QStringLiteral(" AC/DC\tLive\u0000"), QStringLiteral("AC-DC Live")},
            {QStringLiteral(". ."), QStringLiteral("Book")},
            {QStringLiteral("\u00E9").repeated(200), QStringLiteral("\u00E9").repeated(125)},
            {QStringLiteral("\U0001F3B5").repeated(100), QStringLiteral("\U0001F3B5").repeated(62)},
        };
        for (const auto& [name, file] : albums) {
            frame->Document().SetTag({name, {}, {}, 0, {}});
            QCOMPARE(proposal(*frame), above + QLatin1Char('/') + file + QStringLiteral(".mp3"));
        }
        const QString warning = QStringLiteral(
            "The joined file \"joined.mp3\" lies in \"%1\", where input files come from: a later "
            "Insert Folder would take it in as an input.");
        const std::pair<QString, QString> chosen[] = {
            {album + QStringLiteral("/CD 2/joined.mp3"),
             warning.arg(album + QStringLiteral("/CD 2"))},
            {album + QStringLiteral("/out/joined.mp3"), warning.arg(album)},
            {above + QStringLiteral("/joined.mp3"), QStringLiteral("Begin to merge mp3 files ...")},
        };
        for (const auto& [path, line] : chosen) {
            frame->Output().List().clear();
            script->saveAnswers << path;
            frame->Action(QStringLiteral("merge"))->trigger();
            QTRY_VERIFY(!frame->IsMerging());
            QVERIFY(QFile::exists(path));
            QCOMPARE(LogTexts(*frame).first(), line);
        }

        // Inputs right in the root: the Music folder, or home where an input comes from that.
        const QString music = dir.filePath(QStringLiteral("Music"));
        QVERIFY(QDir().mkpath(music));
        const QString userDirs = config.filePath(QStringLiteral("user-dirs.dirs"));
        WriteAll(userDirs, QStringLiteral("XDG_MUSIC_DIR=\"%1\"\n").arg(music).toUtf8());
        const auto restore = qScopeGuard([userDirs] { QFile::remove(userDirs); });
        auto rooted = MakeFrame();
        AddEntry(*rooted, QStringLiteral("/in-root.mp3"));
        QCOMPARE(proposal(*rooted), music + QStringLiteral("/Joined.mp3"));
        AddEntry(*rooted, music + QStringLiteral("/b.mp3"));
        QCOMPARE(proposal(*rooted), QDir::homePath() + QStringLiteral("/Joined.mp3"));
    }

    // A merge that ends while the window asks whether to cancel it and close takes the question
    // away, and the window closes; "Cancel the Merge and Close" closes it once the merge stops.
    void theCloseQuestionGoesWhenTheMergeEndsAndItsCloseButtonCloses() {
        const auto merging = [this](const QStringList& inputs) {
            auto frame = MakeFrame();
            frame->Document().Tracks().Insert(0, inputs);
            frame->show();
            script->saveAnswers << joined.filePath(QStringLiteral("close.mp3"));
            frame->Action(QStringLiteral("merge"))->trigger();
            return frame;
        };
        auto frame = merging({Write(QStringLiteral("close.mp3"), Mp3Frame())});
        QVERIFY(frame->IsMerging());
        script->confirmWaitMs = 10000;
        QVERIFY(frame->close());
        QCOMPARE(script->withdrawals, 1);
        QCOMPARE(ReadBehindTag(joined.filePath(QStringLiteral("close.mp3"))), Mp3Frame());
        QCOMPARE(LogTexts(*frame).size(), 3);  // nothing said of the question
        // Far more than the worker could join before the answer.
        frame =
            merging(QStringList(300, Write(QStringLiteral("long.mp3"), Mp3Frame().repeated(2398))));
        script->confirmAnswers << true;
        QVERIFY(!frame->close());
        QTRY_VERIFY(!frame->isVisible());
        QCOMPARE(LogTexts(*frame).last(), QStringLiteral("The merge was cancelled"));
        QCOMPARE(ReadBehindTag(joined.filePath(QStringLiteral("close.mp3"))), Mp3Frame());
    }

    // The notice of inputs unlike the first in format tells of the list as it stands, once its
    // figures are read, whatever changed it.
    void theFormatNoticeFollowsTheList() {
        const QString stereo = Fixture(QStringLiteral("cbr128_stereo.mp3"));
        const QString low = Fixture(QStringLiteral("mpeg2_22k.mp3"));
        auto frame = MakeFrame();
        const auto notice = [&] {
            if (!QTest::qWaitFor([&] { return !frame->Document().Tracks().FiguresPending(); })) {
                return QStringLiteral("(figures never read)");
            }
            return frame->Notice().Text();
        };
        const QString one = QStringLiteral(
            "1 input differs in format from the first, and many players play the joined file "
            "wrongly. Turn on \"Re-encode inputs of another format to match the first\" in File > "
            "Preferences to keep one format throughout.");
        const QString two = QString(one).replace(QStringLiteral("1 input differs"),
                                                 QStringLiteral("2 inputs differ"));
        Drop(*frame, {stereo, low, stereo});
        QCOMPARE(notice(), one);
        frame->View().SelectRows({1});
        frame->Action(QStringLiteral("moveUp"))->trigger();  // another first
        QCOMPARE(notice(), two);
        frame->Action(QStringLiteral("removeMp3"))->trigger();
        QCOMPARE(notice(), QString());
        // Opened, a workspace shows its own; before Layer II, re-encoding has nothing to offer.
        const std::pair<QStringList, QString> workspaces[] = {
            {{stereo, low, low}, two},
            {{stereo, stereo}, QString()},
            {{Fixture(QStringLiteral("layer2_quiet.mp2")), stereo}, QString()},
        };
        for (const auto& [paths, shown] : workspaces) {
            tessaro::TessaroWorkSpace workspace;
            workspace.SetPaths(paths);
            workspace.SaveToFile(dir.filePath(QStringLiteral("formats.twk")));
            script->saveQuestionAnswers << tessaro::WindowDialogs::Answer::Discard;
            frame->OpenFiles({dir.filePath(QStringLiteral("formats.twk"))});
            QCOMPARE(notice(), shown);
        }
    }

    void theJoinControllerReportsProgressLinesAndTheResultWithoutWaitingForTheWindow() {
        tessaro::JoinController controller;
        QList<int> percents;
        QStringList lines;
        QList<tessaro::MergeResult> results;
        connect(&controller, &tessaro::JoinController::progressed, this,
                [&](int percent) { percents << percent; });
        connect(&controller, &tessaro::JoinController::logged, this,
                [&](const QString& line) { lines << line; });
        connect(&controller, &tessaro::JoinController::finished, this,
                [&](const tessaro::MergeResult& result) { results << result; });
        // Of another format than the first, and an input that holds no frame: two warnings.
        const tessaro::JoinRequest request{
            {Fixture(QStringLiteral("cbr128_stereo.mp3")), Write(QStringLiteral("t.mp3"), "text"),
             Fixture(QStringLiteral("cbr192_48k.mp3"))},
            dir.filePath(QStringLiteral("mixed.mp3")),
            {QStringLiteral("Album"), {}, {}, 0, {}},
            false,
            {}};
        QVERIFY(controller.Start(request));
        QVERIFY(!controller.Start(request));  // one at a time
        // The worker never waits for this thread: it has ended before the window hears of it.
        QTRY_VERIFY(!controller.IsRunning());
        QCOMPARE(results.size(), 1);
        QVERIFY(!percents.isEmpty() && percents.last() == 100);
        QVERIFY(std::is_sorted(percents.begin(), percents.end()));
        QCOMPARE(QSet<int>(percents.begin(), percents.end()).size(), percents.size());
        QCOMPARE(results[0].formatsToConform, 1);
        QCOMPARE(lines.size(), 5);
        QVERIFY(lines[0].contains(QStringLiteral("t.mp3")));
        QVERIFY(lines[1].contains(QStringLiteral("differs from the first input")));
        QVERIFY(lines[2].startsWith(QStringLiteral("The ID3 tag was not written")));
        QVERIFY(lines[3].startsWith(QStringLiteral("Joined 2 files into mixed.mp3 (0:00:")));
        QVERIFY(lines[3].endsWith(QStringLiteral("), 2 warnings")));
        QCOMPARE(lines[4], QStringLiteral("merge process has been finished!"));

        // A cancel ends with its own line, not as a finished merge, the target as it was.
        const QString target = Write(QStringLiteral("target.mp3"), "kept");
        lines.clear();
        // Far more than the worker could join before the cancel reaches it.
        const QStringList many(500, Fixture(QStringLiteral("cbr128_stereo.mp3")));
        QVERIFY(controller.Start({.inputs = many, .output = target}));
        controller.Cancel();
        QVERIFY(controller.IsCancelling());
        QTRY_VERIFY(!controller.IsRunning());
        QVERIFY(results.last().cancelled);
        QCOMPARE(lines, QStringList{results.last().error});
        QCOMPARE(ReadAll(target), QByteArray("kept"));
        // One warning is one.
        tessaro::MergeResult one;
        one.inputsJoined = 1;
        one.warnings << QStringLiteral("a warning");
        QCOMPARE(tessaro::JoinController::ResultLines({.output = target}, one).value(1),
                 QStringLiteral("Joined 1 file into target.mp3 (0:00:00), 1 warning"));
    }

    void chaptersImportedGoIntoTheMergeAndTheMergedOnesExport() {
        auto frame = MakeFrame();
        const QString input = Fixture(QStringLiteral("cbr128_stereo.mp3"));
        AddEntry(*frame, input);
        AddEntry(*frame, input);
        // Nothing merged yet: nothing to export, and said so.
        frame->Action(QStringLiteral("exportChapters"))->trigger();
        QCOMPARE(script->messages.size(), 1);
        QVERIFY(script->asked.isEmpty());
        // A file that is no chapter file is refused whole, and changes nothing.
        script->openAnswers << Write(QStringLiteral("bad.txt"), "Chapter one\n");
        frame->Action(QStringLiteral("importChapters"))->trigger();
        QCOMPARE(script->messages.size(), 2);
        QVERIFY(script->messages[1].text.contains(QStringLiteral("line 1")));
        QVERIFY(frame->Document().ChapterFile().isEmpty());
        // A CUE sheet, as other tools write it: its chapters go into the next merge.
        const QString cue = Write(QStringLiteral("book.cue"),
                                  "FILE \"x.mp3\" MP3\n  TRACK 01 AUDIO\n    TITLE \"Opening\"\n"
                                  "    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n"
                                  "    TITLE \"Closing\"\n    INDEX 01 00:00:15\n");
        script->openAnswers << cue;
        frame->Action(QStringLiteral("importChapters"))->trigger();
        QCOMPARE(frame->Document().ChapterFile(), cue);
        QCOMPARE(LogTexts(*frame).last(),
                 QStringLiteral("2 chapters from \"%1\" go into the next merged file.").arg(cue));
        script->saveAnswers << dir.filePath(QStringLiteral("book.mp3"));
        frame->Action(QStringLiteral("merge"))->trigger();
        QTRY_VERIFY(!frame->IsMerging());
        // Written in the form the name tells.
        const QJsonArray chapters = ExportedChapters(*frame, QStringLiteral("book.json"));
        QCOMPARE(chapters.size(), 2);
        QCOMPARE(chapters[1].toObject().value(QStringLiteral("title")).toString(),
                 QStringLiteral("Closing"));
        QCOMPARE(chapters[1].toObject().value(QStringLiteral("startTime")).toDouble(), 0.2);
        QCOMPARE(script->messages.size(), 2);
        // Undone, the next merge takes no chapter file.
        frame->Action(QStringLiteral("undo"))->trigger();
        QVERIFY(frame->Document().ChapterFile().isEmpty());
    }

    // A CD's sheet with a FILE for each track goes into the merge of the tracks it names, each
    // chapter counted from its track's start. One naming other files is imported all the same,
    // as the tracks may yet change, and refused by the merge, naming the line.
    void aCueSheetWithAFileForEachTrackCountsFromTheTracksMerged() {
        auto frame = MakeFrame();
        QStringList tracks;
        for (const char* name : {"01 - Intro.mp3", "02 - Outro.mp3"}) {
            tracks << Write(QLatin1String(name),
                            ReadAll(Fixture(QStringLiteral("cbr128_stereo.mp3"))));
            AddEntry(*frame, tracks.last());
        }
        const auto sheet = [](const char* second) {
            return QByteArray(
                       "FILE \"01 - Intro.wav\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"Intro\"\n"
                       "    INDEX 01 00:00:00\nFILE \"") +
                   second +
                   "\" WAVE\n  TRACK 02 AUDIO\n    TITLE \"Outro\"\n    INDEX 01 00:00:15\n";
        };
        const auto importAndMerge = [&](const QString& cue) {
            script->openAnswers << cue;
            frame->Action(QStringLiteral("importChapters"))->trigger();
            QVERIFY(LogTexts(*frame).contains(
                QStringLiteral("2 chapters from \"%1\" go into the next merged file.").arg(cue)));
            script->saveAnswers << dir.filePath(QStringLiteral("cd.mp3"));
            frame->Action(QStringLiteral("merge"))->trigger();
            QTRY_VERIFY(!frame->IsMerging());
        };
        importAndMerge(Write(QStringLiteral("cd.cue"), sheet("02 - Outro.wav")));
        RecordingHost host;
        const tessaro::MergeResult perTrack =
            tessaro::RunMerge({.inputs = tracks,
                               .output = dir.filePath(QStringLiteral("each.mp3")),
                               .options = {.chapters = true}},
                              host);
        QCOMPARE(perTrack.chapters.size(), size_t(2));
        const QJsonArray chapters = ExportedChapters(*frame, QStringLiteral("cd.json"));
        QCOMPARE(chapters.size(), 2);
        QCOMPARE(chapters[1].toObject().value(QStringLiteral("startTime")).toDouble(),
                 (perTrack.chapters[1].startMs + 200) / 1000.0);

        importAndMerge(Write(QStringLiteral("other.cue"), sheet("02 - Song.wav")));
        QCOMPARE(script->messages.size(), 1);
        QVERIFY(script->messages[0].text.contains(
            QStringLiteral("line 5: FILE \"02 - Song.wav\" names none of the inputs")));
    }

    void dropsGoWhereTheyAreDroppedAndAWorkspaceDroppedOpens() {
        auto frame = MakeFrame();
        frame->resize(600, 500);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        const QStringList first{Write(QStringLiteral("a.mp3"), Mp3Frame()),
                                Write(QStringLiteral("b.mp3"), Mp3Frame())};
        Drop(*frame, first);
        QCOMPARE(frame->Document().Workspace().Paths(), first);
        QCOMPARE(LogTexts(*frame), (QStringList{Inserted(first[0]), Inserted(first[1])}));
        frame->Output().List().clear();
        QCOMPARE(frame->View().SelectedRows(), (QList<int>{0, 1}));
        // On the second entry: before it. A picture and a text are refused, each with a line.
        const QString between = Write(QStringLiteral("between.mp3"), Mp3Frame());
        const QString picture = Fixture(QStringLiteral("plasma.jpg"));
        const QRect second = frame->View().visualRect(frame->Document().Tracks().index(1));
        DropAt(*frame, {picture, between, dir.filePath(QStringLiteral("notes.txt"))},
               second.topLeft() + QPoint(20, 2));
        QCOMPARE(frame->Document().Workspace().Paths(), (QStringList{first[0], between, first[1]}));
        QCOMPARE(frame->View().SelectedRows(), QList<int>{1});
        QCOMPARE(LogTexts(*frame).size(), 3);
        QVERIFY(LogTexts(*frame)[0].contains(QStringLiteral("plasma.jpg")));
        QVERIFY(LogTexts(*frame)[1].endsWith(
            QStringLiteral("it is not an MPEG audio file (.mp3, .mp2, .mpa).")));
        QCOMPARE(LogTexts(*frame)[2], Inserted(between));
        // A drop is a step to undo.
        frame->Action(QStringLiteral("undo"))->trigger();
        QCOMPARE(frame->Document().Workspace().Paths(), first);

        // A workspace dropped alone opens, after the unsaved-changes question.
        tessaro::TessaroWorkSpace saved;
        saved.AddPath(between);
        const QString twk = dir.filePath(QStringLiteral("dropped.twk"));
        saved.SaveToFile(twk);
        script->saveQuestionAnswers << tessaro::WindowDialogs::Answer::Discard;
        Drop(*frame, {twk});
        QCOMPARE(script->questions.size(), 1);
        QCOMPARE(frame->Document().Workspace().Paths(), QStringList{between});
        QCOMPARE(frame->Document().File(), twk);
        QVERIFY(!frame->isWindowModified());
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
        frame->Action(QStringLiteral("insertFolder"))->trigger();
        frame->Action(QStringLiteral("insertFolder"))->trigger();  // cancelled
        QCOMPARE(script->asked, (QStringList{"folder", "folder"}));
        QCOMPARE(frame->Document().Workspace().Paths(), files);
        QCOMPARE(frame->Document().Tracks().Count(), 3);
        QCOMPARE(LogTexts(*frame),
                 (QStringList{leftOut, QStringLiteral("Folder \"%1\" has been inserted with 3 MP3 "
                                                      "files!")
                                           .arg(book)}));
        // A folder without any: said so, nothing inserted.
        const QString pictures = dir.filePath(QStringLiteral("pictures"));
        QVERIFY(QDir().mkpath(pictures));
        script->folderAnswers << pictures;
        frame->Action(QStringLiteral("insertFolder"))->trigger();
        QCOMPARE(frame->Document().Workspace().Paths(), files);
        QVERIFY(LogTexts(*frame).last().startsWith(QStringLiteral("Skipped \"%1\"").arg(pictures)));

        // Dropped between files, given to `tessaro FOLDER`, listed in a workspace.
        auto dropped = MakeFrame();
        const QString first = dir.filePath(QStringLiteral("first.mp3"));
        Drop(*dropped, {first, book});
        QCOMPARE(dropped->Document().Workspace().Paths(), QStringList{first} + files);
        const QString folderLine =
            QStringLiteral("Folder \"%1\" has been inserted with 3 MP3 files!").arg(book);
        QCOMPARE(LogTexts(*dropped), (QStringList{leftOut, Inserted(first), folderLine}));
        auto named = MakeFrame();
        const auto restore =
            qScopeGuard([working = QDir::currentPath()] { QDir::setCurrent(working); });
        QVERIFY(QDir::setCurrent(dir.path()));
        named->OpenFiles({QStringLiteral("book")});
        QCOMPARE(named->Document().Workspace().Paths(), files);
        QCOMPARE(LogTexts(*named), (QStringList{leftOut, folderLine}));
        const QString twk = dir.filePath(QStringLiteral("folder.twk"));
        tessaro::TessaroWorkSpace listing;
        listing.AddPath(book);
        listing.SaveToFile(twk);
        auto opened = MakeFrame();
        opened->OpenFiles({twk});
        QCOMPARE(opened->Document().Workspace().Paths(), files);
        QCOMPARE(LogTexts(*opened), (QStringList{"Workspace has been opened.", leftOut}));
    }

    void filesNamedOnTheCommandLine() {
        // None: the window starts empty and silent.
        auto frame = MakeFrame();
        frame->OpenFiles({});
        QVERIFY(frame->Document().Workspace().Paths().isEmpty() && LogTexts(*frame).isEmpty());
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
        QCOMPARE(frame->Document().Workspace().Paths(), (QStringList{b, a, missing}));
        QCOMPARE(frame->Document().Tracks().Track(0).path, b);
        QTRY_VERIFY(!frame->Document().Tracks().FiguresPending());
        QVERIFY(
            frame->Document().Tracks().Track(2).problem.startsWith(QStringLiteral("Cannot open")));
        QCOMPARE(LogTexts(*frame).size(), 4);
        QVERIFY(LogTexts(*frame)[0].contains(QStringLiteral("not valid UTF-8")));
        QCOMPARE(LogTexts(*frame).mid(1),
                 (QStringList{Inserted(b), Inserted(a), Inserted(missing)}));

        // A workspace file named alone is opened, its tag too; named with others, it is a file.
        frame->Document().SetTag({QStringLiteral("Album"), {}, {}, 2008, {}});
        const QString twk = dir.filePath(QStringLiteral("started.TWK"));
        frame->Document().Workspace().SaveToFile(twk);
        auto opened = MakeFrame();
        opened->OpenFiles({twk});
        QCOMPARE(opened->Document().Workspace().Paths(), (QStringList{b, a, missing}));
        QCOMPARE(opened->Document().Workspace().Tag().year, 2008);
        QCOMPARE(LogTexts(*opened), QStringList{"Workspace has been opened."});
        opened->OpenFiles({twk, a});
        QCOMPARE(opened->Document().Workspace().Paths().mid(3), (QStringList{twk, a}));

        // One that cannot be opened is reported as File > Open reports it.
        auto failed = MakeFrame();
        failed->OpenFiles({dir.filePath(QStringLiteral("missing.twk"))});
        QVERIFY(failed->Document().Workspace().Paths().isEmpty());
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
        AddEntry(*frame, Write(QStringLiteral("decoy.mp3"), Mp3Frame()));
        const QString otherTwk = dir.filePath(QStringLiteral("\uFFFD.twk"));
        frame->Document().Workspace().SaveToFile(dir.filePath(QStringLiteral("decoy.twk")));
        QVERIFY(QFile::rename(dir.filePath(QStringLiteral("decoy.twk")), otherTwk));
        QCOMPARE(MakeNotUtf8Name(dir.path(), "\xFF.twk"), otherTwk);
        const QByteArray otherWorkspace = ReadAll(otherTwk);

        script->openManyAnswers << QStringList{other};
        frame->Action(QStringLiteral("insertMp3"))->trigger();
        Drop(*frame, {other});
        QCOMPARE(frame->Document().Workspace().Paths().size(), 1);
        QCOMPARE(LogTexts(*frame).filter(QStringLiteral("not valid UTF-8")).size(), 2);

        script->saveAnswers << other;
        frame->Action(QStringLiteral("merge"))->trigger();
        QTRY_VERIFY(!frame->IsMerging());
        script->saveAnswers << otherTwk;
        frame->Action(QStringLiteral("saveWorkspace"))->trigger();
        script->openAnswers << otherTwk;
        frame->Action(QStringLiteral("openWorkspace"))->trigger();
        QCOMPARE(script->messages.size(), 3);
        for (const ScriptedDialogs::Message& message : std::as_const(script->messages)) {
            QVERIFY2(message.text.contains(QStringLiteral("not valid UTF-8")),
                     qPrintable(message.text));
        }
        QCOMPARE(ReadAll(other), otherFrame);
        QCOMPARE(ReadAll(otherTwk), otherWorkspace);
        QCOMPARE(frame->Document().Workspace().Paths().size(), 1);
    }

    void tagEditorAndPreferencesThroughTheirCommands() {
        auto frame = MakeFrame();
        frame->Document().SetTag({QStringLiteral("Old"), QStringLiteral("Old"),
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
        frame->Action(QStringLiteral("tagEditor"))->trigger();
        QCOMPARE(frame->Document().Workspace().Tag().album, QStringLiteral("Old"));
        // The fields top to bottom: album, artist, album artist, title, composer, genre, year.
        answer({"New album, longer", "Ärtist", "Various", "Title", "Narrator", "Speech", "2008"},
               true);
        frame->Action(QStringLiteral("tagEditor"))->trigger();
        QCOMPARE(frame->Document().Workspace().Tag().album, QStringLiteral("New album, longer"));
        QCOMPARE(frame->Document().Workspace().Tag().artist, QStringLiteral("Ärtist"));
        QCOMPARE(frame->Document().Workspace().Tag().year, 2008);
        QCOMPARE(frame->Document().MoreTag(),
                 (tessaro::MoreTagFields{QStringLiteral("Speech"), QStringLiteral("Various"),
                                         QStringLiteral("Narrator")}));
        // The comment left untouched keeps what the workspace's tag held.
        QCOMPARE(frame->Document().Workspace().Tag().comment, QStringLiteral("Old"));

        QVERIFY(!frame->SaveID3Tag());
        answer({}, false, true);
        frame->Action(QStringLiteral("preferences"))->trigger();
        QVERIFY(!frame->SaveID3Tag());
        answer({}, true, true);
        frame->Action(QStringLiteral("preferences"))->trigger();
        QVERIFY(frame->SaveID3Tag());
        QVERIFY(LogTexts(*frame).isEmpty());

        // The joined-file boxes survive a restart in the window's settings; the preference file
        // holds the tag choice alone, byte for byte as without them.
        QVERIFY(frame->Options().chapters && frame->Options().copyCover &&
                frame->Options().seamless && frame->Options().conform && frame->Options().level);
        QCOMPARE(frame->Options().levelTarget, tessaro::kReferenceLoudness);
        frame.reset();
        const QString saved = tessaro::GetPreferencesPath(QStringLiteral("Zovi Tessaro 1.2"));
        const QString alone = dir.filePath(QStringLiteral("alone.dat"));
        QVERIFY(tessaro::WriteSaveID3Tag(alone, true).isEmpty());
        QCOMPARE(ReadAll(saved), ReadAll(alone));
        frame = MakeFrame();
        QVERIFY(frame->Options().chapters && frame->Options().copyCover &&
                frame->Options().seamless && frame->Options().conform && frame->Options().level);
        answer({}, true, false);
        frame->Action(QStringLiteral("preferences"))->trigger();
        QVERIFY(!frame->Options().chapters && !frame->Options().copyCover &&
                !frame->Options().seamless && !frame->Options().conform && !frame->Options().level);
    }

    void everyChangeOfListAndTagIsUndoneAndRedone() {
        auto frame = MakeFrame();
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        tessaro::TrackListView& list = frame->View();
        list.setFocus();
        QStringList c;
        for (const char* name : {"Chapter 10", "Chapter 9", "Chapter 1", "Chapter 2"}) {
            c << Write(QLatin1String(name) + QStringLiteral(".mp3"), Mp3Frame());
        }
        const QString saved = dir.filePath(QStringLiteral("other.twk"));
        {
            tessaro::TessaroWorkSpace other;
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
            frame->Action(QStringLiteral("tagEditor"))->trigger();
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
                 frame->Action(QStringLiteral("insertMp3"))->trigger();
             },
             {}},
            {"drop", [&] { Drop(*frame, {c[3]}); }, {}},
            {"sort by track", [&] { frame->Action(QStringLiteral("sortByTrack"))->trigger(); }, {}},
            {"move up", [&] { QTest::keyClick(&list, Qt::Key_Up, Qt::ControlModifier); }, {2}},
            {"drag", [&] { Q_EMIT frame->Document().Tracks().moveRequested({0}, 4); }, {}},
            {"sort by name", [&] { frame->Action(QStringLiteral("sortByName"))->trigger(); }, {}},
            {"delete key", [&] { QTest::keyClick(&list, Qt::Key_Delete); }, {0, 2}},
            {"tag", tagEdit, {}},
            {"new",
             [&] {
                 script->saveQuestionAnswers << tessaro::WindowDialogs::Answer::Discard;
                 frame->Action(QStringLiteral("newWorkspace"))->trigger();
             },
             {}},
            {"open",
             [&] {
                 script->openAnswers << saved;
                 frame->Action(QStringLiteral("openWorkspace"))->trigger();
             },
             {}},
        };
        const LiveWorkspace workspace{*frame};
        const auto state = [&] {
            [&] { QCOMPARE(EntryPaths(frame->Document().Tracks()), workspace.Paths()); }();
            return std::pair(workspace.Paths(), workspace.Tag().album);
        };
        for (const auto& [name, change, select] : changes) {
            list.SelectRows(select);
            const auto before = state();
            const QList<int> selected = list.SelectedRows();
            change();
            const auto after = state();
            QVERIFY2(after != before, name);
            QTRY_VERIFY(!frame->Document().Tracks().FiguresPending());
            frame->activateWindow();  // back from a dialog
            QVERIFY(QTest::qWaitForWindowActive(frame.get()));
            QTest::keyClick(&list, Qt::Key_Z, Qt::ControlModifier);
            QVERIFY2(state() == before, name);
            // A new order is put back by moves, which read nothing again; what was selected is
            // selected again.
            QStringList was = before.first, is = after.first;
            was.sort();
            is.sort();
            QVERIFY2(was != is || !frame->Document().Tracks().FiguresPending(), name);
            QVERIFY2(list.SelectedRows() == selected, name);
            QTest::keyClick(&list, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            QVERIFY2(state() == after, name);
        }
        QCOMPARE(workspace.Paths(), QStringList{c[3]});
        QCOMPARE(workspace.Tag().album, QStringLiteral("Other"));
        // All the way back, then forward again.
        for (size_t i = 0; i < std::size(changes); ++i) {
            frame->Action(QStringLiteral("undo"))->trigger();
        }
        QVERIFY(workspace.Paths().isEmpty() && !frame->Action(QStringLiteral("undo"))->isEnabled());
        QCOMPARE(frame->Action(QStringLiteral("redo"))->text(), QStringLiteral("&Redo Insert"));
        for (size_t i = 0; i < std::size(changes); ++i) {
            frame->Action(QStringLiteral("redo"))->trigger();
        }
        QCOMPARE(workspace.Paths(), QStringList{c[3]});
        QVERIFY(!frame->Action(QStringLiteral("redo"))->isEnabled());
        QCOMPARE(frame->Action(QStringLiteral("undo"))->text(), QStringLiteral("&Undo Open"));
        QVERIFY(LogTexts(*frame).contains(QStringLiteral("Undo: Insert")));
    }

    void sortsPutTheListInNaturalAndTrackOrder() {
        auto frame = MakeFrame();
        // Numbers by value, case folded; the CLI's orders exactly.
        const QString ten = Write(QStringLiteral("Part 10.mp3"), Mp3Frame());
        const QString two = Write(QStringLiteral("part 2.mp3"), Mp3Frame());
        const QString first = Write(QStringLiteral("z.mp3"), Id3v2Tag("t", 0) + Mp3Frame());
        frame->Action(QStringLiteral("sortByName"))->trigger();  // nothing to sort: no step to undo
        QVERIFY(!frame->Action(QStringLiteral("undo"))->isEnabled());
        for (const QString& path : {ten, first, two}) {
            AddEntry(*frame, path);
        }
        frame->Action(QStringLiteral("sortByName"))->trigger();
        QCOMPARE(frame->Document().Workspace().Paths(), (QStringList{two, ten, first}));
        QCOMPARE(frame->Document().Workspace().Paths(),
                 tessaro::SortedByFileName({ten, first, two}));
        frame->Action(QStringLiteral("sortByTrack"))->trigger();
        QCOMPARE(frame->Document().Workspace().Paths(), tessaro::SortedByTrack({ten, first, two}));
        QCOMPARE(LogTexts(*frame), (QStringList{"MP3 files sorted by file name.",
                                                "MP3 files sorted by track number."}));
        // While a merge runs, neither sort nor undo is to be had.
        script->saveAnswers << dir.filePath(QStringLiteral("out.mp3"));
        frame->Action(QStringLiteral("merge"))->trigger();
        for (const QString& id : {QStringLiteral("sortByName"), QStringLiteral("sortByTrack"),
                                  QStringLiteral("undo"), QStringLiteral("delete")}) {
            QVERIFY(!frame->Action(id)->isEnabled());
        }
        QVERIFY(frame->Action(QStringLiteral("selectAll"))->isEnabled());
        QTRY_VERIFY(!frame->IsMerging());
        QVERIFY(frame->Action(QStringLiteral("undo"))->isEnabled());
    }

    void helpWithoutItsFileOrAViewerSaysWhatToDo() {
        auto frame = MakeFrame();
        const QString help = tessaro::HelpFilePath(QCoreApplication::applicationFilePath());
        frame->Action(QStringLiteral("help"))->trigger();
        QCOMPARE(script->messages.size(), 1);
        QCOMPARE(script->messages[0].icon, tessaro::WindowDialogs::Icon::Error);
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
        frame->Action(QStringLiteral("help"))->trigger();
        // Nor a browser: handed over, the guide would open nowhere; the message says so.
        qunsetenv("BROWSER");
        frame->Action(QStringLiteral("help"))->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        qputenv("PATH", path);
        QFile::remove(help);
        QDir(folder.filePath(QStringLiteral("html"))).removeRecursively();

        QCOMPARE(script->messages.size(), 3);
        QVERIFY(script->messages[1].text.contains(QStringLiteral("xchm or kchmviewer")));
        QVERIFY(script->messages[1].text.endsWith(QStringLiteral("|Open in Browser")));
        QCOMPARE(openedUrls, QList<QUrl>{QUrl::fromLocalFile(guide)});
        QCOMPARE(script->messages[2].icon, tessaro::WindowDialogs::Icon::Error);
        QVERIFY(script->messages[2].text.contains(
            QStringLiteral("No web browser was found either to read the same guide, \"%1\"")
                .arg(guide)));
    }

    void viewToggles() {
        auto frame = MakeFrame();
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        for (const QString& id : {QStringLiteral("outputWindow"), QStringLiteral("toolBar"),
                                  QStringLiteral("statusBar")}) {
            QAction* action = frame->Action(id);
            QVERIFY(action->isCheckable());
            QVERIFY(action->isChecked());
            action->trigger();
            QVERIFY(!action->isChecked());
            action->trigger();
            QVERIFY(action->isChecked());
        }
        frame->Action(QStringLiteral("outputWindow"))->trigger();
        QVERIFY(frame->Output().isHidden());
        frame->Action(QStringLiteral("statusBar"))->trigger();
        QVERIFY(frame->statusBar()->isHidden());
        frame->Action(QStringLiteral("exit"))->trigger();
        QVERIFY(!frame->isVisible());
    }
};

QTEST_MAIN(CommandsTest)
#include "CommandsTest.moc"
