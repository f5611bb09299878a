#include "lists/ListFileLock.h"

#include "app/Product.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int RetryMs = 1;

// A folder only this user can reach, so no one else can hold (or pre-create) our locks: the
// runtime folder the session provides, or one of our own under the temporary folder.
QString lockFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QString base;
    struct stat info {};
    if (!runtime.isEmpty() && ::lstat(runtime.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == ::getuid())
        base = QString::fromLocal8Bit(runtime);
    else
        base = QDir::tempPath();
    const QString folder =
        base + QStringLiteral("/%1-locks-%2").arg(Product::ExecutableName).arg(::getuid());
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    // Someone else's folder, or a link planted in its place, is never used.
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid() || (info.st_mode & 0077) != 0)
        return {};
    return folder;
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
    return m_lock.state() != FileLock::State::Busy;
}

void ListFileLock::release()
{
    m_lock.release();
}
