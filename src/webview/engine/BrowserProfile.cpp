#include "webview/engine/BrowserProfile.h"

#include "webview/engine/NotificationPresenter.h"

#include <QStandardPaths>
#include <QWebEngineProfile>

namespace {
QWebEngineProfile *profile = nullptr;
bool offTheRecord = false;

QString folderName()
{
    return QStringLiteral("/zarvo-velmora");
}
} // namespace

namespace BrowserProfile {

QWebEngineProfile *shared()
{
    if (!profile) {
        if (offTheRecord) {
            profile = new QWebEngineProfile;
            NotificationPresenter::install(profile);
            return profile;
        }
        profile = new QWebEngineProfile(QStringLiteral("zarvo-velmora"));
        profile->setPersistentStoragePath(dataFolder());
        profile->setCachePath(
            QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + folderName());
        profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
        NotificationPresenter::install(profile);
    }
    return profile;
}

void release()
{
    delete profile;
    profile = nullptr;
}

QString dataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + folderName();
}

void keepNothing()
{
    offTheRecord = true;
}

} // namespace BrowserProfile
