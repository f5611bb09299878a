#pragma once

#include <QWidget>

class QTreeWidget;
class QWebEngineDownloadRequest;

// The downloads of this run, each with its progress or outcome and a Cancel button while it
// runs. One shared window, shown whenever a download starts.
class DownloadsWindow : public QWidget {
    Q_OBJECT

  public:
    static DownloadsWindow *shared();

    void add(QWebEngineDownloadRequest *download);

    QTreeWidget *List1;

  private:
    DownloadsWindow();
};
