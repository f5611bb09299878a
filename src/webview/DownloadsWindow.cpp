#include "webview/DownloadsWindow.h"

#include "webview/DownloadManager.h"

#include <QDir>
#include <QHeaderView>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <algorithm>

namespace {

enum Column { FileColumn, ProgressColumn, CancelColumn };

// An outcome in place of the progress; a bar with no value yet would show no text at all.
void showOutcome(QProgressBar *bar, int value, const QString &text)
{
    bar->setRange(0, 100);
    bar->setValue(std::max(value, 0));
    bar->setFormat(text);
}

void showProgress(QProgressBar *bar, const QWebEngineDownloadRequest *download)
{
    switch (download->state()) {
    case QWebEngineDownloadRequest::DownloadCompleted:
        showOutcome(bar, 100, DownloadsWindow::tr("Complete"));
        return;
    case QWebEngineDownloadRequest::DownloadCancelled:
        showOutcome(bar, bar->value(), DownloadsWindow::tr("Cancelled"));
        return;
    case QWebEngineDownloadRequest::DownloadInterrupted:
        showOutcome(bar, bar->value(),
                    DownloadsWindow::tr("Failed: %1").arg(DownloadManager::failure(download)));
        return;
    default:
        break;
    }
    const qint64 total = download->totalBytes();
    const qint64 received = download->receivedBytes();
    if (total > 0) {
        bar->setRange(0, 100);
        bar->setValue(int(received * 100 / total));
        bar->setFormat(QStringLiteral("%p%"));
    } else {
        // Size unknown: a busy bar and the bytes so far.
        bar->setRange(0, 0);
        bar->setFormat(QLocale().formattedDataSize(received));
    }
}

} // namespace

DownloadsWindow *DownloadsWindow::shared()
{
    static QPointer<DownloadsWindow> window;
    if (!window)
        window = new DownloadsWindow;
    return window;
}

DownloadsWindow::DownloadsWindow() : List1(new QTreeWidget(this))
{
    setWindowTitle(tr("Downloads"));
    setObjectName(QStringLiteral("DownloadsWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // A side window of the web view: the program ends with its last browser window all the same.
    setAttribute(Qt::WA_QuitOnClose, false);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setColumnCount(3);
    List1->setHeaderLabels({tr("File"), tr("Progress"), QString()});
    List1->setRootIsDecorated(false);
    List1->header()->setSectionResizeMode(FileColumn, QHeaderView::Stretch);
    List1->header()->setStretchLastSection(false);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(List1);
    resize(480, 240);
}

void DownloadsWindow::add(QWebEngineDownloadRequest *download)
{
    const QString path = QDir(download->downloadDirectory()).filePath(download->downloadFileName());
    // A download the engine retries comes back as a new request: it takes over its old row.
    QTreeWidgetItem *item = nullptr;
    for (int i = 0; i < List1->topLevelItemCount() && !item; ++i) {
        if (List1->topLevelItem(i)->data(FileColumn, Qt::UserRole) == download->id())
            item = List1->topLevelItem(i);
    }
    if (!item) {
        item = new QTreeWidgetItem(List1);
        item->setData(FileColumn, Qt::UserRole, download->id());
    }
    item->setText(FileColumn, download->downloadFileName());
    item->setToolTip(FileColumn, QDir::toNativeSeparators(path));
    auto *bar = new QProgressBar;
    auto *cancel = new QPushButton(tr("Cancel"));
    List1->setItemWidget(item, ProgressColumn, bar);
    List1->setItemWidget(item, CancelColumn, cancel);

    const QPointer<QWebEngineDownloadRequest> guarded = download;
    const auto update = [bar, cancel, guarded] {
        if (!guarded)
            return;
        showProgress(bar, guarded);
        cancel->setEnabled(!guarded->isFinished());
    };
    connect(cancel, &QPushButton::clicked, download, &QWebEngineDownloadRequest::cancel);
    connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, bar, update);
    connect(download, &QWebEngineDownloadRequest::totalBytesChanged, bar, update);
    connect(download, &QWebEngineDownloadRequest::stateChanged, bar, update);
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, bar, update);
    update();
    List1->scrollToItem(item);
    show();
    raise();
}
