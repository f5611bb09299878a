#pragma once

#include <QHash>
#include <QObject>

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

    // A path in the folder for the file name that names no existing file: "name (1).ext", ...
    static QString unusedPath(const QString &folder, const QString &fileName);

    // Why a download failed, in words.
    static QString failure(const QWebEngineDownloadRequest *download);

  signals:
    void statusText(QWebEnginePage *page, const QString &text);

  private:
    explicit DownloadManager(QWebEngineProfile *profile);

    void handleDownloadRequested(QWebEngineDownloadRequest *download);
    // The path the user agreed to; empty when the download is not wanted.
    static QString target(const QString &fileName, QWidget *parent);
    // Into the downloads list and the status text; a retried download is not announced again.
    void follow(QWebEngineDownloadRequest *download, bool announce);
    // The downloads window, over the main window of the page that started the download.
    static void showDownloads(QWebEnginePage *page);
    // The folder a saved file lies in, as the user writes it.
    static QString folderOf(const QString &path);

    // Where each download of this run went, by the engine's id for it.
    QHash<quint32, QString> m_placed;
};
