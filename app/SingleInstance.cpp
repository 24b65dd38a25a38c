#include "app/SingleInstance.h"

#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace tessaro {
namespace {

// The running instance's answer once it has taken the files.
constexpr char kTaken = '+';
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;

bool Answers(const QString& name) {
    QLocalSocket probe;
    probe.connectToServer(name);
    return probe.waitForConnected(1000);
}

}  // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_server(new QLocalServer(this)) {
    // No socket options: with any, Qt binds in a folder of its own and renames the socket over
    // the name, which would take it from a live instance. The runtime folder is the user's
    // alone anyway.
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::Receive);
}

QString SingleInstance::NameForUser() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
        .filePath(QStringLiteral("zovi-tessaro.socket"));
}

bool SingleInstance::HandOver(const QStringList& files, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    QByteArray message;
    QDataStream stream(&message, QIODevice::WriteOnly);
    stream.setVersion(kStreamVersion);
    stream << files;
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs)) {
        return false;
    }
    char answer = 0;
    return socket.waitForReadyRead(timeoutMs) && socket.getChar(&answer) && answer == kTaken;
}

bool SingleInstance::Listen() {
    if (m_server->listen(m_name)) {
        return true;
    }
    if (m_server->serverError() != QAbstractSocket::AddressInUseError || Answers(m_name)) {
        return false;
    }
    QLocalServer::removeServer(m_name);
    return m_server->listen(m_name);
}

void SingleInstance::Receive() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream stream(socket);
            stream.setVersion(kStreamVersion);
            stream.startTransaction();
            QStringList files;
            stream >> files;
            if (!stream.commitTransaction()) {
                if (stream.status() == QDataStream::ReadCorruptData) {
                    socket->abort();  // no start of ours sent that
                }
                return;  // else the rest is on its way
            }
            socket->putChar(kTaken);
            socket->flush();
            Q_EMIT FilesArrived(files);
        });
    }
}

}  // namespace tessaro
