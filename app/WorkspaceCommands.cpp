#include "app/WorkspaceCommands.h"

#include <numeric>
#include <utility>

#include "view/TrackListModel.h"
#include "view/TrackListView.h"

namespace tessaro {

InsertTracks::InsertTracks(const QString& text, WorkspaceParts parts, int row, QStringList paths)
    : QUndoCommand(text), m_parts(parts), m_row(row), m_paths(std::move(paths)) {}

QList<int> InsertTracks::Rows() const {
    QList<int> rows(m_paths.size());
    std::iota(rows.begin(), rows.end(), m_row);
    return rows;
}

void InsertTracks::redo() {
    m_parts.tracks.Insert(m_row, m_paths);
    m_parts.view.SelectRows(Rows());
}

void InsertTracks::undo() {
    m_parts.tracks.Remove(Rows());
}

RemoveTracks::RemoveTracks(const QString& text, WorkspaceParts parts, const QList<int>& rows)
    : QUndoCommand(text), m_parts(parts), m_rows(CheckedRows(rows, parts.tracks.Count())) {}

void RemoveTracks::redo() {
    // Taken at each redo: facts read since the command was made are kept too.
    m_removed.clear();
    m_removed.reserve(size_t(m_rows.size()));
    for (int row : m_rows) {
        m_removed.push_back(m_parts.tracks.Track(row));
    }
    m_parts.tracks.Remove(m_rows);
}

void RemoveTracks::undo() {
    m_parts.tracks.Restore(m_rows, std::move(m_removed));
    m_removed.clear();
    m_parts.view.SelectRows(m_rows);
}

ArrangeTracks::ArrangeTracks(const QString& text, WorkspaceParts parts, Rearrangement arrangement)
    : QUndoCommand(text),
      m_parts(parts),
      m_arrangement(std::move(arrangement)),
      m_selected(parts.view.SelectedRows()) {}

void ArrangeTracks::redo() {
    m_parts.tracks.Arrange(m_arrangement.order);
    m_parts.view.SelectRows(m_arrangement.landed);
}

void ArrangeTracks::undo() {
    QList<int> inverse(m_arrangement.order.size());
    for (int row = 0; row < m_arrangement.order.size(); ++row) {
        inverse[m_arrangement.order[row]] = row;
    }
    m_parts.tracks.Arrange(inverse);
    m_parts.view.SelectRows(m_selected);
}

ChangeTag::ChangeTag(const QString& text, WorkspaceParts parts, const OutputTag& tag,
                     const MoreTagFields& moreTag, const QString& cover)
    : QUndoCommand(text), m_parts(parts), m_tag(tag), m_moreTag(moreTag), m_cover(cover) {}

void ChangeTag::Swap() {
    std::swap(m_parts.tag, m_tag);
    std::swap(m_parts.moreTag, m_moreTag);
    std::swap(m_parts.cover, m_cover);
}

ChooseChapterFile::ChooseChapterFile(const QString& text, WorkspaceParts parts,
                                     const QString& chapterFile, const QStringList& titles)
    : QUndoCommand(text), m_parts(parts), m_chapterFile(chapterFile), m_titles(titles) {}

void ChooseChapterFile::Swap() {
    std::swap(m_parts.chapterFile, m_chapterFile);
    std::swap(m_parts.chapterTitles, m_titles);
}

MarkChapters::MarkChapters(const QString& text, WorkspaceParts parts, const QList<int>& rows,
                           std::vector<ChapterMark> marks)
    : QUndoCommand(text), m_parts(parts), m_rows(rows), m_marks(std::move(marks)) {}

void MarkChapters::Swap() {
    std::vector<ChapterMark> shown;
    shown.reserve(m_marks.size());
    for (int row : m_rows) {
        shown.push_back(m_parts.tracks.Track(row).mark);
    }
    m_parts.tracks.SetMarks(m_rows, m_marks);
    m_marks = std::move(shown);
}

ReplaceWorkspace::ReplaceWorkspace(const QString& text, WorkspaceParts parts,
                                   const TessaroWorkSpace& workspace, const QString& file)
    : QUndoCommand(text),
      m_parts(parts),
      m_paths(workspace.Paths()),
      m_marks(workspace.Extras().chapterMarks),
      m_tag(workspace.Tag()),
      m_moreTag(workspace.Extras().moreTag),
      m_file(file),
      m_cover(workspace.Extras().cover),
      m_chapterFile(workspace.Extras().chapterFile),
      m_chapterTitles(workspace.Extras().chapterTitles) {}

void ReplaceWorkspace::Swap() {
    const QStringList shown = m_parts.tracks.Paths();
    std::vector<ChapterMark> marks = m_parts.tracks.Marks();
    m_parts.tracks.Reset(m_paths, m_marks);
    m_paths = shown;
    m_marks = std::move(marks);
    std::swap(m_parts.tag, m_tag);
    std::swap(m_parts.moreTag, m_moreTag);
    std::swap(m_parts.file, m_file);
    std::swap(m_parts.cover, m_cover);
    std::swap(m_parts.chapterFile, m_chapterFile);
    std::swap(m_parts.chapterTitles, m_chapterTitles);
}

}  // namespace tessaro
