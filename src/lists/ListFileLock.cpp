#include "lists/ListFileLock.h"

#include "app/Product.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
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
{
    const QString path = lockPath(fileName);
    const int fd = path.isEmpty() ? -1
                                  : ::open(QFile::encodeName(path).constData(),
                                           O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        m_locked = true;
        return;
    }
    // Tried again and again rather than waited for: a blocking flock cannot be given a limit.
    const QDeadlineTimer deadline(limitMs);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_fd = fd;
            m_locked = true;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired())
            break;
        QThread::msleep(RetryMs);
    }
    ::close(fd);
}

ListFileLock::~ListFileLock()
{
    release();
}

void ListFileLock::release()
{
    m_locked = false;
    if (m_fd < 0)
        return;
    // Closing the only descriptor of the lock file lets the lock go.
    ::close(m_fd);
    m_fd = -1;
}
