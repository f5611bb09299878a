// Ten main windows, nine of them minimised on busy pages (a CSS animation, an animation-frame
// loop, a 100 ms timer), the first shown on a still page: the process tree's CPU time over 30 s
// and its memory with the hidden pages left running (both delays off), beside the same with
// them paused, then freed. Also how soon a paused and a freed window's page runs again when
// shown (against a fresh window's time to its page), and the idle CPU of one window on a still
// page. Prints its rows of the bench table; the driver runs it.
//
// Minimising is real only under a window manager. Where none runs (a bare X server, offscreen),
// the bench hides each minimised window's page from the engine itself, as the view does when its
// window is unmapped, and checks that every hidden page reports itself invisible before
// measuring.
#include "ProcessTree.h"
#include "Table.h"

#include "app/CaretRest.h"
#include "app/Shutdown.h"
#include "common/Product.h"
#include "main_window/Form1.h"
#include "support/LoopbackServer.h"
#include "webview/RenderingChoice.h"
#include "webview/WebView.h"
#include "webview/WebViewSettings.h"
#include "webview/engine/EngineDefaults.h"
#include "webview/engine/EngineWebView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <functional>
#include <unistd.h>

namespace {

constexpr int Windows = 10;
constexpr int MeasureMs = 30 * 1000;
constexpr int IdleMs = 60 * 1000;

const QByteArray Busy =
    "<title>0</title><style>@keyframes turn { to { transform: rotate(360deg); } }"
    "div { width: 60px; height: 60px; background: #36c; animation: turn 1s linear infinite; }"
    "</style><div></div><script>let n = 0;"
    "setInterval(() => { document.title = String(++n); }, 100);"
    "const frame = () => requestAnimationFrame(frame); frame();</script>";
const QByteArray Still = "<title>Still</title><p>Nothing moves here.</p>";

QWebEnginePage *pageOf(Form1 *window)
{
    return static_cast<EngineWebView *>(window->WebBrowser1)->engineView()->page();
}

// Runs the event loop for the time, idle: no poll of its own wakes the program meanwhile.
void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until the condition holds (looked at every 20 ms), or the timeout passes.
bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        pause(20);
    }
    return true;
}

void require(bool ok, const char *what)
{
    if (!ok)
        qFatal("sleeping windows bench: %s", what);
}

void setDelays(int freezeAfter, int discardAfter)
{
    QSettings settings(WebViewSettings::filePath(), QSettings::IniFormat);
    settings.setValue("FreezeAfter", freezeAfter);
    settings.setValue("DiscardAfter", discardAfter);
    settings.sync();
}

Form1 *open(const QUrl &url)
{
    Form1 *window = Form1::newLoaded(url.toString());
    window->resize(800, 600);
    window->show();
    require(waitFor(
                [&] {
                    return window->WebBrowser1->LocationURL() == url.toString() &&
                           !window->WebBrowser1->Busy();
                },
                60000),
            qPrintable(QStringLiteral("a page did not load: %1 at %2")
                           .arg(url.toString(), window->WebBrowser1->LocationURL())));
    return window;
}

// Minimised, and its page reported invisible: by the window manager's unmapping or, without
// one, by the bench in its place.
void minimise(Form1 *window)
{
    window->showMinimized();
    pause(200);
    if (pageOf(window)->isVisible())
        pageOf(window)->setVisible(false);
    require(!pageOf(window)->isVisible(), "a minimised page still reports itself visible");
}

void restore(Form1 *window)
{
    window->showNormal();
    if (!pageOf(window)->isVisible())
        pageOf(window)->setVisible(true);
}

struct Cpu {
    double tree = 0;   // the whole process tree
    double hidden = 0; // of which the page processes of the hidden windows
};

// CPU time over the time; the hidden pages' share from their page processes.
Cpu cpuOverMs(int ms, const QList<Form1 *> &hidden = {})
{
    const auto pages = [&hidden] {
        double total = 0;
        for (Form1 *window : hidden) {
            if (const pid_t pid = pid_t(pageOf(window)->renderProcessPid()))
                total += ProcessTree::cpuMs(QList<pid_t>{pid});
        }
        return total;
    };
    // Reading /proc costs this process time of its own: it is done outside the tree's span.
    const double pagesBefore = pages();
    const QList<pid_t> processes = ProcessTree::members(getpid());
    const QHash<pid_t, double> before = ProcessTree::cpuMsEach(processes);
    pause(ms);
    const QHash<pid_t, double> after = ProcessTree::cpuMsEach(processes);
    // A process that ends within the span (a closed window's page) takes its time along.
    double tree = 0;
    for (auto process = after.cbegin(); process != after.cend(); ++process) {
        if (before.contains(process.key()))
            tree += process.value() - before.value(process.key());
    }
    return {tree, pages() - pagesBefore};
}

// Shows the window (or opens one) and times until its page's timer ticks.
double untilTicking(const std::function<QWebEnginePage *()> &show)
{
    QElapsedTimer timer;
    timer.start();
    QWebEnginePage *page = show();
    const QString before = page->title();
    require(waitFor([&] { return page->title() != before && page->title().toInt() > 0; }, 60000),
            "a page did not run again");
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    RenderingChoice::beforeApplication();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(Product::ExecutableName);
    RenderingChoice::apply();
    EngineDefaults::install();
    // As the program's main() has it: an idle window's caret stops blinking.
    const CaretRest caretRest;
    QTemporaryDir folder;
    require(folder.isValid() && QDir::setCurrent(folder.path()), "no temporary working folder");
    LoopbackServer server;
    require(server.listen(), "no loopback server");
    server.serveHtml("/busy", Busy);
    server.serveHtml("/still", Still);

    if (!app.arguments().contains(QStringLiteral("--rows-only")))
        Table::printHeader();

    // (a) Both off: the hidden pages run on, as the engine throttles them.
    setDelays(0, 0);
    QList<Form1 *> windows{open(server.url("/still"))};
    for (int i = 1; i < Windows; ++i)
        windows.append(open(server.url("/busy")));
    for (int i = 1; i < Windows; ++i)
        minimise(windows[i]);
    pause(3000);
    const QList<Form1 *> hidden = windows.mid(1);
    const Cpu cpuRunning = cpuOverMs(MeasureMs, hidden);
    const double pssRunning = double(ProcessTree::pssKiB(getpid())) / 1024;
    const double anonymousRunning = double(ProcessTree::anonymousPssKiB(getpid())) / 1024;

    // Paused after two seconds.
    for (int i = 1; i < Windows; ++i)
        restore(windows[i]);
    setDelays(2, 0);
    for (int i = 1; i < Windows; ++i)
        minimise(windows[i]);
    require(waitFor(
                [&] {
                    for (int i = 1; i < Windows; ++i) {
                        if (pageOf(windows[i])->lifecycleState() !=
                            QWebEnginePage::LifecycleState::Frozen)
                            return false;
                    }
                    return true;
                },
                60000),
            "the hidden pages were not paused");
    const Cpu cpuPaused = cpuOverMs(MeasureMs, hidden);
    const double resumeMs = untilTicking([&] {
        restore(windows[1]);
        return pageOf(windows[1]);
    });

    // Freed after three seconds (paused after one).
    for (int i = 1; i < Windows; ++i)
        restore(windows[i]);
    setDelays(1, 3);
    for (int i = 1; i < Windows; ++i)
        minimise(windows[i]);
    require(waitFor(
                [&] {
                    for (int i = 1; i < Windows; ++i) {
                        if (pageOf(windows[i])->renderProcessPid() != 0)
                            return false;
                    }
                    return true;
                },
                60000),
            "the hidden pages were not freed");
    pause(3000);
    const double pssFreed = double(ProcessTree::pssKiB(getpid())) / 1024;
    const double anonymousFreed = double(ProcessTree::anonymousPssKiB(getpid())) / 1024;
    const double freshMs = untilTicking([&] {
        windows.append(open(server.url("/busy")));
        return pageOf(windows.last());
    });
    const double reloadMs = untilTicking([&] {
        restore(windows[1]);
        return pageOf(windows[1]);
    });

    // One window on a still page, nothing else.
    for (int i = 1; i < windows.size(); ++i)
        windows[i]->close();
    // Closed windows go once their deletion comes round, which the bench's own waits, run
    // outside the application's event loop, never take: as in the program, they go now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    setDelays(0, 0);
    pause(5000);
    const double idleCpu = cpuOverMs(IdleMs).tree;

    Table::printRow(QStringLiteral("Nine minimised windows on busy pages, paused: CPU time of "
                                   "the process tree over 30 s, ms (baseline: both delays off)"),
                    Table::number(cpuPaused.tree, 0), Table::number(cpuRunning.tree, 0),
                    Table::ratio(cpuPaused.tree / cpuRunning.tree), QStringLiteral("≤ 0.05"),
                    Table::verdict(cpuPaused.tree <= 0.05 * cpuRunning.tree));
    // What pausing can save: the rest is the shown window and the engine's own side.
    Table::printRow(QStringLiteral("… of which the nine hidden pages' processes, ms"),
                    Table::number(cpuPaused.hidden, 1), Table::number(cpuRunning.hidden, 0),
                    Table::ratio(cpuPaused.hidden / cpuRunning.hidden), QString(), QString());
    Table::printRow(QStringLiteral("Ten windows, nine freed: PSS of the process tree, MiB "
                                   "(baseline: both delays off)"),
                    Table::number(pssFreed, 0), Table::number(pssRunning, 0),
                    Table::ratio(pssFreed / pssRunning), QStringLiteral("≤ 0.35"),
                    Table::verdict(pssFreed <= 0.35 * pssRunning));
    // What freeing can give back: the code of the program, its libraries and the engine stays
    // mapped for the window left, whatever is freed.
    Table::printRow(QStringLiteral("… of which anonymous memory (heaps, not files), MiB"),
                    Table::number(anonymousFreed, 0), Table::number(anonymousRunning, 0),
                    Table::ratio(anonymousFreed / anonymousRunning), QString(), QString());
    Table::printRow(QStringLiteral("Showing a freed window until its page runs again, ms "
                                   "(baseline: a new window until its page runs)"),
                    Table::number(reloadMs, 0), Table::number(freshMs, 0),
                    Table::ratio(reloadMs / freshMs), QStringLiteral("≤ 1.2"),
                    Table::verdict(reloadMs <= 1.2 * freshMs));
    Table::printRow(QStringLiteral("Showing a paused window until its page runs again, ms"),
                    Table::number(resumeMs, 0), QString(), QString(), QStringLiteral("≤ 100 ms"),
                    Table::verdict(resumeMs <= 100));
    Table::printRow(QStringLiteral("One window on a still page, idle: CPU time over 60 s, ms"),
                    Table::number(idleCpu, 0), QString(), QString(), QString(), QString());
    Shutdown::releaseWindowsAndProfile();
    return 0;
}
