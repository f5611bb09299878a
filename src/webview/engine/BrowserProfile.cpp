#include "webview/engine/BrowserProfile.h"

#include "webview/engine/NotificationPresenter.h"

#include <QPointer>
#include <QStandardPaths>
#include <QWebEngineProfile>

namespace {
QWebEngineProfile *profile = nullptr;
bool offTheRecord = false;
QPointer<QWebEngineProfile> privateOne;
int privateHolders = 0;

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
    delete privateOne;
    delete profile;
    profile = nullptr;
}

QWebEngineProfile *privateProfile()
{
    // No storage name: nothing of it is written to disk.
    if (!privateOne) {
        privateOne = new QWebEngineProfile;
        NotificationPresenter::install(privateOne);
    }
    return privateOne;
}

void holdPrivate()
{
    ++privateHolders;
}

void letGoPrivate()
{
    if (--privateHolders > 0 || !privateOne)
        return;
    // Later, once the last private page has gone with its window.
    privateOne->deleteLater();
    privateOne = nullptr;
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
