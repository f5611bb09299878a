#include "StdinCommands.h"

#include <QSocketNotifier>
#include <unistd.h>

StdinCommands::StdinCommands(QObject *parent)
    : QObject(parent), m_notifier(new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this))
{
    connect(m_notifier, &QSocketNotifier::activated, this, &StdinCommands::readAvailable);
}

void StdinCommands::readAvailable()
{
    char buffer[256];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got <= 0) {
        m_notifier->setEnabled(false);
        emit command("quit");
        return;
    }
    m_pending.append(buffer, got);
    for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
        const QByteArray line = m_pending.left(end).trimmed();
        m_pending.remove(0, end + 1);
        emit command(line);
    }
}
