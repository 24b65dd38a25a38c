#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

#include "merge/MergeJob.h"

namespace tessaro {

// One chapter of a join as the list of chapters shows it: where it starts on the joined
// timeline, its title, and the entries (list rows) it spans.
struct ListedChapter {
    quint32 startMs = 0;
    QString title;
    int firstRow = 0;
    int lastRow = 0;
};

// The chapters of `result` with the entries they span: those of the request's inputs whose
// audio it overlaps, the one it starts in first; an input that gave no frame spans none.
std::vector<ListedChapter> ListChapters(const MergeResult& result);

// The chapters the next merge writes, one row each, in three columns: Start ("H:MM:SS.mmm"),
// Title and Entries ("3" or "3–5", counted from 1). Titles are edited in place, but only asked
// for (renameRequested): the window carries the rename out, as a step to undo.
class ChapterListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { StartColumn, TitleColumn, EntriesColumn, ColumnCount };

    explicit ChapterListModel(QObject* parent = nullptr);

    const std::vector<ListedChapter>& Chapters() const { return m_chapters; }
    void SetChapters(std::vector<ListedChapter> chapters);
    // For each of `rows` rows of the track list, the titles of the chapters that start in it.
    std::vector<QStringList> TitlesByRow(int rows) const;

    // A time on the joined timeline as H:MM:SS.mmm, the hours as many as there are.
    static QString StartText(quint32 ms);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

Q_SIGNALS:
    // The chapter in row `chapter` is to be titled `title`.
    void renameRequested(int chapter, const QString& title);

private:
    std::vector<ListedChapter> m_chapters;
};

}  // namespace tessaro
