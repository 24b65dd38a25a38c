#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;

namespace tessaro {

// One window for each user: the first start listens on a local socket, and a later start hands
// it the files it was given instead of opening a window of its own.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // `name`: the socket, a path or a name that QLocalServer places in the temporary folder.
    explicit SingleInstance(QString name, QObject* parent = nullptr);

    // The socket of the current user, in the runtime folder that no other user may enter.
    static QString NameForUser();

    // Hands `files` to the running instance; true once it has taken them, false when none
    // answers (none runs, or it is stuck) within `timeoutMs`.
    bool HandOver(const QStringList& files, int timeoutMs = 3000);

    // Listens for later starts. A socket left by an instance that ended without removing it is
    // replaced; one that another live instance answers on is not. False when nothing listens.
    bool Listen();

Q_SIGNALS:
    // Another start's files, as it passed them.
    void FilesArrived(const QStringList& files);

private:
    void Receive();

    const QString m_name;
    QLocalServer* m_server;
};

}  // namespace tessaro
