#include "common/FileLock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FileLock::FileLock(const QString &path, int limitMs, int retryMs)
{
    // Never through a link: a lock file planted as a link would lock something else. One that
    // exists on a read-only file system still locks, read-only.
    const QByteArray name = QFile::encodeName(path);
    int fd = path.isEmpty()
                 ? -1
                 : ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 && (errno == EROFS || errno == EACCES))
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return;
    const QDeadlineTimer deadline(limitMs);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_fd = fd;
            m_state = State::Held;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired())
            break;
        QThread::msleep(static_cast<unsigned long>(retryMs));
    }
    ::close(fd);
    m_state = State::Busy;
}

FileLock::~FileLock()
{
    release();
}

void FileLock::release()
{
    if (m_fd < 0)
        return;
    // Closing the only descriptor of the lock file lets the lock go.
    ::close(m_fd);
    m_fd = -1;
}
