#include "support/LoopbackServer.h"

#include <QTcpSocket>

LoopbackServer::LoopbackServer(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

bool LoopbackServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QUrl LoopbackServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

void LoopbackServer::answer(QTcpSocket *socket)
{
    // Wait for the whole request head; bodies are not needed by any test.
    QByteArray head = socket->property("head").toByteArray() + socket->readAll();
    socket->setProperty("head", head);
    if (!head.contains("\r\n\r\n") || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);

    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    const QString path = requestLine.size() > 1 ? QString::fromLatin1(requestLine[1]) : QString();
    m_requests.append(path);
    emit requested(path);

    // A reply for the method and path ("POST /form") before one for the path alone.
    const QString method = QString::fromLatin1(requestLine.value(0));
    const Reply reply =
        m_replies.value(method + QLatin1Char(' ') + path,
                        m_replies.value(path, Reply{"text/plain", "not found", 404, {}}));
    QByteArray response = "HTTP/1.0 " + QByteArray::number(reply.status) + " X\r\n";
    response += "Content-Type: " + reply.contentType + "\r\n";
    response += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    response += reply.extraHeaders;
    response += "Connection: close\r\n\r\n";
    response += reply.body;
    socket->write(response);
    socket->disconnectFromHost();
}
