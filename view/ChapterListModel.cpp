#include "view/ChapterListModel.h"

#include <algorithm>

namespace tessaro {
namespace {

// Where a chapter of no length (or past the audio) stands: in the last input with audio that
// starts by `ms`; the first row where there is none.
int RowAt(const std::vector<TimelineInput>& inputs, quint32 ms) {
    int row = 0;
    for (size_t i = 0; i < inputs.size(); ++i) {
        if (inputs[i].startMs < inputs[i].endMs && inputs[i].startMs <= ms) {
            row = int(i);
        }
    }
    return row;
}

}  // namespace

std::vector<ListedChapter> ListChapters(const MergeResult& result) {
    std::vector<ListedChapter> listed;
    const std::vector<TimelineInput>& inputs = result.inputs;
    for (const Chapter& chapter : result.chapters) {
        ListedChapter shown{chapter.startMs, chapter.title, -1, -1};
        for (size_t i = 0; i < inputs.size(); ++i) {
            // The inputs' ends and the chapters' starts are rounded to the millisecond apart.
            const bool overlaps = inputs[i].startMs < inputs[i].endMs &&
                                  inputs[i].startMs + 1 < chapter.endMs &&
                                  chapter.startMs + 1 < inputs[i].endMs;
            if (overlaps) {
                shown.firstRow = shown.firstRow < 0 ? int(i) : shown.firstRow;
                shown.lastRow = int(i);
            }
        }
        if (shown.firstRow < 0) {
            shown.firstRow = shown.lastRow = RowAt(inputs, chapter.startMs);
        }
        listed.push_back(std::move(shown));
    }
    return listed;
}

ChapterListModel::ChapterListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ChapterListModel::SetChapters(std::vector<ListedChapter> chapters) {
    beginResetModel();
    m_chapters = std::move(chapters);
    endResetModel();
}

std::vector<QStringList> ChapterListModel::TitlesByRow(int rows) const {
    std::vector<QStringList> titles(size_t(std::max(rows, 0)));
    for (const ListedChapter& chapter : m_chapters) {
        if (chapter.firstRow >= 0 && chapter.firstRow < rows) {
            titles[size_t(chapter.firstRow)] << chapter.title;
        }
    }
    return titles;
}

QString ChapterListModel::StartText(quint32 ms) {
    return QStringLiteral("%1:%2:%3.%4")
        .arg(ms / 3'600'000)
        .arg(ms / 60'000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

int ChapterListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_chapters.size());
}

int ChapterListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ChapterListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const ListedChapter& chapter = m_chapters[size_t(index.row())];
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::AccessibleTextRole) {
        return {};
    }
    switch (index.column()) {
        case StartColumn:
            return StartText(chapter.startMs);
        case TitleColumn:
            return chapter.title;
        case EntriesColumn:
            return chapter.firstRow == chapter.lastRow ? QString::number(chapter.firstRow + 1)
                                                       : QStringLiteral("%1\u2013%2")
                                                             .arg(chapter.firstRow + 1)
                                                             .arg(chapter.lastRow + 1);
        default:
            return {};
    }
}

QVariant ChapterListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
        case StartColumn:
            return tr("Start");
        case TitleColumn:
            return tr("Title");
        case EntriesColumn:
            return tr("Entries");
        default:
            return {};
    }
}

Qt::ItemFlags ChapterListModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    return index.column() == TitleColumn ? flags | Qt::ItemIsEditable : flags;
}

bool ChapterListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || index.column() != TitleColumn || index.row() >= rowCount()) {
        return false;
    }
    Q_EMIT renameRequested(index.row(), value.toString());
    return true;
}

}  // namespace tessaro
