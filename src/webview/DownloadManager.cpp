#include "webview/DownloadManager.h"

#include "webview/DownloadsWindow.h"
#include "webview/Prompter.h"
#include "webview/WebViewSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaEnum>
#include <QPointer>
#include <QWebEngineDownloadRequest>
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

QString DownloadManager::unusedPath(const QString &folder, const QString &fileName)
{
    const QDir dir(folder);
    QString path = dir.filePath(fileName);
    const QFileInfo name(fileName);
    const QString base = name.completeBaseName();
    const QString suffix =
        name.suffix().isEmpty() || base.isEmpty() ? QString() : QLatin1Char('.') + name.suffix();
    const QString stem = suffix.isEmpty() ? fileName : base;
    for (int n = 1; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = dir.filePath(QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix));
    return path;
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
        if (path.isEmpty()) {
            QWidget *view = download->page() ? QWebEngineView::forPage(download->page()) : nullptr;
            path = target(download->downloadFileName(), view ? view->window() : nullptr);
        }
        // The engine wants the answer before this returns; unanswered, it cancels the download.
        if (path.isEmpty())
            return;
        const QFileInfo file(path);
        download->setDownloadDirectory(file.absolutePath());
        download->setDownloadFileName(file.fileName());
        download->accept();
    }
    m_placed.insert(download->id(),
                    QDir(download->downloadDirectory()).filePath(download->downloadFileName()));
    follow(download, !retry);
}

QString DownloadManager::target(const QString &fileName, QWidget *parent)
{
    const WebViewSettings::Values settings = WebViewSettings::load();
    const QString name = fileName.isEmpty() ? tr("download") : fileName;
    if (!settings.askWhereToSave && QDir().mkpath(settings.downloadFolder))
        return unusedPath(settings.downloadFolder, name);

    // Asked, or the folder cannot be made: the user picks the place.
    Prompter &prompter = Prompter::current();
    QString path = QDir(settings.downloadFolder).filePath(name);
    for (;;) {
        path = prompter.saveAs(parent, path);
        if (path.isEmpty())
            return {};
        if (!QFileInfo::exists(path) || prompter.overwrite(parent, path))
            return path;
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
