#include "common/PrivateFolder.h"

#include "common/Product.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isOurs(const struct stat &status)
{
    return S_ISDIR(status.st_mode) && status.st_uid == ::geteuid();
}

QString runtimeFolder()
{
    // Read here rather than through Qt: Qt falls back to a folder under /tmp, which another user
    // can create first.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat status {};
    if (runtime.isEmpty() || !runtime.startsWith('/') ||
        ::lstat(runtime.constData(), &status) != 0 || !isOurs(status) ||
        (status.st_mode & 077) != 0)
        return {};
    return QFile::decodeName(runtime);
}

// A folder that others cannot write into, or only as a sticky one: nobody else can rename or
// replace what we make there.
bool isSafeParent(const QString &folder)
{
    struct stat status {};
    return ::stat(QFile::encodeName(folder).constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           (status.st_uid == ::geteuid() || status.st_uid == 0) &&
           ((status.st_mode & 022) == 0 || (status.st_mode & S_ISVTX) != 0);
}

} // namespace

namespace PrivateFolder {

QString base()
{
    const QString runtime = runtimeFolder();
    if (!runtime.isEmpty())
        return runtime;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty() || !QDir::isAbsolutePath(cache) || !QDir().mkpath(cache) ||
        !isSafeParent(cache))
        return {};
    return made(cache + QLatin1Char('/') + Product::ExecutableName);
}

bool isRuntime(const QString &base)
{
    return !base.isEmpty() && base == runtimeFolder();
}

QString made(const QString &folder)
{
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    // Checked on the folder itself, never through a link planted in its place.
    const int descriptor =
        ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
        return {};
    struct stat status {};
    bool ok = ::fstat(descriptor, &status) == 0 && isOurs(status);
    // Ours but open to others (made by an older version, or by the engine for its cache): closed.
    if (ok && (status.st_mode & 077) != 0)
        ok = ::fchmod(descriptor, 0700) == 0;
    ::close(descriptor);
    return ok ? folder : QString();
}

} // namespace PrivateFolder
