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

    // Lists the download; the window itself is not shown.
    void add(QWebEngineDownloadRequest *download);
    // Shows the window; one not yet on screen opens centred on the anchor's window.
    void open(const QWidget *anchor);

    QTreeWidget *List1;
    // "Clear finished".
    QPushButton *Command1;

private:
    friend class SharedWindow<DownloadsWindow>;
    DownloadsWindow();

    // The saved file of a finished row, or its folder, in the desktop's program for it.
    void openFile(QTreeWidgetItem *item);
    void showInFolder(QTreeWidgetItem *item);
    // Drops every row whose download has ended, however it ended.
    void clearFinished();
};
