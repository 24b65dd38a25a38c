#include "view/CTessaroListBox.h"

#include <QAbstractListModel>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "app/FrameMessages.h"
#include "workspace/Exception.h"

// Rows are the list box's records; the model holds no data of its own.
class TrackListModel : public QAbstractListModel {
public:
    TrackListModel(const std::vector<TrackInfo>& tracks, QObject* parent)
        : QAbstractListModel(parent), tracks(tracks) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(tracks.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        // Painting goes by row into the records; these roles are for search, tool tips and
        // assistive tools, which should hear what the entry shows.
        if (!index.isValid()) {
            return {};
        }
        const TrackInfo& track = tracks[size_t(index.row())];
        switch (role) {
            case Qt::DisplayRole:
            case Qt::AccessibleTextRole:
                return track.name;
            case Qt::AccessibleDescriptionRole:
                return CTessaroListBox::FormatDuration(track.duration) + QStringLiteral(", ") +
                       CTessaroListBox::InfoLine(track);
            case Qt::ToolTipRole:
                // The whole path, which a long name may not show.
                return QDir::toNativeSeparators(track.path);
            default:
                return {};
        }
    }

    using QAbstractListModel::beginInsertRows;
    using QAbstractListModel::beginRemoveRows;
    using QAbstractListModel::endInsertRows;
    using QAbstractListModel::endRemoveRows;

private:
    const std::vector<TrackInfo>& tracks;
};

namespace {

class TrackDelegate : public QStyledItemDelegate {
public:
    explicit TrackDelegate(CTessaroListBox* list) : QStyledItemDelegate(list), list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        // No focus rectangle: the entry is drawn whole by the list.
        list->DrawTrack(*painter, option.rect, index.row(),
                        option.state.testFlag(QStyle::State_Selected));
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.rect.width(), CTessaroListBox::kItemHeight};
    }

private:
    CTessaroListBox* list;
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

QPixmap FileIcon(const QString& path) {
    static QFileIconProvider provider;
    return provider.icon(QFileInfo(path)).pixmap(32, 32);
}

}  // namespace

CTessaroListBox::CTessaroListBox(QWidget* parent)
    : QListView(parent),
      m_nameFont(MakeFont(QStringLiteral("Tahoma"), 15, QFont::SansSerif)),
      m_timeFont(MakeFont(QStringLiteral("Courier New"), 20, QFont::TypeWriter)),
      m_model(new TrackListModel(m_tracks, this)) {
    setModel(m_model);
    setItemDelegate(new TrackDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(true);
    FollowPalette();
}

CTessaroListBox::~CTessaroListBox() = default;

TrackInfo CTessaroListBox::ReadTrackInfo(const QString& path) {
    TrackInfo info;
    static_cast<mp3::Figures&>(info) = mp3::ProbeFigures(path);
    info.path = path;
    info.name = QFileInfo(path).completeBaseName();
    info.icon = FileIcon(path);
    return info;
}

QString CTessaroListBox::FormatDuration(qint32 seconds) {
    const auto field = [](qint32 value) {
        return QString::number(value).rightJustified(2, QLatin1Char('0'));
    };
    return field(seconds / 3600) + QLatin1Char(':') + field(seconds / 60 % 60) + QLatin1Char(':') +
           field(seconds % 60);
}

QString CTessaroListBox::InfoLine(const TrackInfo& info) {
    if (!info.problem.isEmpty()) {
        return info.problem;
    }
    return QStringLiteral("%1 Mhz  %2 BPS  %3")
        .arg(info.sampleRate)
        .arg(info.bitrate)
        .arg(info.channels == 2 ? QStringLiteral("Stereo") : QStringLiteral("Mono"));
}

void CTessaroListBox::AddTrack(const QString& path) {
    InsertTrack(GetTrackCount(), path);
}

int CTessaroListBox::InsertTrack(int index, const QString& path) {
    if (index < 0 || index > GetTrackCount()) {
        throw x::BadBound();
    }
    TrackInfo info = ReadTrackInfo(path);
    m_model->beginInsertRows(QModelIndex(), index, index);
    m_tracks.insert(m_tracks.begin() + index, std::move(info));
    m_model->endInsertRows();
    return index;
}

void CTessaroListBox::RemoveTrack(int index) {
    if (index < 0 || index >= GetTrackCount()) {
        throw x::BadBound();
    }
    m_model->beginRemoveRows(QModelIndex(), index, index);
    m_tracks.erase(m_tracks.begin() + index);
    m_model->endRemoveRows();
    // Qt would select a neighbour; a removal leaves nothing selected, so that a second Remove
    // or a move changes nothing.
    selectionModel()->clear();
}

QString CTessaroListBox::GetTrackPath(int index) const {
    if (index == -1) {
        return QString();
    }
    return GetTrackInfo(index).path;
}

const TrackInfo& CTessaroListBox::GetTrackInfo(int index) const {
    if (unsigned(index) >= m_tracks.size()) {
        throw x::BadBound();
    }
    return m_tracks[size_t(index)];
}

int CTessaroListBox::GetTrackCount() const {
    return int(m_tracks.size());
}

void CTessaroListBox::SelectTrack(int index) {
    setCurrentIndex(m_model->index(index));
}

int CTessaroListBox::GetCurSel() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void CTessaroListBox::DrawTrack(QPainter& painter, const QRect& rect, int index,
                                bool selected) const {
    if (index == -1) {
        return;
    }
    const TrackInfo& info = GetTrackInfo(index);
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
    const QString duration = FormatDuration(qint32(info.duration)) + QLatin1Char(' ');
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
    drawLine(3, info.name);
    painter.setPen(colours.info);
    drawLine(20, InfoLine(info));

    painter.setFont(m_timeFont);
    painter.setPen(colours.text);
    painter.drawText(rect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, duration);
    painter.restore();
}

qintptr CTessaroListBox::SendToFrame(quint32 message, quintptr wParam, qintptr lParam) {
    auto* frame = dynamic_cast<FrameMessageTarget*>(window());
    return frame ? frame->SendFrameMessage(message, wParam, lParam) : 0;
}

int CTessaroListBox::ItemFromPoint(const QPoint& point) const {
    if (m_tracks.empty()) {
        return -1;
    }
    // Outside the entries, the nearest one: the first visible above, the last below.
    const QRect area = viewport()->rect();
    const QPoint inside(qBound(area.left(), point.x(), area.right()),
                        qBound(area.top(), point.y(), area.bottom()));
    const QModelIndex index = indexAt(inside);
    return index.isValid() ? index.row() : GetTrackCount() - 1;
}

int CTessaroListBox::DropIndexAt(const QPoint& point) const {
    // Below the last entry a file is dropped behind it, at the end.
    const int last = GetTrackCount() - 1;
    const bool belowAll = last >= 0 && point.y() > visualRect(m_model->index(last)).bottom();
    return belowAll ? GetTrackCount() : ItemFromPoint(point);
}

void CTessaroListBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressPoint = event->position().toPoint();
    }
    QListView::mousePressEvent(event);
}

void CTessaroListBox::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (IsDragging()) {
        // The button was let go where the list could not see it: the drag is over.
        if (!(event->buttons() & Qt::LeftButton)) {
            EndDrag();
            return;
        }
        SetDropIndex(DropIndexAt(point));
        m_dragImage->move(event->globalPosition().toPoint() - m_hotSpot);
        return;
    }
    const bool busy = SendToFrame(WM_QUERY_MERGING) != 0;
    const QPoint moved = point - m_pressPoint;
    if ((qAbs(moved.x()) <= 3 && qAbs(moved.y()) <= 3) || !(event->buttons() & Qt::LeftButton) ||
        busy) {
        QListView::mouseMoveEvent(event);
        return;
    }
    BeginDrag(point, event->globalPosition().toPoint());
}

bool CTessaroListBox::BeginDrag(const QPoint& point, const QPoint& globalPoint) {
    // The entry under the pointer now, not the one that was pressed.
    const int source = ItemFromPoint(point);
    if (source == -1) {
        return false;
    }
    const QRect entry = visualRect(m_model->index(source));
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
    return true;
}

QPixmap CTessaroListBox::DragPicture(int source) const {
    // The entry always shown selected, one pixel shorter than the entry.
    QPixmap picture(viewport()->width(), kItemHeight - 1);
    picture.fill(ColoursFor(palette()).background);
    QPainter painter(&picture);
    DrawTrack(painter, picture.rect(), source, true);
    return picture;
}

void CTessaroListBox::SetDropIndex(int index) {
    if (index != m_dropIndex) {
        m_dropIndex = index;
        viewport()->update();
    }
}

void CTessaroListBox::EndDrag() {
    m_dragImage.reset();
    m_dropIndex = -1;
    viewport()->update();
}

void CTessaroListBox::mouseReleaseEvent(QMouseEvent* event) {
    if (!IsDragging()) {
        QListView::mouseReleaseEvent(event);
        return;
    }
    EndDrag();
    QListView::mouseReleaseEvent(event);
    MoveTrack(m_dragSource, DropIndexAt(event->position().toPoint()));
}

void CTessaroListBox::MoveTrack(int source, int target) {
    if (source == target) {
        return;
    }
    const QString path = GetTrackInfo(source).path;
    if (target < source) {
        RemoveTrack(source);
        InsertTrack(target, path);
    } else {
        InsertTrack(target, path);
        RemoveTrack(source);
    }
    // The moved file stays selected, where it now stands.
    SelectTrack(target < source ? target : target - 1);
    SendToFrame(WM_TRACK_MOVED, WPARAM(source), LPARAM(target));
    const QString text =
        QStringLiteral("Move mp3 file from position %1 to %2").arg(source).arg(target);
    SendToFrame(WM_LOG_TEXT, 0, LogTextParam(text));
}

void CTessaroListBox::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    // The dotted drop marker along the top of the entry under the pointer, never on the
    // dragged entry itself.
    if (!IsDragging() || m_dropIndex == -1 || m_dropIndex == m_dragSource) {
        return;
    }
    // Behind the last entry, along its bottom.
    const bool atEnd = m_dropIndex == GetTrackCount();
    const QRect entry = visualRect(m_model->index(atEnd ? m_dropIndex - 1 : m_dropIndex));
    const int y = atEnd ? entry.bottom() : entry.top();
    QPainter painter(viewport());
    painter.setPen(QPen(ColoursFor(palette()).marker, 1, Qt::DotLine));
    painter.drawLine(entry.left(), y, entry.right(), y);
}

void CTessaroListBox::keyPressEvent(QKeyEvent* event) {
    const bool busy = SendToFrame(WM_QUERY_MERGING) != 0;
    if (busy && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        SendToFrame(WM_CANCEL_MERGE);
        event->accept();
        return;
    }
    if (!(event->modifiers() & Qt::ControlModifier) || busy) {
        QListView::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Up) {
        SendToFrame(WM_TRACK_MOVE_UP);
    } else if (event->key() == Qt::Key_Down) {
        SendToFrame(WM_TRACK_MOVE_DOWN);
    }
    // Other Ctrl keys do nothing here.
    event->accept();
}

void CTessaroListBox::focusOutEvent(QFocusEvent* event) {
    if (IsDragging()) {
        EndDrag();
    }
    QListView::focusOutEvent(event);
}

void CTessaroListBox::hideEvent(QHideEvent* event) {
    if (IsDragging()) {
        EndDrag();
    }
    QListView::hideEvent(event);
}

void CTessaroListBox::changeEvent(QEvent* event) {
    // Another window took the mouse: end the drag rather than leave its picture behind.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && IsDragging()) {
        EndDrag();
    }
    if (event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::ApplicationPaletteChange) {
        FollowPalette();
    }
    QListView::changeEvent(event);
}

void CTessaroListBox::FollowPalette() {
    // The viewport's own base is what shows below the last entry; it is set explicitly because
    // on a light palette the list stays white whatever the palette's base.
    QPalette below;
    below.setColor(QPalette::Base, ColoursFor(palette()).background);
    viewport()->setPalette(below);
    if (IsDragging()) {
        m_dragImage->setPixmap(DragPicture(m_dragSource));
    }
}
