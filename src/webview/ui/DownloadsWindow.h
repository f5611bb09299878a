#pragma once

#include <QWidget>

template <typename Window> class SharedWindow;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWebEngineDownloadRequest;

// The downloads of this run, each with its name, size, progress and outcome: Cancel while it
// runs, Open and Show in folder once it is saved. One shared window, opened when a download
// starts.
class DownloadsWindow : public QWidget {
    Q_OBJECT

public:
    static DownloadsWindow *shared();

    // Lists the download; the window itself is not shown. A held download waits for the user's
    // answer: it shows as saved only once settled at its place.
    void add(QWebEngineDownloadRequest *download, bool held = false);
    // A held download's end: saved at the path or, without one, ended with the outcome
    // ("Cancelled", "Failed: ...").
    void settle(QWebEngineDownloadRequest *download, const QString &path, const QString &outcome);
    // Shows the window; one not yet on screen opens centred on the anchor's window.
    void open(const QWidget *anchor);
    // Why a download failed, in words.
    static QString failure(const QWebEngineDownloadRequest *download);

    QTreeWidget *List1;
    // "Clear finished".
    QPushButton *Command1;

private:
    friend class SharedWindow<DownloadsWindow>;
    DownloadsWindow();

    QTreeWidgetItem *row(quint32 id) const;
    // The row's progress, size and buttons as its download and its hold stand.
    void refresh(QTreeWidgetItem *item, const QWebEngineDownloadRequest *download);
    // The saved file of a finished row, or its folder, in the desktop's program for it.
    void openFile(QTreeWidgetItem *item);
    void showInFolder(QTreeWidgetItem *item);
    // Drops every row whose download has ended, however it ended.
    void clearFinished();
};
