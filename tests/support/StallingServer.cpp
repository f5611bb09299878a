#include "support/StallingServer.h"

#include <QTcpSocket>

StallingServer::StallingServer(QByteArray head, QByteArray firstPart, Ending ending,
                               QObject *parent)
    : QObject(parent), m_head(std::move(head)), m_firstPart(std::move(firstPart)), m_ending(ending)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                socket->readAll();
                if (socket->property("answered").toBool())
                    return;
                socket->setProperty("answered", true);
                socket->write(m_head + "\r\n" + m_firstPart);
                if (m_ending == Drop)
                    socket->disconnectFromHost();
            });
        }
    });
}

bool StallingServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QUrl StallingServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}
