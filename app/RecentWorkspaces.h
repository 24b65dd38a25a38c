#pragma once

#include <QObject>

class QMenu;
class QWidget;

namespace tessaro {

// File > Recent Workspaces: the last eight workspace files opened or saved, newest first, kept
// in the window's settings; an item chosen asks for its file to be opened.
class RecentWorkspaces : public QObject {
    Q_OBJECT

public:
    // The menu, filled from the settings, belongs to `window`.
    explicit RecentWorkspaces(QWidget& window);

    QMenu& Menu() { return *m_menu; }
    // Puts a workspace file opened or saved first.
    void Remember(const QString& path);
    // The menu is offered only while no merge runs, and only when it has items.
    void SetIdle(bool idle);

Q_SIGNALS:
    void openRequested(const QString& path);

private:
    void Fill(const QStringList& recent);

    QMenu* m_menu;
    bool m_idle = true;
};

}  // namespace tessaro
