#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>

class QWebEngineDownloadRequest;
class QWebEnginePage;
class QWebEngineProfile;
class QWidget;

// Every download of a profile: where it goes (asked, or the download folder, per the settings),
// never over an existing file unless the user says so, followed to its end in the downloads
// list and the status text of the page that started it.
class DownloadManager : public QObject {
    Q_OBJECT

public:
    // The profile's one manager, made and connected on first use.
    static DownloadManager *of(QWebEngineProfile *profile);

    // A path in the folder for the file name that names no existing file and none of the taken
    // paths: "name.ext", "name (1).ext", "name (2).ext", ...
    static QString unusedPath(const QString &folder, const QString &fileName,
                              const QSet<QString> &taken = {});
    // A name the site suggested, made safe to save under: no control characters (C0, DEL, C1),
    // no path separators; "download" when nothing is left.
    static QString safeFileName(const QString &suggested);

    // Why a download failed, in words.
    static QString failure(const QWebEngineDownloadRequest *download);

signals:
    void statusText(QWebEnginePage *page, const QString &text);

private:
    explicit DownloadManager(QWebEngineProfile *profile);

    void handleDownloadRequested(QWebEngineDownloadRequest *download);
    // The path the user agreed to; empty when the download is not wanted.
    QString target(const QString &fileName, QWidget *parent);

    // Names are chosen as downloads start, before their files exist: a name handed out stays
    // taken until its download ends, so downloads started together never share a file.
    void reserve(QWebEngineDownloadRequest *download, const QString &path);

    // Downloads a page starts without a click: the first of a site waits, paused, for one
    // question per site and run; those that come meanwhile wait with it. The path in the
    // download folder where it goes, or empty when the site was refused (or there is no folder).
    QString placeWithoutClick(QWebEngineDownloadRequest *download, const QString &fileName);
    void holdForAnswer(QWebEngineDownloadRequest *download, const QString &site, QWidget *parent);
    void askAboutDownloads(const QString &site, QWidget *parent);
    static QString siteOf(const QWebEngineDownloadRequest *download);
    // Into the downloads list and the status text; a retried download is not announced again.
    void follow(QWebEngineDownloadRequest *download, bool announce);
    // The downloads window, over the main window of the page that started the download.
    static void showDownloads(QWebEnginePage *page);
    // The folder a saved file lies in, as the user writes it.
    static QString folderOf(const QString &path);

    // Where each download of this run went, by the engine's id for it.
    QHash<quint32, QString> m_placed;
    QSet<QString> m_reserved;
    // Each site's answer to the question about downloads without a click, for this run.
    QHash<QString, bool> m_sitesAllowed;
    QHash<QString, QList<QPointer<QWebEngineDownloadRequest>>> m_waiting;
};
