#pragma once

#include <QObject>
#include <vector>

#include "chapters/Chapters.h"
#include "workspace/ChapterMark.h"

class QWidget;

namespace tessaro {

class ChapterListModel;
class WindowDialogs;
class WorkspaceDocument;
struct MergeResult;

// File > Import Chapters, which chooses the chapter file the next merge takes, and File > Export
// Chapters, which writes the chapters of the file merged last in the form its name asks for;
// and the chapters set by hand, each a step to undo: where the selected entries start one or
// join the one before, the titles of the chapters the next merge writes, and dropping the
// chapter file again.
//
// Errors: a chapter file that cannot be read or written is told in a message box of the
// window's; what went well is logged.
class ChapterCommands : public QObject {
    Q_OBJECT

public:
    // Its message boxes belong to `window`; the chapter file chosen, and the chapters set by
    // hand, go to `document`; `listed` are the chapters the next merge writes, as last worked
    // out.
    ChapterCommands(QWidget& window, WorkspaceDocument& document, const ChapterListModel& listed);

    void Import(WindowDialogs& dialogs);
    void Export(WindowDialogs& dialogs);
    void ClearImported();
    // The selected entries each start a chapter, or each go with the chapter before.
    void MarkSelected(ChapterMark::Start start);
    // The listed chapter `chapter` titled `title`; empty for the title it would have unset.
    void Rename(int chapter, const QString& title);
    // The first listed chapter starting at the entry in `row`.
    void RenameAt(int row, const QString& title);
    // The merge that starts writes `output`; the chapters of one that succeeded are exported.
    void MergeStarted(const QString& output);
    void MergeFinished(const MergeResult& result);
    // Every chapter form, then each alone, as a file dialog filters them.
    static QString Filter();

Q_SIGNALS:
    void logged(const QString& line);

private:
    QWidget& m_window;
    WorkspaceDocument& m_document;
    const ChapterListModel& m_listed;
    // The chapters of the file merged last, and what a CUE sheet says of that file.
    std::vector<Chapter> m_chapters;
    ChapterSheet m_sheet;
};

}  // namespace tessaro
