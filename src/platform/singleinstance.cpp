#include "platform/singleinstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <unistd.h>

QString SingleInstance::socketPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath() + QStringLiteral("/quillo-%1").arg(::getuid());
    QDir().mkpath(dir);
    return dir + QStringLiteral("/quillo.socket");
}

SingleInstance::SingleInstance(QObject *parent) : QObject(parent), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                // One line per message.
                while (socket->canReadLine())
                    Q_EMIT messageReceived(socket->readLine().trimmed());
            });
        }
    });
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::sendToRunning(const QByteArray &message, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(message + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen(QString *error)
{
    const QString path = socketPath();
    // Nobody answered there, so a socket file left by a program that crashed is stale.
    QLocalServer::removeServer(path);
    if (m_server->listen(path))
        return true;
    if (error)
        *error = m_server->errorString();
    return false;
}
