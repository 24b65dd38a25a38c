#pragma once

#include <QFont>
#include <QListView>
#include <QPixmap>
#include <memory>
#include <vector>

#include "mp3/ListFigures.h"
#include "workspace/TrackListView.h"

class QLabel;
class TrackListModel;

// The audio figures of one list entry, read from its file once, when the entry is added.
struct TrackInfo : mp3::Figures {
    QString path;
    // Cached so that painting never touches the disk.
    QString name;
    QPixmap icon;
};

// The list of the workspace's files, one 40-pixel entry per file with its icon, name, audio
// figures and playing time. It mirrors the workspace entry for entry. Entries are reordered by
// dragging them with the mouse, or with Ctrl+Up and Ctrl+Down, which the main window carries
// out; neither works while a merge runs, when Esc asks the main window to stop it instead.
// Under a dark palette the entries take the palette's colours.
class CTessaroListBox : public QListView, public tessaro::TrackListView {
    Q_OBJECT

public:
    static constexpr int kItemHeight = 40;

    explicit CTessaroListBox(QWidget* parent = nullptr);
    ~CTessaroListBox() override;

    // TrackListView
    void AddTrack(const QString& path) override;
    int InsertTrack(int index, const QString& path) override;
    void RemoveTrack(int index) override;
    // "" for -1; raises x::BadBound for an index that, taken as unsigned, is not below the count.
    QString GetTrackPath(int index) const override;
    int GetTrackCount() const override;
    void SelectTrack(int index) override;

    const TrackInfo& GetTrackInfo(int index) const;
    // The selected entry, or -1.
    int GetCurSel() const;

    // Paints entry `index` into `rect`; nothing for -1.
    void DrawTrack(QPainter& painter, const QRect& rect, int index, bool selected) const;

    // Moves the entry at `source` just before the entry at `target` (at the end when `target` is
    // the entry count), keeps it selected, reports the move to the main frame (WM_TRACK_MOVED)
    // and logs it there. Nothing happens when they are equal.
    void MoveTrack(int source, int target);
    // The entry nearest to a point of the viewport; -1 when the list is empty.
    int ItemFromPoint(const QPoint& point) const;
    // Where a file dropped at a point of the viewport goes: before the entry there, or at the
    // end (the entry count) below the last one.
    int DropIndexAt(const QPoint& point) const;
    bool IsDragging() const { return m_dragImage != nullptr; }

    static TrackInfo ReadTrackInfo(const QString& path);
    // hh:mm:ss, with as many hour digits as needed.
    static QString FormatDuration(qint32 seconds);
    // The grey line under the name: rate, bitrate and channel layout, or what is wrong.
    static QString InfoLine(const TrackInfo& info);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Sends one of the main window's messages; 0 when the list stands in no main window.
    qintptr SendToFrame(quint32 message, quintptr wParam = 0, qintptr lParam = 0);
    bool BeginDrag(const QPoint& point, const QPoint& globalPoint);
    // Ends a drag without moving anything; also used when the list loses the mouse.
    void EndDrag();
    void SetDropIndex(int index);
    QPixmap DragPicture(int source) const;
    // Takes the list's palette into the viewport and the drag picture.
    void FollowPalette();

    QFont m_nameFont;
    QFont m_timeFont;
    std::vector<TrackInfo> m_tracks;
    // The picture of the dragged entry that follows the pointer; set exactly while dragging.
    std::unique_ptr<QLabel> m_dragImage;
    int m_dropIndex = -1;  // the entry carrying the drop marker
    int m_dragSource = -1;
    QPoint m_pressPoint;
    QPoint m_hotSpot;  // where the pointer holds the picture
    TrackListModel* m_model;
};
