#include "webview/engine/BrowserProfile.h"

#include "webview/engine/NotificationPresenter.h"

#include <QPointer>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace {
QWebEngineProfile *profile = nullptr;
bool offTheRecord = false;
QPointer<QWebEngineProfile> privateOne;
int privateHolders = 0;
// Long enough for a download the page asked for to reach the program.
constexpr int LingerMs = 2000;

QList<QPointer<QWebEnginePage>> &lingering()
{
    static QList<QPointer<QWebEnginePage>> pages;
    return pages;
}

// The lingering pages of the profile (of every profile, with null), at once.
void deleteLingering(const QWebEngineProfile *of)
{
    const QList<QPointer<QWebEnginePage>> pages = lingering();
    for (const QPointer<QWebEnginePage> &page : pages) {
        if (page && (!of || page->profile() == of))
            delete page.data();
    }
    lingering().removeAll(nullptr);
}

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
    deleteLingering(nullptr);
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
    deleteLingering(privateOne);
    // Later, once the last private page has gone with its window.
    privateOne->deleteLater();
    privateOne = nullptr;
}

void linger(QWebEnginePage *page)
{
    page->setParent(nullptr);
    page->triggerAction(QWebEnginePage::Stop);
    // Frozen, its scripts start nothing more; only a page no one sees may be frozen.
    page->setVisible(false);
    if (page->lifecycleState() == QWebEnginePage::LifecycleState::Active)
        page->setLifecycleState(QWebEnginePage::LifecycleState::Frozen);
    lingering().append(page);
    QTimer::singleShot(LingerMs, page, [page] {
        lingering().removeAll(page);
        page->deleteLater();
    });
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
