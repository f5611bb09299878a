#include "ProgramRun.h"

#include "ProcessTree.h"
#include "WindowCloser.h"
#include "WindowWatch.h"
#include "support/LoopbackServer.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <sys/inotify.h>
#include <unistd.h>

ProgramRun::ProgramRun(const QString &program, const QStringList &arguments, Completion completion,
                       const QUrl &home, const QProcessEnvironment &environment,
                       const QString &workingFolder, LoopbackServer &server, WindowWatch *window)
    : m_completion(completion), m_home(home), m_workingFolder(workingFolder), m_window(window)
{
    m_process.setProgram(program);
    m_process.setArguments(arguments);
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(workingFolder);
    // The engine's messages are kept beside the run, for when a run fails; a second start in the
    // same folder adds its own.
    m_process.setStandardErrorFile(QDir(workingFolder).filePath(QStringLiteral("stderr.txt")),
                                   QIODevice::Append);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &ProgramRun::readStdout);
    connect(&m_process, &QProcess::finished, this, [this] {
        if (m_endedMs < 0)
            m_endedMs = sinceStart();
        wake();
    });
    connect(&server, &LoopbackServer::requested, this, [this](const QString &path) {
        if (m_firstRequestMs < 0 && path == m_home.path() && m_sinceStart.isValid()) {
            m_firstRequestMs = sinceStart();
            wake();
        }
    });

    if (completion != Completion::Stdout) {
        m_inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_inotify < 0 ||
            inotify_add_watch(m_inotify, QFile::encodeName(workingFolder).constData(),
                              IN_MODIFY | IN_CLOSE_WRITE) < 0)
            qFatal("cannot watch %s", qPrintable(workingFolder));
        m_folderEvents = new QSocketNotifier(m_inotify, QSocketNotifier::Read, this);
        connect(m_folderEvents, &QSocketNotifier::activated, this, &ProgramRun::readFolderEvents);
    }
}

ProgramRun::~ProgramRun()
{
    finish();
    if (m_window)
        m_window->start(0, nullptr);
    if (m_inotify >= 0)
        ::close(m_inotify);
}

bool ProgramRun::startAndWaitLoaded(int timeoutMs)
{
    m_sinceStart.start();
    m_process.start();
    if (m_completion == Completion::HandOver) {
        if (!waitUntil([this] { return m_loadedMs >= 0 && m_endedMs >= 0; }, timeoutMs) ||
            m_process.exitStatus() != QProcess::NormalExit || m_process.exitCode() != 0) {
            m_error =
                QStringLiteral("%1: handed over no window within %2 ms (page %3, ended "
                               "%4 with status %5; see %6/stderr.txt)")
                    .arg(m_process.program())
                    .arg(timeoutMs)
                    .arg(m_loadedMs >= 0 ? QStringLiteral("complete")
                                         : QStringLiteral("never complete"))
                    .arg(m_endedMs >= 0 ? QStringLiteral("by itself") : QStringLiteral("never"))
                    .arg(m_process.exitCode())
                    .arg(m_workingFolder);
            return false;
        }
        return true;
    }
    if (m_window) {
        m_window->start(pid_t(m_process.processId()), &m_sinceStart);
        connect(m_window, &WindowWatch::changed, this, &ProgramRun::wake);
    }
    if (!waitUntil([this] { return m_loadedMs >= 0; }, timeoutMs)) {
        m_error =
            QStringLiteral("%1: no completed home page after %2 ms (%3; see %4/stderr.txt)")
                .arg(m_process.program())
                .arg(sinceStart(), 0, 'f', 0)
                .arg(m_process.state() == QProcess::NotRunning ? QStringLiteral("it exited")
                                                               : QStringLiteral("still running"),
                     m_workingFolder);
        return false;
    }
    return true;
}

double ProgramRun::shownMs() const
{
    return m_window ? m_window->shownMs() : -1;
}

double ProgramRun::paintedMs() const
{
    return m_window ? m_window->paintedMs() : -1;
}

void ProgramRun::settle(int ms)
{
    waitUntil([] { return false; }, ms);
}

double ProgramRun::pssMiB() const
{
    return double(ProcessTree::pssKiB(pid_t(m_process.processId()))) / 1024;
}

std::optional<double> ProgramRun::secondWindowMs(int timeoutMs)
{
    m_process.write("second\n");
    if (!waitUntil([this] { return m_secondMs.has_value(); }, timeoutMs)) {
        m_error = QStringLiteral("%1: no completed second window after %2 ms")
                      .arg(m_process.program())
                      .arg(timeoutMs);
        return std::nullopt;
    }
    return m_secondMs;
}

void ProgramRun::finish()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    const pid_t pid = pid_t(m_process.processId());
    const QList<pid_t> tree = ProcessTree::members(pid);
    // As its user ends it, so that the next start finds the engine's data as a user's would:
    // the bench programs on command, the browser by closing its window (when it has one on an X
    // display; else it is terminated).
    bool asked = true;
    if (m_completion == Completion::Stdout)
        m_process.closeWriteChannel();
    else
        asked = WindowCloser::closeWindowsOf(pid);
    if (!asked || !m_process.waitForFinished(5000))
        ::kill(pid, SIGTERM);
    ProcessTree::waitEnded(tree);
    m_process.waitForFinished(1000);
}

bool ProgramRun::waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        const qint64 left = timeoutMs - waited.elapsed();
        // A start that hands over ends before its window's page completes.
        if (left <= 0 ||
            (m_process.state() == QProcess::NotRunning && m_completion != Completion::HandOver))
            return false;
        QEventLoop loop;
        m_waiting = &loop;
        QTimer::singleShot(left, &loop, &QEventLoop::quit);
        loop.exec();
        m_waiting = nullptr;
    }
    return true;
}

void ProgramRun::wake()
{
    if (m_waiting)
        m_waiting->quit();
}

void ProgramRun::readStdout()
{
    const double now = sinceStart();
    m_stdout += m_process.readAllStandardOutput();
    for (qsizetype end = m_stdout.indexOf('\n'); end >= 0; end = m_stdout.indexOf('\n')) {
        const QList<QByteArray> words = m_stdout.left(end).trimmed().split(' ');
        m_stdout.remove(0, end + 1);
        if (words.value(0) != "loaded")
            continue;
        if (words.value(1) == "1" && m_loadedMs < 0)
            loaded(now);
        else if (words.value(1) == "2")
            m_secondMs = words.value(2).toDouble();
    }
    wake();
}

void ProgramRun::readFolderEvents()
{
    const double now = sinceStart();
    char buffer[4096];
    while (::read(m_inotify, buffer, sizeof buffer) > 0) {
    }
    if (m_loadedMs >= 0)
        return;
    QFile history(QDir(m_workingFolder).filePath(QStringLiteral("History.DAT")));
    if (history.open(QIODevice::ReadOnly) &&
        history.readAll().contains(m_home.toEncoded() + "\r\n")) {
        loaded(now);
        wake();
    }
}

void ProgramRun::loaded(double ms)
{
    m_loadedMs = ms;
    if (m_process.state() != QProcess::NotRunning)
        m_loadedCpuMs = ProcessTree::cpuMs(pid_t(m_process.processId()));
}
