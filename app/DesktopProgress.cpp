#include "app/DesktopProgress.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QVariantMap>
#include <QWidget>

#include "app/JoinController.h"
#include "settings/Product.h"

namespace tessaro {
namespace {

class SessionBus : public DesktopBus {
public:
    void SetProgress(double fraction, bool visible) override {
        QDBusMessage update = QDBusMessage::createSignal(
            QStringLiteral("/com/zovi/tessaro/launcher"),
            QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
        update << QStringLiteral("application://tessaro.desktop")
               << QVariantMap{{QStringLiteral("progress"), fraction},
                              {QStringLiteral("progress-visible"), visible}};
        QDBusConnection::sessionBus().send(update);
    }

    void Notify(const QString& summary, const QString& body) override {
        QDBusMessage notify = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
        // Application, replaced notification, icon, summary, body, actions, hints, timeout.
        notify << QString::fromLatin1(kProductTitle) << 0u << QStringLiteral("tessaro") << summary
               << body << QStringList() << QVariantMap() << -1;
        // Sent without waiting: a slow notification daemon never holds the window up.
        QDBusConnection::sessionBus().send(notify);
    }
};

}  // namespace

std::unique_ptr<DesktopBus> SessionDesktopBus() {
    return std::make_unique<SessionBus>();
}

DesktopProgress::DesktopProgress(QWidget& window, const JoinController& join,
                                 std::unique_ptr<DesktopBus> bus)
    : QObject(&window), m_window(window), m_join(join), m_bus(std::move(bus)) {
    connect(&m_join, &JoinController::progressed, this, &DesktopProgress::ShowPercent);
    connect(&m_join, &JoinController::finished, this, &DesktopProgress::ShowEnd);
}

DesktopProgress::~DesktopProgress() = default;

void DesktopProgress::ShowPercent(int percent) {
    m_window.setWindowTitle(tr("%1 % — %2 — %3")
                                .arg(percent)
                                .arg(QFileInfo(m_join.Request().output).fileName(),
                                     QString::fromLatin1(kProductTitle)));
    m_bus->SetProgress(percent / 100.0, true);
}

void DesktopProgress::ShowEnd(const MergeResult& result) {
    m_bus->SetProgress(0, false);
    if (m_window.isActiveWindow()) {
        return;
    }
    m_bus->Notify(result.Succeeded() ? tr("Merge finished")
                  : result.cancelled ? tr("Merge cancelled")
                                     : tr("Merge failed"),
                  JoinController::Summary(m_join.Request(), result));
}

}  // namespace tessaro
