#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

// The commands a bench driver sends a program it started, one per line on standard input, read
// without blocking the event loop. The end of input reads as "quit".
class StdinCommands : public QObject {
    Q_OBJECT

public:
    explicit StdinCommands(QObject *parent = nullptr);

signals:
    void command(const QByteArray &line);

private:
    void readAvailable();

    QSocketNotifier *m_notifier;
    QByteArray m_pending;
};
