#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <sys/types.h>

class QSocketNotifier;
struct xcb_connection_t;

// Watches the X display for one program's main window at a time, from outside: when it is first
// mapped (shown) and when the program first draws into it (the X DAMAGE extension). Times are in
// ms on the run's clock. Not valid without an X display or without DAMAGE. One for the bench: one
// X connection serves every run.
class WindowWatch : public QObject {
    Q_OBJECT

public:
    explicit WindowWatch(QObject *parent = nullptr);
    ~WindowWatch() override;

    bool isValid() const { return m_connection != nullptr; }
    // From now on, only the windows of this process count, timed on this clock.
    void start(pid_t pid, const QElapsedTimer *clock);
    double shownMs() const { return m_shownMs; }
    double paintedMs() const { return m_paintedMs; }

signals:
    void changed();

private:
    void read();
    bool isOurs(uint32_t window);
    void createDamage(uint32_t window);

    const QElapsedTimer *m_clock = nullptr;
    xcb_connection_t *m_connection = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    uint8_t m_damageOpcode = 0;
    uint8_t m_damageEvent = 0;
    uint32_t m_pidAtom = 0;
    pid_t m_pid = 0;
    uint32_t m_window = 0;
    // When each new top-level window was first drawn into.
    QHash<uint32_t, double> m_firstDamage;
    double m_shownMs = -1;
    double m_paintedMs = -1;
};
