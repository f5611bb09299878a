#include "webview/ui/DownloadsWindow.h"

#include "common/ProgramIcon.h"
#include "common/SharedWindow.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMetaEnum>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <algorithm>

namespace {

enum Column { NameColumn, SizeColumn, ProgressColumn, ActionsColumn };
// What each row keeps about its download.
// A held download waits for the user's answer in a private folder: not saved yet, whatever
// the engine says. Its outcome, once dropped, stands whatever the engine says.
enum Role { IdRole = Qt::UserRole, PathRole, FinishedRole, SavedRole, HeldRole, OutcomeRole };

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
                    DownloadsWindow::tr("Failed: %1").arg(DownloadsWindow::failure(download)));
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

// The whole size once known, else what has come so far.
QString sizeOf(const QWebEngineDownloadRequest *download)
{
    const qint64 total = download->totalBytes();
    return QLocale().formattedDataSize(total > 0 ? total : download->receivedBytes());
}

QPushButton *rowButton(QWidget *parent, const char *name, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    // The row's column is as wide as its buttons when the row is made, and a download's buttons
    // change as it ends: each keeps its room while hidden, so none is squeezed then.
    QSizePolicy policy = button->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    button->setSizePolicy(policy);
    return button;
}

} // namespace

namespace {
SharedWindow<DownloadsWindow> &sharedWindow()
{
    static SharedWindow<DownloadsWindow> window;
    return window;
}
} // namespace

DownloadsWindow *DownloadsWindow::shared()
{
    return sharedWindow().instance();
}

DownloadsWindow::DownloadsWindow()
    : List1(new QTreeWidget(this)), Command1(new QPushButton(tr("Clear finished"), this))
{
    setWindowTitle(tr("Downloads"));
    setObjectName(QStringLiteral("DownloadsWindow"));
    setWindowIcon(ProgramIcon::icon());
    setAttribute(Qt::WA_ShowWithoutActivating);
    // A side window of the web view: the program ends with its last browser window all the same.
    setAttribute(Qt::WA_QuitOnClose, false);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setColumnCount(4);
    List1->setHeaderLabels({tr("Name"), tr("Size"), tr("Progress"), QString()});
    List1->setRootIsDecorated(false);
    List1->header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    List1->header()->setSectionResizeMode(ActionsColumn, QHeaderView::ResizeToContents);
    List1->header()->setStretchLastSection(false);
    Command1->setObjectName(QStringLiteral("Command1"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(List1);
    layout->addWidget(Command1, 0, Qt::AlignRight);
    resize(640, 260);

    connect(List1, &QTreeWidget::itemDoubleClicked, this, &DownloadsWindow::openFile);
    connect(Command1, &QPushButton::clicked, this, &DownloadsWindow::clearFinished);
}

void DownloadsWindow::add(QWebEngineDownloadRequest *download, bool held)
{
    const QString path = QDir(download->downloadDirectory()).filePath(download->downloadFileName());
    // A download the engine retries comes back as a new request: it takes over its old row.
    QTreeWidgetItem *item = row(download->id());
    if (!item) {
        item = new QTreeWidgetItem(List1);
        item->setData(NameColumn, IdRole, download->id());
    }
    item->setText(NameColumn, download->downloadFileName());
    item->setData(NameColumn, HeldRole, held);
    // Where a held file waits is nobody's business: it is shown once it has its place.
    item->setToolTip(NameColumn, held ? QString() : QDir::toNativeSeparators(path));
    item->setData(NameColumn, PathRole, path);
    auto *bar = new QProgressBar;
    bar->setObjectName(QStringLiteral("Progress"));
    auto *actions = new QWidget;
    auto *cancel = rowButton(actions, "Cancel", tr("Cancel"));
    auto *open = rowButton(actions, "Open", tr("Open"));
    auto *folder = rowButton(actions, "ShowInFolder", tr("Show in folder"));
    auto *layout = new QHBoxLayout(actions);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QPushButton *button : {cancel, open, folder})
        layout->addWidget(button);
    List1->setItemWidget(item, ProgressColumn, bar);
    List1->setItemWidget(item, ActionsColumn, actions);

    // The row's widgets go with the row, and their connections with them.
    const QPointer<QWebEngineDownloadRequest> guarded = download;
    const auto update = [this, item, guarded] {
        if (guarded)
            refresh(item, guarded);
    };
    connect(cancel, &QPushButton::clicked, download, &QWebEngineDownloadRequest::cancel);
    connect(open, &QPushButton::clicked, this, [this, item] { openFile(item); });
    connect(folder, &QPushButton::clicked, this, [this, item] { showInFolder(item); });
    connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, bar, update);
    connect(download, &QWebEngineDownloadRequest::totalBytesChanged, bar, update);
    connect(download, &QWebEngineDownloadRequest::stateChanged, bar, update);
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, bar, update);
    update();
    List1->scrollToItem(item);
}

void DownloadsWindow::settle(QWebEngineDownloadRequest *download, const QString &path,
                             const QString &outcome)
{
    QTreeWidgetItem *item = row(download->id());
    if (!item)
        return;
    item->setData(NameColumn, HeldRole, false);
    if (path.isEmpty()) {
        item->setData(NameColumn, OutcomeRole, outcome);
    } else {
        item->setText(NameColumn, QFileInfo(path).fileName());
        item->setToolTip(NameColumn, QDir::toNativeSeparators(path));
        item->setData(NameColumn, PathRole, path);
    }
    refresh(item, download);
}

QTreeWidgetItem *DownloadsWindow::row(quint32 id) const
{
    for (int i = 0; i < List1->topLevelItemCount(); ++i) {
        if (List1->topLevelItem(i)->data(NameColumn, IdRole) == id)
            return List1->topLevelItem(i);
    }
    return nullptr;
}

void DownloadsWindow::refresh(QTreeWidgetItem *item, const QWebEngineDownloadRequest *download)
{
    auto *bar = qobject_cast<QProgressBar *>(List1->itemWidget(item, ProgressColumn));
    const QWidget *actions = List1->itemWidget(item, ActionsColumn);
    if (!bar || !actions)
        return;
    const bool held = item->data(NameColumn, HeldRole).toBool();
    const QString outcome = item->data(NameColumn, OutcomeRole).toString();
    const QWebEngineDownloadRequest::DownloadState state = download->state();
    const bool completed = state == QWebEngineDownloadRequest::DownloadCompleted;
    if (!outcome.isEmpty())
        showOutcome(bar, bar->value(), outcome);
    else if (held && completed)
        showOutcome(bar, 100, tr("Waiting for your answer"));
    else
        showProgress(bar, download);
    item->setText(SizeColumn, sizeOf(download));
    // A broken download has ended for the user, though the engine may still try it again (as a
    // new request, which takes over this row). A held one ends when it is placed or dropped.
    const bool finished =
        !outcome.isEmpty() || state == QWebEngineDownloadRequest::DownloadInterrupted ||
        state == QWebEngineDownloadRequest::DownloadCancelled || (completed && !held);
    const bool saved = completed && !held && outcome.isEmpty();
    item->setData(NameColumn, FinishedRole, finished);
    item->setData(NameColumn, SavedRole, saved);
    auto *cancel = actions->findChild<QPushButton *>(QStringLiteral("Cancel"));
    cancel->setEnabled(!finished && !completed);
    cancel->setVisible(!finished && !completed);
    actions->findChild<QPushButton *>(QStringLiteral("Open"))->setVisible(saved);
    actions->findChild<QPushButton *>(QStringLiteral("ShowInFolder"))->setVisible(saved);
}

void DownloadsWindow::open(const QWidget *anchor)
{
    sharedWindow().show(anchor);
}

void DownloadsWindow::openFile(QTreeWidgetItem *item)
{
    if (item && item->data(NameColumn, SavedRole).toBool())
        QDesktopServices::openUrl(QUrl::fromLocalFile(item->data(NameColumn, PathRole).toString()));
}

void DownloadsWindow::showInFolder(QTreeWidgetItem *item)
{
    if (item && item->data(NameColumn, SavedRole).toBool())
        QDesktopServices::openUrl(QUrl::fromLocalFile(
            QFileInfo(item->data(NameColumn, PathRole).toString()).absolutePath()));
}

void DownloadsWindow::clearFinished()
{
    for (int i = List1->topLevelItemCount() - 1; i >= 0; --i) {
        if (List1->topLevelItem(i)->data(NameColumn, FinishedRole).toBool())
            delete List1->takeTopLevelItem(i);
    }
}

QString DownloadsWindow::failure(const QWebEngineDownloadRequest *download)
{
    // The engine knows reasons its names do not cover (a reply shorter than announced, say),
    // and names those wrongly.
    const QMetaEnum reasons =
        QMetaEnum::fromType<QWebEngineDownloadRequest::DownloadInterruptReason>();
    if (!reasons.valueToKey(download->interruptReason()))
        return tr("The transfer broke off.");
    return download->interruptReasonString();
}
