#pragma once

#include <QObject>
#include <vector>

#include "chapters/Chapters.h"

class QWidget;

namespace tessaro {

class WindowDialogs;
class WorkspaceDocument;
struct MergeResult;

// File > Import Chapters, which chooses the chapter file the next merge takes, and File > Export
// Chapters, which writes the chapters of the file merged last in the form its name asks for.
//
// Errors: a chapter file that cannot be read or written is told in a message box of the
// window's; what went well is logged.
class ChapterCommands : public QObject {
    Q_OBJECT

public:
    // Its message boxes belong to `window`; the chapter file chosen goes to `document`.
    ChapterCommands(QWidget& window, WorkspaceDocument& document);

    void Import(WindowDialogs& dialogs);
    void Export(WindowDialogs& dialogs);
    // The merge that starts writes `output`; the chapters of one that succeeded are exported.
    void MergeStarted(const QString& output);
    void MergeFinished(const MergeResult& result);

Q_SIGNALS:
    void logged(const QString& line);

private:
    // Every chapter form, then each alone, as a file dialog filters them.
    static QString Filter();

    QWidget& m_window;
    WorkspaceDocument& m_document;
    // The chapters of the file merged last, and what a CUE sheet says of that file.
    std::vector<Chapter> m_chapters;
    ChapterSheet m_sheet;
};

}  // namespace tessaro
