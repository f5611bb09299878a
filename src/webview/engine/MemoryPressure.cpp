#include "webview/engine/MemoryPressure.h"

#include <QFile>

namespace {
// The number of kB on the line that starts with the name, or -1.
qint64 kiloBytes(const QByteArray &meminfo, const QByteArray &name)
{
    for (const QByteArray &line : meminfo.split('\n')) {
        if (!line.startsWith(name))
            continue;
        QByteArray value = line.mid(name.size()).trimmed();
        if (value.endsWith("kB"))
            value.chop(2);
        bool ok = false;
        const qint64 amount = value.trimmed().toLongLong(&ok);
        return ok ? amount : -1;
    }
    return -1;
}
} // namespace

MemoryPressure *MemoryPressure::instance()
{
    // Never deleted: a window going after the application object may still stop watching.
    static MemoryPressure *pressure = new MemoryPressure;
    return pressure;
}

MemoryPressure::MemoryPressure()
{
    m_timer.setInterval(10 * 1000);
    connect(&m_timer, &QTimer::timeout, this, &MemoryPressure::check);
}

void MemoryPressure::watch(const QObject *watcher)
{
    m_watchers.insert(watcher);
    if (!m_timer.isActive())
        m_timer.start();
}

void MemoryPressure::unwatch(const QObject *watcher)
{
    m_watchers.remove(watcher);
    if (m_watchers.isEmpty())
        m_timer.stop();
}

bool MemoryPressure::isLow(const QByteArray &meminfo)
{
    const qint64 total = kiloBytes(meminfo, "MemTotal:");
    const qint64 available = kiloBytes(meminfo, "MemAvailable:");
    // Unreadable figures say nothing: no page is freed on a guess.
    if (total <= 0 || available < 0)
        return false;
    return available * 10 < total;
}

void MemoryPressure::check()
{
    QFile file(QStringLiteral("/proc/meminfo"));
    if (file.open(QIODevice::ReadOnly) && isLow(file.readAll()))
        emit low();
}
