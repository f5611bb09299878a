#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <utility>

class Form1;

// The journal of the open main windows, in the browser's data folder, so they come back after an
// end the user did not choose (a kill, a crash, a logout, a power loss). Rewritten whole and
// atomically at most once a second after a change, on a thread of its own so a slow disk never
// holds the windows up; removed when the user ends the browser. Windows of the last run that
// were offered and not yet answered for stay in it, so no later end loses them.
class SessionJournal : public QObject {
    Q_OBJECT

public:
    struct Window {
        QByteArray history;
        // The page shown, and the page that was loading (empty when none was).
        QString address;
        QString loading;
        // Whether the loading page had already taken the history's current entry.
        bool loadingIsCurrent = false;
        bool maximised = true;
        bool front = false;
        bool operator==(const Window &) const = default;
    };

    explicit SessionJournal(const QString &path, QObject *parent = nullptr);
    // Waits for a write under way.
    ~SessionJournal() override;

    static QString fileIn(const QString &dataFolder);
    // The built-in page that stands for a page not loaded again, with a link to it.
    static QString stoppedPage(const QString &address);
    static QByteArray encode(const QList<Window> &windows, qint64 restoredAt);
    static bool decode(const QByteArray &bytes, QList<Window> *windows, qint64 *restoredAt);

    // What the last run left, still to be answered for.
    const QList<Window> &found() const { return m_found; }
    // The last run was itself a restore less than a minute old: restoring that may fall over
    // again, so no page is loaded until clicked.
    bool foundSoonAfterRestore() const { return m_soonAfterRestore; }

    // From now on the journal follows the main windows.
    void start();
    // The offer over the window's page, when the last run left windows.
    void offer(Form1 *window);
    void restore();
    void discard();
    // The user ended the browser: nothing is to come back.
    void remove();
    // Writes at once what is open (an end from outside is coming), then keeps it as it is.
    void writeNow();
    // Waits until what was asked of the disk is done.
    void flush();

    static constexpr int WriteDelayMs = 1000;
    static constexpr qint64 RestoreLoopMs = 60000;
    // How long a restored window's page may take before the next window loads anyway.
    static constexpr int NextLoadMs = 3000;

private:
    struct Waiting {
        QPointer<Form1> window;
        Window entry;
    };

    void changed();
    void write();
    void watch(Form1 *window, bool opened);
    QList<Window> current() const;
    void loadInTurn(QList<Waiting> queue, bool safely);
    static void load(Form1 *window, const Window &entry, bool safely);

    QString m_path;
    QList<Window> m_found;
    bool m_soonAfterRestore = false;
    qint64 m_restoredAt = 0;
    // Restored windows whose turn to load has not come.
    QList<Waiting> m_waiting;
    QTimer m_timer;
    QThreadPool m_disk;
    QByteArray m_written;
    bool m_started = false;
    bool m_finished = false;
};
