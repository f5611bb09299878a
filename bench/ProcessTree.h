#pragma once

#include <QHash>
#include <QList>
#include <sys/types.h>

// A process and everything it started (the engine's zygotes and renderers), read from /proc.
namespace ProcessTree {
// The process and its descendants at this moment, the process first.
QList<pid_t> members(pid_t root);
// Proportional set size summed over the tree, in KiB; shared pages are counted once in total.
qint64 pssKiB(pid_t root);
// The anonymous part of it (heaps and stacks, not the programs' and libraries' files): what a
// process that ends gives back.
qint64 anonymousPssKiB(pid_t root);
// CPU time used so far by every thread of the tree, in ms (from each thread's schedstat, in ns).
double cpuMs(pid_t root);
// The same for processes found before: finding a tree reads all of /proc, which costs the reader
// time of its own.
double cpuMs(const QList<pid_t> &processes);
// Each of those processes' CPU time in ms; one that has ended is left out.
QHash<pid_t, double> cpuMsEach(const QList<pid_t> &processes);
// Waits up to the timeout for every member to end, then kills what is left: the next
// measurement must not share the machine with it. True when all ended on their own.
bool waitEnded(const QList<pid_t> &tree, int timeoutMs = 10000);
} // namespace ProcessTree
