#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <QUrl>
#include <functional>

// An HTTP server on 127.0.0.1 that answers each request with whatever the test's function makes
// of the request head, raw bytes and all: replies that depend on headers, or that promise more
// than they send. After answering it closes the connection, or holds it open (a reply still
// coming).
class ScriptedServer : public QObject {
    Q_OBJECT

public:
    using Answer = std::function<QByteArray(const QByteArray &requestHead)>;
    enum Ending { Close, Hold };

    explicit ScriptedServer(Answer answer, Ending ending = Close, QObject *parent = nullptr);

    bool listen();
    QUrl url(const QString &path) const;

private:
    QTcpServer m_server;
    Answer m_answer;
    Ending m_ending;
};
