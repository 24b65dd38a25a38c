#pragma once

#include <QDockWidget>
#include <QListWidget>

class QTabWidget;

// The log: plain lines, newest on top, kept for the whole run and never written anywhere.
class COutputList : public QListWidget {
    Q_OBJECT

public:
    explicit COutputList(QWidget* parent = nullptr);
};

// The dockable "Output" pane with its one tab, "Debug", holding the log.
class COutputWnd : public QDockWidget {
    Q_OBJECT

public:
    explicit COutputWnd(QWidget* parent = nullptr);

    // Puts "hh:mm:ss:" (local time) and the text, unchanged, above every earlier line.
    void AppendLogLine(const QString& text);

    COutputList& List() { return *m_wndOutputDebug; }

private:
    QTabWidget* m_wndTabs;
    COutputList* m_wndOutputDebug;
};
