#include "webview/BrowserProfile.h"

#include <QStandardPaths>
#include <QWebEngineProfile>

namespace {
QWebEngineProfile *profile = nullptr;
}

namespace BrowserProfile {

QWebEngineProfile *shared()
{
    if (!profile) {
        profile = new QWebEngineProfile(QStringLiteral("zarvo-velmora"));
        const QString folder = QStringLiteral("/zarvo-velmora");
        profile->setPersistentStoragePath(
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + folder);
        profile->setCachePath(
            QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + folder);
        profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    }
    return profile;
}

void release()
{
    delete profile;
    profile = nullptr;
}

} // namespace BrowserProfile
