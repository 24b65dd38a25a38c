#include "app/WorkspaceCommands.h"

#include <numeric>
#include <utility>

#include "view/TrackListModel.h"
#include "view/TrackListView.h"

namespace tessaro {

InsertTracks::InsertTracks(const QString& text, WorkspaceParts parts, int row, QStringList paths)
    : QUndoCommand(text), parts(parts), row(row), paths(std::move(paths)) {}

QList<int> InsertTracks::Rows() const {
    QList<int> rows(paths.size());
    std::iota(rows.begin(), rows.end(), row);
    return rows;
}

void InsertTracks::redo() {
    parts.tracks.Insert(row, paths);
    parts.view.SelectRows(Rows());
}

void InsertTracks::undo() {
    parts.tracks.Remove(Rows());
}

RemoveTracks::RemoveTracks(const QString& text, WorkspaceParts parts, const QList<int>& rows)
    : QUndoCommand(text), parts(parts), rows(CheckedRows(rows, parts.tracks.Count())) {
    for (int row : this->rows) {
        paths << parts.tracks.Track(row).path;
    }
}

void RemoveTracks::redo() {
    parts.tracks.Remove(rows);
}

void RemoveTracks::undo() {
    // First to last, each row is where it stood once those above it are back.
    for (int i = 0; i < rows.size(); ++i) {
        parts.tracks.Insert(rows[i], {paths[i]});
    }
    parts.view.SelectRows(rows);
}

ArrangeTracks::ArrangeTracks(const QString& text, WorkspaceParts parts, Rearrangement arrangement)
    : QUndoCommand(text),
      parts(parts),
      arrangement(std::move(arrangement)),
      selected(parts.view.SelectedRows()) {}

void ArrangeTracks::redo() {
    parts.tracks.Arrange(arrangement.order);
    parts.view.SelectRows(arrangement.landed);
}

void ArrangeTracks::undo() {
    QList<int> inverse(arrangement.order.size());
    for (int row = 0; row < arrangement.order.size(); ++row) {
        inverse[arrangement.order[row]] = row;
    }
    parts.tracks.Arrange(inverse);
    parts.view.SelectRows(selected);
}

ChangeTag::ChangeTag(const QString& text, WorkspaceParts parts, const OutputTag& tag,
                     const QString& cover)
    : QUndoCommand(text), parts(parts), tag(tag), cover(cover) {}

void ChangeTag::Swap() {
    std::swap(parts.tag, tag);
    std::swap(parts.cover, cover);
}

ChooseChapterFile::ChooseChapterFile(const QString& text, WorkspaceParts parts,
                                     const QString& chapterFile)
    : QUndoCommand(text), parts(parts), chapterFile(chapterFile) {}

void ChooseChapterFile::Swap() {
    std::swap(parts.chapterFile, chapterFile);
}

ReplaceWorkspace::ReplaceWorkspace(const QString& text, WorkspaceParts parts,
                                   const QStringList& paths, const OutputTag& tag,
                                   const QString& file)
    : QUndoCommand(text), parts(parts), paths(paths), tag(tag), file(file) {}

void ReplaceWorkspace::Swap() {
    const QStringList shown = parts.tracks.Paths();
    parts.tracks.Reset(paths);
    paths = shown;
    std::swap(parts.tag, tag);
    std::swap(parts.file, file);
    std::swap(parts.cover, cover);
    std::swap(parts.chapterFile, chapterFile);
}

}  // namespace tessaro
