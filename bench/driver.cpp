// The bench: builds nothing, measures everything. Start-up, memory, a second window and a second
// start that hands over to the running browser against a bare Qt WebEngine program, both run the
// same number of times, interleaved, loading the same page from a server on 127.0.0.1 that this
// driver runs; then the list windows and the history append (bench_lists) and the minimised
// windows paused and freed (bench_sleepingwindows). Prints one table of medians.
//
// Environment: ZV_BENCH_RUNS (rounds, default 9). The programs are run on the display the driver
// has (make bench gives it a virtual X server when there is none), or offscreen if
// QT_QPA_PLATFORM says so.
#include "ProgramRun.h"
#include "Table.h"
#include "WindowWatch.h"

#include "support/LoopbackServer.h"
#include "webview/RenderingChoice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <unistd.h>

namespace {

constexpr int LoadTimeoutMs = 60'000;
// After its page completes, a program gets this long before its memory is read, so both
// programs are read in the same state rather than in the middle of their last allocations.
constexpr int SettleMs = 1500;

const QByteArray HomePage = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Bench home page</title>
<style>
body { font-family: sans-serif; margin: 2em; line-height: 1.4; }
h1 { color: #224; }
li { margin: 0.2em 0; }
</style>
</head>
<body>
<h1>Bench home page</h1>
<p>A small page of the kind a browser opens at start-up: a heading, a few paragraphs, a list
and some links, all in one document so that both programs do the same work.</p>
<ul>
<li><a href="/one.html">First link</a></li>
<li><a href="/two.html">Second link</a></li>
<li><a href="/three.html">Third link</a></li>
</ul>
<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor incididunt ut
labore et dolore magna aliqua. Ut enim ad minim veniam, quis nostrud exercitation ullamco laboris
nisi ut aliquip ex ea commodo consequat.</p>
</body>
</html>
)";

struct Paths {
    QString browser = QStringLiteral(ZV_BROWSER);
    QString bare = QStringLiteral(ZV_BENCH_BARE);
    QString secondWindow = QStringLiteral(ZV_BENCH_SECONDWINDOW);
    QString lists = QStringLiteral(ZV_BENCH_LISTS);
    QString sleepingWindows = QStringLiteral(ZV_BENCH_SLEEPINGWINDOWS);
};

struct Samples {
    QList<double> shownMs, paintedMs, startupMs, firstRequestMs, cpuMs, pssMiB, secondMs,
        secondAddedMiB;
    QList<double> handOverMs, handOverEndedMs;
};

// The engine's data and cache as they are after the first start (warm), or none yet (fresh).
enum class Profile { Warm, Fresh };
// How the bare program draws: Qt's default, or in software as the browser does without a
// graphics device.
enum class Drawing { Default, Software };

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll().split(' ').mid(0, 3).join(' '));
}

[[noreturn]] void fail(const QString &message)
{
    std::fprintf(stderr, "bench: %s\n", qPrintable(message));
    std::exit(1);
}

// Nothing the run started may outlive the bench; its folder stays, for its messages.
[[noreturn]] void failRun(ProgramRun &run)
{
    const QString error = run.error();
    run.finish();
    fail(error);
}

class Bench {
public:
    explicit Bench(int rounds) : m_rounds(rounds)
    {
        if (!m_home.isValid() || !m_server.listen())
            fail(QStringLiteral("no temporary folder or no server on 127.0.0.1"));
        LoopbackServer::Reply page;
        page.body = HomePage;
        // Every run fetches the page from the server; neither program may keep it.
        page.extraHeaders = "Cache-Control: no-store\r\n";
        m_server.serve(QStringLiteral("/home.html"), page);
        m_url = m_server.url(QStringLiteral("/home.html"));
        // The page a second start asks the running browser for: the same page by another name,
        // so that its line in the history is its own.
        m_server.serve(QStringLiteral("/handed-over.html"), page);
        m_handOverUrl = m_server.url(QStringLiteral("/handed-over.html"));

        // Both programs get the same environment: a temporary home for the engine's data and
        // settings, the browser's home page set in its web view settings.
        const QString config = m_home.filePath(QStringLiteral("config"));
        QDir().mkpath(config + QStringLiteral("/zarvo-velmora"));
        QFile ini(config + QStringLiteral("/zarvo-velmora/webview.ini"));
        if (!ini.open(QIODevice::WriteOnly) ||
            ini.write("[General]\nHomePage=" + m_url.toEncoded() + "\n") < 0)
            fail(QStringLiteral("cannot write the browser's settings"));
        ini.close();
        const QString runtime = m_home.filePath(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        m_environment.insert(QStringLiteral("XDG_DATA_HOME"),
                             m_home.filePath(QStringLiteral("data")));
        m_environment.insert(QStringLiteral("XDG_CACHE_HOME"),
                             m_home.filePath(QStringLiteral("cache")));
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        if (::geteuid() == 0)
            m_environment.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"),
                                 QStringLiteral("1"));
        // A desktop's locale: in the C locale the status bar's clock shows seconds and redraws
        // every second, which a desktop locale's short time does not.
        const QString locale = m_environment.value(QStringLiteral("LC_ALL"),
                                                   m_environment.value(QStringLiteral("LANG")));
        if (locale.isEmpty() || locale == u"POSIX" || locale == u"C" || locale.startsWith(u"C.")) {
            m_environment.remove(QStringLiteral("LC_ALL"));
            m_environment.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
        }
        if (m_environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty()) {
            m_window = new WindowWatch(&m_server);
            if (!m_window->isValid())
                fail(QStringLiteral("no X display with the DAMAGE extension to watch windows on"));
        }
    }

    void run(const Paths &paths)
    {
        // One untimed run of each first: the engine's data folders exist, the files are cached,
        // as on any start but the very first.
        runBrowser(paths, Profile::Warm, nullptr);
        runWithSecond(paths.bare, Profile::Warm, nullptr);
        runWithSecond(paths.secondWindow, Profile::Warm, nullptr);
        m_software = drawsInSoftware();
        if (m_software)
            runWithSecond(paths.bare, Profile::Warm, nullptr, Drawing::Software);
        printPreamble();
        for (int round = 0; round < m_rounds; ++round) {
            // Alternate the order so that a slow moment of the machine falls on both sides.
            if (round % 2 == 0) {
                runBrowser(paths, Profile::Warm, &m_ours);
                runWithSecond(paths.bare, Profile::Warm, &m_bare);
                runSoftwareBare(paths, Profile::Warm);
                runWithSecond(paths.secondWindow, Profile::Warm, &m_oursSecond);
                runBrowser(paths, Profile::Fresh, &m_oursFresh);
                runWithSecond(paths.bare, Profile::Fresh, &m_bareFresh);
                runSoftwareBare(paths, Profile::Fresh);
            } else {
                runSoftwareBare(paths, Profile::Fresh);
                runWithSecond(paths.bare, Profile::Fresh, &m_bareFresh);
                runBrowser(paths, Profile::Fresh, &m_oursFresh);
                runWithSecond(paths.secondWindow, Profile::Warm, &m_oursSecond);
                runSoftwareBare(paths, Profile::Warm);
                runWithSecond(paths.bare, Profile::Warm, &m_bare);
                runBrowser(paths, Profile::Warm, &m_ours);
            }
            std::fprintf(stderr,
                         "round %d of %d: warm %.0f ms (shown %.0f), bare %.0f ms (shown %.0f); "
                         "fresh %.0f ms, bare %.0f ms\n",
                         round + 1, m_rounds, m_ours.startupMs.last(), m_ours.shownMs.last(),
                         m_bare.startupMs.last(), m_bare.shownMs.last(),
                         m_oursFresh.startupMs.last(), m_bareFresh.startupMs.last());
        }
        printProcessRows(QStringLiteral("warm"), m_ours, m_bare, Drawing::Default);
        if (m_software)
            printProcessRows(QStringLiteral("warm"), m_ours, m_bareSoftware, Drawing::Software);
        printProcessRows(QStringLiteral("fresh"), m_oursFresh, m_bareFresh, Drawing::Default);
        if (m_software)
            printProcessRows(QStringLiteral("fresh"), m_oursFresh, m_bareSoftwareFresh,
                             Drawing::Software);
        printSecondWindowRows();
        runRows(paths.lists);
        runUnderWindowManager([&] { runRows(paths.sleepingWindows); });
        std::printf("\nLoad average before: %s, after: %s.\n", qPrintable(m_loadBefore),
                    qPrintable(loadAverage()));
    }

private:
    void printPreamble()
    {
        m_loadBefore = loadAverage();
        const QString platform = m_environment.value(QStringLiteral("QT_QPA_PLATFORM"));
        std::printf("Medians of %d interleaved rounds. Display: %s. Page: %s.\n", m_rounds,
                    platform.isEmpty() ? qPrintable(QStringLiteral("X server ") +
                                                    m_environment.value(QStringLiteral("DISPLAY")))
                                       : qPrintable(platform),
                    qPrintable(m_url.toString()));
        if (::geteuid() == 0)
            std::printf("Running as root: QTWEBENGINE_DISABLE_SANDBOX=1 is set for every program "
                        "started here (the engine refuses to start as root with its sandbox); "
                        "the browser never sets it itself.\n");
        // The browser decides for itself how to draw its web view, once per display; the bare
        // program keeps Qt's default (OpenGL), and where the browser draws in software it also
        // runs drawing as the browser does. Neither gets an engine switch.
        std::printf("The browser's own choice for drawing its web view here: %s (the bare program: "
                    "Qt's default, OpenGL%s). No engine switches for either program.\n",
                    renderingChoice().constData(),
                    m_software ? ", and beside it in software: QT_QUICK_BACKEND=software, "
                                 "QT_XCB_GL_INTEGRATION=none"
                               : "");
        std::printf("\n");
        Table::printHeader();
    }

    // What the browser chose for drawing its web view after its first run here.
    QByteArray renderingChoice() const
    {
        QFile choice(m_home.filePath(QStringLiteral("cache/zarvo-velmora/rendering")));
        QByteArray answer =
            choice.open(QIODevice::ReadOnly) ? choice.readLine().trimmed() : QByteArray("?");
        // Nothing cached: the browser decided without asking OpenGL, as it does on a machine
        // without a graphics device.
        if (answer == "?" &&
            !RenderingChoice::mayHaveGpu(
                QDir(QStringLiteral("/dev/dri")).entryList(QDir::System | QDir::NoDotAndDotDot),
                QFileInfo::exists(QStringLiteral("/dev/nvidia0")),
                m_environment.value(QStringLiteral("DISPLAY")).toLocal8Bit(),
                m_environment.value(QStringLiteral("WAYLAND_DISPLAY")).toLocal8Bit()))
            answer = "software (no graphics device, decided without asking OpenGL)";
        return answer;
    }

    bool drawsInSoftware() const { return renderingChoice().startsWith("software"); }

    // The environment of one run: a fresh profile gets empty data and cache folders of its own;
    // the bare program drawing in software gets the toolkit's own switches for it.
    QProcessEnvironment environment(Profile profile, Drawing drawing = Drawing::Default)
    {
        QProcessEnvironment result = m_environment;
        if (drawing == Drawing::Software) {
            result.insert(QStringLiteral("QT_QUICK_BACKEND"), QStringLiteral("software"));
            result.insert(QStringLiteral("QT_XCB_GL_INTEGRATION"), QStringLiteral("none"));
        }
        if (profile == Profile::Warm)
            return result;
        QProcessEnvironment fresh = result;
        const QString folder = m_home.filePath(QStringLiteral("fresh-%1").arg(++m_freshHomes));
        fresh.insert(QStringLiteral("XDG_DATA_HOME"), folder + QStringLiteral("/data"));
        fresh.insert(QStringLiteral("XDG_CACHE_HOME"), folder + QStringLiteral("/cache"));
        return fresh;
    }

    // Inside the temporary home, which takes it along when the bench ends.
    QString freshFolder()
    {
        const QString folder = m_home.filePath(QStringLiteral("run-%1").arg(++m_runs));
        if (!QDir().mkpath(folder))
            fail(QStringLiteral("cannot make ") + folder);
        return folder;
    }

    // What every run measures up to its first page.
    static void recordStart(ProgramRun &run, double pssMiB, Samples *samples)
    {
        samples->shownMs.append(run.shownMs());
        samples->paintedMs.append(run.paintedMs());
        samples->startupMs.append(run.loadedMs());
        samples->firstRequestMs.append(run.firstRequestMs());
        samples->cpuMs.append(run.loadedCpuMs());
        samples->pssMiB.append(pssMiB);
    }

    // The browser as it ships; then a second start in its folder, which hands over to it.
    void runBrowser(const Paths &paths, Profile profile, Samples *samples)
    {
        const QString folder = freshFolder();
        const QProcessEnvironment environment = this->environment(profile);
        ProgramRun run(paths.browser, {}, ProgramRun::Completion::HistoryFile, m_url, environment,
                       folder, m_server, m_window);
        if (!run.startAndWaitLoaded(LoadTimeoutMs))
            failRun(run);
        run.settle(SettleMs);
        if (samples)
            recordStart(run, run.pssMiB(), samples);

        ProgramRun second(paths.browser, {m_handOverUrl.toString()},
                          ProgramRun::Completion::HandOver, m_handOverUrl, environment, folder,
                          m_server);
        if (!second.startAndWaitLoaded(LoadTimeoutMs))
            failRun(second);
        if (samples) {
            samples->handOverMs.append(second.loadedMs());
            samples->handOverEndedMs.append(second.endedMs());
        }
    }

    // A program that opens a second window on command: the bare one, or the browser's own code.
    // On a fresh profile only the start is measured.
    void runWithSecond(const QString &program, Profile profile, Samples *samples,
                       Drawing drawing = Drawing::Default)
    {
        ProgramRun run(program, {m_url.toString()}, ProgramRun::Completion::Stdout, m_url,
                       environment(profile, drawing), freshFolder(), m_server, m_window);
        if (!run.startAndWaitLoaded(LoadTimeoutMs))
            failRun(run);
        run.settle(SettleMs);
        const double before = run.pssMiB();
        if (profile == Profile::Fresh || drawing == Drawing::Software) {
            if (samples)
                recordStart(run, before, samples);
            return;
        }
        const std::optional<double> second = run.secondWindowMs(LoadTimeoutMs);
        if (!second)
            failRun(run);
        run.settle(SettleMs);
        if (samples) {
            recordStart(run, before, samples);
            samples->secondMs.append(*second);
            samples->secondAddedMiB.append(run.pssMiB() - before);
        }
    }

    // The bare program drawing as the browser does, where that is in software: start-up only.
    void runSoftwareBare(const Paths &paths, Profile profile)
    {
        if (m_software)
            runWithSecond(paths.bare, profile,
                          profile == Profile::Warm ? &m_bareSoftware : &m_bareSoftwareFresh,
                          Drawing::Software);
    }

    static QList<double> ratios(const QList<double> &ours, const QList<double> &baseline)
    {
        QList<double> result;
        for (qsizetype i = 0; i < qMin(ours.size(), baseline.size()); ++i)
            result.append(ours[i] / baseline[i]);
        return result;
    }

    void processRow(const QString &figure, const QList<double> &ours, const QList<double> &baseline,
                    int decimals, double target = 0)
    {
        const QList<double> each = ratios(ours, baseline);
        const double ratio = Table::median(each);
        Table::printRow(
            figure, Table::number(Table::median(ours), decimals),
            Table::number(Table::median(baseline), decimals), Table::ratioWithRange(each),
            target > 0 ? QStringLiteral("ratio ≤ %1").arg(target, 0, 'f', 2) : QString(),
            target > 0 ? Table::verdict(ratio <= target) : QString());
    }

    // Against the bare program as Qt draws by default, and against it drawing in software as
    // the browser does (the engine at its best here), each with its own targets.
    void printProcessRows(const QString &profile, const Samples &ours, const Samples &bare,
                          Drawing drawing)
    {
        const bool software = drawing == Drawing::Software;
        const QString baseline = software ? QStringLiteral("bare program drawing in software")
                                          : QStringLiteral("bare QWebEngineView program");
        // Without an X display there is no window to watch.
        if (!ours.shownMs.isEmpty() && ours.shownMs.first() >= 0) {
            processRow(QStringLiteral("Start-up, %1 profile: main window shown (mapped), ms "
                                      "(baseline: %2)")
                           .arg(profile, baseline),
                       ours.shownMs, bare.shownMs, 0, software ? 0.70 : 0.60);
            processRow(QStringLiteral("… first paint of the window (X DAMAGE), ms"), ours.paintedMs,
                       bare.paintedMs, 0);
        }
        processRow(QStringLiteral("… the home page's request reaches the server, ms"),
                   ours.firstRequestMs, bare.firstRequestMs, 0);
        processRow(QStringLiteral("… the home page's DocumentComplete, ms"), ours.startupMs,
                   bare.startupMs, 0, software ? 1.0 : 0.80);
        processRow(QStringLiteral("… CPU time of the process tree by then (all threads), ms"),
                   ours.cpuMs, bare.cpuMs, 0, software ? 1.0 : 0.75);
        processRow(QStringLiteral("Memory after the home page, %1 profile, PSS of the process "
                                  "tree, MiB (baseline: %2)")
                       .arg(profile, baseline),
                   ours.pssMiB, bare.pssMiB, 1, software ? 1.0 : 0.90);
    }

    void printSecondWindowRows()
    {
        processRow(QStringLiteral("Second main window to its DocumentComplete, ms (baseline: a "
                                  "second bare view)"),
                   m_oursSecond.secondMs, m_bare.secondMs, 0);
        processRow(QStringLiteral("Second main window, added PSS, MiB"),
                   m_oursSecond.secondAddedMiB, m_bare.secondAddedMiB, 1);
        processRow(QStringLiteral("Second start, handed over to the running browser, to its "
                                  "window's DocumentComplete, ms (baseline: the bare program's "
                                  "start-up)"),
                   m_ours.handOverMs, m_bare.startupMs, 0);
        processRow(QStringLiteral("… of which until the second start has ended, ms"),
                   m_ours.handOverEndedMs, m_bare.startupMs, 0);
    }

    // Minimising unmaps a window only where a window manager runs: on the bench's own X server
    // one is started for the call where installed (on a desktop's display the running one stays,
    // and the one started here ends at once). Without, the minimised windows' bench hides their
    // pages itself.
    void runUnderWindowManager(const std::function<void()> &call)
    {
        QProcess manager;
        const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
        if (m_window && !openbox.isEmpty()) {
            manager.setStandardOutputFile(QProcess::nullDevice());
            manager.setStandardErrorFile(QProcess::nullDevice());
            manager.start(openbox, {QStringLiteral("--sm-disable")});
        } else {
            std::fprintf(stderr, "bench: no window manager (openbox) for the minimised windows; "
                                 "their pages are hidden by the bench itself\n");
        }
        call();
        if (manager.state() != QProcess::NotRunning) {
            manager.terminate();
            if (!manager.waitForFinished(5000))
                manager.kill();
        }
    }

    void runRows(const QString &program)
    {
        QProcess lists;
        lists.setProcessEnvironment(m_environment);
        lists.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        lists.start(program, {QStringLiteral("--rows-only")});
        if (!lists.waitForFinished(-1) || lists.exitCode() != 0)
            fail(program + QStringLiteral(" failed"));
        std::fputs(lists.readAllStandardOutput().constData(), stdout);
        std::fflush(stdout);
    }

    int m_rounds;
    QTemporaryDir m_home;
    LoopbackServer m_server;
    QUrl m_url;
    QUrl m_handOverUrl;
    QProcessEnvironment m_environment;
    int m_runs = 0;
    QString m_loadBefore;
    int m_freshHomes = 0;
    WindowWatch *m_window = nullptr;
    bool m_software = false;
    Samples m_ours, m_bare, m_oursSecond, m_oursFresh, m_bareFresh, m_bareSoftware,
        m_bareSoftwareFresh;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    bool ok = false;
    int rounds = qEnvironmentVariableIntValue("ZV_BENCH_RUNS", &ok);
    if (!ok || rounds < 1)
        rounds = 9;
    Bench bench(rounds);
    bench.run(Paths{});
    return 0;
}
