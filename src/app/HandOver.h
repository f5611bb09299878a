#pragma once

#include <QObject>
#include <QString>
#include <sys/types.h>

class QLocalServer;
class QLocalSocket;
class QThread;

// One browser per web profile. The engine locks a profile's site storage for the process that
// opened it first, so a second process on the same profile would silently lose what pages store.
// The first start therefore listens on a local socket named after the profile's data folder, in
// the user's private runtime folder; a later start hands its working folder and its address over
// and ends, and the running browser opens the window.
class HandOver : public QObject {
    Q_OBJECT

public:
    enum class Outcome {
        // This start is the browser of the profile: later starts come to it.
        Listening,
        // The running browser opens the window; this start ends.
        HandedOver,
        // A running browser has the profile but works in another folder, with other lists.
        Elsewhere,
        // No private socket could be had: this start runs on its own, as if it were the only one.
        Alone,
    };

    explicit HandOver(const QString &dataFolder, QObject *parent = nullptr);
    ~HandOver() override;

    // Hands this start over to the browser running for the profile, or becomes that browser.
    Outcome start(const QString &address);
    // Stops taking hand-overs, as the program ends.
    void stop();

    // The socket of a profile's data folder inside a runtime folder.
    static QString socketPath(const QString &runtimeFolder, const QString &dataFolder);

signals:
    // A later start in this browser's folder asks for a window on the address (empty: the home
    // page).
    void windowRequested(const QString &address);

private:
    // Asks the browser at the socket; nothing when nobody of this user answers within a second.
    bool ask(const QString &address, Outcome *outcome);
    bool listen();
    // On the listening thread.
    void serve(QLocalSocket *socket);
    void answer(QLocalSocket *socket);

    QString m_dataFolder;
    QString m_path;
    QString m_workingFolder;
    QLocalServer *m_server = nullptr;
    QThread *m_thread = nullptr;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};
