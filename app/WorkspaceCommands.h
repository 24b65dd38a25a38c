#pragma once

#include <QList>
#include <QStringList>
#include <QUndoCommand>
#include <vector>

#include "view/TrackListModel.h"
#include "workspace/OutputTag.h"
#include "workspace/TessaroWorkSpace.h"
#include "workspace/TrackOrder.h"

namespace tessaro {

class TrackListView;

// What the workspace's commands change: the entries, the selection shown of them, the typed tag
// with its further fields, the file the workspace is kept in, and the picture and the chapter file
// chosen for the joined file (empty for none), with the titles given its chapters in place of their
// own.
struct WorkspaceParts {
    TrackListModel& tracks;
    TrackListView& view;
    OutputTag& tag;
    MoreTagFields& moreTag;
    QString& file;
    QString& cover;
    QString& chapterFile;
    QStringList& chapterTitles;
};

// Inserts files before a row and selects them.
class InsertTracks : public QUndoCommand {
public:
    InsertTracks(const QString& text, WorkspaceParts parts, int row, QStringList paths);
    void redo() override;
    void undo() override;

private:
    QList<int> Rows() const;

    WorkspaceParts m_parts;
    const int m_row;
    const QStringList m_paths;
};

// Removes the entries at these rows, leaving nothing selected; undone, they are back, selected.
class RemoveTracks : public QUndoCommand {
public:
    RemoveTracks(const QString& text, WorkspaceParts parts, const QList<int>& rows);
    void redo() override;
    void undo() override;

private:
    WorkspaceParts m_parts;
    const QList<int> m_rows;  // sorted
    // As they were when removed, their facts kept so that the undo reads no file again.
    std::vector<TrackInfo> m_removed;
};

// Puts the entries in a new order and selects the ones moved where they landed; undone, the
// selection is as it was.
class ArrangeTracks : public QUndoCommand {
public:
    ArrangeTracks(const QString& text, WorkspaceParts parts, Rearrangement arrangement);
    void redo() override;
    void undo() override;

private:
    WorkspaceParts m_parts;
    const Rearrangement m_arrangement;
    const QList<int> m_selected;  // before the step
};

// Replaces the typed tag, its further fields and its cover picture.
class ChangeTag : public QUndoCommand {
public:
    ChangeTag(const QString& text, WorkspaceParts parts, const OutputTag& tag,
              const MoreTagFields& moreTag, const QString& cover);
    void redo() override { Swap(); }
    void undo() override { Swap(); }

private:
    void Swap();

    WorkspaceParts m_parts;
    // What the next step gives.
    OutputTag m_tag;
    MoreTagFields m_moreTag;
    QString m_cover;
};

// Takes the joined file's chapters from another file (none for empty), with titles in place of
// its chapters' own (JoinOptions::chapterTitles).
class ChooseChapterFile : public QUndoCommand {
public:
    ChooseChapterFile(const QString& text, WorkspaceParts parts, const QString& chapterFile,
                      const QStringList& titles = {});
    void redo() override { Swap(); }
    void undo() override { Swap(); }

private:
    void Swap();

    WorkspaceParts m_parts;
    // What the next step gives.
    QString m_chapterFile;
    QStringList m_titles;
};

// Sets the chapter marks of these rows, in their order; undone, they are as they were.
class MarkChapters : public QUndoCommand {
public:
    MarkChapters(const QString& text, WorkspaceParts parts, const QList<int>& rows,
                 std::vector<ChapterMark> marks);
    void redo() override { Swap(); }
    void undo() override { Swap(); }

private:
    void Swap();

    WorkspaceParts m_parts;
    const QList<int> m_rows;
    std::vector<ChapterMark> m_marks;  // what the next step gives
};

// Replaces the whole workspace with `workspace`, its file's name included (New, Open): the
// entries with their chapter marks, the tag with its further fields, the cover, the chapter file
// and its titles.
class ReplaceWorkspace : public QUndoCommand {
public:
    ReplaceWorkspace(const QString& text, WorkspaceParts parts, const TessaroWorkSpace& workspace,
                     const QString& file);
    void redo() override { Swap(); }
    void undo() override { Swap(); }

private:
    void Swap();

    WorkspaceParts m_parts;
    // What the next step gives.
    QStringList m_paths;
    std::vector<ChapterMark> m_marks;
    OutputTag m_tag;
    MoreTagFields m_moreTag;
    QString m_file;
    QString m_cover;
    QString m_chapterFile;
    QStringList m_chapterTitles;
};

}  // namespace tessaro
