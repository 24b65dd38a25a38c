#pragma once

// The track list's model and view. Errors: a row or an order outside the list raises x::BadBound
// (workspace/Exception.h) and changes nothing; what cannot be read of a file is shown on its
// entry (TrackFacts::problem), never raised.

#include <QAbstractListModel>
#include <QHash>
#include <QPixmap>
#include <vector>

#include "view/FactReader.h"
#include "workspace/ChapterMark.h"

namespace tessaro {

// One entry of the list: its file and what is shown of it.
struct TrackInfo : TrackFacts {
    QString path;
    // Cached so that painting never touches the disk.
    QString name;
    QPixmap icon;
    // Whether the facts have been read; until then the entry shows its name alone.
    bool read = false;
    // The chapter set by hand here, which goes wherever the entry goes.
    ChapterMark mark;
    // The titles of the chapters the next merge starts in this entry, as last worked out.
    QStringList chapters;
};

// Neighbouring rows, first to last.
struct RowRun {
    int first;
    int last;
};

// The runs that sorted, distinct rows make, top to bottom.
QList<RowRun> RowRuns(const QList<int>& sorted);

// The workspace's files as the rows of one item model. A file's facts are read by the fact reader
// when its row is inserted, and kept with the row, so reordering never reads them again. Drags
// within the list and files dropped from outside are only asked for (moveRequested,
// filesDropped): the window carries them out, as undoable commands.
class TrackListModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit TrackListModel(QObject* parent = nullptr);
    int Count() const { return int(m_tracks.size()); }
    const TrackInfo& Track(int row) const;
    // Top to bottom.
    QStringList Paths() const;
    // Before `row` (0..Count()); starts the reads of the files not already shown or being read.
    void Insert(int row, const QStringList& paths);
    // The rows in any order, each once: a run of neighbours at a time, or, when the rows are
    // scattered in many runs, at once by a reset (then scatteredRowsRemoved follows).
    void Remove(const QList<int>& rows);
    // The entries taken out, at the rows they are to stand at (sorted, each once), as Remove
    // gives them up; those whose facts were still being read are read again.
    void Restore(const QList<int>& rows, std::vector<TrackInfo> tracks);
    // Row i comes to show what row order[i] showed; the selection follows its entries.
    void Arrange(const QList<int>& order);
    // The whole list replaced, each entry with its chapter mark (all Auto for none or too few).
    void Reset(const QStringList& paths, const std::vector<ChapterMark>& marks = {});
    // Top to bottom.
    std::vector<ChapterMark> Marks() const;
    // Gives the rows (each once) the marks, in their order; then marksChanged.
    void SetMarks(const QList<int>& rows, const std::vector<ChapterMark>& marks);
    // The titles of the chapters that start in each row, one list a row, as a preview worked
    // them out; an empty one for a row where none starts.
    void ShowChapters(const std::vector<QStringList>& titles);
    // The durations read so far, of the rows there are.
    double TotalSeconds() const { return double(m_totalMicroseconds) / 1e6; }
    // Whether any file inserted waits for its facts.
    bool FiguresPending() const { return m_reader.Pending(); }
    // The entries read whose format differs from the first entry's, none until that is read;
    // entries that cannot be read have no format to compare.
    int FormatsUnlikeFirst() const;

    // hh:mm:ss, with as many hour digits as needed.
    static QString FormatDuration(qint32 seconds);
    // The line under the name: disc, track and title where the tag tells them, then rate, bitrate
    // and channel layout, or what is wrong.
    static QString InfoLine(const TrackFacts& facts);
    // "Chapter: TITLE" for the chapters starting at the entry, their titles between dots.
    static QString ChapterLine(const TrackInfo& track);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // An entry where a chapter starts is edited for that chapter's title.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    // Entries are only moved within the list; outside files are only copied into it, so that no
    // file manager takes the drop for a move and deletes what it dragged.
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override {
        return Qt::MoveAction | Qt::CopyAction;
    }

Q_SIGNALS:
    // A drag within the list: the rows (sorted) are to go before row `before` (0..Count()).
    // Not sent for a drop that would leave the order as it is.
    void moveRequested(const QList<int>& rows, int before);
    // Local files and folders dropped from outside, to go before row `before`.
    void filesDropped(const QStringList& paths, int before);
    // The count or the total seconds changed.
    void totalsChanged();
    // Remove took out these rows (sorted) by a reset, which kept no view's place or selection.
    void scatteredRowsRemoved(const QList<int>& rows);
    // Some entries' chapter marks changed.
    void marksChanged();
    // The chapter starting at `row` is to be titled `title`: only asked for, as moves are.
    void chapterRenameRequested(int row, const QString& title);

private:
    // The rows of a drag from this very model, or none.
    QList<int> DraggedRows(const QMimeData* data) const;
    // The rows to show the paths, their reads started; their durations, where known, counted.
    std::vector<TrackInfo> NewTracks(const QStringList& paths);
    TrackInfo NewTrack(const QString& path);
    // Adds the rows from `first` to the end to m_rowsByPath.
    void IndexRows(int first);
    // Puts the tracks in before `row`, their durations already counted.
    void InsertRun(int row, std::vector<TrackInfo>::iterator begin,
                   std::vector<TrackInfo>::iterator end);
    // Takes out the rows (sorted) in one pass, for a reset.
    void EraseRows(const QList<int>& sorted);
    // Puts the tracks in at the rows (sorted) in one pass, for a reset.
    void MergeRows(const QList<int>& sorted, std::vector<TrackInfo> tracks);
    // Gives the rows of each file read its facts, where they have none yet.
    void TakeFacts(const std::vector<FileFacts>& files);
    // A row's share of the total, in whole microseconds so that removals take off exactly what
    // was added.
    static qint64 Microseconds(const TrackInfo& track);
    // The rows showing each path, rebuilt when rows moved otherwise than by appending.
    const QHash<QString, QList<int>>& RowsByPath();

    std::vector<TrackInfo> m_tracks;
    qint64 m_totalMicroseconds = 0;
    QHash<QString, QList<int>> m_rowsByPath;
    bool m_rowsByPathStale = false;
    QHash<QString, QPixmap> m_icons;  // by lower-case suffix
    // Its results are dropped should the model go first.
    FactReader m_reader;
};

}  // namespace tessaro
