#include "app/Shutdown.h"
#include "main_window/Form1.h"
#include "support/LoopbackServer.h"
#include "support/Processes.h"
#include "support/TestMain.h"
#include "support/WorkingFolder.h"
#include "webview/WebView.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <malloc.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define ZV_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZV_ADDRESS_SANITIZER 1
#endif
#endif

namespace {

// The memory of this process and of every process it started (the engine's helpers).
struct Usage {
    qint64 kib = 0;
    int processes = 0;
};

// Proportional set size of anonymous and shared memory. Pages of files (the libraries) are left
// out: their share depends on how many other programs on the machine map the same files.
Usage usage()
{
    // Freed memory stays in the C library's per-thread pools until trimmed; trimmed, the figure
    // is what is still in use.
    malloc_trim(0);
    Usage total;
    for (qint64 pid : QList<qint64>{getpid()} + Processes::descendants(getpid())) {
        QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
        if (!rollup.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : rollup.readAll().split('\n')) {
            if (line.startsWith("Pss_Anon:") || line.startsWith("Pss_Shmem:"))
                total.kib += line.mid(line.indexOf(':') + 1).trimmed().split(' ')[0].toLongLong();
        }
        ++total.processes;
    }
    return total;
}

} // namespace

// Many windows and many pages on the real engine: the program keeps working and gives back
// what it took.
class SoakTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void windowsAndPagesComeAndGoWithoutGrowth();

private:
    bool visit(Form1 *window, int page);
    Form1 *openAt(int page);
    // As the user closes it: the window goes once control is back in the event loop.
    static void closeWindow(Form1 *window);

    LoopbackServer m_server;
    WorkingFolder m_folder;
};

void SoakTest::initTestCase()
{
    QVERIFY(m_server.listen());
    for (int page = 0; page < 200; ++page) {
        m_server.serveHtml(QStringLiteral("/%1").arg(page),
                           QStringLiteral("<title>Page %1</title><p>%2</p><script>var kept = "
                                          "new Array(20000).fill(%1);</script>")
                               .arg(page)
                               .arg(QString(200, QChar(u'a' + page % 26)))
                               .toUtf8());
    }
}

// Navigates and waits for the page's own DocumentComplete (the home page's may come first).
bool SoakTest::visit(Form1 *window, int page)
{
    const QString address = m_server.url(QStringLiteral("/%1").arg(page)).toString();
    QSignalSpy completed(window->WebBrowser1, &WebView::DocumentComplete);
    window->WebBrowser1->Navigate(address);
    const QDeadlineTimer deadline(20000);
    for (qsizetype seen = 0; !deadline.hasExpired();) {
        for (; seen < completed.size(); ++seen) {
            if (completed[seen].at(1).toString() == address)
                return true;
        }
        completed.wait(int(deadline.remainingTime()));
    }
    return false;
}

Form1 *SoakTest::openAt(int page)
{
    Form1 *window = Form1::newLoaded();
    window->show();
    return visit(window, page) ? window : nullptr;
}

void SoakTest::closeWindow(Form1 *window)
{
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void SoakTest::windowsAndPagesComeAndGoWithoutGrowth()
{
    // Windows come and go one at a time; in between the program has none.
    QApplication::setQuitOnLastWindowClosed(false);
    // Warm-up: what the engine makes on first use, its caches and pools, fill once.
    for (int page = 0; page < 5; ++page) {
        Form1 *window = openAt(page);
        QVERIFY(window);
        for (int next = page + 1; next < page + 5; ++next)
            QVERIFY(visit(window, next));
        closeWindow(window);
    }

    // Measured with one window showing one page, before and after.
    Form1 *window = openAt(0);
    QVERIFY(window);
    const Usage before = usage();
    closeWindow(window);

    for (int page = 0; page < 30; ++page) {
        window = openAt(page);
        QVERIFY2(window, qPrintable(QStringLiteral("window %1").arg(page)));
        closeWindow(window);
    }
    window = openAt(0);
    QVERIFY(window);
    for (int page = 1; page < 200; ++page)
        QVERIFY2(visit(window, page), qPrintable(QStringLiteral("page %1").arg(page)));
    closeWindow(window);

    // Still working: a new window loads a page; every closed window's page process has ended.
    window = openAt(7);
    QVERIFY(window);
    QTRY_COMPARE_WITH_TIMEOUT(usage().processes, before.processes, 20000);
    const Usage after = usage();
    qInfo("memory %lld KiB before, %lld KiB after", before.kib, after.kib);
#ifdef ZV_ADDRESS_SANITIZER
    QSKIP("AddressSanitizer holds freed memory back in quarantine; the bound means nothing");
#endif
    // Measured here (2 cores, offscreen): 45-48 MiB before, 53-54 MiB after, +10-18%: what the
    // engine keeps of a session (its history, its in-memory caches). One window closed but never
    // released (its page, its page process) made it +32-40%. The bound lies between the two.
    const qint64 bound = before.kib * 125 / 100;
    QVERIFY2(after.kib <= bound, qPrintable(QStringLiteral("%1 KiB after, %2 KiB before, bound %3")
                                                .arg(after.kib)
                                                .arg(before.kib)
                                                .arg(bound)));
    closeWindow(window);
}

ZV_TEST_MAIN(SoakTest)
#include "tst_soak.moc"
