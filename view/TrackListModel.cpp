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

#include "workspace/Exception.h"
#include "workspace/TrackOrder.h"

namespace tessaro {

namespace {

// Rows dragged within the list, with the process and model they come from: another window's rows
// are not this one's.
const QString kRowsMime = QStringLiteral("application/x-tessaro-rows");
const QString kUriListMime = QStringLiteral("text/uri-list");

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
        return m_tracks[size_t(same.first())];
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

void TrackListModel::Insert(int row, const QStringList& paths) {
    if (row < 0 || row > Count()) {
        throw x::BadBound();
    }
    if (paths.isEmpty()) {
        return;
    }
    std::vector<TrackInfo> tracks = NewTracks(paths);
    const bool appended = row == Count();
    beginInsertRows(QModelIndex(), row, row + int(tracks.size()) - 1);
    m_tracks.insert(m_tracks.begin() + row, std::make_move_iterator(tracks.begin()),
                    std::make_move_iterator(tracks.end()));
    // Appending, the usual case, shifts no row: the index grows as the list does.
    if (appended && !m_rowsByPathStale) {
        IndexRows(row);
    } else {
        m_rowsByPathStale = true;
    }
    endInsertRows();
    Q_EMIT totalsChanged();
}

void TrackListModel::Remove(const QList<int>& rows) {
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    const bool repeated = std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end();
    if (repeated || (!sorted.isEmpty() && (sorted.first() < 0 || sorted.last() >= Count()))) {
        throw x::BadBound();
    }
    // From the bottom up, a run of neighbours at a time, so the rows above keep their numbers.
    for (qsizetype end = sorted.size(); end > 0;) {
        qsizetype start = end - 1;
        while (start > 0 && sorted[start - 1] == sorted[start] - 1) {
            --start;
        }
        const int first = sorted[start], last = sorted[end - 1];
        beginRemoveRows(QModelIndex(), first, last);
        for (int row = first; row <= last; ++row) {
            m_totalMicroseconds -= Microseconds(m_tracks[size_t(row)]);
        }
        m_tracks.erase(m_tracks.begin() + first, m_tracks.begin() + last + 1);
        m_rowsByPathStale = true;
        endRemoveRows();
        end = start;
    }
    if (!sorted.isEmpty()) {
        Q_EMIT totalsChanged();
    }
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

void TrackListModel::Reset(const QStringList& paths) {
    beginResetModel();
    m_tracks.clear();
    m_totalMicroseconds = 0;
    m_rowsByPath.clear();
    m_rowsByPathStale = false;
    m_tracks = NewTracks(paths);
    IndexRows(0);
    endResetModel();
    Q_EMIT totalsChanged();
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
            return track.read ? FormatDuration(qint32(track.duration)) + QStringLiteral(", ") +
                                    InfoLine(track)
                              : QString();
        case Qt::ToolTipRole:
            // The whole path, which a long name may not show.
            return QDir::toNativeSeparators(track.path);
        default:
            return {};
    }
}

Qt::ItemFlags TrackListModel::flags(const QModelIndex& index) const {
    // Drops go between entries, never onto one: the view then shows its line there.
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
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
