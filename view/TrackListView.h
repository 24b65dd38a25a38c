#pragma once

#include <QFont>
#include <QListView>
#include <QPixmap>
#include <functional>
#include <memory>

#include "view/TrackListModel.h"

class QLabel;
class QTimer;

namespace tessaro {

// The view of the workspace's files (a TrackListModel), one entry per file (40 pixels high, more
// with a larger font) with its icon, name, audio figures and playing time. Entries are reordered
// by dragging them with the mouse, or with Ctrl+Up and Ctrl+Down; the list only asks for these
// moves (its signals), which the main window carries out on the workspace, and refuses them
// while a merge runs. Under a dark palette the entries take the palette's colours.
class TrackListView : public QListView {
    Q_OBJECT

public:
    // An entry's height under an application font of 9 points or less; larger fonts make
    // entries as much higher.
    static constexpr int kItemHeight = 40;

    explicit TrackListView(TrackListModel& model, QWidget* parent = nullptr);
    ~TrackListView() override;

    TrackListModel& Model() const { return m_model; }
    int ItemHeight() const { return qRound(kItemHeight * m_scale); }

    // The selected entries, first to last.
    QList<int> SelectedRows() const;
    // Makes exactly these entries the selection, the first of them current.
    void SelectRows(const QList<int>& rows);

    // Paints entry `index` into `rect`; nothing for -1.
    void DrawTrack(QPainter& painter, const QRect& rect, int index, bool selected) const;

    // A drop of the entries at `rows` before the entry at `target` (at the end when `target` is
    // the entry count): asks for the move and logs it. Nothing happens when dropped on one of
    // them.
    void DropTracks(const QList<int>& rows, int target);
    // The entry nearest to a point of the viewport; -1 when the list is empty.
    int ItemFromPoint(const QPoint& point) const;
    // Where a file dropped at a point of the viewport goes: before the entry there, or at the
    // end (the entry count) below the last one.
    int DropIndexAt(const QPoint& point) const;
    bool IsDragging() const { return m_dragImage != nullptr; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int Count() const { return m_model.Count(); }
    bool BeginDrag(const QPoint& point, const QPoint& globalPoint);
    // Ends a drag without moving anything; also used when the list loses the mouse.
    void EndDrag();
    void SetDropIndex(int index);
    // Scrolls while the pointer of a drag is near the top or bottom edge.
    void AutoScroll();
    QPixmap DragPicture(int source) const;
    // Takes the list's palette into the viewport and the drag picture.
    void FollowPalette();
    // Sizes the entries' fonts, and so the entries, by the list's font.
    void FollowFont();

    TrackListModel& m_model;
    double m_scale = 1;  // of the entry's layout
    QFont m_nameFont;
    QFont m_timeFont;
    // The picture of the dragged entry that follows the pointer; set exactly while dragging.
    std::unique_ptr<QLabel> m_dragImage;
    int m_dropIndex = -1;   // the entry carrying the drop marker
    int m_dragSource = -1;  // the entry the pointer holds
    QList<int> m_dragRows;  // the entries dragged, m_dragSource among them
    QPoint m_dragPoint;     // the pointer, in the viewport
    QTimer* m_scrollTimer;
    // A press without modifiers on one of several selected entries: it selects that entry
    // alone at the release, unless the selection is dragged meanwhile.
    bool m_deferredClick = false;
    QPoint m_pressPoint;
    QPoint m_hotSpot;  // where the pointer holds the picture
};

}  // namespace tessaro
