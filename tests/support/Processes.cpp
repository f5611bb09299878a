#include "support/Processes.h"

#include <QDir>
#include <QFile>
#include <QHash>

namespace Processes {

QList<qint64> descendants(qint64 pid)
{
    // Scanned rather than read from each process's list of children: that list is per thread,
    // and the engine starts its helpers from threads of its own.
    QHash<qint64, qint64> parentOf;
    for (const QString &entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks and parentheses.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            parentOf.insert(entry.toLongLong(), fields[1].toLongLong());
    }
    QList<qint64> tree{pid};
    for (qsizetype i = 0; i < tree.size(); ++i) {
        for (auto it = parentOf.cbegin(); it != parentOf.cend(); ++it) {
            if (it.value() == tree[i])
                tree.append(it.key());
        }
    }
    return tree.mid(1);
}

QByteArray status(qint64 pid, const QByteArray &field)
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed();
    }
    return {};
}

} // namespace Processes
