#pragma once

#include <QByteArray>
#include <QSslCertificate>
#include <QSslKey>
#include <QTcpServer>
#include <QUrl>

// An HTTPS server on 127.0.0.1 with a self-signed certificate made when it starts (by the
// openssl command): every path answers with the same page. Counts the requests that got past
// the handshake.
class TlsServer : public QTcpServer {
    Q_OBJECT

public:
    explicit TlsServer(QByteArray html, QObject *parent = nullptr);

    // False when no certificate could be made or the port could not be opened.
    bool start();
    QUrl url(const QString &path) const;
    int requestCount() const { return m_requests; }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    QByteArray m_html;
    QSslCertificate m_certificate;
    QSslKey m_key;
    int m_requests = 0;
};
