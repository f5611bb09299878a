#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM and SIGHUP (a session's logout, kill) reach the program as a Qt signal, in its event
// loop: a signal handler may do next to nothing, so it only writes the signal's number into a
// pipe that the event loop watches. One instance at a time; the signals' former handling comes
// back when it goes.
class EndSignals : public QObject {
    Q_OBJECT

public:
    explicit EndSignals(QObject *parent = nullptr);
    ~EndSignals() override;

    // Whether the signals are caught (the pipe could be made).
    bool isWatching() const { return m_notifier != nullptr; }

signals:
    void received(int signal);

private:
    void readPipe();

    QSocketNotifier *m_notifier = nullptr;
};
