#include "ProcessTree.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QThread>
#include <csignal>
#include <ctime>
#include <unistd.h>

namespace {

// Parent of every process, from the fourth field of /proc/PID/stat (after the parenthesised
// command name, which may itself hold spaces or parentheses).
QHash<pid_t, QList<pid_t>> childrenByParent()
{
    QHash<pid_t, QList<pid_t>> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool isPid = false;
        const pid_t pid = entry.toInt(&isPid);
        if (!isPid)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        if (close < 0)
            continue;
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (fields.size() > 1)
            children[pid_t(fields[1].toInt())].append(pid);
    }
    return children;
}

bool alive(pid_t pid)
{
    // A zombie still has its /proc entry; only the state letter tells it has ended.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && line.size() > close + 2 && line[close + 2] != 'Z';
}

} // namespace

namespace ProcessTree {

QList<pid_t> members(pid_t root)
{
    const QHash<pid_t, QList<pid_t>> children = childrenByParent();
    QList<pid_t> tree{root};
    for (qsizetype i = 0; i < tree.size(); ++i)
        tree += children.value(tree[i]);
    return tree;
}

// One figure of smaps_rollup ("Pss:", "Pss_Anon:"), summed over the tree, in KiB.
static qint64 rollupKiB(pid_t root, const QByteArray &field)
{
    qint64 total = 0;
    for (const pid_t pid : members(root)) {
        QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
        if (!rollup.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : rollup.readAll().split('\n')) {
            if (line.startsWith(field)) {
                total += line.mid(field.size()).trimmed().split(' ').value(0).toLongLong();
                break;
            }
        }
    }
    return total;
}

qint64 pssKiB(pid_t root)
{
    return rollupKiB(root, "Pss:");
}

qint64 anonymousPssKiB(pid_t root)
{
    return rollupKiB(root, "Pss_Anon:");
}

double cpuMs(pid_t root)
{
    return cpuMs(members(root));
}

QHash<pid_t, double> cpuMsEach(const QList<pid_t> &processes)
{
    QHash<pid_t, double> each;
    for (const pid_t pid : processes) {
        // A thread that ends takes its time out of the threads' sum; the process's own clock,
        // which only this process can read, keeps it.
        if (pid == ::getpid()) {
            timespec used{};
            clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
            each.insert(pid, double(used.tv_sec) * 1e3 + double(used.tv_nsec) / 1e6);
            continue;
        }
        const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
        const QStringList threads = QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        if (threads.isEmpty())
            continue;
        qint64 nanoseconds = 0;
        for (const QString &task : threads) {
            QFile schedstat(tasks + QLatin1Char('/') + task + QStringLiteral("/schedstat"));
            if (schedstat.open(QIODevice::ReadOnly))
                nanoseconds += schedstat.readAll().split(' ').value(0).toLongLong();
        }
        each.insert(pid, double(nanoseconds) / 1e6);
    }
    return each;
}

double cpuMs(const QList<pid_t> &processes)
{
    double total = 0;
    for (const double ms : cpuMsEach(processes))
        total += ms;
    return total;
}

bool waitEnded(const QList<pid_t> &tree, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        bool any = false;
        for (const pid_t pid : tree)
            any = any || alive(pid);
        if (!any)
            return true;
        if (waited.elapsed() > timeoutMs)
            break;
        QThread::msleep(20);
    }
    for (const pid_t pid : tree) {
        if (alive(pid))
            ::kill(pid, SIGKILL);
    }
    return false;
}

} // namespace ProcessTree
