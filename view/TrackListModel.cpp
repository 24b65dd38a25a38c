#include "view/TrackListModel.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <algorithm>

#include "workspace/Exception.h"

namespace tessaro {

namespace {

QPixmap FileIcon(const QString& path) {
    static QFileIconProvider provider;
    return provider.icon(QFileInfo(path)).pixmap(32, 32);
}

}  // namespace

TrackListModel::TrackListModel(QObject* parent) : QAbstractListModel(parent) {}

TrackListModel::~TrackListModel() {
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_stopping = true;
    }
    if (m_reader.joinable()) {
        m_reader.join();
    }
}

void TrackListModel::Read(const QString& path) {
    std::unique_lock<std::mutex> guard(m_lock);
    m_toRead.push_back(path);
    if (!m_readerRunning) {
        // The one before has seen the list empty and ends.
        guard.unlock();
        if (m_reader.joinable()) {
            m_reader.join();
        }
        m_readerRunning = true;
        m_reader = std::thread([this] { ReadFigures(); });
    }
}

void TrackListModel::ReadFigures() {
    std::unique_lock<std::mutex> guard(m_lock);
    while (true) {
        if (m_stopping || m_toRead.empty()) {
            m_readerRunning = false;
            return;
        }
        const QString path = m_toRead.front();
        m_toRead.pop_front();
        guard.unlock();
        const mp3::Figures figures = mp3::ProbeFigures(path);
        guard.lock();
        // Queued to the model's thread, once for all read until it runs; dropped should the model
        // be gone by then.
        if (m_read.empty()) {
            QMetaObject::invokeMethod(this, &TrackListModel::TakeFigures, Qt::QueuedConnection);
        }
        m_read.emplace_back(path, figures);
    }
}

void TrackListModel::TakeFigures() {
    std::vector<std::pair<QString, mp3::Figures>> read;
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        read.swap(m_read);
    }
    for (const auto& [path, figures] : read) {
        m_reading.remove(path);
        for (size_t row = 0; row < m_tracks.size(); ++row) {
            TrackInfo& track = m_tracks[row];
            if (track.path == path && !track.read) {
                static_cast<mp3::Figures&>(track) = figures;
                track.read = true;
                const QModelIndex changed = index(int(row));
                Q_EMIT dataChanged(changed, changed);
                Q_EMIT totalsChanged();
            }
        }
    }
}

QString TrackListModel::FormatDuration(qint32 seconds) {
    const auto field = [](qint32 value) {
        return QString::number(value).rightJustified(2, QLatin1Char('0'));
    };
    return field(seconds / 3600) + QLatin1Char(':') + field(seconds / 60 % 60) + QLatin1Char(':') +
           field(seconds % 60);
}

QString TrackListModel::InfoLine(const mp3::Figures& figures) {
    if (!figures.problem.isEmpty()) {
        return figures.problem;
    }
    // Bitrates are whole kbit/s (a variable one's mean is rounded so).
    return QStringLiteral("%1 Hz  %2 kbps  %3")
        .arg(figures.sampleRate)
        .arg(qRound(figures.bitrate / 1000.0))
        .arg(figures.channels == 2 ? QStringLiteral("Stereo") : QStringLiteral("Mono"));
}

QStringList TrackListModel::Paths() const {
    QStringList paths;
    for (const TrackInfo& track : m_tracks) {
        paths << track.path;
    }
    return paths;
}

void TrackListModel::Insert(int row, const QStringList& paths) {
    for (int i = 0; i < paths.size(); ++i) {
        InsertOne(row + i, paths[i]);
    }
    Q_EMIT totalsChanged();
}

void TrackListModel::InsertOne(int index, const QString& path) {
    if (index < 0 || index > Count()) {
        throw x::BadBound();
    }
    TrackInfo info;
    info.path = path;
    info.name = QFileInfo(path).completeBaseName();
    info.icon = FileIcon(path);
    // A file the list already shows, or is reading, is not read once more.
    const auto same = std::find_if(m_tracks.begin(), m_tracks.end(),
                                   [&](const TrackInfo& track) { return track.path == path; });
    if (same != m_tracks.end() && same->read) {
        info = *same;
    } else if (!m_reading.contains(path)) {
        m_reading.insert(path);
        Read(path);
    }
    beginInsertRows(QModelIndex(), index, index);
    m_tracks.insert(m_tracks.begin() + index, std::move(info));
    endInsertRows();
}

void TrackListModel::Remove(const QList<int>& rows) {
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    if (!sorted.isEmpty() && (sorted.first() < 0 || sorted.last() >= Count())) {
        throw x::BadBound();
    }
    for (auto row = sorted.crbegin(); row != sorted.crend(); ++row) {
        beginRemoveRows(QModelIndex(), *row, *row);
        m_tracks.erase(m_tracks.begin() + *row);
        endRemoveRows();
    }
    Q_EMIT totalsChanged();
}

void TrackListModel::Arrange(const QList<int>& order) {
    Q_EMIT layoutAboutToBeChanged();
    std::vector<TrackInfo> arranged;
    for (int from : order) {
        arranged.push_back(m_tracks.at(size_t(from)));
    }
    QList<int> where(order.size());
    for (int row = 0; row < order.size(); ++row) {
        where[order[row]] = row;
    }
    const QModelIndexList old = persistentIndexList();
    QModelIndexList moved;
    for (const QModelIndex& index : old) {
        moved << this->index(where[index.row()]);
    }
    m_tracks = std::move(arranged);
    changePersistentIndexList(old, moved);
    Q_EMIT layoutChanged();
}

void TrackListModel::Reset(const QStringList& paths) {
    beginResetModel();
    m_tracks.clear();
    endResetModel();
    Insert(0, paths);
}

double TrackListModel::TotalSeconds() const {
    double seconds = 0;
    for (const TrackInfo& track : m_tracks) {
        seconds += track.duration;
    }
    return seconds;
}

const TrackInfo& TrackListModel::Track(int index) const {
    if (unsigned(index) >= m_tracks.size()) {
        throw x::BadBound();
    }
    return m_tracks[size_t(index)];
}

bool TrackListModel::FiguresPending() const {
    return !m_reading.isEmpty();
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

}  // namespace tessaro
