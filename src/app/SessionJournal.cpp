#include "app/SessionJournal.h"

#include "app/Shutdown.h"
#include "common/FileBytes.h"
#include "common/MainWindows.h"
#include "main_window/Form1.h"
#include "main_window/RestoreBar.h"
#include "webview/WebView.h"

#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr quint32 Magic = 0x5a56534a;
constexpr quint32 Version = 1;

void syncFolder(const QByteArray &folder)
{
    const int descriptor = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

// A temporary file beside it, on disk before it takes the journal's name: a power loss leaves
// the old journal or the new one, never a part of either. Private to the user.
void writeAtomically(const QString &path, const QByteArray &bytes)
{
    const QString folder = QFileInfo(path).path();
    QDir().mkpath(QFileInfo(folder).path());
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
    const QByteArray name = QFile::encodeName(path);
    const QByteArray temporary = name + ".new";
    const int descriptor =
        ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0)
        return;
    const bool written = FileBytes::writeAll(descriptor, bytes) && ::fsync(descriptor) == 0;
    ::close(descriptor);
    if (!written || ::rename(temporary.constData(), name.constData()) != 0) {
        ::unlink(temporary.constData());
        return;
    }
    syncFolder(QFile::encodeName(folder));
}

void removeFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (::unlink(name.constData()) == 0)
        syncFolder(QFile::encodeName(QFileInfo(path).path()));
}

} // namespace

SessionJournal::SessionJournal(const QString &path, QObject *parent) : QObject(parent), m_path(path)
{
    // One writer, so the writes reach the disk in the order asked.
    m_disk.setMaxThreadCount(1);
    m_timer.setSingleShot(true);
    m_timer.setInterval(WriteDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &SessionJournal::write);

    QFile file(path);
    qint64 restoredAt = 0;
    if (file.open(QIODevice::ReadOnly) && decode(file.readAll(), &m_found, &restoredAt)) {
        m_soonAfterRestore = restoredAt != 0 && std::abs(QDateTime::currentMSecsSinceEpoch() -
                                                         restoredAt) < RestoreLoopMs;
    } else {
        m_found.clear();
    }
}

SessionJournal::~SessionJournal()
{
    m_disk.waitForDone();
}

QString SessionJournal::fileIn(const QString &dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("session-journal"));
}

QString SessionJournal::stoppedPage(const QString &address)
{
    return QStringLiteral("qrc:/stopped.html?address=") +
           QString::fromLatin1(QUrl::toPercentEncoding(address));
}

QByteArray SessionJournal::encode(const QList<Window> &windows, qint64 restoredAt)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_4);
    stream << Magic << Version << restoredAt << qint32(windows.size());
    for (const Window &window : windows)
        stream << window.history << window.address << window.loading << window.loadingIsCurrent
               << window.maximised << window.front;
    return bytes;
}

bool SessionJournal::decode(const QByteArray &bytes, QList<Window> *windows, qint64 *restoredAt)
{
    QDataStream stream(bytes);
    stream.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    quint32 version = 0;
    qint32 count = 0;
    stream >> magic >> version >> *restoredAt >> count;
    if (stream.status() != QDataStream::Ok || magic != Magic || version != Version || count < 0)
        return false;
    windows->clear();
    for (qint32 i = 0; i < count; ++i) {
        Window window;
        stream >> window.history >> window.address >> window.loading >> window.loadingIsCurrent >>
            window.maximised >> window.front;
        if (stream.status() != QDataStream::Ok)
            return false;
        windows->append(window);
    }
    return stream.atEnd();
}

void SessionJournal::start()
{
    if (m_started)
        return;
    m_started = true;
    const QPointer<SessionJournal> self(this);
    MainWindows::watch([self](QWidget *window, bool opened) {
        if (self)
            self->watch(static_cast<Form1 *>(window), opened);
    });
    // Windows made before now join it too.
    for (QWidget *window : MainWindows::openWindows())
        watch(static_cast<Form1 *>(window), true);
}

void SessionJournal::watch(Form1 *window, bool opened)
{
    if (opened && !window->property("zvJournalWatched").toBool()) {
        window->setProperty("zvJournalWatched", true);
        // What changes a window's place in the journal: a page that starts or completes, a
        // same-document navigation.
        connect(window->WebBrowser1, &WebView::DocumentComplete, this, &SessionJournal::changed);
        connect(window->WebBrowser1, &WebView::HistoryChanged, this, &SessionJournal::changed);
        connect(window->WebBrowser1, &WebView::ProgressChange, this, &SessionJournal::changed);
        connect(window->WebBrowser1, &WebView::StatusTextChange, this, &SessionJournal::changed);
    }
    changed();
}

void SessionJournal::changed()
{
    if (m_finished || Shutdown::endedFromOutside())
        return;
    if (!m_timer.isActive())
        m_timer.start();
}

QList<SessionJournal::Window> SessionJournal::current() const
{
    QList<Window> windows = m_found;
    for (QWidget *widget : MainWindows::openWindows()) {
        const auto *window = static_cast<const Form1 *>(widget);
        if (window->isPrivate())
            continue;
        Window entry{window->WebBrowser1->SavedHistory(),
                     window->WebBrowser1->LocationURL(),
                     window->WebBrowser1->LoadingURL(),
                     window->WebBrowser1->LoadingIsCurrent(),
                     window->isMaximized(),
                     window->isActiveWindow()};
        for (const Waiting &waiting : m_waiting) {
            if (waiting.window == window)
                entry = waiting.entry;
        }
        windows.append(entry);
    }
    return windows;
}

void SessionJournal::write()
{
    if (m_finished || Shutdown::endedFromOutside())
        return;
    const QList<Window> windows = current();
    // Nothing open: nothing to come back to.
    const QByteArray bytes = windows.isEmpty() ? QByteArray() : encode(windows, m_restoredAt);
    if (bytes == m_written)
        return;
    m_written = bytes;
    const QString path = m_path;
    if (bytes.isEmpty())
        m_disk.start([path] { removeFile(path); });
    else
        m_disk.start([path, bytes] { writeAtomically(path, bytes); });
}

void SessionJournal::writeNow()
{
    m_timer.stop();
    if (m_started && !m_finished) {
        const QList<Window> windows = current();
        const QByteArray bytes = encode(windows, m_restoredAt);
        if (!windows.isEmpty() && bytes != m_written) {
            const QString path = m_path;
            m_disk.start([path, bytes] { writeAtomically(path, bytes); });
        }
    }
    m_finished = true;
}

void SessionJournal::remove()
{
    m_timer.stop();
    m_finished = true;
    const QString path = m_path;
    m_disk.start([path] { removeFile(path); });
}

void SessionJournal::flush()
{
    if (m_timer.isActive()) {
        m_timer.stop();
        write();
    }
    m_disk.waitForDone();
}

void SessionJournal::offer(Form1 *window)
{
    if (m_found.isEmpty())
        return;
    auto *bar = new RestoreBar(int(m_found.size()), window->WebBrowser1);
    connect(bar, &RestoreBar::restore, this, &SessionJournal::restore);
    connect(bar, &RestoreBar::notNow, this, &SessionJournal::discard);
}

void SessionJournal::discard()
{
    m_found.clear();
    changed();
}

void SessionJournal::restore()
{
    const QList<Window> windows = std::exchange(m_found, {});
    if (windows.isEmpty())
        return;
    m_restoredAt = QDateTime::currentMSecsSinceEpoch();
    // All open at once, each as New Window opens one; the front one loads first.
    QList<Waiting> queue;
    for (const Window &entry : windows) {
        auto *window = new Form1;
        if (entry.maximised)
            window->showMaximized();
        else
            window->show();
        Waiting waiting{window, entry};
        if (entry.front)
            queue.prepend(waiting);
        else
            queue.append(waiting);
    }
    if (queue.front().window)
        queue.front().window->raise();
    m_waiting = queue;
    loadInTurn(queue, m_soonAfterRestore);
    changed();
}

void SessionJournal::loadInTurn(QList<Waiting> queue, bool safely)
{
    while (!queue.isEmpty()) {
        const Waiting next = queue.takeFirst();
        m_waiting.removeIf(
            [&next](const Waiting &waiting) { return waiting.window == next.window; });
        if (!next.window)
            continue;
        load(next.window, next.entry, safely);
        if (queue.isEmpty())
            return;
        // The next once this one's page has come, or has taken long enough.
        auto done = std::make_shared<bool>(false);
        const QPointer<SessionJournal> self(this);
        const auto goOn = [self, queue, safely, done] {
            if (!self || std::exchange(*done, true))
                return;
            self->loadInTurn(queue, safely);
        };
        connect(next.window->WebBrowser1, &WebView::DocumentComplete, this, goOn,
                Qt::SingleShotConnection);
        QTimer::singleShot(NextLoadMs, this, goOn);
        return;
    }
}

void SessionJournal::load(Form1 *window, const Window &entry, bool safely)
{
    // A page that was loading at the end may be what ended it: it is not asked for again until
    // the user clicks its link. Restoring a history makes the engine load its current entry: the
    // history stays behind the built-in page only where the lost page had not yet taken that
    // entry (the page before it loads, and the built-in page takes its place at once).
    if (safely) {
        window->Form_Load(stoppedPage(entry.loading.isEmpty() ? entry.address : entry.loading));
    } else if (!entry.loading.isEmpty()) {
        if (entry.history.isEmpty() || entry.loadingIsCurrent) {
            window->Form_Load(stoppedPage(entry.loading));
        } else {
            window->Form_LoadHistory(entry.history);
            window->WebBrowser1->Navigate2(stoppedPage(entry.loading));
        }
    } else if (entry.history.isEmpty())
        window->Form_Load(entry.address);
    else
        window->Form_LoadHistory(entry.history);
}
