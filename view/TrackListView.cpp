#include "view/TrackListView.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>

namespace tessaro {

namespace {

// WCAG's least contrast for body text, with a little room for the rounding of colours.
constexpr double kReadable = 4.6;

double Luminance(const QColor& colour) {
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
    const double one = Luminance(a) + 0.05, other = Luminance(b) + 0.05;
    return qMax(one, other) / qMin(one, other);
}

QColor Mix(const QColor& from, const QColor& to, double share) {
    const auto channel = [share](int a, int b) { return int(std::lround(a + (b - a) * share)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

// Of black and white, the one further from `colour`.
QColor Opposite(const QColor& colour) {
    return Contrast(colour, Qt::black) > Contrast(colour, Qt::white) ? QColor(Qt::black)
                                                                     : QColor(Qt::white);
}

// The colours an entry is drawn in: the palette's, made readable where a theme pairs them too
// weakly (Fusion's white on its blue highlight is 3.7:1).
struct EntryColours {
    QColor background, text, info;
};

EntryColours ColoursFor(const QPalette& palette, bool selected) {
    EntryColours colours{palette.color(selected ? QPalette::Highlight : QPalette::Base),
                         palette.color(selected ? QPalette::HighlightedText : QPalette::Text),
                         {}};
    // The fill deepens away from the text, keeping its hue, until the text reads on it; failing
    // that, the text takes black or white.
    const QColor away = Opposite(colours.text);
    const QColor fill = colours.background;
    for (int step = 1; step <= 20 && Contrast(colours.background, colours.text) < kReadable;
         ++step) {
        colours.background = Mix(fill, away, step / 20.0);
    }
    if (Contrast(colours.background, colours.text) < kReadable) {
        colours.text = Opposite(colours.background);
    }
    // The info line is dimmer than the name, as far towards the fill as it stays readable.
    colours.info = colours.text;
    for (int step = 12; step > 0; --step) {
        const QColor dimmed = Mix(colours.text, colours.background, step / 20.0);
        if (Contrast(dimmed, colours.background) >= kReadable) {
            colours.info = dimmed;
            break;
        }
    }
    return colours;
}

// Where an entry's parts go, all from the font: two lines of text beside an icon as high as
// they are (32 pixels at the least), the playing time at the right in a larger size.
struct EntryLayout {
    explicit EntryLayout(const QFont& font)
        : line(QFontMetrics(font).height()),
          padding(qMax(3, line / 4)),
          icon(qMax(32, 2 * line)),
          timeFont(font) {
        if (font.pixelSize() > 0) {
            timeFont.setPixelSize(qRound(font.pixelSize() * 1.25));
        } else {
            timeFont.setPointSizeF(font.pointSizeF() * 1.25);
        }
    }
    int Height() const { return icon + 2 * padding; }

    int line;
    int padding;
    int icon;
    QFont timeFont;
};

// The two lines of an entry in `rect`, between the icon and the playing time `time`.
QRect TextArea(const QRect& rect, const EntryLayout& layout, const QString& time) {
    const int left = rect.left() + 2 * layout.padding + layout.icon;
    const int right = rect.right() - layout.padding -
                      QFontMetrics(layout.timeFont).horizontalAdvance(time) - layout.padding;
    return {left, rect.top() + (rect.height() - 2 * layout.line) / 2, right - left,
            2 * layout.line};
}

class TrackDelegate : public QStyledItemDelegate {
public:
    TrackDelegate(const TrackListModel& model, QObject* parent)
        : QStyledItemDelegate(parent), m_model(model) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const TrackInfo& track = m_model.Track(index.row());
        const EntryColours colours =
            ColoursFor(option.palette, option.state.testFlag(QStyle::State_Selected));
        const EntryLayout layout(option.font);
        const QRect rect = option.rect;
        painter->save();
        painter->fillRect(rect, colours.background);
        painter->drawPixmap(
            QRect(rect.left() + layout.padding, rect.top() + (rect.height() - layout.icon) / 2,
                  layout.icon, layout.icon),
            track.icon);

        // Until its facts are read an entry shows its name alone. Name and info line end before
        // the time, cut short with an ellipsis where they are longer.
        const QString time =
            track.read ? TrackListModel::FormatDuration(qint32(track.duration)) : QString();
        const QRect timeArea = rect.adjusted(0, 0, -layout.padding, 0);
        painter->setFont(layout.timeFont);
        painter->setPen(colours.text);
        painter->drawText(timeArea, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, time);

        const QRect text = TextArea(rect, layout, time);
        const auto drawLine = [&](int x, int y, int width, const QString& line) {
            const QString shown =
                QFontMetrics(painter->font()).elidedText(line, Qt::ElideRight, width);
            painter->drawText(QRect(x, y, width, layout.line), Qt::AlignLeft | Qt::AlignTop, shown);
        };
        // A chapter starting here is told in bold at the end of the name's line, in at most
        // half of it (and a pixel or two to spare, as eliding rounds the text's width up).
        const QString chapter =
            track.chapters.isEmpty() ? QString() : TrackListModel::ChapterLine(track);
        QFont bold = option.font;
        bold.setBold(true);
        const int chapterWidth =
            chapter.isEmpty()
                ? 0
                : qMin(QFontMetrics(bold).horizontalAdvance(chapter) + 2, text.width() / 2);
        painter->setFont(option.font);
        drawLine(text.left(), text.top(), text.width() - chapterWidth - layout.padding, track.name);
        painter->setPen(colours.info);
        drawLine(text.left(), text.top() + layout.line, text.width(),
                 track.read ? TrackListModel::InfoLine(track) : QString());
        if (!chapter.isEmpty()) {
            painter->setFont(bold);
            painter->setPen(colours.text);
            drawLine(text.right() - chapterWidth, text.top(), chapterWidth, chapter);
        }

        // Where the keyboard acts, while the list has the focus.
        if (option.state.testFlag(QStyle::State_HasFocus)) {
            painter->setPen(QPen(colours.text, 1, Qt::DotLine));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(rect.adjusted(2, 2, -3, -3));
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.rect.width(), EntryLayout(option.font).Height()};
    }

    // A chapter's title is edited over the name's line.
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex&) const override {
        const EntryLayout layout(option.font);
        const QRect text = TextArea(option.rect, layout, QString());
        editor->setGeometry(text.left(), text.top() - layout.padding, text.width(),
                            layout.line + 2 * layout.padding);
    }

private:
    const TrackListModel& m_model;
};

}  // namespace

TrackListView::TrackListView(TrackListModel& model, QWidget* parent)
    : QListView(parent), m_model(model) {
    setModel(&m_model);
    setItemDelegate(new TrackDelegate(m_model, this));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDragDropOverwriteMode(false);
    setDropIndicatorShown(true);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    // Qt would make a neighbour current; a removal leaves nothing selected, so that a second
    // Remove or a move changes nothing.
    connect(&m_model, &QAbstractItemModel::rowsRemoved, this,
            [this] { selectionModel()->clear(); });
    connect(&m_model, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { m_topBeforeReset = indexAt(QPoint(0, 0)).row(); });
    connect(&m_model, &TrackListModel::scatteredRowsRemoved, this, &TrackListView::KeepTopAfter);
}

void TrackListView::KeepTopAfter(const QList<int>& removed) {
    if (m_topBeforeReset < 0 || m_model.Count() == 0) {
        return;
    }
    const auto above = std::lower_bound(removed.begin(), removed.end(), m_topBeforeReset);
    const int top = qMin(m_topBeforeReset - int(above - removed.begin()), m_model.Count() - 1);
    // The reset put off laying out the entries, without which there is nowhere to scroll.
    executeDelayedItemsLayout();
    scrollTo(m_model.index(top), QAbstractItemView::PositionAtTop);
}

QList<int> TrackListView::SelectedRows() const {
    // By ranges: listing every index selected costs more, for thousands of them.
    QList<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows << row;
        }
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TrackListView::SelectRows(const QList<int>& rows) {
    // One range per run of neighbours: Qt compares selections range by range, so one range
    // per row makes selecting thousands of entries, and all that follows, take seconds.
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    QItemSelection selection;
    for (const RowRun& run : RowRuns(sorted)) {
        selection.select(m_model.index(run.first), m_model.index(run.last));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.isEmpty()) {
        selectionModel()->setCurrentIndex(m_model.index(rows.first()),
                                          QItemSelectionModel::NoUpdate);
        scrollTo(currentIndex());
    }
}

}  // namespace tessaro
