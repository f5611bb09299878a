#include "webview/ColorScheme.h"

#include "webview/WebViewSettings.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

constexpr const char *EngineFlags = "QTWEBENGINE_CHROMIUM_FLAGS";
constexpr int PortalWaitMs = 200;
ColorScheme::Scheme decided = ColorScheme::Scheme::Light;

// The engine's own numbering of its preferred colour schemes.
QByteArray engineValue(ColorScheme::Scheme scheme)
{
    return scheme == ColorScheme::Scheme::Dark ? QByteArrayLiteral("0") : QByteArrayLiteral("1");
}

// Only a bus that is there: without an address, the D-Bus library would try to start one.
bool sessionBusKnown()
{
    if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

std::optional<ColorScheme::Scheme> askPortal()
{
    if (!sessionBusKnown())
        return std::nullopt;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return std::nullopt;
    QDBusMessage read = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("Read"));
    read << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme");
    const QDBusMessage reply = bus.call(read, QDBus::Block, PortalWaitMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    // The portal wraps the value in a variant, some versions twice.
    QVariant value = reply.arguments().constFirst();
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    bool ok = false;
    const uint scheme = value.toUInt(&ok);
    return ok ? ColorScheme::fromPortal(scheme) : std::nullopt;
}

std::optional<ColorScheme::Scheme> askGtk()
{
    const QString environmentTheme = qEnvironmentVariable("GTK_THEME").toLower();
    if (environmentTheme.endsWith(u":dark") || environmentTheme.endsWith(u"-dark"))
        return ColorScheme::Scheme::Dark;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    for (const QString &version : {QStringLiteral("gtk-4.0"), QStringLiteral("gtk-3.0")}) {
        QFile ini(config + u'/' + version + QStringLiteral("/settings.ini"));
        if (!QFileInfo(ini.fileName()).isFile() || !ini.open(QIODevice::ReadOnly))
            continue;
        if (const auto scheme = ColorScheme::fromGtkSettings(ini.read(256 * 1024)))
            return scheme;
    }
    return std::nullopt;
}

} // namespace

namespace ColorScheme {

std::optional<Scheme> fromSetting(const QString &setting)
{
    const QString value = setting.trimmed().toLower();
    if (value == u"dark")
        return Scheme::Dark;
    if (value == u"light")
        return Scheme::Light;
    return std::nullopt;
}

std::optional<Scheme> fromPortal(uint value)
{
    if (value == 1)
        return Scheme::Dark;
    if (value == 2)
        return Scheme::Light;
    return std::nullopt;
}

std::optional<Scheme> fromGtkSettings(const QByteArray &ini)
{
    std::optional<Scheme> scheme;
    bool inSettings = false;
    for (const QByteArray &rawLine : ini.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inSettings = line == "[Settings]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inSettings || equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed().toLower();
        if (key == "gtk-application-prefer-dark-theme") {
            if (value == "1" || value == "true")
                return Scheme::Dark;
            if (value == "0" || value == "false")
                scheme = Scheme::Light;
        } else if (key == "gtk-theme-name" && value.endsWith("-dark")) {
            return Scheme::Dark;
        }
    }
    return scheme;
}

QByteArray withEngineSwitch(const QByteArray &flags, Scheme scheme)
{
    if (flags.contains("preferredColorScheme") || flags.contains("--force-dark-mode"))
        return flags;
    const QByteArray setting = "preferredColorScheme=" + engineValue(scheme);
    // The engine takes the last of repeated switches: one of the user's blink settings gets ours
    // added rather than a second switch that would hide it.
    const QByteArray blinkSettings = "--blink-settings=";
    const qsizetype at = flags.indexOf(blinkSettings);
    if (at >= 0) {
        QByteArray result = flags;
        return result.insert(at + blinkSettings.size(), setting + ',');
    }
    const QByteArray trimmed = flags.trimmed();
    return (trimmed.isEmpty() ? QByteArray() : trimmed + ' ') + blinkSettings + setting;
}

Scheme desktop()
{
    if (const auto scheme = askPortal())
        return *scheme;
    return askGtk().value_or(Scheme::Light);
}

void beforeEngine()
{
    const std::optional<Scheme> chosen = fromSetting(WebViewSettings::colorScheme());
    decided = chosen ? *chosen : desktop();
    qputenv(EngineFlags, withEngineSwitch(qgetenv(EngineFlags), decided));
}

Scheme current()
{
    return decided;
}

} // namespace ColorScheme
