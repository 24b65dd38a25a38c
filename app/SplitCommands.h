#pragma once

#include <QObject>

class QWidget;

namespace tessaro {

class SplitController;
class StatusArea;
class WindowDialogs;
struct ReadSource;
struct SplitRequest;
struct SplitResult;

// File > Split MP3: asks for the file, reads its frames off the window's thread (a long book on a
// slow disk takes seconds), shows the split dialog, and runs the split it asks for, showing its
// progress in the status bar and its end in the log, as a merge's.
//
// Errors: a file that cannot be split is told in a message box and the log; what the split
// reports is logged, and the window tells a failure.
class SplitCommands : public QObject {
    Q_OBJECT

public:
    // The dialogs belong to `window`.
    SplitCommands(QWidget& window, SplitController& split, StatusArea& status);

    // Nothing for a cancelled file dialog or split dialog. `dialogs` outlive the split.
    void Split(WindowDialogs& dialogs);
    // Asks the running split to stop; no part is left half written.
    void Cancel();

Q_SIGNALS:
    void logged(const QString& line);
    // A reading of a source or a split started, or a reading ended.
    void busyChanged();
    // The split has ended and the status bar shows the list's figures again.
    void ended(const tessaro::SplitResult& result);

private:
    void Open(const ReadSource& read);
    // Makes the request's folder where it is missing, then starts the split.
    void Start(const SplitRequest& request);
    void Finish(const SplitResult& result);
    // What became of the split, for the status bar and the log.
    QString Summary(const SplitResult& result) const;

    QWidget& m_window;
    SplitController& m_split;
    StatusArea& m_status;
    WindowDialogs* m_dialogs = nullptr;  // of the split asked for last
};

}  // namespace tessaro
