#include "webview/WebViewSettings.h"

#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

namespace {

// A full address or the default: a hand-edited file must never leave the view with nowhere to go.
QString addressOrDefault(const QString &key, const QString &fallback)
{
    const QSettings settings(WebViewSettings::filePath(), QSettings::IniFormat);
    const QVariant value = settings.value(key);
    if (!value.canConvert<QString>())
        return fallback;
    const QUrl url(value.toString(), QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty() ? value.toString() : fallback;
}

} // namespace

namespace WebViewSettings {

QString filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/zarvo-velmora/webview.ini");
}

QString homePage()
{
    return addressOrDefault(QStringLiteral("HomePage"), DefaultHomePage);
}

QString searchPage()
{
    return addressOrDefault(QStringLiteral("SearchPage"), DefaultSearchPage);
}

} // namespace WebViewSettings
