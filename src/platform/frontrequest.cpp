// The running copy's listener and the second start's request: one line out, one line back.
#include "platform/frontrequest.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

namespace {

const QByteArray Request = QByteArrayLiteral("front\n");
const QByteArray Answer = QByteArrayLiteral("ok\n");

} // namespace

QString frontRequestName(const QString& appDir)
{
    const QByteArray key = QDir(appDir).absolutePath().toUtf8() + '\0' + QByteArray::number(qulonglong(::getuid()));
    return QStringLiteral("till-") +
           QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(20));
}

FrontRequestListener::FrontRequestListener(const QString& name, std::function<void()> onRequest, QObject* parent)
    : QObject(parent), m_server(new QLocalServer(this)), m_onRequest(std::move(onRequest))
{
    // Only the copy holding the lock gets here, so a socket left by a copy that crashed is stale.
    QLocalServer::removeServer(name);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->listen(name);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() == Request) {
                    if (m_onRequest)
                        m_onRequest();
                    socket->write(Answer);
                    socket->flush();
                }
                socket->disconnectFromServer();
            });
        }
    });
}

bool FrontRequestListener::listening() const
{
    return m_server->isListening();
}

bool requestFront(const QString& name, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(Request);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    return socket.readLine() == Answer;
}
