#pragma once

#include "webview/engine/DownloadHolding.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QThreadPool>

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
    // Whatever is still held for an answer goes with it.
    ~DownloadManager() override;

    // A path in the folder for the file name that names no existing file and none of the taken
    // paths: "name.ext", "name (1).ext", "name (2).ext", ..., each within the length a file
    // system allows a name.
    static QString unusedPath(const QString &folder, const QString &fileName,
                              const QSet<QString> &taken = {});
    // A name the site suggested, made safe to save under and shown as it reads: no control
    // characters (C0, DEL, C1), no bidirectional controls, no path separators, at most 255 bytes
    // with its extension kept; "download" when nothing is left.
    static QString safeFileName(const QString &suggested);

    // The page the download came from, or null. The engine's own page() crashes on a page that
    // is gone (a download that first arrives, or is asked for again, once its window has
    // closed), so each download's page is found once, as it first arrives, and remembered.
    static QWebEnginePage *pageOf(const QWebEngineDownloadRequest *download);

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

    // Downloads a page starts without a click: the first of a site asks one question per site
    // and run. Until it is answered, they and those that come meanwhile are written into the
    // private holding folder, never where the user could see or open them; Yes moves each into
    // the download folder once it has finished, No deletes them.
    struct Held {
        QPointer<QWebEngineDownloadRequest> download;
        QPointer<QWebEnginePage> page;
        QString name; // the name it asks for in the download folder
        QString site;
        bool allowed = false;
    };
    // The path in the download folder where it goes, or empty when the site was refused (or
    // there is no folder).
    QString placeWithoutClick(const QString &fileName);
    void hold(QWebEngineDownloadRequest *download, const QString &name, QWidget *parent);
    void askAboutDownloads(const QString &site, const QPointer<QWidget> &parent, bool hadParent);
    // A held download that has ended in the engine: moved out once allowed, else it waits.
    void heldFinished(quint32 id);
    void moveOut(quint32 id);
    void movedOut(quint32 id, const QString &reserved, const DownloadHolding::Placed &placed);
    // Refused: cancelled while it arrives, its file deleted.
    void discard(quint32 id);
    static QString siteOf(const QWebEngineDownloadRequest *download);
    // Into the downloads list and the status text; a retried download is not announced again,
    // and a held one does not open the downloads window over its question.
    void follow(QWebEngineDownloadRequest *download, bool announce, bool held);
    // The downloads window, over the main window of the page that started the download.
    static void showDownloads(QWebEnginePage *page);
    // The folder a saved file lies in, as the user writes it.
    static QString folderOf(const QString &path);

    // Where each download of this run went, by the engine's id for it.
    QHash<quint32, QString> m_placed;
    QSet<QString> m_reserved;
    // Each site's answer to the question about downloads without a click, for this run.
    QHash<QString, bool> m_sitesAllowed;
    QSet<QString> m_asking;
    QHash<quint32, Held> m_held;
    DownloadHolding m_holding;
    // Moves of finished files out of the holding folder, off the user interface thread.
    QThreadPool m_moves;
};
