#include "webview/engine/DownloadManager.h"

#include "webview/Prompter.h"
#include "webview/SiteName.h"
#include "webview/WebViewSettings.h"
#include "webview/engine/UserGestures.h"
#include "webview/ui/DownloadsWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaEnum>
#include <QPointer>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

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
}

QString DownloadManager::unusedPath(const QString &folder, const QString &fileName,
                                    const QSet<QString> &taken)
{
    const QDir dir(folder);
    QString path = dir.filePath(fileName);
    const QFileInfo name(fileName);
    const QString base = name.completeBaseName();
    const QString suffix =
        name.suffix().isEmpty() || base.isEmpty() ? QString() : QLatin1Char('.') + name.suffix();
    const QString stem = suffix.isEmpty() ? fileName : base;
    for (int n = 1; QFileInfo::exists(path) || QFileInfo(path).isSymLink() || taken.contains(path);
         ++n)
        path = dir.filePath(QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix));
    return path;
}

QString DownloadManager::safeFileName(const QString &suggested)
{
    QString name;
    name.reserve(suggested.size());
    for (const QChar c : suggested) {
        const char16_t code = c.unicode();
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F) || c == u'/' || c == u'\\')
            continue;
        name.append(c);
    }
    // "." and ".." would name the folder or the one above it.
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("download");
    return name;
}

QString DownloadManager::failure(const QWebEngineDownloadRequest *download)
{
    // The engine knows reasons its names do not cover (a reply shorter than announced, say),
    // and names those wrongly.
    const QMetaEnum reasons =
        QMetaEnum::fromType<QWebEngineDownloadRequest::DownloadInterruptReason>();
    if (!reasons.valueToKey(download->interruptReason()))
        return tr("The transfer broke off.");
    return download->interruptReasonString();
}

void DownloadManager::handleDownloadRequested(QWebEngineDownloadRequest *download)
{
    // The engine retries a broken download by asking again for the same one: it goes on in the
    // file already chosen, without a second question.
    const bool retry = m_placed.contains(download->id());
    // A page saved by the program itself arrives already under way, its path chosen.
    if (download->state() == QWebEngineDownloadRequest::DownloadRequested) {
        QString path = m_placed.value(download->id());
        QWidget *view = download->page() ? QWebEngineView::forPage(download->page()) : nullptr;
        QWidget *window = view ? view->window() : nullptr;
        bool held = false;
        if (path.isEmpty()) {
            const QString name = safeFileName(download->downloadFileName());
            // Saving the page is always the person's own command.
            if (download->isSavePageDownload() || UserGestures::take(download->page())) {
                path = target(name, window);
            } else {
                path = placeWithoutClick(download, name);
                held = !path.isEmpty() && !m_sitesAllowed.contains(siteOf(download));
            }
        }
        // The engine wants the answer before this returns; unanswered, it cancels the download.
        if (path.isEmpty())
            return;
        const QFileInfo file(path);
        download->setDownloadDirectory(file.absolutePath());
        download->setDownloadFileName(file.fileName());
        download->accept();
        reserve(download, path);
        if (held)
            holdForAnswer(download, siteOf(download), window);
    }
    m_placed.insert(download->id(),
                    QDir(download->downloadDirectory()).filePath(download->downloadFileName()));
    follow(download, !retry);
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

QString DownloadManager::siteOf(const QWebEngineDownloadRequest *download)
{
    const QWebEnginePage *page = download->page();
    return SiteName::of(page && !page->url().isEmpty() ? page->url() : download->url());
}

QString DownloadManager::placeWithoutClick(QWebEngineDownloadRequest *download,
                                           const QString &fileName)
{
    if (!m_sitesAllowed.value(siteOf(download), true))
        return {};
    // No Save dialog for each: the download folder, under a name of its own.
    const QString folder = WebViewSettings::load().downloadFolder;
    if (!QDir().mkpath(folder))
        return {};
    return unusedPath(folder, fileName, m_reserved);
}

void DownloadManager::holdForAnswer(QWebEngineDownloadRequest *download, const QString &site,
                                    QWidget *parent)
{
    QList<QPointer<QWebEngineDownloadRequest>> &waiting = m_waiting[site];
    // Asked after the engine's request is answered, not inside it: the others that arrive
    // while the question is up join it rather than ask again.
    if (waiting.isEmpty()) {
        const QPointer<QWidget> window(parent);
        QTimer::singleShot(0, this, [this, site, window] { askAboutDownloads(site, window); });
    }
    waiting.append(download);
    const auto pauseWhileWaiting = [this, download, site] {
        if (m_waiting.value(site).contains(download) &&
            download->state() == QWebEngineDownloadRequest::DownloadInProgress)
            download->pause();
    };
    connect(download, &QWebEngineDownloadRequest::stateChanged, this, pauseWhileWaiting);
    pauseWhileWaiting();
}

void DownloadManager::askAboutDownloads(const QString &site, QWidget *parent)
{
    const bool allowed = Prompter::current().allowDownloads(parent, site);
    m_sitesAllowed.insert(site, allowed);
    for (const QPointer<QWebEngineDownloadRequest> &download : m_waiting.take(site)) {
        if (!download)
            continue;
        if (!allowed)
            download->cancel();
        else if (download->isPaused())
            download->resume();
    }
}

void DownloadManager::follow(QWebEngineDownloadRequest *download, bool announce)
{
    const QPointer<QWebEnginePage> page = download->page();
    const QString name = download->downloadFileName();
    const QString path = QDir(download->downloadDirectory()).filePath(name);
    DownloadsWindow::shared()->add(download);
    // A page the user saved with Save As is no download to watch: it is listed, not shown.
    if (announce && !download->isSavePageDownload())
        showDownloads(page);
    if (announce)
        emit statusText(page, tr("Downloading %1\u2026").arg(name));
    connect(download, &QWebEngineDownloadRequest::stateChanged, this,
            [this, page, download, name, path](QWebEngineDownloadRequest::DownloadState state) {
                switch (state) {
                case QWebEngineDownloadRequest::DownloadCompleted:
                    emit statusText(page, tr("Saved %1 to %2").arg(name, folderOf(path)));
                    break;
                case QWebEngineDownloadRequest::DownloadCancelled:
                    emit statusText(page, tr("Download cancelled: %1").arg(name));
                    break;
                case QWebEngineDownloadRequest::DownloadInterrupted:
                    emit statusText(page,
                                    tr("Download of %1 failed: %2").arg(name, failure(download)));
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
