#pragma once

#include <QObject>

class QWidget;

namespace tessaro {

class ChapterCommands;
class JoinController;
class StatusArea;
class WindowDialogs;
class WorkspaceDocument;
struct JoinPreferences;
struct MergeResult;

// File > Merge and Cancel Merge: asks where the joined file goes, starts the join of the
// document's entries with its tag, cover and chapter file, and shows its start and end in the
// status bar and the log.
//
// Errors: what the join reports is logged by the join controller; the window tells a failure.
class MergeCommands : public QObject {
    Q_OBJECT

public:
    // The file dialog belongs to `window`.
    MergeCommands(QWidget& window, WorkspaceDocument& document, JoinController& join,
                  StatusArea& status, ChapterCommands& chapters);

    // Nothing for an empty list or a cancelled file dialog.
    void Merge(const JoinPreferences& preferences, WindowDialogs& dialogs);
    // Asks the running merge to stop; it ends as a failed one does, leaving the target as it was.
    void Cancel();

Q_SIGNALS:
    void logged(const QString& line);
    // The merge has ended and the status bar shows the list's figures again.
    void ended(const tessaro::MergeResult& result);

private:
    void Finish(const MergeResult& result);

    QWidget& m_window;
    WorkspaceDocument& m_document;
    JoinController& m_join;
    StatusArea& m_status;
    ChapterCommands& m_chapters;
};

}  // namespace tessaro
