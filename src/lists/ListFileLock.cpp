#include "lists/ListFileLock.h"

#include "common/PrivateFolder.h"
#include "common/Product.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace {

constexpr int RetryMs = 1;

// A folder only this user can reach, so no one else can hold (or pre-create) our locks: one of
// ours in the runtime folder the session provides, else one in the program's private cache
// folder. Where neither can be had, there is no lock, and writers do not go on without one.
QString lockFolder()
{
    const QString base = PrivateFolder::base();
    if (base.isEmpty())
        return {};
    return PrivateFolder::made(
        PrivateFolder::isRuntime(base)
            ? base + QStringLiteral("/%1-locks-%2").arg(Product::ExecutableName).arg(::getuid())
            : base + QStringLiteral("/locks"));
}

// The list file's absolute path with its folder resolved, so every way of naming one file
// (a relative name, a link to its folder) meets at one lock. The file itself may not exist yet.
QString absoluteName(const QString &fileName)
{
    const QFileInfo file(QDir::current().absoluteFilePath(fileName));
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? file.absolutePath() : folder) + QLatin1Char('/') + file.fileName();
}

} // namespace

QString ListFileLock::lockPath(const QString &fileName)
{
    const QString folder = lockFolder();
    if (folder.isEmpty())
        return {};
    const QByteArray key =
        QCryptographicHash::hash(absoluteName(fileName).toUtf8(), QCryptographicHash::Sha256);
    return folder + QLatin1Char('/') + QString::fromLatin1(key.toHex().left(32)) +
           QStringLiteral(".lock");
}

ListFileLock::ListFileLock(const QString &fileName, int limitMs)
    : m_lock(lockPath(fileName), limitMs, RetryMs)
{
}

bool ListFileLock::isLocked() const
{
    return m_lock.state() == FileLock::State::Held;
}

void ListFileLock::release()
{
    m_lock.release();
}
