#pragma once

#include <sys/types.h>
#include <QObject>
#include <QStringList>

class QSocketNotifier;

namespace tessaro {

// One window for each user: the first start listens on a local socket, and a later start hands
// it the files it was given instead of opening a window of its own. The socket lives only in a
// folder of the user's alone and serves only the user's own processes.
// Errors: HandOver() and Listen() return false; ErrorString() says why Listen() did.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // The most a message may hold after its length: 100,000 paths of 330 characters each fit.
    static constexpr qint64 kMessageLimit = qint64(64) << 20;

    // `name`: the socket's path. Its folder must be a folder of the user's alone (mode 0700),
    // else nothing is handed over or listened for on it.
    explicit SingleInstance(QString name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket of the current user: in XDG_RUNTIME_DIR when that is a folder of the user's
    // alone, else in a folder made so in the temporary folder; empty when neither can be had.
    static QString NameForUser();

    // Hands `files` to the running instance; true once it has taken them, false when none of
    // this user answers (none runs, or it is stuck) within `timeoutMs`, or the list is longer
    // than a message may be.
    bool HandOver(const QStringList& files, int timeoutMs = 3000);

    // Listens for later starts. A socket left by an instance that ended without removing it is
    // replaced; one that another live instance answers on is not, nor anything but a socket.
    // False when nothing listens.
    bool Listen();

    // Why Listen() failed, as a clause for a line on stderr.
    QString ErrorString() const { return m_error; }

    // How long a connection may stay silent before it is dropped, 5 seconds unless told.
    void SetIdleTimeout(int ms) { m_idleMs = ms; }

Q_SIGNALS:
    // Another start's files, as it passed them.
    void FilesArrived(const QStringList& files);

private:
    // A file as the file system knows it, whatever its name now.
    struct FileId {
        dev_t device = 0;
        ino_t inode = 0;
    };

    bool Fail(const QString& error);
    void Accept();
    void Take(int descriptor);
    // Accepts again unless as many connections as are served at once are open.
    void Resume();

    const QString m_name;
    QString m_error;
    int m_idleMs = 5000;
    int m_listener = -1;
    // The socket file this instance bound, so that only that one is removed at the end.
    FileId m_bound;
    QSocketNotifier* m_notifier = nullptr;
    int m_open = 0;
};

}  // namespace tessaro
