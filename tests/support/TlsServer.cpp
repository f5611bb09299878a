#include "support/TlsServer.h"

#include <QFile>
#include <QProcess>
#include <QSslSocket>
#include <QTemporaryDir>

TlsServer::TlsServer(QByteArray html, QObject *parent) : QTcpServer(parent), m_html(std::move(html))
{
}

bool TlsServer::start()
{
    QTemporaryDir dir;
    const QString key = dir.filePath(QStringLiteral("key.pem"));
    const QString certificate = dir.filePath(QStringLiteral("certificate.pem"));
    // Right name and dates, nobody vouching for it: the one error is the unknown authority.
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                   "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key,
                   "-out", certificate});
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
        return false;
    QFile keyFile(key);
    QFile certificateFile(certificate);
    if (!keyFile.open(QIODevice::ReadOnly) || !certificateFile.open(QIODevice::ReadOnly))
        return false;
    m_key = QSslKey(keyFile.readAll(), QSsl::Rsa);
    m_certificate = QSslCertificate(certificateFile.readAll());
    return !m_key.isNull() && !m_certificate.isNull() && listen(QHostAddress::LocalHost, 0);
}

QUrl TlsServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("https://127.0.0.1:%1%2").arg(serverPort()).arg(path));
}

void TlsServer::incomingConnection(qintptr descriptor)
{
    auto *socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QSslSocket::readyRead, this, [this, socket] {
        QByteArray head = socket->property("head").toByteArray() + socket->readAll();
        socket->setProperty("head", head);
        if (!head.contains("\r\n\r\n"))
            return;
        socket->setProperty("head", QByteArray());
        ++m_requests;
        socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                      "Content-Length: " +
                      QByteArray::number(m_html.size()) + "\r\nConnection: close\r\n\r\n" + m_html);
        socket->disconnectFromHost();
    });
    socket->setLocalCertificate(m_certificate);
    socket->setPrivateKey(m_key);
    socket->startServerEncryption();
}
