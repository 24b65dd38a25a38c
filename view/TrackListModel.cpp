#include "view/TrackListModel.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <algorithm>

#include "workspace/Exception.h"

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

void TrackListModel::AddTrack(const QString& path) {
    InsertTrack(GetTrackCount(), path);
}

int TrackListModel::InsertTrack(int index, const QString& path) {
    if (index < 0 || index > GetTrackCount()) {
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
    return index;
}

void TrackListModel::RemoveTrack(int index) {
    if (index < 0 || index >= GetTrackCount()) {
        throw x::BadBound();
    }
    beginRemoveRows(QModelIndex(), index, index);
    m_tracks.erase(m_tracks.begin() + index);
    endRemoveRows();
}

void TrackListModel::MoveTrack(int from, int to) {
    const int count = GetTrackCount();
    if (from < 0 || from >= count || to < 0 || to >= count) {
        throw x::BadBound();
    }
    if (from == to) {
        return;
    }
    // Qt counts the destination before the move: one further when moving down.
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    TrackInfo moved = std::move(m_tracks[size_t(from)]);
    m_tracks.erase(m_tracks.begin() + from);
    m_tracks.insert(m_tracks.begin() + to, std::move(moved));
    endMoveRows();
}

QString TrackListModel::GetTrackPath(int index) const {
    if (index == -1) {
        return QString();
    }
    return Track(index).path;
}

int TrackListModel::GetTrackCount() const {
    return int(m_tracks.size());
}

void TrackListModel::SelectTrack(int index) {
    SelectTracks({index});
}

void TrackListModel::SelectTracks(const QList<int>& rows) {
    Q_EMIT selectionRequested(rows);
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
    return parent.isValid() ? 0 : GetTrackCount();
}

QVariant TrackListModel::data(const QModelIndex& index, int role) const {
    // The delegate paints from Track(); these roles are for search, tool tips and assistive
    // tools, which should hear what the entry shows.
    if (!index.isValid() || index.row() >= GetTrackCount()) {
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
