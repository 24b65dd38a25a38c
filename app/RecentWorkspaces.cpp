#include "app/RecentWorkspaces.h"

#include <QDir>
#include <QMenu>
#include <QSettings>

#include "settings/WindowSettings.h"

namespace tessaro {
namespace {

const QString kRecentKey = QStringLiteral("recentWorkspaces");
constexpr int kRecentCount = 8;

}  // namespace

RecentWorkspaces::RecentWorkspaces(QWidget& window)
    : QObject(&window), m_menu(new QMenu(tr("Recent &Workspaces"), &window)) {
    Fill(WindowSettings().value(kRecentKey).toStringList());
}

void RecentWorkspaces::Fill(const QStringList& recent) {
    m_menu->clear();
    for (int i = 0; i < recent.size(); ++i) {
        const QString path = recent[i];
        QAction* open = m_menu->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)));
        connect(open, &QAction::triggered, this, [this, path] { Q_EMIT openRequested(path); });
    }
    SetIdle(m_idle);
}

void RecentWorkspaces::Remember(const QString& path) {
    QSettings settings = WindowSettings();
    QStringList recent = settings.value(kRecentKey).toStringList();
    recent.removeAll(path);
    recent.prepend(path);
    recent = recent.mid(0, kRecentCount);
    settings.setValue(kRecentKey, recent);
    Fill(recent);
}

void RecentWorkspaces::SetIdle(bool idle) {
    m_idle = idle;
    m_menu->setEnabled(!m_menu->isEmpty() && idle);
}

}  // namespace tessaro
