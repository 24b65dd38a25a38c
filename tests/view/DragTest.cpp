#include <QScrollBar>
#include <QtTest>

#include "FrameTesting.h"
#include "TestFiles.h"
#include "app/CMainFrame.h"
#include "app/Commands.h"
#include "view/CTessaroListBox.h"

using namespace testing_files;

class DragTest : public QObject {
    Q_OBJECT

private:
    static constexpr int kHeight = CTessaroListBox::kItemHeight;

    QStringList Paths() const { return EntryPaths(list->Model()); }
    QStringList Names(std::initializer_list<int> order) const {
        QStringList names;
        for (int i : order) {
            names << files[i];
        }
        return names;
    }
    QString LastLog() const {
        const QStringList texts = LogTexts(*frame);
        return texts.isEmpty() ? QString() : texts.last();
    }
    QWidget* Viewport() const { return list->viewport(); }
    static QPoint At(int entry, int dy = kHeight / 2) { return {60, entry * kHeight + dy}; }

    // Press on one point, move through the others, release on the last.
    void Drag(const QPoint& press, std::initializer_list<QPoint> moves) {
        QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, press);
        QPoint last = press;
        for (const QPoint& point : moves) {
            QTest::mouseMove(Viewport(), point);
            last = point;
        }
        QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, last);
    }
    void ExpectInStep() { QCOMPARE(frame->Workspace().Paths(), Paths()); }
    // Pixels of the drop marker's colour on one row of the viewport.
    int MarkerPixels(int y) const {
        const QImage image = Viewport()->grab().toImage();
        int count = 0;
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y) == QColor(37, 112, 146);
        }
        return count;
    }

    QTemporaryDir config;
    QTemporaryDir dir;
    std::unique_ptr<CMainFrame> frame;
    CTessaroListBox* list = nullptr;
    ScriptedDialogs* script = nullptr;
    QStringList files;

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path())); }

    void init() {
        frame = std::make_unique<CMainFrame>();
        auto dialogs = std::make_unique<ScriptedDialogs>();
        script = dialogs.get();
        frame->SetDialogs(std::move(dialogs));
        list = &frame->List();
        files.clear();
        for (const char* name : {"a", "b", "c", "d", "e"}) {
            files << dir.filePath(QLatin1String(name) + QStringLiteral(".mp3"));
            WriteAll(files.last(), Mp3Frame(name[0]));
            frame->Workspace().AddPath(files.last());
        }
        frame->resize(700, 600);
        frame->show();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        list->setFocus();
    }
    void cleanup() { frame.reset(); }

    void threePixelsStartNoDragFourDo() {
        QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, At(0));
        QTest::mouseMove(Viewport(), At(0) + QPoint(3, 3));
        QTest::mouseMove(Viewport(), At(0) + QPoint(-3, -3));
        QVERIFY(!list->IsDragging());
        QTest::mouseMove(Viewport(), At(0) + QPoint(4, 0));
        QVERIFY(list->IsDragging());
        QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, At(0) + QPoint(4, 0));
        QVERIFY(!list->IsDragging());
        QCOMPARE(Paths(), files);  // dropped on itself: nothing moves, nothing is logged
        QCOMPARE(LastLog(), QString());

        // Four pixels down from near the lower edge of an entry: the next entry is dragged.
        Drag(At(1, kHeight - 2), {At(1, kHeight + 2), At(4)});
        QCOMPARE(Paths(), Names({0, 1, 3, 2, 4}));
        ExpectInStep();
    }

    void draggingDownAndUp() {
        Drag(At(0), {At(0, 30), At(2), At(3)});
        QCOMPARE(Paths(), Names({1, 2, 0, 3, 4}));
        QCOMPARE(list->SelectedRows(),
                 QList<int>{2});  // the moved file, not the one it was dropped on
        QCOMPARE(LastLog(), QStringLiteral("Move mp3 file from position 0 to 3"));
        ExpectInStep();

        Drag(At(3), {At(3, 26), At(2), At(1)});
        QCOMPARE(Paths(), Names({1, 3, 2, 0, 4}));
        QCOMPARE(list->SelectedRows(), QList<int>{1});
        QCOMPARE(LastLog(), QStringLiteral("Move mp3 file from position 3 to 1"));
        ExpectInStep();
    }

    void releasesBelowTheLastEntryAndOutsideTheList() {
        // Below the last entry: behind it, at the end, and still selected there.
        Drag(At(0), {At(0, 26), At(2), QPoint(60, Viewport()->height() - 5)});
        QCOMPARE(Paths(), Names({1, 2, 3, 4, 0}));
        QCOMPARE(list->SelectedRows(), QList<int>{4});
        ExpectInStep();
        // Above the list: before the first entry; far to the right: the entry at that height.
        Drag(At(4), {At(4, 26), At(3), QPoint(60, -30)});
        QCOMPARE(Paths(), Names({0, 1, 2, 3, 4}));
        Drag(At(0), {At(0, 26), At(1), QPoint(Viewport()->width() + 200, At(3).y())});
        QCOMPARE(Paths(), Names({1, 2, 0, 3, 4}));
        ExpectInStep();
    }

    void theMarkerNeverStandsOnTheDraggedEntry() {
        QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, At(1));
        QTest::mouseMove(Viewport(), At(1, 26));
        QVERIFY(list->IsDragging());
        QCOMPARE(MarkerPixels(1 * kHeight), 0);
        QTest::mouseMove(Viewport(), At(3));
        QVERIFY(MarkerPixels(3 * kHeight) > Viewport()->width() / 4);
        QCOMPARE(MarkerPixels(1 * kHeight), 0);
        QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, At(3));
        QCOMPARE(MarkerPixels(3 * kHeight), 0);
        QCOMPARE(MarkerPixels(2 * kHeight), 0);
    }

    void aLostMouseEndsTheDragCleanly() {
        QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, At(0));
        QTest::mouseMove(Viewport(), At(0, 26));
        QTest::mouseMove(Viewport(), At(2));
        QVERIFY(list->IsDragging());
        QVERIFY(MarkerPixels(2 * kHeight) > 0);
        QFocusEvent lost(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(list, &lost);
        QVERIFY(!list->IsDragging());
        QCOMPARE(MarkerPixels(2 * kHeight), 0);
        QVERIFY(!QApplication::topLevelWidgets().contains(nullptr));
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            QVERIFY(widget == frame.get() || !widget->isVisible());
        }
        QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, At(2));
        QCOMPARE(Paths(), files);
        QCOMPARE(LastLog(), QString());
    }

    void ctrlUpAndDown() {
        list->SelectRows({0});
        QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(Paths(), files);
        QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(Paths(), Names({1, 0, 2, 3, 4}));
        QCOMPARE(list->SelectedRows(), QList<int>{1});
        QCOMPARE(LastLog(), QStringLiteral("MP3 file moved down."));
        list->SelectRows({4});
        QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(Paths(), Names({1, 0, 2, 3, 4}));
        QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(Paths(), Names({1, 0, 2, 4, 3}));
        QCOMPARE(LastLog(), QStringLiteral("MP3 file moved up."));
        ExpectInStep();

        // Other Ctrl keys do nothing in the list; without Ctrl the list's own keys work.
        QTest::keyClick(list, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(list, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(list->SelectedRows(), QList<int>{3});
        QTest::keyClick(list, Qt::Key_Up);
        QCOMPARE(list->SelectedRows(), QList<int>{2});
        QCOMPARE(Paths(), Names({1, 0, 2, 4, 3}));
        // The window's own shortcuts still reach it.
        QTest::keyClick(list, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(list->Model().GetTrackCount(), 0);
    }

    void theSelectionMovesGoesAndStaysSelectedWhereItLands() {
        // Shift and Ctrl clicks make the selection; a plain click on one of it keeps it for a
        // drag, and selects that one alone when no drag follows.
        QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::NoModifier, At(1));
        QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ShiftModifier, At(2));
        QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ControlModifier, At(4));
        QCOMPARE(list->SelectedRows(), (QList<int>{1, 2, 4}));
        QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::NoModifier, At(2));
        QCOMPARE(list->SelectedRows(), QList<int>{2});
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(list->SelectedRows(), (QList<int>{0, 1, 2, 3, 4}));

        // Dragged by the one under the pointer, all go together before the entry dropped on.
        list->SelectRows({1, 3});
        Drag(At(3), {At(3, 26), At(1), At(0)});
        QCOMPARE(Paths(), Names({1, 3, 0, 2, 4}));
        QCOMPARE(list->SelectedRows(), (QList<int>{0, 1}));
        QCOMPARE(LastLog(), QStringLiteral("Move 2 mp3 files to position 0"));
        ExpectInStep();
        // Dropped on one of them: nothing moves, nothing is logged.
        Drag(At(0), {At(0, 26), At(1)});
        QCOMPARE(Paths(), Names({1, 3, 0, 2, 4}));
        // An entry outside the selection is dragged alone.
        Drag(At(4), {At(4, 26), At(3), At(2)});
        QCOMPARE(Paths(), Names({1, 3, 4, 0, 2}));
        QCOMPARE(list->SelectedRows(), QList<int>{2});

        // Ctrl+Down and Up move the selection, blocked as a whole at either end.
        list->SelectRows({0, 2});
        QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(Paths(), Names({3, 1, 0, 4, 2}));
        QCOMPARE(list->SelectedRows(), (QList<int>{1, 3}));
        QCOMPARE(LastLog(), QStringLiteral("2 MP3 files moved down."));
        frame->Action(ID_FILE_MOVE_UP)->trigger();
        QCOMPARE(Paths(), Names({1, 3, 4, 0, 2}));
        frame->Action(ID_FILE_MOVE_UP)->trigger();  // the first is at the top
        QCOMPARE(Paths(), Names({1, 3, 4, 0, 2}));
        QCOMPARE(list->SelectedRows(), (QList<int>{0, 2}));
        ExpectInStep();

        frame->Action(ID_FILE_REMOVE_MP3)->trigger();
        QCOMPARE(Paths(), Names({3, 0, 2}));
        QCOMPARE(LastLog(), QStringLiteral("2 MP3 files have been removed from workspace."));
        QVERIFY(list->SelectedRows().isEmpty());
        ExpectInStep();
    }

    void draggingNearAnEdgeScrollsTheList() {
        for (int i = 0; i < 30; ++i) {
            frame->Workspace().AddPath(files[i % 5]);
        }
        QScrollBar* bar = list->verticalScrollBar();
        QCOMPARE(bar->value(), 0);
        const int bottom = Viewport()->height() - 4;
        QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, At(0));
        QTest::mouseMove(Viewport(), At(0, 26));
        QTest::mouseMove(Viewport(), QPoint(60, bottom));
        QTRY_COMPARE(bar->value(), bar->maximum());
        QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(60, bottom));
        // Dropped past what the list showed at first: before the last entry.
        QCOMPARE(frame->Workspace().Paths().at(33), files[0]);
        QCOMPARE(frame->Workspace().Paths().at(0), files[1]);
        ExpectInStep();
        // Back up along the top edge, and away from it the list stands still.
        QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, At(2));
        QTest::mouseMove(Viewport(), At(2, 26));
        QTest::mouseMove(Viewport(), QPoint(60, 2));
        QTRY_VERIFY(bar->value() < bar->maximum() - 2);
        QTest::mouseMove(Viewport(), At(3));
        const int still = bar->value();
        QTest::qWait(300);
        QCOMPARE(bar->value(), still);
        QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, At(3));
        ExpectInStep();
    }

    void everythingIsRefusedWhileAMergeRuns() {
        script->saveAnswers << dir.filePath(QStringLiteral("out.mp3"));
        frame->Action(ID_FILE_MERGE)->trigger();
        // The worker waits at its first message until events run again.
        QVERIFY(frame->IsMerging());
        list->SelectRows({2});
        QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, At(0));
        QTest::mouseMove(Viewport(), At(3));
        QVERIFY(!list->IsDragging());
        QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, At(3));
        // A row that could move either way, were no merge running.
        list->SelectRows({2});
        for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Down}) {
            QTest::keyClick(list, key, Qt::ControlModifier);
            QCOMPARE(frame->Workspace().Paths(), files);
        }
        QVERIFY(frame->IsMerging());
        ExpectInStep();
        QTRY_VERIFY(!frame->IsMerging());
        QCOMPARE(ReadAll(dir.filePath(QStringLiteral("out.mp3"))).size(), 5 * 417);
    }
};

QTEST_MAIN(DragTest)
#include "DragTest.moc"
