#include <QMimeData>
#include <QScrollBar>
#include <QtTest>

#include "TestFiles.h"
#include "view/TrackListView.h"
#include "workspace/TrackOrder.h"

using namespace testing_files;
using tessaro::TrackListModel;
using tessaro::MoveRowsBefore;
using tessaro::TrackListView;

class DragTest : public QObject {
    Q_OBJECT

private:
    QWidget* Viewport() const { return list->viewport(); }
    QRect Entry(int row) const { return list->visualRect(model->index(row)); }
    // A point in the upper or the lower half of an entry.
    QPoint Upper(int row) const { return Entry(row).center() - QPoint(0, Entry(row).height() / 4); }
    QPoint Lower(int row) const { return Entry(row).center() + QPoint(0, Entry(row).height() / 4); }
    QPoint BelowAll() const { return {Viewport()->width() / 2, Viewport()->height() - 3}; }
    QStringList Names(std::initializer_list<int> order) const {
        QStringList names;
        for (int i : order) {
            names << files[i];
        }
        return names;
    }
    static std::unique_ptr<QMimeData> Urls(const QList<QUrl>& urls) {
        auto data = std::make_unique<QMimeData>();
        data->setUrls(urls);
        return data;
    }
    // What a drag shows and does at `point`, as Qt's drag manager delivers it.
    void DragOver(const QMimeData& data, const QPoint& point, Qt::DropAction action) {
        QDragEnterEvent enter(point, action, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Viewport(), &enter);
        QDragMoveEvent move(point, action, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Viewport(), &move);
    }
    bool Drop(const QMimeData& data, const QPoint& point, Qt::DropAction action) {
        DragOver(data, point, action);
        QDropEvent drop(point, action, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Viewport(), &drop);
        return drop.isAccepted();
    }
    // Pixels of the row `y` of the viewport unlike the list's ground.
    int LinePixels(int y) const {
        const QImage image = Viewport()->grab().toImage();
        const QColor base = list->palette().color(QPalette::Base);
        int count = 0;
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y) != base;
        }
        return count;
    }

    QTemporaryDir dir;
    std::unique_ptr<TrackListModel> model;
    std::unique_ptr<TrackListView> list;
    QStringList files;
    // What the model asked for.
    QList<QVariantList> moves, drops;

private Q_SLOTS:
    void init() {
        model = std::make_unique<TrackListModel>();
        list = std::make_unique<TrackListView>(*model);
        files.clear();
        for (const char* name : {"a", "b", "c", "d", "e"}) {
            files << WriteAll(dir.filePath(QLatin1String(name) + QStringLiteral(".mp3")),
                              Mp3Frame(name[0]));
        }
        model->Reset(files);
        // As the window does: a requested move becomes one arrangement.
        moves.clear();
        drops.clear();
        connect(model.get(), &TrackListModel::moveRequested, this,
                [this](const QList<int>& rows, int before) {
                    moves.append({QVariant::fromValue(rows), before});
                    model->Arrange(MoveRowsBefore(model->Count(), rows, before).order);
                });
        connect(model.get(), &TrackListModel::filesDropped, this,
                [this](const QStringList& paths, int before) {
                    drops.append({paths, before});
                });
        list->resize(400, 500);
        list->show();
        QVERIFY(QTest::qWaitForWindowActive(list.get()));
        QTRY_VERIFY(!model->FiguresPending());
    }
    void cleanup() {
        list.reset();
        model.reset();
    }

    void rowsTravelAsTheirOwnMimeTypeToThisModelAlone() {
        std::unique_ptr<QMimeData> data(model->mimeData({model->index(3), model->index(1)}));
        QVERIFY(model->canDropMimeData(data.get(), Qt::MoveAction, 0, 0, {}));
        // Within the list entries only move; nothing is copied.
        QVERIFY(!model->canDropMimeData(data.get(), Qt::CopyAction, 0, 0, {}));
        QVERIFY(!data->hasUrls());
        QVERIFY(model->dropMimeData(data.get(), Qt::MoveAction, 0, 0, {}));
        QCOMPARE(moves, (QList<QVariantList>{{QVariant::fromValue(QList<int>{1, 3}), 0}}));
        QCOMPARE(model->Paths(), Names({1, 3, 0, 2, 4}));
        // Dropped where they stand: no move is asked for.
        std::unique_ptr<QMimeData> first(model->mimeData({model->index(0), model->index(1)}));
        for (int before : {0, 1, 2}) {
            QVERIFY(!model->dropMimeData(first.get(), Qt::MoveAction, before, 0, {}));
        }
        QCOMPARE(moves.size(), 1);
        // Another list's rows, and rows this list no longer has, are not taken.
        TrackListModel other;
        other.Reset(files);
        QVERIFY(!other.canDropMimeData(data.get(), Qt::MoveAction, 0, 0, {}));
        model->Remove({4, 3});
        QVERIFY(!model->canDropMimeData(data.get(), Qt::MoveAction, 0, 0, {}));
        QVERIFY(model->canDropMimeData(first.get(), Qt::MoveAction, 0, 0, {}));
    }

    void filesFromOutsideGoWhereTheyAreDropped() {
        const QList<QUrl> urls{QUrl::fromLocalFile(files[4]), QUrl::fromLocalFile(dir.path()),
                               QUrl(QStringLiteral("https://example.org/x.mp3"))};
        const auto data = Urls(urls);
        const QStringList local{files[4], dir.path()};
        QVERIFY(Drop(*data, Upper(2), Qt::CopyAction));
        QVERIFY(Drop(*data, Lower(1), Qt::CopyAction));
        QVERIFY(Drop(*data, Upper(0), Qt::CopyAction));
        QVERIFY(Drop(*data, Lower(4), Qt::CopyAction));
        QVERIFY(Drop(*data, BelowAll(), Qt::CopyAction));
        QCOMPARE(drops,
                 (QList<QVariantList>{{local, 2}, {local, 2}, {local, 0}, {local, 5}, {local, 5}}));
        // A move of outside files is refused, lest their source delete them; no local file, no
        // drop.
        QVERIFY(!Drop(*data, Upper(2), Qt::MoveAction));
        QVERIFY(!Drop(*Urls({urls[2]}), Upper(2), Qt::CopyAction));
        QCOMPARE(drops.size(), 5);
        QCOMPARE(model->Paths(), files);  // the window inserts them, not the list

        // Scrolled to the bottom of a long list, below its last entry is still the end.
        model->Insert(5, files + files + files + files);
        list->scrollToBottom();
        QVERIFY(list->verticalScrollBar()->value() > 0);
        QVERIFY(Drop(*data, BelowAll(), Qt::CopyAction));
        QCOMPARE(drops.last(), (QVariantList{local, 25}));
    }

    void entriesDroppedInTheListMoveBeforeTheEntryUnderThePointer() {
        list->SelectRows({0});
        std::unique_ptr<QMimeData> data(model->mimeData({model->index(0)}));
        QVERIFY(Drop(*data, Upper(3), Qt::MoveAction));
        QCOMPARE(model->Paths(), Names({1, 2, 0, 3, 4}));
        QCOMPARE(list->SelectedRows(), QList<int>{2});  // the moved file, selected where it lands
        // Below the last entry: to the end.
        data.reset(model->mimeData({model->index(2)}));
        QVERIFY(Drop(*data, BelowAll(), Qt::MoveAction));
        QCOMPARE(model->Paths(), Names({1, 2, 3, 4, 0}));
        QCOMPARE(list->SelectedRows(), QList<int>{4});
        // The lower half of an entry is before the next one; on itself nothing moves.
        data.reset(model->mimeData({model->index(4)}));
        QVERIFY(Drop(*data, Lower(0), Qt::MoveAction));
        QCOMPARE(model->Paths(), Names({1, 0, 2, 3, 4}));
        data.reset(model->mimeData({model->index(1)}));
        QVERIFY(!Drop(*data, Upper(1), Qt::MoveAction));
        QCOMPARE(moves.size(), 3);
        // Qt's removal of the source rows after a move drop leaves the list as the move made it.
        QCOMPARE(model->Count(), 5);
    }

    void theDropLineShowsWhereTheDropGoes() {
        const auto data = Urls({QUrl::fromLocalFile(files[0])});
        const int width = Viewport()->width();
        QVERIFY(LinePixels(Entry(2).top()) < width / 4);
        DragOver(*data, Upper(2), Qt::CopyAction);
        QVERIFY(LinePixels(Entry(2).top()) > width / 2);
        DragOver(*data, Lower(2), Qt::CopyAction);
        QVERIFY(LinePixels(Entry(2).top()) < width / 4);
        QVERIFY(LinePixels(Entry(2).bottom()) > width / 2);
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(Viewport(), &leave);
        QVERIFY(LinePixels(Entry(2).bottom()) < width / 4);
    }

    void clicksMakeTheSelectionAndARemovalClearsIt() {
        // Shift and Ctrl clicks make the selection; a plain click on one of it selects that one
        // alone (a press keeps the selection, for a drag).
        QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::NoModifier, Upper(1));
        QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ShiftModifier, Upper(2));
        QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ControlModifier, Upper(4));
        QCOMPARE(list->SelectedRows(), (QList<int>{1, 2, 4}));
        QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, Upper(2));
        QCOMPARE(list->SelectedRows(), (QList<int>{1, 2, 4}));
        QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, Upper(2));
        QCOMPARE(list->SelectedRows(), QList<int>{2});
        QTest::keyClick(list.get(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(list->SelectedRows(), (QList<int>{0, 1, 2, 3, 4}));
        model->Remove({1});
        QVERIFY(list->SelectedRows().isEmpty());
        // The window's actions make the context menu.
        QCOMPARE(list->contextMenuPolicy(), Qt::ActionsContextMenu);
    }
};

QTEST_MAIN(DragTest)
#include "DragTest.moc"
