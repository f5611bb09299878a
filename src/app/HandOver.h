#pragma once

#include "common/FileLock.h"

#include <QObject>
#include <QString>
#include <optional>
#include <sys/types.h>

class QLocalServer;
class QLocalSocket;
class QThread;

// One browser per web profile. The engine locks a profile's site storage for the process that
// opened it first, so a second process on the same profile would silently lose what pages store.
// The browser of a profile is the process that holds the profile's lock (an flock held for the
// whole run, which the kernel lets go when the process ends, however it ends). It listens on a
// local socket named after the profile's data folder, in the user's private folder (see
// PrivateFolder); a later start hands its working folder and its address over and ends, and the
// running browser opens the window.
class HandOver : public QObject {
    Q_OBJECT

public:
    enum class Outcome {
        // The running browser opens the window; this start ends.
        HandedOver,
        // A running browser has the profile but works in another folder, with other lists.
        Elsewhere,
        // No browser answered: this start is to become the browser of the profile (listen()).
        Unanswered,
        // No private socket can be had: this start is the profile's browser, but cannot listen.
        Alone,
        // A browser has the profile but did not answer for a while (stopped, hung): this start
        // keeps nothing on disk rather than run a second browser on the profile.
        Unresponsive,
    };

    explicit HandOver(const QString &dataFolder, QObject *parent = nullptr);
    ~HandOver() override;

    // Hands this start over to the browser running for the profile, waiting for it up to
    // PatienceMs. Needs no application object, so a start that hands over ends before it has made
    // one. When nobody answered, this start holds the profile from now on, and later starts wait
    // until it listens (or ends).
    Outcome ask(const QString &address, bool isPrivate = false);
    // Becomes the browser that later starts find; false when it cannot.
    bool listen();
    // Stops taking hand-overs, as the program ends.
    void stop();

    // The socket of a profile's data folder inside a private folder.
    static QString socketPath(const QString &runtimeFolder, const QString &dataFolder);

    static constexpr int PatienceMs = 5000;

signals:
    // A later start in this browser's folder asks for a window on the address (empty: the home
    // page), a private one or not.
    void windowRequested(const QString &address, bool isPrivate);

private:
    // Asks the browser at the socket; false when nobody of this user answers by the deadline.
    bool askRunning(const QString &address, bool isPrivate, Outcome *outcome, int limitMs);
    // Takes the profile's lock; false while another process holds it.
    bool takeProfile();
    void lock();
    void unlock();
    // On the listening thread.
    void serve(QLocalSocket *socket);
    void answer(QLocalSocket *socket);
    void confirm(QLocalSocket *socket, const QString &address, bool isPrivate);

    QString m_dataFolder;
    QString m_path;
    QString m_workingFolder;
    QLocalServer *m_server = nullptr;
    QThread *m_thread = nullptr;
    std::optional<FileLock> m_lock;
    std::optional<FileLock> m_profile;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};
