#pragma once

#include <QByteArray>
#include <QHash>
#include <QTcpServer>
#include <QUrl>

// A small HTTP/1.0 server on 127.0.0.1 for engine tests: each path answers with fixed content.
// Paths it does not know answer 404.
class LoopbackServer : public QObject {
    Q_OBJECT

public:
    struct Reply {
        QByteArray contentType = "text/html; charset=utf-8";
        QByteArray body;
        int status = 200;
        QByteArray extraHeaders; // each line ending in CR LF
    };

    explicit LoopbackServer(QObject *parent = nullptr);

    bool listen();
    // The path alone, or a method and the path ("POST /form") for that method's requests only.
    void serve(const QString &path, const Reply &reply) { m_replies.insert(path, reply); }
    void serveHtml(const QString &path, const QByteArray &html)
    {
        serve(path, Reply{"text/html; charset=utf-8", html, 200, {}});
    }
    QUrl url(const QString &path) const;
    // Paths requested so far, in order.
    const QStringList &requests() const { return m_requests; }

signals:
    void requested(const QString &path);

private:
    void answer(QTcpSocket *socket);

    QTcpServer m_server;
    QHash<QString, Reply> m_replies;
    QStringList m_requests;
};
