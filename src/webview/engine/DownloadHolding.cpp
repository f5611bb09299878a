#include "webview/engine/DownloadHolding.h"

#include "common/FileBytes.h"
#include "common/PrivateFolder.h"
#include "webview/engine/DownloadManager.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

QString reason(int error)
{
    // Thread-safe, unlike strerror.
    return QString::fromStdString(std::generic_category().message(error));
}

// Every byte of one open file into another; false with errno set on the first failure.
bool copyBytes(int from, int to)
{
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), size_t(buffer.size()));
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!FileBytes::writeAll(to, QByteArrayView(buffer.constData(), got)))
            return false;
    }
}

} // namespace

DownloadHolding::~DownloadHolding()
{
    clear();
}

QString DownloadHolding::base()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/zarvo-velmora/held-downloads");
}

bool DownloadHolding::open()
{
    if (!m_run.isEmpty())
        return true;
    const QString folder = base();
    if (!QDir().mkpath(QFileInfo(folder).path()) || PrivateFolder::made(folder).isEmpty())
        return false;
    QByteArray run = QFile::encodeName(folder + QStringLiteral("/run-XXXXXX"));
    if (!::mkdtemp(run.data()))
        return false;
    // Held from now to the end of the run; the kernel lets go of it when the process dies.
    const QByteArray lock = run + ".lock";
    m_lock = ::open(lock.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_lock < 0 || ::flock(m_lock, LOCK_EX | LOCK_NB) != 0) {
        if (m_lock >= 0)
            ::close(m_lock);
        m_lock = -1;
        ::rmdir(run.constData());
        return false;
    }
    m_run = QFile::decodeName(run);
    return true;
}

QString DownloadHolding::folderFor(quint32 id)
{
    if (!open())
        return {};
    const QString folder = m_run + QLatin1Char('/') + QString::number(id);
    // Ours alone: made 0700, refused where it is a link or another user's.
    return PrivateFolder::made(folder);
}

void DownloadHolding::discard(quint32 id)
{
    if (!m_run.isEmpty())
        QDir(m_run + QLatin1Char('/') + QString::number(id)).removeRecursively();
}

void DownloadHolding::clear()
{
    if (m_run.isEmpty())
        return;
    QDir(m_run).removeRecursively();
    ::unlink(QFile::encodeName(m_run + QStringLiteral(".lock")).constData());
    ::close(m_lock);
    m_lock = -1;
    m_run.clear();
}

void DownloadHolding::sweep()
{
    const QDir folder(base());
    const QFileInfoList runs =
        folder.entryInfoList({QStringLiteral("run-*")},
                             QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Hidden);
    for (const QFileInfo &run : runs) {
        const QByteArray lock = QFile::encodeName(run.filePath() + QStringLiteral(".lock"));
        const int fd = ::open(lock.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            // A run makes its lock right after its folder: one without, and not new, is left over.
            if (errno == ENOENT && run.lastModified().secsTo(QDateTime::currentDateTime()) > 60)
                QDir(run.filePath()).removeRecursively();
            continue;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            QDir(run.filePath()).removeRecursively();
            ::unlink(lock.constData());
        }
        ::close(fd);
    }
}

DownloadHolding::Placed DownloadHolding::moveInto(const QString &file, const QString &path,
                                                  const QString &name)
{
    const QString folder = QFileInfo(path).path();
    if (!QDir().mkpath(folder))
        return {{}, reason(errno ? errno : EACCES)};
    // The name is taken by creating the file: never over a file that appeared meanwhile.
    QString target = path;
    QSet<QString> taken;
    int fd = -1;
    for (int tries = 0; tries < 1000 && fd < 0; ++tries) {
        fd = ::open(QFile::encodeName(target).constData(),
                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0)
            break;
        if (errno != EEXIST)
            return {{}, reason(errno)};
        taken.insert(target);
        target = DownloadManager::unusedPath(folder, name, taken);
    }
    if (fd < 0)
        return {{}, reason(EEXIST)};
    // Made as the user's own files are made (0666 less the umask): the moved file gets the same.
    struct stat made {};
    ::fstat(fd, &made);
    const QByteArray source = QFile::encodeName(file);
    const QByteArray destination = QFile::encodeName(target);
    if (::rename(source.constData(), destination.constData()) == 0) {
        ::close(fd);
        ::chmod(destination.constData(), made.st_mode & 07777);
        return {target, {}};
    }
    if (errno == EXDEV) {
        const int in = ::open(source.constData(), O_RDONLY | O_CLOEXEC);
        if (in >= 0 && copyBytes(in, fd)) {
            ::close(in);
            if (::close(fd) == 0) {
                ::unlink(source.constData());
                return {target, {}};
            }
            fd = -1;
        } else if (in >= 0) {
            const int error = errno;
            ::close(in);
            errno = error;
        }
    }
    // Nothing half made is left behind.
    const int error = errno;
    if (fd >= 0)
        ::close(fd);
    ::unlink(destination.constData());
    return {{}, reason(error)};
}
