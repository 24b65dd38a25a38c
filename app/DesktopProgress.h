#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QWidget;

namespace tessaro {

class JoinController;
struct MergeResult;

// Where the desktop shows a merge's progress beside the window: the task bar's entry of the
// application, and a notification at its end.
class DesktopBus {
public:
    virtual ~DesktopBus() = default;
    // The share done, 0 to 1, on the application's task bar entry; hidden where not `visible`.
    virtual void SetProgress(double fraction, bool visible) = 0;
    virtual void Notify(const QString& summary, const QString& body) = 0;
};

// The session bus: the launcher entry API (com.canonical.Unity.LauncherEntry) that KDE's task
// manager and Dock-style panels read, and org.freedesktop.Notifications. Without a session bus,
// or a listener on it, nothing is shown and nothing fails.
std::unique_ptr<DesktopBus> SessionDesktopBus();

// A merge followed from elsewhere: while it runs, the window's title leads with its percentage
// and the joined file's name and the task bar shows its progress; at its end, when the window
// is not the active one, a notification says how it ended. The window's own title comes back
// when its owner sets it at the end.
//
// Errors: none; what the desktop does not offer is left out.
class DesktopProgress : public QObject {
    Q_OBJECT

public:
    DesktopProgress(QWidget& window, const JoinController& join,
                    std::unique_ptr<DesktopBus> bus = SessionDesktopBus());
    ~DesktopProgress() override;

private:
    void ShowPercent(int percent);
    void ShowEnd(const MergeResult& result);

    QWidget& m_window;
    const JoinController& m_join;
    std::unique_ptr<DesktopBus> m_bus;
};

}  // namespace tessaro
