#include "webview/engine/NotificationPresenter.h"

#include "common/Product.h"
#include "webview/SiteName.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QImage>
#include <QWebEngineNotification>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWidget>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
const QString DefaultAction = QStringLiteral("default");
constexpr int LargestIcon = 128;

// Only a bus that is there: without an address, the D-Bus library would try to start one.
QDBusConnection sessionBus()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS") ||
        (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"))))
        return QDBusConnection::sessionBus();
    return QDBusConnection(QString());
}

// The service's image-data hint: width, height, row length, alpha, bits per sample, samples per
// pixel and the pixels, as RGBA.
QVariant imageData(const QImage &icon)
{
    QImage image = icon;
    if (image.width() > LargestIcon || image.height() > LargestIcon)
        image =
            image.scaled(LargestIcon, LargestIcon, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    image = image.convertToFormat(QImage::Format_RGBA8888);
    QDBusArgument argument;
    argument.beginStructure();
    argument << image.width() << image.height() << int(image.bytesPerLine()) << true << 8 << 4
             << QByteArray(reinterpret_cast<const char *>(image.constBits()),
                           qsizetype(image.sizeInBytes()));
    argument.endStructure();
    return QVariant::fromValue(argument);
}

// The main window showing a page of the notification's site, brought to the front.
void raiseWindowOf(const QUrl &origin)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        for (const QWebEngineView *view : window->findChildren<QWebEngineView *>()) {
            const QUrl shown = view->page() ? view->page()->url() : QUrl();
            if (shown.scheme() == origin.scheme() && shown.host() == origin.host() &&
                shown.port() == origin.port()) {
                window->showNormal();
                window->raise();
                window->activateWindow();
                return;
            }
        }
    }
}

} // namespace

void NotificationPresenter::install(QWebEngineProfile *profile)
{
    auto *presenter = new NotificationPresenter(profile);
    profile->setNotificationPresenter(
        [presenter](std::unique_ptr<QWebEngineNotification> notification) {
            presenter->present(std::move(notification));
        });
}

NotificationPresenter::NotificationPresenter(QWebEngineProfile *profile)
    : QObject(profile), m_bus(sessionBus())
{
    if (!m_bus.isConnected())
        return;
    m_bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                  SLOT(handleActionInvoked(uint, QString)));
    m_bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                  SLOT(handleNotificationClosed(uint, uint)));
}

void NotificationPresenter::present(std::unique_ptr<QWebEngineNotification> notification)
{
    if (!notification || !m_bus.isConnected())
        return;
    // A notification with the tag of one still shown replaces it.
    uint replaced = 0;
    for (const auto &[id, shown] : m_shown) {
        if (shown->matches(notification.get()))
            replaced = id;
    }
    QVariantMap hints{{QStringLiteral("desktop-entry"), Product::DesktopId}};
    if (!notification->icon().isNull())
        hints.insert(QStringLiteral("image-data"), imageData(notification->icon()));
    QDBusMessage notify =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    notify << QStringLiteral("Zarvo Velmora \u2014 %1").arg(SiteName::of(notification->origin()))
           << replaced << QString() << notification->title() << notification->message()
           << QStringList{DefaultAction, tr("Show")} << hints << -1;
    // Asked without waiting: a slow service never holds up the window.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(notify), this);
    QWebEngineNotification *raw = notification.get();
    connect(raw, &QWebEngineNotification::closed, this, [this, raw] { closeShown(raw); });
    m_pending.emplace(raw, std::move(notification));
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, raw, replaced](QDBusPendingCallWatcher *call) {
                handleNotifyReply(call, raw, replaced);
            });
}

void NotificationPresenter::handleNotifyReply(QDBusPendingCallWatcher *watcher,
                                              QWebEngineNotification *notification, uint replaced)
{
    watcher->deleteLater();
    const auto pending = m_pending.find(notification);
    if (pending == m_pending.end())
        return;
    std::unique_ptr<QWebEngineNotification> owned = std::move(pending->second);
    m_pending.erase(pending);
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError())
        return;
    if (replaced != 0)
        m_shown.erase(replaced);
    owned->show();
    m_shown[reply.value()] = std::move(owned);
}

void NotificationPresenter::closeShown(QWebEngineNotification *notification)
{
    // Closed by the page: the desktop takes it away too. One still waiting for its id is dropped.
    // Either is deleted later: the engine is still inside the signal that closed it.
    const auto pending = m_pending.find(notification);
    if (pending != m_pending.end()) {
        pending->second.release()->deleteLater();
        m_pending.erase(pending);
        return;
    }
    for (auto shown = m_shown.begin(); shown != m_shown.end(); ++shown) {
        if (shown->second.get() != notification)
            continue;
        m_bus.asyncCall(QDBusMessage::createMethodCall(Service, Path, Interface,
                                                       QStringLiteral("CloseNotification"))
                        << shown->first);
        shown->second.release()->deleteLater();
        m_shown.erase(shown);
        return;
    }
}

void NotificationPresenter::handleActionInvoked(uint id, const QString &action)
{
    const auto shown = m_shown.find(id);
    if (shown == m_shown.end() || action != DefaultAction)
        return;
    raiseWindowOf(shown->second->origin());
    shown->second->click();
}

void NotificationPresenter::handleNotificationClosed(uint id, uint reason)
{
    Q_UNUSED(reason)
    const auto shown = m_shown.find(id);
    if (shown == m_shown.end())
        return;
    std::unique_ptr<QWebEngineNotification> notification = std::move(shown->second);
    m_shown.erase(shown);
    // The page hears it closed; the object goes once the engine is done with it.
    disconnect(notification.get(), &QWebEngineNotification::closed, this, nullptr);
    notification->close();
    notification.release()->deleteLater();
}
