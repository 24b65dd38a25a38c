#include "view/TrackListModel.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <functional>

#include "workspace/Exception.h"
#include "workspace/TrackOrder.h"

namespace tessaro {

namespace {

// Rows dragged within the list, with the process and model they come from: another window's rows
// are not this one's.
const QString kRowsMime = QStringLiteral("application/x-tessaro-rows");
const QString kUriListMime = QStringLiteral("text/uri-list");

// More runs than this are removed or restored by a reset: every run signalled on its own costs
// the views time in proportion to the list (about 90 µs at 20,000 entries), and a reset of
// 20,000 entries costs about as much as 64 runs.
constexpr qsizetype kRunsForReset = 64;

// Sorted, each once, and each where a list of `count` rows has one.
bool ValidRows(const QList<int>& sorted, int count) {
    return std::adjacent_find(sorted.begin(), sorted.end(), std::greater_equal<int>()) ==
               sorted.end() &&
           (sorted.isEmpty() || (sorted.first() >= 0 && sorted.last() < count));
}

QStringList LocalFiles(const QMimeData* data) {
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    return paths;
}

}  // namespace

QList<RowRun> RowRuns(const QList<int>& sorted) {
    QList<RowRun> runs;
    for (int row : sorted) {
        if (!runs.isEmpty() && runs.last().last == row - 1) {
            runs.last().last = row;
        } else {
            runs.append({row, row});
        }
    }
    return runs;
}

TrackListModel::TrackListModel(QObject* parent) : QAbstractListModel(parent) {
    connect(&m_reader, &FactReader::factsRead, this, &TrackListModel::TakeFacts);
}

const TrackInfo& TrackListModel::Track(int row) const {
    if (unsigned(row) >= m_tracks.size()) {
        throw x::BadBound();
    }
    return m_tracks[size_t(row)];
}

QStringList TrackListModel::Paths() const {
    QStringList paths;
    paths.reserve(Count());
    for (const TrackInfo& track : m_tracks) {
        paths << track.path;
    }
    return paths;
}

int TrackListModel::FormatsUnlikeFirst() const {
    const auto known = [](const TrackInfo& track) { return track.read && track.problem.isEmpty(); };
    if (m_tracks.empty() || !known(m_tracks.front())) {
        return 0;
    }
    const mp3::StreamFormat& first = m_tracks.front().format;
    return int(std::count_if(m_tracks.begin(), m_tracks.end(), [&](const TrackInfo& track) {
        return known(track) && track.format != first;
    }));
}

qint64 TrackListModel::Microseconds(const TrackInfo& track) {
    return std::llround(track.duration * 1e6);
}

const QHash<QString, QList<int>>& TrackListModel::RowsByPath() {
    if (m_rowsByPathStale) {
        m_rowsByPath.clear();
        for (int row = 0; row < Count(); ++row) {
            m_rowsByPath[m_tracks[size_t(row)].path] << row;
        }
        m_rowsByPathStale = false;
    }
    return m_rowsByPath;
}

TrackInfo TrackListModel::NewTrack(const QString& path) {
    TrackInfo track;
    // A file the list already shows is not read once more, nor one being read.
    const QList<int> same = RowsByPath().value(path);
    if (!same.isEmpty() && m_tracks[size_t(same.first())].read) {
        // Its facts, not the other entry's chapter.
        TrackInfo copy = m_tracks[size_t(same.first())];
        copy.mark = {};
        copy.chapters.clear();
        return copy;
    }
    m_reader.Read(path);
    track.path = path;
    track.name = QFileInfo(path).completeBaseName();
    // One icon per kind of file: asking the desktop for each of thousands of files costs more
    // than all the rest of an insert.
    const QString suffix = QFileInfo(path).suffix().toLower();
    auto icon = m_icons.constFind(suffix);
    if (icon == m_icons.constEnd()) {
        static QFileIconProvider provider;
        icon = m_icons.insert(suffix, provider.icon(QFileInfo(path)).pixmap(32, 32));
    }
    track.icon = *icon;
    return track;
}

std::vector<TrackInfo> TrackListModel::NewTracks(const QStringList& paths) {
    std::vector<TrackInfo> tracks;
    tracks.reserve(size_t(paths.size()));
    for (const QString& path : paths) {
        tracks.push_back(NewTrack(path));
        m_totalMicroseconds += Microseconds(tracks.back());
    }
    return tracks;
}

void TrackListModel::IndexRows(int first) {
    for (int row = first; row < Count(); ++row) {
        m_rowsByPath[m_tracks[size_t(row)].path] << row;
    }
}

void TrackListModel::InsertRun(int row, std::vector<TrackInfo>::iterator begin,
                               std::vector<TrackInfo>::iterator end) {
    const bool appended = row == Count();
    beginInsertRows(QModelIndex(), row, row + int(end - begin) - 1);
    m_tracks.insert(m_tracks.begin() + row, std::make_move_iterator(begin),
                    std::make_move_iterator(end));
    // Appending, the usual case, shifts no row: the index grows as the list does.
    if (appended && !m_rowsByPathStale) {
        IndexRows(row);
    } else {
        m_rowsByPathStale = true;
    }
    endInsertRows();
}

void TrackListModel::Insert(int row, const QStringList& paths) {
    if (row < 0 || row > Count()) {
        throw x::BadBound();
    }
    if (paths.isEmpty()) {
        return;
    }
    std::vector<TrackInfo> tracks = NewTracks(paths);
    InsertRun(row, tracks.begin(), tracks.end());
    Q_EMIT totalsChanged();
}

void TrackListModel::EraseRows(const QList<int>& sorted) {
    size_t kept = 0;
    qsizetype next = 0;
    for (size_t row = 0; row < m_tracks.size(); ++row) {
        if (next < sorted.size() && size_t(sorted[next]) == row) {
            ++next;
        } else {
            m_tracks[kept++] = std::move(m_tracks[row]);
        }
    }
    m_tracks.resize(kept);
}

void TrackListModel::MergeRows(const QList<int>& sorted, std::vector<TrackInfo> tracks) {
    std::vector<TrackInfo> merged;
    merged.reserve(m_tracks.size() + tracks.size());
    auto kept = m_tracks.begin();
    qsizetype next = 0;
    for (size_t row = 0; row < m_tracks.size() + tracks.size(); ++row) {
        if (next < sorted.size() && size_t(sorted[next]) == row) {
            merged.push_back(std::move(tracks[size_t(next++)]));
        } else {
            merged.push_back(std::move(*kept++));
        }
    }
    m_tracks.swap(merged);
}

void TrackListModel::Remove(const QList<int>& rows) {
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    if (!ValidRows(sorted, Count())) {
        throw x::BadBound();
    }
    if (sorted.isEmpty()) {
        return;
    }
    for (int row : sorted) {
        m_totalMicroseconds -= Microseconds(m_tracks[size_t(row)]);
    }
    m_rowsByPathStale = true;
    const QList<RowRun> runs = RowRuns(sorted);
    if (runs.size() > kRunsForReset) {
        beginResetModel();
        EraseRows(sorted);
        endResetModel();
        Q_EMIT scatteredRowsRemoved(sorted);
    } else {
        // From the bottom up, so the rows above keep their numbers.
        for (auto run = runs.crbegin(); run != runs.crend(); ++run) {
            beginRemoveRows(QModelIndex(), run->first, run->last);
            m_tracks.erase(m_tracks.begin() + run->first, m_tracks.begin() + run->last + 1);
            endRemoveRows();
        }
    }
    Q_EMIT totalsChanged();
}

void TrackListModel::Restore(const QList<int>& rows, std::vector<TrackInfo> tracks) {
    if (size_t(rows.size()) != tracks.size() || !ValidRows(rows, Count() + int(rows.size()))) {
        throw x::BadBound();
    }
    if (rows.isEmpty()) {
        return;
    }
    for (TrackInfo& track : tracks) {
        if (!track.read) {
            track = NewTrack(track.path);
        }
        m_totalMicroseconds += Microseconds(track);
    }
    m_rowsByPathStale = true;
    const QList<RowRun> runs = RowRuns(rows);
    if (runs.size() > kRunsForReset) {
        beginResetModel();
        MergeRows(rows, std::move(tracks));
        endResetModel();
    } else {
        // From the top down, each run is where it stood once those above it are back.
        auto next = tracks.begin();
        for (const RowRun& run : runs) {
            const auto end = next + (run.last - run.first + 1);
            InsertRun(run.first, next, end);
            next = end;
        }
    }
    Q_EMIT totalsChanged();
}

void TrackListModel::Arrange(const QList<int>& order) {
    if (order.size() != Count()) {
        throw x::BadBound();
    }
    // Where each old row goes; -1 until a place names it.
    std::vector<int> placeOf(m_tracks.size(), -1);
    for (int place = 0; place < Count(); ++place) {
        const int from = order[place];
        if (unsigned(from) >= m_tracks.size() || placeOf[size_t(from)] != -1) {
            throw x::BadBound();
        }
        placeOf[size_t(from)] = place;
    }
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<TrackInfo> arranged;
    arranged.reserve(m_tracks.size());
    for (int from : order) {
        arranged.push_back(std::move(m_tracks[size_t(from)]));
    }
    m_tracks.swap(arranged);
    m_rowsByPathStale = true;
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        after << this->index(placeOf[size_t(index.row())]);
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TrackListModel::Reset(const QStringList& paths, const std::vector<ChapterMark>& marks) {
    beginResetModel();
    m_tracks.clear();
    m_totalMicroseconds = 0;
    m_rowsByPath.clear();
    m_rowsByPathStale = false;
    m_tracks = NewTracks(paths);
    for (size_t row = 0; row < m_tracks.size() && row < marks.size(); ++row) {
        m_tracks[row].mark = marks[row];
    }
    IndexRows(0);
    endResetModel();
    Q_EMIT totalsChanged();
}

std::vector<ChapterMark> TrackListModel::Marks() const {
    std::vector<ChapterMark> marks;
    marks.reserve(m_tracks.size());
    for (const TrackInfo& track : m_tracks) {
        marks.push_back(track.mark);
    }
    return marks;
}

void TrackListModel::SetMarks(const QList<int>& rows, const std::vector<ChapterMark>& marks) {
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    if (size_t(rows.size()) != marks.size() || !ValidRows(sorted, Count())) {
        throw x::BadBound();
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        m_tracks[size_t(rows[i])].mark = marks[size_t(i)];
        const QModelIndex changed = index(rows[i]);
        Q_EMIT dataChanged(changed, changed);
    }
    Q_EMIT marksChanged();
}

void TrackListModel::ShowChapters(const std::vector<QStringList>& titles) {
    if (titles.size() != m_tracks.size()) {
        throw x::BadBound();
    }
    for (size_t row = 0; row < titles.size(); ++row) {
        if (m_tracks[row].chapters != titles[row]) {
            m_tracks[row].chapters = titles[row];
            const QModelIndex changed = index(int(row));
            Q_EMIT dataChanged(changed, changed);
        }
    }
}

void TrackListModel::TakeFacts(const std::vector<FileFacts>& files) {
    bool changed = false;
    for (const FileFacts& file : files) {
        for (int row : RowsByPath().value(file.path)) {
            TrackInfo& track = m_tracks[size_t(row)];
            if (!track.read) {
                static_cast<TrackFacts&>(track) = file.facts;
                track.read = true;
                m_totalMicroseconds += Microseconds(track);
                Q_EMIT dataChanged(index(row), index(row));
                changed = true;
            }
        }
    }
    if (changed) {
        Q_EMIT totalsChanged();
    }
}

QString TrackListModel::FormatDuration(qint32 seconds) {
    const auto field = [](qint32 value) {
        return QString::number(value).rightJustified(2, QLatin1Char('0'));
    };
    return field(seconds / 3600) + QLatin1Char(':') + field(seconds / 60 % 60) + QLatin1Char(':') +
           field(seconds % 60);
}

QString TrackListModel::InfoLine(const TrackFacts& facts) {
    // Bitrates are whole kbit/s (a variable one's mean is rounded so).
    const QString figures = !facts.problem.isEmpty()
                                ? facts.problem
                                : QStringLiteral("%1 Hz  %2 kbps  %3")
                                      .arg(facts.format.sampleRate)
                                      .arg(qRound(facts.bitrate / 1000.0))
                                      .arg(facts.format.channels == 2 ? QStringLiteral("Stereo")
                                                                      : QStringLiteral("Mono"));
    // What the tag says comes first, so that a list sorted by track number can be checked.
    QStringList tagged;
    if (facts.disc > 0) {
        tagged << tr("Disc %1").arg(facts.disc);
    }
    if (facts.track > 0) {
        tagged << tr("Track %1").arg(facts.track);
    }
    if (!facts.title.isEmpty()) {
        tagged << facts.title;
    }
    return tagged.isEmpty()
               ? figures
               : tagged.join(QStringLiteral(" \u00B7 ")) + QStringLiteral(" \u2014 ") + figures;
}

QString TrackListModel::ChapterLine(const TrackInfo& track) {
    QStringList titles;
    for (const QString& title : track.chapters) {
        titles << (title.isEmpty() ? tr("(untitled)") : title);
    }
    return tr("Chapter: %1").arg(titles.join(QStringLiteral(" \u00B7 ")));
}

int TrackListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant TrackListModel::data(const QModelIndex& index, int role) const {
    // The delegate paints from Track(); these roles are for search, tool tips and assistive
    // tools, which should hear what the entry shows.
    if (!index.isValid() || index.row() >= Count()) {
        return {};
    }
    const TrackInfo& track = Track(index.row());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return track.name;
        case Qt::AccessibleDescriptionRole:
            return (track.read ? FormatDuration(qint32(track.duration)) + QStringLiteral(", ") +
                                     InfoLine(track)
                               : QString()) +
                   (track.chapters.isEmpty() ? QString()
                                             : QStringLiteral(", ") + ChapterLine(track));
        case Qt::EditRole:
            return track.chapters.value(0);
        case Qt::ToolTipRole:
            // The whole path, which a long name may not show.
            return QDir::toNativeSeparators(track.path);
        default:
            return {};
    }
}

bool TrackListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !flags(index).testFlag(Qt::ItemIsEditable)) {
        return false;
    }
    Q_EMIT chapterRenameRequested(index.row(), value.toString());
    return true;
}

Qt::ItemFlags TrackListModel::flags(const QModelIndex& index) const {
    // Drops go between entries, never onto one: the view then shows its line there.
    if (!index.isValid() || index.row() >= Count()) {
        return Qt::ItemIsDropEnabled;
    }
    const Qt::ItemFlags flags =
        Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
    return Track(index.row()).chapters.isEmpty() ? flags : flags | Qt::ItemIsEditable;
}

QStringList TrackListModel::mimeTypes() const {
    return {kRowsMime, kUriListMime};
}

QMimeData* TrackListModel::mimeData(const QModelIndexList& indexes) const {
    QList<int> rows;
    for (const QModelIndex& index : indexes) {
        rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << QCoreApplication::applicationPid() << quint64(quintptr(this)) << rows;
    auto* data = new QMimeData;
    data->setData(kRowsMime, bytes);
    return data;
}

QList<int> TrackListModel::DraggedRows(const QMimeData* data) const {
    QDataStream stream(data->data(kRowsMime));
    qint64 process = 0;
    quint64 model = 0;
    QList<int> rows;
    stream >> process >> model >> rows;
    const bool ours = stream.status() == QDataStream::Ok &&
                      process == QCoreApplication::applicationPid() && model == quintptr(this);
    const bool inside = std::all_of(rows.cbegin(), rows.cend(),
                                    [this](int row) { return row >= 0 && row < Count(); });
    return ours && inside ? rows : QList<int>();
}

bool TrackListModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                     const QModelIndex&) const {
    if (!DraggedRows(data).isEmpty()) {
        return action == Qt::MoveAction;
    }
    return action == Qt::CopyAction && !LocalFiles(data).isEmpty();
}

bool TrackListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                  const QModelIndex& parent) {
    if (!canDropMimeData(data, action, row, column, parent)) {
        return false;
    }
    // On an entry (were that allowed) is before it; on no entry, at the end.
    const int before = parent.isValid() ? parent.row() : row < 0 ? Count() : qMin(row, Count());
    const QList<int> rows = DraggedRows(data);
    if (rows.isEmpty()) {
        Q_EMIT filesDropped(LocalFiles(data), before);
        return true;
    }
    const QList<int> order = MoveRowsBefore(Count(), rows, before).order;
    if (std::is_sorted(order.begin(), order.end())) {
        return false;  // where they stand
    }
    Q_EMIT moveRequested(rows, before);
    return true;
}

}  // namespace tessaro
