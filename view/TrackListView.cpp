#include "view/TrackListView.h"

#include <QMimeData>

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>

namespace tessaro {

namespace {

class TrackDelegate : public QStyledItemDelegate {
public:
    explicit TrackDelegate(TrackListView* list) : QStyledItemDelegate(list), list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        list->DrawTrack(*painter, option.rect, index.row(),
                        option.state.testFlag(QStyle::State_Selected));
        // Where the keyboard acts, while the list has the focus: a dotted frame inside the
        // entry, which leaves its own frame and fill as they are.
        if (option.state.testFlag(QStyle::State_HasFocus)) {
            painter->save();
            painter->setPen(QPen(list->palette().color(QPalette::Text), 1, Qt::DotLine));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(option.rect.adjusted(2, 2, -3, -3));
            painter->restore();
        }
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.rect.width(), list->ItemHeight()};
    }

private:
    TrackListView* list;
};

// The largest font of the family whose line (ascent and descent) is at most cellHeight pixels:
// the entry's layout gives its fonts by the height of their lines, not of their letters.
QFont MakeFont(const QString& family, int cellHeight, QFont::StyleHint hint) {
    QFont font(family);
    font.setWeight(QFont::Normal);
    font.setStyleHint(hint);
    for (int pixelSize = cellHeight; pixelSize > 1; --pixelSize) {
        font.setPixelSize(pixelSize);
        if (QFontMetrics(font).height() <= cellHeight) {
            break;
        }
    }
    return font;
}

// The colours an entry is drawn in.
struct EntryColours {
    QColor background, text, info, selectionFrame, selectionFill, marker;
};

QColor Mix(const QColor& from, const QColor& to, double share) {
    const auto channel = [share](int a, int b) { return int(a + (b - a) * share + 0.5); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

// A light palette keeps the list's own fixed colours. Under a dark one (judged by the lightness
// of the base the list is drawn on) black text on white would glare, so the colours come from
// the palette; the selection is a tint of the highlight, which keeps the text readable whatever
// the highlight is. The info line is mixed from text and base, since many dark palettes leave
// the placeholder colour at its light default.
EntryColours ColoursFor(const QPalette& palette) {
    const QColor base = palette.color(QPalette::Base);
    if (base.lightness() >= 128) {
        return {Qt::white,
                Qt::black,
                QColor(150, 150, 150),
                QColor(153, 222, 253),
                QColor(232, 246, 253),
                QColor(37, 112, 146)};
    }
    const QColor text = palette.color(QPalette::Text);
    const QColor highlight = palette.color(QPalette::Highlight);
    return {base, text, Mix(base, text, 0.6), highlight, Mix(base, highlight, 0.35), text};
}

}  // namespace

TrackListView::TrackListView(TrackListModel& model, QWidget* parent)
    : QListView(parent), m_model(model), m_scrollTimer(new QTimer(this)) {
    setModel(&m_model);
    setItemDelegate(new TrackDelegate(this));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAcceptDrops(true);
    setUniformItemSizes(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(true);
    FollowPalette();
    FollowFont();
    m_scrollTimer->setInterval(80);
    connect(m_scrollTimer, &QTimer::timeout, this, &TrackListView::AutoScroll);
    // Qt would make a neighbour current; a removal leaves nothing selected, so that a second
    // Remove or a move changes nothing.
    connect(&m_model, &QAbstractItemModel::rowsRemoved, this,
            [this] { selectionModel()->clear(); });
}

TrackListView::~TrackListView() = default;

QList<int> TrackListView::SelectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) {
        rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TrackListView::SelectRows(const QList<int>& rows) {
    QItemSelection selection;
    for (int row : rows) {
        const QModelIndex index = m_model.index(row);
        selection.select(index, index);
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.isEmpty()) {
        selectionModel()->setCurrentIndex(m_model.index(rows.first()),
                                          QItemSelectionModel::NoUpdate);
        scrollTo(currentIndex());
    }
}

void TrackListView::DrawTrack(QPainter& painter, const QRect& rect, int index,
                              bool selected) const {
    if (index == -1) {
        return;
    }
    const TrackInfo& info = m_model.Track(index);
    const EntryColours colours = ColoursFor(palette());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (selected) {
        painter.setPen(QPen(colours.selectionFrame, 1));
        painter.setBrush(colours.selectionFill);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    } else {
        painter.fillRect(rect, colours.background);
    }
    const int left = rect.left(), top = rect.top();
    painter.drawPixmap(left + 3, top + 3, info.icon);

    // Text is placed by the top of its line, as the entry's layout is given in pixels. The name
    // and info line end before the duration, cut short with an ellipsis where they are longer.
    // Until its figures are read an entry shows its name alone.
    const QString duration =
        info.read ? TrackListModel::FormatDuration(qint32(info.duration)) + QLatin1Char(' ')
                  : QString();
    const int textWidth =
        rect.width() - 40 - QFontMetrics(m_timeFont).horizontalAdvance(duration) - 4;
    const QRect textArea(left + 40, top, textWidth, rect.height());
    const auto drawLine = [&](int y, const QString& text) {
        const QString shown =
            QFontMetrics(painter.font()).elidedText(text, Qt::ElideRight, textWidth);
        painter.drawText(textArea.adjusted(0, y, 0, 0), Qt::AlignLeft | Qt::AlignTop, shown);
    };
    painter.setFont(m_nameFont);
    painter.setPen(colours.text);
    drawLine(qRound(3 * m_scale), info.name);
    painter.setPen(colours.info);
    drawLine(qRound(20 * m_scale), info.read ? TrackListModel::InfoLine(info) : QString());

    painter.setFont(m_timeFont);
    painter.setPen(colours.text);
    painter.drawText(rect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, duration);
    painter.restore();
}

int TrackListView::ItemFromPoint(const QPoint& point) const {
    if (Count() == 0) {
        return -1;
    }
    // Outside the entries, the nearest one: the first visible above, the last below.
    const QRect area = viewport()->rect();
    const QPoint inside(qBound(area.left(), point.x(), area.right()),
                        qBound(area.top(), point.y(), area.bottom()));
    const QModelIndex index = indexAt(inside);
    return index.isValid() ? index.row() : Count() - 1;
}

int TrackListView::DropIndexAt(const QPoint& point) const {
    // Below the last entry a file is dropped behind it, at the end.
    const int last = Count() - 1;
    const bool belowAll = last >= 0 && point.y() > visualRect(m_model.index(last)).bottom();
    return belowAll ? Count() : ItemFromPoint(point);
}

void TrackListView::mousePressEvent(QMouseEvent* event) {
    m_deferredClick = false;
    if (event->button() == Qt::LeftButton) {
        m_pressPoint = event->position().toPoint();
        // Pressing one of several selected entries keeps them selected, so they can be dragged.
        const QModelIndex pressed = indexAt(m_pressPoint);
        if (event->modifiers() == Qt::NoModifier && pressed.isValid() &&
            selectionModel()->isSelected(pressed) &&
            selectionModel()->selectedIndexes().size() > 1) {
            m_deferredClick = true;
            event->accept();
            return;
        }
    }
    QListView::mousePressEvent(event);
}

void TrackListView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (IsDragging()) {
        // The button was let go where the list could not see it: the drag is over.
        if (!(event->buttons() & Qt::LeftButton)) {
            EndDrag();
            return;
        }
        m_dragPoint = point;
        SetDropIndex(DropIndexAt(point));
        m_dragImage->move(event->globalPosition().toPoint() - m_hotSpot);
        // Near an edge, or past it, the list scrolls until the pointer leaves the edge.
        const int edge = ItemHeight() / 2;
        const bool nearEdge = point.y() < edge || point.y() >= viewport()->height() - edge;
        if (nearEdge && !m_scrollTimer->isActive()) {
            m_scrollTimer->start();
        } else if (!nearEdge) {
            m_scrollTimer->stop();
        }
        return;
    }
    const QPoint moved = point - m_pressPoint;
    if ((qAbs(moved.x()) <= 3 && qAbs(moved.y()) <= 3) || !(event->buttons() & Qt::LeftButton) ||
        !dragEnabled()) {
        QListView::mouseMoveEvent(event);
        return;
    }
    BeginDrag(point, event->globalPosition().toPoint());
}

bool TrackListView::BeginDrag(const QPoint& point, const QPoint& globalPoint) {
    // The entry under the pointer now, not the one that was pressed.
    const int source = ItemFromPoint(point);
    if (source == -1) {
        return false;
    }
    const QRect entry = visualRect(m_model.index(source));
    m_hotSpot = point - entry.topLeft();

    m_dragImage = std::make_unique<QLabel>(
        nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput);
    m_dragImage->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_dragImage->setPixmap(DragPicture(source));
    m_dragImage->setWindowOpacity(0.7);
    m_dragImage->resize(m_dragImage->pixmap().size());
    m_dragImage->move(globalPoint - m_hotSpot);
    m_dragImage->show();

    m_dragSource = source;
    m_dropIndex = source;
    m_dragPoint = point;
    // The selection is dragged when it holds the entry; else that entry alone.
    m_dragRows = SelectedRows();
    if (!m_dragRows.contains(source)) {
        m_dragRows = {source};
        SelectRows(m_dragRows);
    }
    m_deferredClick = false;
    return true;
}

void TrackListView::AutoScroll() {
    const int step = m_dragPoint.y() < viewport()->height() / 2 ? -1 : 1;
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + step * bar->singleStep());
    SetDropIndex(DropIndexAt(m_dragPoint));
}

QPixmap TrackListView::DragPicture(int source) const {
    // The entry always shown selected, one pixel shorter than the entry.
    QPixmap picture(viewport()->width(), ItemHeight() - 1);
    picture.fill(ColoursFor(palette()).background);
    QPainter painter(&picture);
    DrawTrack(painter, picture.rect(), source, true);
    return picture;
}

void TrackListView::SetDropIndex(int index) {
    if (index != m_dropIndex) {
        m_dropIndex = index;
        viewport()->update();
    }
}

void TrackListView::EndDrag() {
    m_scrollTimer->stop();
    m_dragImage.reset();
    m_dropIndex = -1;
    viewport()->update();
}

void TrackListView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_deferredClick) {
        m_deferredClick = false;
        const QModelIndex pressed = indexAt(m_pressPoint);
        if (pressed.isValid()) {
            SelectRows({pressed.row()});
        }
        event->accept();
        return;
    }
    if (!IsDragging()) {
        QListView::mouseReleaseEvent(event);
        return;
    }
    EndDrag();
    QListView::mouseReleaseEvent(event);
    DropTracks(m_dragRows, DropIndexAt(event->position().toPoint()));
}

void TrackListView::DropTracks(const QList<int>& rows, int target) {
    if (rows.contains(target)) {
        return;
    }
    Q_EMIT m_model.moveRequested(rows, target);
}

void TrackListView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TrackListView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TrackListView::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    Q_EMIT m_model.filesDropped(paths, DropIndexAt(event->position().toPoint()));
    event->acceptProposedAction();
}

void TrackListView::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    // The dotted drop marker along the top of the entry under the pointer, never on a dragged
    // entry.
    if (!IsDragging() || m_dropIndex == -1 || m_dragRows.contains(m_dropIndex)) {
        return;
    }
    // Behind the last entry, along its bottom.
    const bool atEnd = m_dropIndex == Count();
    const QRect entry = visualRect(m_model.index(atEnd ? m_dropIndex - 1 : m_dropIndex));
    const int y = atEnd ? entry.bottom() : entry.top();
    QPainter painter(viewport());
    painter.setPen(QPen(ColoursFor(palette()).marker, 1, Qt::DotLine));
    painter.drawLine(entry.left(), y, entry.right(), y);
}

void TrackListView::focusOutEvent(QFocusEvent* event) {
    if (IsDragging()) {
        EndDrag();
    }
    QListView::focusOutEvent(event);
}

void TrackListView::hideEvent(QHideEvent* event) {
    if (IsDragging()) {
        EndDrag();
    }
    QListView::hideEvent(event);
}

void TrackListView::changeEvent(QEvent* event) {
    // Another window took the mouse: end the drag rather than leave its picture behind.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && IsDragging()) {
        EndDrag();
    }
    if (event->type() == QEvent::FontChange) {
        FollowFont();
    }
    if (event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::ApplicationPaletteChange) {
        FollowPalette();
    }
    QListView::changeEvent(event);
}

void TrackListView::FollowFont() {
    // The entry's layout was made for fonts of 9 points, the desktop's usual size; a larger
    // desktop font makes the layout grow with it, never shrink below it.
    m_scale = qMax(1.0, QFontInfo(font()).pointSizeF() / 9.0);
    m_nameFont = MakeFont(QStringLiteral("Tahoma"), qRound(15 * m_scale), QFont::SansSerif);
    m_timeFont = MakeFont(QStringLiteral("Courier New"), qRound(20 * m_scale), QFont::TypeWriter);
    scheduleDelayedItemsLayout();
    viewport()->update();
}

void TrackListView::FollowPalette() {
    // The viewport's own base is what shows below the last entry; it is set explicitly because
    // on a light palette the list stays white whatever the palette's base.
    QPalette below;
    below.setColor(QPalette::Base, ColoursFor(palette()).background);
    viewport()->setPalette(below);
    if (IsDragging()) {
        m_dragImage->setPixmap(DragPicture(m_dragSource));
    }
}

}  // namespace tessaro
