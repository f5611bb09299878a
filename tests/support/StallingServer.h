#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <QUrl>

// An HTTP server on 127.0.0.1 whose one reply promises more body than it sends: after the first
// part it either holds the connection open (a download still running) or drops it (a download
// that fails).
class StallingServer : public QObject {
    Q_OBJECT

  public:
    enum Ending { Hold, Drop };

    StallingServer(QByteArray head, QByteArray firstPart, Ending ending, QObject *parent = nullptr);

    bool listen();
    QUrl url(const QString &path) const;

  private:
    QTcpServer m_server;
    QByteArray m_head;
    QByteArray m_firstPart;
    Ending m_ending;
};
