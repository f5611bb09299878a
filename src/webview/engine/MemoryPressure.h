#pragma once

#include <QObject>
#include <QSet>
#include <QTimer>

// Whether the machine runs short of memory, looked at every ten seconds while anyone asks (a
// hidden window): nothing wakes the program for it otherwise.
class MemoryPressure : public QObject {
    Q_OBJECT

public:
    static MemoryPressure *instance();

    // Starts or stops looking for the watcher; the timer runs while there is one.
    void watch(const QObject *watcher);
    void unwatch(const QObject *watcher);

    // Whether /proc/meminfo's text says less than a tenth of the memory is available.
    static bool isLow(const QByteArray &meminfo);

signals:
    void low();

private:
    MemoryPressure();
    void check();

    QSet<const QObject *> m_watchers;
    QTimer m_timer;
};
