#include "webview/engine/DownloadManager.h"

#include "webview/Prompter.h"
#include "webview/SiteName.h"
#include "webview/WebViewSettings.h"
#include "webview/engine/UserGestures.h"
#include "webview/ui/DownloadsWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaEnum>
#include <QPointer>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <cstring>

DownloadManager *DownloadManager::of(QWebEngineProfile *profile)
{
    if (auto *manager =
            profile->findChild<DownloadManager *>(QString(), Qt::FindDirectChildrenOnly))
        return manager;
    return new DownloadManager(profile);
}

DownloadManager::DownloadManager(QWebEngineProfile *profile) : QObject(profile)
{
    connect(profile, &QWebEngineProfile::downloadRequested, this,
            &DownloadManager::handleDownloadRequested);
    // What a run that crashed left held: not on the way to the first window.
    m_moves.start(&DownloadHolding::sweep);
}

DownloadManager::~DownloadManager()
{
    // A file the user said Yes to finishes its move before its holding folder goes.
    m_moves.waitForDone();
    m_holding.clear();
}

namespace {

// The most a file system (ext4, btrfs, xfs and the others) allows in one name.
constexpr qsizetype NameLimit = 255;
// A longer extension is no extension worth keeping: the name is cut at its end instead.
constexpr qsizetype ExtensionLimit = 64;

qsizetype utf8Size(char32_t code)
{
    return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
}

qsizetype utf8Size(const QString &text)
{
    return text.toUtf8().size();
}

// As much of the text as fits in the bytes, never cutting a character in two.
QString cutTo(const QString &text, qsizetype bytes)
{
    QString cut;
    qsizetype used = 0;
    for (const char32_t code : text.toUcs4()) {
        used += utf8Size(code);
        if (used > bytes)
            break;
        cut.append(QString::fromUcs4(&code, 1));
    }
    return cut;
}

// A name in two parts: what may be shortened, and the extension that stays (with its dot).
std::pair<QString, QString> stemAndExtension(const QString &fileName)
{
    const QFileInfo name(fileName);
    const QString base = name.completeBaseName();
    const QString suffix = name.suffix();
    if (suffix.isEmpty() || base.isEmpty() || utf8Size(suffix) >= ExtensionLimit)
        return {fileName, QString()};
    return {base, QLatin1Char('.') + suffix};
}

// The stem shortened so that it fits before the tail in one name.
QString fitted(const QString &stem, const QString &tail)
{
    return cutTo(stem, NameLimit - utf8Size(tail)) + tail;
}

// Marks that turn the order text is shown in: a name could read as another than it is
// ("invoice<RLO>txt.exe" shows as "invoiceexe.txt").
bool isBidiControl(char16_t code)
{
    return (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069) ||
           code == 0x200E || code == 0x200F || code == 0x061C;
}

} // namespace

QString DownloadManager::unusedPath(const QString &folder, const QString &fileName,
                                    const QSet<QString> &taken)
{
    const QDir dir(folder);
    const auto [stem, extension] = stemAndExtension(fileName);
    QString path = dir.filePath(fitted(stem, extension));
    for (int n = 1; QFileInfo::exists(path) || QFileInfo(path).isSymLink() || taken.contains(path);
         ++n)
        path = dir.filePath(
            fitted(stem, QStringLiteral(" (") + QString::number(n) + QLatin1Char(')') + extension));
    return path;
}

QString DownloadManager::safeFileName(const QString &suggested)
{
    QString name;
    name.reserve(suggested.size());
    for (const QChar c : suggested) {
        const char16_t code = c.unicode();
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F) || c == u'/' || c == u'\\' ||
            isBidiControl(code))
            continue;
        name.append(c);
    }
    // "." and ".." would name the folder or the one above it.
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("download");
    const auto [stem, extension] = stemAndExtension(name);
    return fitted(stem, extension);
}

void DownloadManager::handleDownloadRequested(QWebEngineDownloadRequest *download)
{
    // The engine retries a broken download by asking again for the same one: it goes on in the
    // file already chosen, without a second question.
    const bool retry = m_placed.contains(download->id());
    const auto held = m_held.find(download->id());
    if (held != m_held.end())
        held->download = download;
    // A page saved by the program itself arrives already under way, its path chosen.
    if (download->state() == QWebEngineDownloadRequest::DownloadRequested) {
        QString path = m_placed.value(download->id());
        QWidget *view = pageOf(download) ? QWebEngineView::forPage(pageOf(download)) : nullptr;
        QWidget *window = view ? view->window() : nullptr;
        bool holdIt = false;
        QString name;
        if (path.isEmpty()) {
            name = safeFileName(download->downloadFileName());
            const QString site = siteOf(download);
            // Saving the page is always the person's own command.
            if (download->isSavePageDownload() || UserGestures::take(pageOf(download))) {
                path = target(name, window);
            } else if (m_sitesAllowed.contains(site)) {
                path = m_sitesAllowed.value(site) ? placeWithoutClick(name) : QString();
            } else {
                // Without a private place to wait in, it cannot wait: it is not downloaded.
                const QString folder = m_holding.folderFor(download->id());
                path = folder.isEmpty() ? QString() : QDir(folder).filePath(name);
                holdIt = true;
            }
        }
        // The engine wants the answer before this returns; unanswered, it cancels the download.
        if (path.isEmpty())
            return;
        const QFileInfo file(path);
        download->setDownloadDirectory(file.absolutePath());
        download->setDownloadFileName(file.fileName());
        download->accept();
        if (holdIt)
            hold(download, name, window);
        else if (held == m_held.end())
            reserve(download, path);
    }
    m_placed.insert(download->id(),
                    QDir(download->downloadDirectory()).filePath(download->downloadFileName()));
    follow(download, !retry, m_held.contains(download->id()));
    if (m_held.contains(download->id())) {
        const quint32 id = download->id();
        // Paused while unanswered, so an ignored question costs little; small files may end
        // before the pause comes.
        const auto pauseWhileWaiting = [this, download, id] {
            if (m_held.contains(id) && !m_held.value(id).allowed &&
                download->state() == QWebEngineDownloadRequest::DownloadInProgress &&
                !download->isPaused())
                download->pause();
        };
        connect(download, &QWebEngineDownloadRequest::stateChanged, this, pauseWhileWaiting);
        // The engine makes the file, and remakes its permissions as it finishes: 0600 all along.
        const QString path = m_placed.value(id);
        const auto keepPrivate = [this, id, path] {
            if (!m_held.contains(id))
                return;
            // It is written under a name of the engine's own until it is whole.
            for (const QString &file : {path, path + QStringLiteral(".download")})
                QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        };
        connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this, keepPrivate);
        connect(download, &QWebEngineDownloadRequest::stateChanged, this, keepPrivate);
        connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this,
                [this, download, id] {
                    if (download->isFinished())
                        heldFinished(id);
                });
        pauseWhileWaiting();
    }
}

QString DownloadManager::target(const QString &name, QWidget *parent)
{
    const WebViewSettings::Values settings = WebViewSettings::load();
    if (!settings.askWhereToSave && QDir().mkpath(settings.downloadFolder))
        return unusedPath(settings.downloadFolder, name, m_reserved);

    // Asked, or the folder cannot be made: the user picks the place.
    Prompter &prompter = Prompter::current();
    QString path = QDir(settings.downloadFolder).filePath(name);
    for (;;) {
        path = prompter.saveAs(parent, path);
        if (path.isEmpty())
            return {};
        // A name another download is writing to counts as taken too.
        if ((!QFileInfo::exists(path) && !m_reserved.contains(path)) ||
            prompter.overwrite(parent, path))
            return path;
    }
}

void DownloadManager::reserve(QWebEngineDownloadRequest *download, const QString &path)
{
    m_reserved.insert(path);
    const QPointer<QWebEngineDownloadRequest> watched(download);
    const auto release = [this, path] { m_reserved.remove(path); };
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, [watched, release] {
        if (!watched || watched->isFinished())
            release();
    });
    connect(download, &QObject::destroyed, this, release);
}

namespace {

// Qt 6.4's QWebEngineDownloadRequest::page() reads the page's engine client without checking that
// there is one, and a download whose page has gone before its reply came (a window that starts a
// download and closes itself) has none: page() crashes on it. So the client is first looked for
// in the request's own record, where 6.4 keeps it; a record not laid out as 6.4 lays it out
// (its back pointer elsewhere) counts as having no page.
struct RequestRecord : QWebEngineDownloadRequest {
    static bool hasPage(const QWebEngineDownloadRequest *download)
    {
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
        static_cast<void>(download);
        return true;
#else
        constexpr std::size_t backPointerAt = 0xc8;
        constexpr std::size_t clientAt = 0xe0;
        const auto *record =
            reinterpret_cast<const char *>((download->*(&RequestRecord::d_ptr)).get());
        const void *back = nullptr;
        const void *client = nullptr;
        if (!record)
            return false;
        std::memcpy(&back, record + backPointerAt, sizeof back);
        if (back != download)
            return false;
        std::memcpy(&client, record + clientAt, sizeof client);
        return client != nullptr;
#endif
    }
};

} // namespace

QWebEnginePage *DownloadManager::pageOf(const QWebEngineDownloadRequest *download)
{
    // Keyed by profile and id: ids start again in each profile.
    static QHash<std::pair<const QObject *, quint32>, QPointer<QWebEnginePage>> pages;
    const std::pair<const QObject *, quint32> key(download->parent(), download->id());
    if (const auto known = pages.constFind(key); known != pages.cend())
        return known->data();
    QWebEnginePage *page = RequestRecord::hasPage(download) ? download->page() : nullptr;
    pages.insert(key, page);
    // A later profile at the same address must not find this download's page.
    QObject::connect(download, &QObject::destroyed, [key] { pages.remove(key); });
    return page;
}

QString DownloadManager::siteOf(const QWebEngineDownloadRequest *download)
{
    const QWebEnginePage *page = pageOf(download);
    return SiteName::of(page && !page->url().isEmpty() ? page->url() : download->url());
}

QString DownloadManager::placeWithoutClick(const QString &fileName)
{
    // No Save dialog for each: the download folder, under a name of its own.
    const QString folder = WebViewSettings::load().downloadFolder;
    if (!QDir().mkpath(folder))
        return {};
    return unusedPath(folder, fileName, m_reserved);
}

void DownloadManager::hold(QWebEngineDownloadRequest *download, const QString &name,
                           QWidget *parent)
{
    const QString site = siteOf(download);
    m_held.insert(download->id(), {download, pageOf(download), name, site, false});
    // Asked after the engine's request is answered, not inside it: the others that arrive
    // while the question is up join it rather than ask again.
    if (!m_asking.contains(site)) {
        m_asking.insert(site);
        const QPointer<QWidget> window(parent);
        const bool hadWindow = parent != nullptr;
        QTimer::singleShot(0, this, [this, site, window, hadWindow] {
            askAboutDownloads(site, window, hadWindow);
        });
    }
}

void DownloadManager::askAboutDownloads(const QString &site, const QPointer<QWidget> &parent,
                                        bool hadParent)
{
    // The window that asked is gone: so is its question, unanswered.
    const QPointer<DownloadManager> self(this);
    const bool allowed = (parent || !hadParent) && Prompter::current().allowDownloads(parent, site);
    // The question waits for its answer in an event loop of its own, long enough for the
    // program to end meanwhile.
    if (!self)
        return;
    m_asking.remove(site);
    m_sitesAllowed.insert(site, allowed);
    QWebEnginePage *shownFor = nullptr;
    for (const quint32 id : m_held.keys()) {
        Held &held = m_held[id];
        if (held.site != site || held.allowed)
            continue;
        if (!allowed) {
            discard(id);
            continue;
        }
        held.allowed = true;
        shownFor = held.page;
        if (!held.download)
            continue;
        if (held.download->isFinished())
            heldFinished(id);
        else if (held.download->isPaused())
            held.download->resume();
    }
    // The downloads window waited for the answer, so as not to cover the question.
    if (allowed)
        showDownloads(shownFor);
}

void DownloadManager::heldFinished(quint32 id)
{
    const auto held = m_held.constFind(id);
    if (held == m_held.cend() || !held->download)
        return;
    switch (held->download->state()) {
    case QWebEngineDownloadRequest::DownloadCompleted:
        QFile::setPermissions(m_placed.value(id), QFile::ReadOwner | QFile::WriteOwner);
        if (held->allowed)
            moveOut(id);
        return;
    case QWebEngineDownloadRequest::DownloadCancelled:
        m_holding.discard(id);
        m_held.remove(id);
        return;
    default:
        // Broken: the engine may still try it again, in the same file.
        return;
    }
}

void DownloadManager::moveOut(quint32 id)
{
    const Held &held = m_held[id];
    const QString folder = WebViewSettings::load().downloadFolder;
    const QString path = unusedPath(folder, held.name, m_reserved);
    m_reserved.insert(path);
    const QString file = m_placed.value(id);
    const QString name = held.name;
    m_moves.start([this, id, file, path, name] {
        const DownloadHolding::Placed placed = DownloadHolding::moveInto(file, path, name);
        QMetaObject::invokeMethod(
            this, [this, id, path, placed] { movedOut(id, path, placed); }, Qt::QueuedConnection);
    });
}

void DownloadManager::movedOut(quint32 id, const QString &reserved,
                               const DownloadHolding::Placed &placed)
{
    m_reserved.remove(reserved);
    const Held held = m_held.take(id);
    m_holding.discard(id);
    if (!held.download)
        return;
    const QString name = held.download->downloadFileName();
    if (placed.path.isEmpty()) {
        DownloadsWindow::shared()->settle(held.download, {}, tr("Failed: %1").arg(placed.error));
        emit statusText(held.page, tr("Download of %1 failed: %2").arg(name, placed.error));
        return;
    }
    m_placed.insert(id, placed.path);
    DownloadsWindow::shared()->settle(held.download, placed.path, {});
    emit statusText(
        held.page,
        tr("Saved %1 to %2").arg(QFileInfo(placed.path).fileName(), folderOf(placed.path)));
}

void DownloadManager::discard(quint32 id)
{
    const Held held = m_held.take(id);
    if (held.download && !held.download->isFinished()) {
        // Its own cancellation says so in the list and the status text.
        held.download->cancel();
    } else if (held.download) {
        DownloadsWindow::shared()->settle(held.download, {}, DownloadsWindow::tr("Cancelled"));
        emit statusText(held.page,
                        tr("Download cancelled: %1").arg(held.download->downloadFileName()));
    }
    m_holding.discard(id);
}

void DownloadManager::follow(QWebEngineDownloadRequest *download, bool announce, bool held)
{
    const QPointer<QWebEnginePage> page = pageOf(download);
    const QString name = download->downloadFileName();
    const QString path = QDir(download->downloadDirectory()).filePath(name);
    const quint32 id = download->id();
    DownloadsWindow::shared()->add(download, held);
    // A page the user saved with Save As is no download to watch: it is listed, not shown.
    if (announce && !download->isSavePageDownload() && !held)
        showDownloads(page);
    if (announce)
        emit statusText(page, tr("Downloading %1\u2026").arg(name));
    connect(
        download, &QWebEngineDownloadRequest::stateChanged, this,
        [this, page, download, name, path, id](QWebEngineDownloadRequest::DownloadState state) {
            switch (state) {
            case QWebEngineDownloadRequest::DownloadCompleted:
                // A held file is saved once it has left the holding folder, if ever.
                if (!m_held.contains(id))
                    emit statusText(page, tr("Saved %1 to %2").arg(name, folderOf(path)));
                break;
            case QWebEngineDownloadRequest::DownloadCancelled:
                emit statusText(page, tr("Download cancelled: %1").arg(name));
                break;
            case QWebEngineDownloadRequest::DownloadInterrupted:
                emit statusText(
                    page,
                    tr("Download of %1 failed: %2").arg(name, DownloadsWindow::failure(download)));
                break;
            default:
                break;
            }
        });
}

void DownloadManager::showDownloads(QWebEnginePage *page)
{
    const QWidget *view = page ? QWebEngineView::forPage(page) : nullptr;
    DownloadsWindow::shared()->open(view ? view->window() : nullptr);
}

QString DownloadManager::folderOf(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absolutePath());
}
