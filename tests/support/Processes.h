#pragma once

#include <QByteArray>
#include <QList>

// Processes as /proc shows them.
namespace Processes {
// Every process the given one started, and those they started, in no particular order.
QList<qint64> descendants(qint64 pid);
// A line of /proc/PID/status ("Seccomp", "NoNewPrivs") without its name; empty when absent.
QByteArray status(qint64 pid, const QByteArray &field);
} // namespace Processes
