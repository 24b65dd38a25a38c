#pragma once

#include <QDockWidget>
#include <QStringList>
#include <functional>

class QListWidget;

namespace tessaro {

// How the pane asks where to save the log and says why saving failed: QFileDialog and
// QMessageBox unless a test puts its own in place.
struct LogDialogs {
    // The file to save to; empty when the user cancels.
    std::function<QString(QWidget* parent)> saveTarget;
    std::function<void(QWidget* parent, const QString& text)> showFailure;
};

// The dockable "Output" pane: the log, plain lines newest on top, kept for the whole run. Its
// context menu copies the chosen lines, clears the log or saves it to a text file.
class OutputPane : public QDockWidget {
    Q_OBJECT

public:
    explicit OutputPane(QWidget* parent = nullptr);

    // Puts "hh:mm:ss:" (local time) and the text, unchanged, above every earlier line.
    void AppendLogLine(const QString& text);

    QListWidget& List() { return *m_list; }
    void SetDialogs(LogDialogs dialogs) { m_dialogs = std::move(dialogs); }

    // The selected lines, or every line when none is selected, oldest first.
    QStringList ChosenLines() const;
    // Puts the chosen lines on the clipboard, one to a line.
    void CopyLines();
    // Asks for a file and writes every line into it as UTF-8 text, oldest first.
    void SaveLog();

private:
    QListWidget* m_list;
    LogDialogs m_dialogs;
};

}  // namespace tessaro
