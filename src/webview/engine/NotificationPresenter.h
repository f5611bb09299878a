#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QWebEngineNotification>
#include <map>
#include <memory>

class QDBusPendingCallWatcher;
class QWebEngineProfile;

// Shows a page's notifications through the desktop's notification service
// (org.freedesktop.Notifications on the session bus) instead of the engine's bare tray pop-up: a
// click raises the page's main window and tells the page, and the page hears when one closes.
// Without a session bus or a service nothing is shown and nothing fails.
class NotificationPresenter : public QObject {
    Q_OBJECT

public:
    // Owned by the profile; its pages' notifications come here from now on.
    static void install(QWebEngineProfile *profile);

private:
    explicit NotificationPresenter(QWebEngineProfile *profile);
    void present(std::unique_ptr<QWebEngineNotification> notification);
    void handleNotifyReply(QDBusPendingCallWatcher *watcher, QWebEngineNotification *notification,
                           uint replaced);
    void closeShown(QWebEngineNotification *notification);

private slots:
    void handleActionInvoked(uint id, const QString &action);
    void handleNotificationClosed(uint id, uint reason);

private:
    QDBusConnection m_bus;
    // Shown by the desktop, by its id there; and those still waiting for their id.
    std::map<uint, std::unique_ptr<QWebEngineNotification>> m_shown;
    std::map<QWebEngineNotification *, std::unique_ptr<QWebEngineNotification>> m_pending;
};
