#pragma once

#include <QAbstractListModel>
#include <QPixmap>
#include <QSet>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "mp3/ListFigures.h"

namespace tessaro {

// One entry of the list: its file and what is shown of it.
struct TrackInfo : mp3::Figures {
    QString path;
    // Cached so that painting never touches the disk.
    QString name;
    QPixmap icon;
    // Whether the figures have been read; until then the entry shows its name alone.
    bool read = false;
};

// The workspace's files as the rows of one item model, which the list shows: the workspace
// changes the rows through TrackListView, so list and workspace cannot disagree. A file's audio
// figures are read on a worker thread when its row is inserted, and kept with the row, so a move
// never reads them again.
class TrackListModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit TrackListModel(QObject* parent = nullptr);
    // Waits for the reads still running; their results are dropped.
    ~TrackListModel() override;

    int Count() const { return int(m_tracks.size()); }
    QStringList Paths() const;
    // Inserts before `row` (0..Count()); starts the reads of their figures.
    void Insert(int row, const QStringList& paths);
    // Any order, each once; raises x::BadBound, changing nothing, for one outside.
    void Remove(const QList<int>& rows);
    // Row i shows what old row order[i] showed; the selection follows its entries.
    void Arrange(const QList<int>& order);
    void Reset(const QStringList& paths);
    double TotalSeconds() const;

    // Raises x::BadBound past the ends.
    const TrackInfo& Track(int index) const;
    // Whether any row waits for its figures.
    bool FiguresPending() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // hh:mm:ss, with as many hour digits as needed.
    static QString FormatDuration(qint32 seconds);
    // The grey line under the name: rate, bitrate and channel layout, or what is wrong.
    static QString InfoLine(const mp3::Figures& figures);

Q_SIGNALS:
    // A drag asks that the rows go before row `before` (0..Count()).
    void moveRequested(const QList<int>& rows, int before);
    // Files dropped from outside, to go before row `before`.
    void filesDropped(const QStringList& paths, int before);
    void totalsChanged();

private:
    // Has the figures of `path` read beside the GUI thread.
    void Read(const QString& path);
    // The reader thread: reads the files asked for, one after another (reading several of one
    // disk at once is no faster), and ends when there are none left, so that an idle window
    // holds no thread (a child process forked then starts cleanly).
    void ReadFigures();
    // On the GUI thread: takes in the figures the reader has read.
    void TakeFigures();

    void InsertOne(int index, const QString& path);

    std::vector<TrackInfo> m_tracks;
    // Paths whose figures are being read.
    QSet<QString> m_reading;
    // What passes between the GUI thread and the reader, under m_lock: the paths to read and the
    // figures read. The hand-over is ours rather than a thread pool's, so that ThreadSanitizer
    // sees every step of it.
    std::mutex m_lock;
    std::deque<QString> m_toRead;
    std::vector<std::pair<QString, mp3::Figures>> m_read;
    bool m_stopping = false;
    bool m_readerRunning = false;
    std::thread m_reader;  // touched on the GUI thread only
};

}  // namespace tessaro
