#include "support/ScriptedServer.h"

#include <QTcpSocket>

ScriptedServer::ScriptedServer(Answer answer, Ending ending, QObject *parent)
    : QObject(parent), m_answer(std::move(answer)), m_ending(ending)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                const QByteArray head = socket->property("head").toByteArray() + socket->readAll();
                socket->setProperty("head", head);
                if (!head.contains("\r\n\r\n") || socket->property("answered").toBool())
                    return;
                socket->setProperty("answered", true);
                socket->write(m_answer(head));
                if (m_ending == Close)
                    socket->disconnectFromHost();
            });
        }
    });
}

bool ScriptedServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QUrl ScriptedServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}
