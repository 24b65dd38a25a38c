#include "app/SingleInstance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QTimer>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>

namespace tessaro {
namespace {

// The running instance's answer once it has taken the files.
constexpr char kTaken = '+';
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;
// Connections served at once; later ones wait in the listening socket's queue, so that a flood
// of them never takes the descriptors the window needs for its files.
constexpr int kMostOpen = 64;
// How long accepting pauses when it fails for want of descriptors or memory.
constexpr int kRetryMs = 200;

// The facts lstat gives about `path`, all zero when there is nothing there.
struct stat Facts(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        info = {};
    }
    return info;
}

// A directory, not a link to one, that only this user may enter.
bool IsPrivateFolder(const QString& path) {
    const struct stat info = Facts(path);
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 07777) == 0700;
}

QString FallbackFolder() {
    return QDir(QDir::tempPath()).filePath(QStringLiteral("zovi-tessaro-%1").arg(::geteuid()));
}

// The fallback folder, made if it is not there yet; empty unless it is the user's alone.
QString MadeFallbackFolder() {
    const QString folder = FallbackFolder();
    const QByteArray path = QFile::encodeName(folder);
    // mkdir leaves out what the umask takes; a folder found there is taken only as it is.
    if (::mkdir(path.constData(), 0700) == 0) {
        ::chmod(path.constData(), 0700);
    }
    return IsPrivateFolder(folder) ? folder : QString();
}

bool FromThisUser(qintptr descriptor) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::geteuid();
}

bool Answers(const QString& name) {
    QLocalSocket probe;
    probe.connectToServer(name);
    return probe.waitForConnected(1000);
}

// A listening socket at `path` whose file only this user may use, whatever the umask; -1 with
// errno set when there is none.
int ListenAt(const QByteArray& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address.sun_path)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, path.constData(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return -1;
    }
    const mode_t umask = ::umask(0177);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::umask(umask);
    if (bound && ::listen(fd, SOMAXCONN) == 0) {
        return fd;
    }
    const int error = errno;
    if (bound) {
        ::unlink(path.constData());
    }
    ::close(fd);
    errno = error;
    return -1;
}

QByteArray Message(const QStringList& files) {
    QByteArray message;
    QDataStream stream(&message, QIODevice::WriteOnly);
    stream.setVersion(kStreamVersion);
    stream << quint32(0) << files;
    stream.device()->seek(0);
    stream << quint32(message.size() - sizeof(quint32));
    return message;
}

// The files a message's body names; nothing when no start of ours sent it.
std::optional<QStringList> Parse(const QByteArray& body) {
    QDataStream stream(body);
    stream.setVersion(kStreamVersion);
    quint32 count = 0;
    stream >> count;
    // Each name takes four bytes at least; a larger count would only make room for nothing.
    if (count > body.size() / 4) {
        return std::nullopt;
    }
    QStringList files;
    files.reserve(count);
    for (quint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        stream >> files.emplace_back();
    }
    if (stream.status() != QDataStream::Ok || !stream.atEnd()) {
        return std::nullopt;
    }
    return files;
}

// One later start's connection: its message, taken in as it comes, and the clock that drops the
// connection when it stays silent.
class Incoming : public QObject {
public:
    using Arrived = std::function<void(const QStringList&)>;

    Incoming(QLocalSocket* socket, int idleMs, Arrived arrived, QObject* parent)
        : QObject(parent), m_socket(socket), m_arrived(std::move(arrived)) {
        m_socket->setParent(this);
        m_idle.setSingleShot(true);
        connect(&m_idle, &QTimer::timeout, this, &Incoming::Drop);
        connect(m_socket, &QLocalSocket::readyRead, this, &Incoming::Read);
        connect(m_socket, &QLocalSocket::disconnected, this, &QObject::deleteLater);
        m_idle.start(idleMs);
    }

private:
    void Read() {
        m_idle.start();
        if (m_length < 0) {
            char announced[sizeof(quint32)];
            if (m_socket->bytesAvailable() < qint64(sizeof announced)) {
                return;
            }
            m_socket->read(announced, sizeof announced);
            m_length = qFromBigEndian<quint32>(announced);
            if (m_length > SingleInstance::kMessageLimit) {
                return Drop();
            }
        }
        // The body stays in the socket's buffer until it is whole, and is read once.
        if (m_socket->bytesAvailable() < m_length) {
            return;
        }
        const std::optional<QStringList> files = Parse(m_socket->read(m_length));
        if (!files) {
            return Drop();
        }
        disconnect(m_socket, &QLocalSocket::readyRead, this, nullptr);
        // Answered before the files open, which may take long or ask something first.
        m_socket->putChar(kTaken);
        m_socket->flush();
        m_socket->disconnectFromServer();
        // A copy: what the files open may run an event loop that deletes this connection.
        const Arrived arrived = m_arrived;
        arrived(*files);
    }

    void Drop() {
        m_socket->abort();
        deleteLater();
    }

    QLocalSocket* const m_socket;
    const Arrived m_arrived;
    QTimer m_idle;
    qint64 m_length = -1;
};

}  // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), m_name(std::move(name)) {}

SingleInstance::~SingleInstance() {
    if (m_listener < 0) {
        return;
    }
    delete m_notifier;
    ::close(m_listener);
    const struct stat info = Facts(m_name);
    if (S_ISSOCK(info.st_mode) && info.st_dev == m_bound.device && info.st_ino == m_bound.inode) {
        ::unlink(QFile::encodeName(m_name).constData());
    }
}

QString SingleInstance::NameForUser() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString folder =
        QDir::isAbsolutePath(runtime) && IsPrivateFolder(runtime) ? runtime : MadeFallbackFolder();
    return folder.isEmpty() ? QString()
                            : QDir(folder).filePath(QStringLiteral("zovi-tessaro.socket"));
}

bool SingleInstance::HandOver(const QStringList& files, int timeoutMs) {
    const QByteArray message = Message(files);
    if (m_name.isEmpty() || !IsPrivateFolder(QFileInfo(m_name).absolutePath()) ||
        message.size() - qsizetype(sizeof(quint32)) > kMessageLimit) {
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs) || !FromThisUser(socket.socketDescriptor())) {
        return false;
    }
    socket.write(message);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(timeoutMs)) {
            return false;
        }
    }
    char answer = 0;
    return socket.waitForReadyRead(timeoutMs) && socket.getChar(&answer) && answer == kTaken;
}

bool SingleInstance::Listen() {
    if (m_name.isEmpty()) {
        return Fail(QStringLiteral("neither $XDG_RUNTIME_DIR nor %1 is a folder of yours alone")
                        .arg(FallbackFolder()));
    }
    const QString folder = QFileInfo(m_name).absolutePath();
    if (!IsPrivateFolder(folder)) {
        return Fail(QStringLiteral("%1 is not a folder of yours alone").arg(folder));
    }
    const QByteArray path = QFile::encodeName(m_name);
    int fd = ListenAt(path);
    if (fd < 0 && errno == EADDRINUSE) {
        if (!S_ISSOCK(Facts(m_name).st_mode)) {
            return Fail(QStringLiteral("%1 is there and is not a socket").arg(m_name));
        }
        if (Answers(m_name)) {
            return Fail(QStringLiteral("another window answers on %1").arg(m_name));
        }
        ::unlink(path.constData());
        fd = ListenAt(path);
    }
    if (fd < 0) {
        return Fail(QStringLiteral("cannot listen on %1: %2")
                        .arg(m_name, QString::fromLocal8Bit(std::strerror(errno))));
    }
    m_listener = fd;
    const struct stat info = Facts(m_name);
    m_bound = {info.st_dev, info.st_ino};
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SingleInstance::Accept);
    return true;
}

bool SingleInstance::Fail(const QString& error) {
    m_error = error;
    return false;
}

void SingleInstance::Accept() {
    while (m_open < kMostOpen) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR &&
                errno != ECONNABORTED) {
                // Out of descriptors or memory: the listening socket stays, and is asked again
                // a moment later rather than at once and for ever.
                m_notifier->setEnabled(false);
                QTimer::singleShot(kRetryMs, this, &SingleInstance::Resume);
            }
            return;
        }
        if (FromThisUser(fd)) {
            Take(fd);
        } else {
            ::close(fd);
        }
    }
    m_notifier->setEnabled(false);
}

void SingleInstance::Take(int descriptor) {
    auto* socket = new QLocalSocket;
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        ::close(descriptor);
        return;
    }
    auto* incoming = new Incoming(
        socket, m_idleMs, [this](const QStringList& files) { Q_EMIT FilesArrived(files); }, this);
    ++m_open;
    connect(incoming, &QObject::destroyed, this, [this] {
        --m_open;
        Resume();
    });
}

void SingleInstance::Resume() {
    m_notifier->setEnabled(m_open < kMostOpen);
}

}  // namespace tessaro
