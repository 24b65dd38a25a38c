#pragma once

#include <QObject>
#include <QStringList>

namespace tessaro {

class JoinController;
class WorkspaceDocument;

// Files inserted, dropped or named on the command line, taken into the document's list as steps
// to undo, or kept for the end of the merge that runs: a merge's inputs are fixed when it
// starts, but the list stays as it is until its end.
class TrackInsertion : public QObject {
    Q_OBJECT

public:
    TrackInsertion(WorkspaceDocument& document, const JoinController& join);

    // Inserts the files before `row`, each folder among them standing for the MPEG audio files
    // under it, or keeps them for the end of the merge that runs; logs what the folders left
    // out, each name that cannot be used, and each file or folder inserted. Those dropped must
    // have an MPEG audio name.
    void Add(const QStringList& paths, int row, const QString& step, bool audioOnly = false);
    // Once the merge has ended: the files kept meanwhile go in at the end.
    void AddDroppedDuringMerge();

Q_SIGNALS:
    void logged(const QString& line);

private:
    // Files taken in, and the log lines that tell so once they are in the list.
    struct Additions {
        QStringList files;
        QStringList lines;
    };
    // Puts the files in before `row` as a step to undo, and logs that they are in.
    void Insert(const Additions& additions, int row, const QString& step);
    // Whether a file chosen or dropped can be added by the name it came with; logs why not.
    bool UsableInput(const QString& path, bool audioOnly);
    void LogEach(const QStringList& lines);

    WorkspaceDocument& m_document;
    const JoinController& m_join;
    // Files dropped while a merge runs, added once it has finished.
    Additions m_pending;
};

}  // namespace tessaro
