#include "app/HandOver.h"

#include "common/FileLock.h"
#include "common/PrivateFolder.h"
#include "common/Product.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <optional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A request: this line, the start's working folder, its address and "private" for a private
// window (else nothing), each ended by a NUL (which
// neither a path nor an argument can hold). The answer is one byte. After "opened" the start says
// with one byte that it takes it, and only then does the browser open the window: a start that
// gave up waiting (the browser was stopped or hung) never has its request carried out later.
const QByteArray Greeting = QByteArrayLiteral("zarvo-velmora hand-over 2");
const QByteArray PrivateWindow = QByteArrayLiteral("private");
constexpr char Opened = 'O';
constexpr char Elsewhere = 'E';
constexpr char Taken = 'T';
constexpr int RequestFields = 4;
constexpr qint64 MaxRequestBytes = 64 * 1024;
// A browser that has not answered by then is asked again, as long as the start waits for it.
constexpr int AnswerMs = 1000;
constexpr int AskAgainMs = 100;
// A start that connects and sends nothing is let go.
constexpr int RequestMs = 2000;
// Starts at the same moment wait for each other this long at most.
constexpr int LockMs = 3000;

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

std::optional<uid_t> peerUser(qintptr descriptor)
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return std::nullopt;
    return credentials.uid;
}

} // namespace

HandOver::HandOver(const QString &dataFolder, QObject *parent)
    : QObject(parent), m_dataFolder(dataFolder)
{
}

HandOver::~HandOver()
{
    stop();
    unlock();
}

QString HandOver::socketPath(const QString &runtimeFolder, const QString &dataFolder)
{
    // Named after the folder as the file system knows it, whichever way it was reached.
    QDir().mkpath(dataFolder);
    QString folder = QFileInfo(dataFolder).canonicalFilePath();
    if (folder.isEmpty())
        folder = QDir::cleanPath(QDir(dataFolder).absolutePath());
    const QByteArray hash =
        QCryptographicHash::hash(encoded(folder), QCryptographicHash::Sha256).toHex().left(16);
    return QDir(runtimeFolder)
        .filePath(Product::ExecutableName + QLatin1Char('-') + QString::fromLatin1(hash) +
                  QStringLiteral(".socket"));
}

HandOver::Outcome HandOver::ask(const QString &address, bool isPrivate)
{
    m_workingFolder = QFileInfo(QDir::currentPath()).canonicalFilePath();
    const QString folder = PrivateFolder::base();
    if (!folder.isEmpty()) {
        m_path = socketPath(folder, m_dataFolder);
        lock();
    }

    // The profile's lock, not an answer, tells whether a browser runs: one that is stopped or
    // hangs is asked again for a while, and never gets a second browser beside it.
    const QDeadlineTimer patience(PatienceMs);
    for (;;) {
        Outcome outcome = Outcome::Unanswered;
        if (!m_path.isEmpty() &&
            askRunning(address, isPrivate, &outcome,
                       int(qMin<qint64>(AnswerMs, patience.remainingTime())))) {
            unlock();
            return outcome;
        }
        if (takeProfile())
            return m_path.isEmpty() ? Outcome::Alone : Outcome::Unanswered;
        if (patience.hasExpired()) {
            unlock();
            return Outcome::Unresponsive;
        }
        QThread::msleep(AskAgainMs);
    }
}

bool HandOver::takeProfile()
{
    QDir().mkpath(m_dataFolder);
    m_profile.emplace(QDir(m_dataFolder).filePath(QStringLiteral("browser.lock")), 0, 0);
    // A profile folder that cannot even hold the lock file cannot hold site data either: its
    // browser is this start.
    if (m_profile->state() != FileLock::State::Busy)
        return true;
    m_profile.reset();
    return false;
}

// Starts at the same moment take turns: one becomes the browser, the others then find it. Held
// while a start asks and, if nobody answers, until it listens.
void HandOver::lock()
{
    // A start that holds it longer than any start takes is stopped: go on without.
    m_lock.emplace(m_path + QStringLiteral(".lock"), LockMs, 10);
    if (m_lock->state() != FileLock::State::Held)
        unlock();
}

void HandOver::unlock()
{
    m_lock.reset();
}

bool HandOver::askRunning(const QString &address, bool isPrivate, Outcome *outcome, int limitMs)
{
    // Another user's socket is never used, nor anything that is not a socket.
    struct stat status {};
    if (::lstat(encoded(m_path).constData(), &status) != 0 || !S_ISSOCK(status.st_mode) ||
        status.st_uid != ::geteuid())
        return false;

    const QDeadlineTimer deadline(limitMs);
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(int(deadline.remainingTime())) ||
        peerUser(socket.socketDescriptor()) != ::geteuid())
        return false;
    const QByteArray request = Greeting + '\0' + encoded(QDir::currentPath()) + '\0' +
                               address.toUtf8() + '\0' +
                               (isPrivate ? PrivateWindow : QByteArray()) + '\0';
    socket.write(request);
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(int(deadline.remainingTime()))) {
    }
    while (socket.bytesAvailable() < 1 && socket.waitForReadyRead(int(deadline.remainingTime()))) {
    }
    char answer = 0;
    if (!socket.getChar(&answer))
        return false;
    if (answer == Elsewhere) {
        *outcome = Outcome::Elsewhere;
        return true;
    }
    // Handed over once the browser can read that this start takes the answer; a browser that
    // ended meanwhile cannot, and this start goes on asking.
    if (answer != Opened || !socket.putChar(Taken) || !socket.flush() || socket.bytesToWrite() > 0)
        return false;
    *outcome = Outcome::HandedOver;
    return true;
}

bool HandOver::listen()
{
    const auto unlocked = qScopeGuard([this] { unlock(); });
    if (m_path.isEmpty() || m_thread)
        return false;
    // Whatever is left at the name is the socket of a browser that ended without closing it, or
    // of another user: it is replaced. (A browser that hangs still holds the profile, so this
    // start would not be listening.)
    if (::unlink(encoded(m_path).constData()) != 0 && errno != ENOENT)
        return false;
    auto *server = new QLocalServer;
    server->setSocketOptions(QLocalServer::UserAccessOption);
    struct stat status {};
    if (!server->listen(m_path) || ::lstat(encoded(m_path).constData(), &status) != 0) {
        delete server;
        return false;
    }
    m_server = server;
    m_device = status.st_dev;
    m_inode = status.st_ino;

    // Answered on a thread of its own, so that a start is answered at once even while this
    // browser's windows are busy (its own start-up, a long page): a start waits for an answer
    // only while a browser is stopped or hangs.
    connect(server, &QLocalServer::newConnection, server, [this, server] {
        while (QLocalSocket *socket = server->nextPendingConnection())
            serve(socket);
    });
    m_thread = new QThread(this);
    m_thread->setObjectName(QStringLiteral("hand-over"));
    server->moveToThread(m_thread);
    m_thread->start();
    return true;
}

void HandOver::serve(QLocalSocket *socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (peerUser(socket->socketDescriptor()) != ::geteuid()) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    // A start that sends nothing, or never says it takes the answer, is let go; what it sent
    // before is read first (this browser may have been stopped meanwhile).
    QTimer::singleShot(RequestMs, socket, [socket] {
        socket->waitForReadyRead(0);
        socket->abort();
    });
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { answer(socket); });
    answer(socket);
}

void HandOver::answer(QLocalSocket *socket)
{
    if (socket->state() != QLocalSocket::ConnectedState)
        return;
    const QByteArray received = socket->peek(MaxRequestBytes + 1);
    if (received.count('\0') < RequestFields) {
        if (received.size() > MaxRequestBytes)
            socket->abort();
        return;
    }
    const QList<QByteArray> fields = socket->readAll().split('\0');
    if (fields.value(0) != Greeting) {
        socket->abort();
        return;
    }
    // The lists live in the working folder: a start in another one keeps its own lists, so it
    // cannot be this browser's window.
    const QString folder = QFileInfo(QFile::decodeName(fields.value(1))).canonicalFilePath();
    const bool here = !folder.isEmpty() && folder == m_workingFolder;
    if (!here) {
        socket->putChar(Elsewhere);
        socket->disconnectFromServer();
        return;
    }
    const QString address = QString::fromUtf8(fields.value(2));
    const bool isPrivate = fields.value(3) == PrivateWindow;
    disconnect(socket, &QLocalSocket::readyRead, socket, nullptr);
    connect(socket, &QLocalSocket::readyRead, socket,
            [this, socket, address, isPrivate] { confirm(socket, address, isPrivate); });
    socket->putChar(Opened);
    socket->flush();
}

// Opens the window only for a start that is still there to take the answer.
void HandOver::confirm(QLocalSocket *socket, const QString &address, bool isPrivate)
{
    char taken = 0;
    if (!socket->getChar(&taken))
        return;
    socket->disconnectFromServer();
    if (taken == Taken)
        QMetaObject::invokeMethod(
            this, [this, address, isPrivate] { emit windowRequested(address, isPrivate); },
            Qt::QueuedConnection);
}

void HandOver::stop()
{
    if (!m_thread)
        return;
    QMetaObject::invokeMethod(
        m_server,
        [this] {
            // Should another socket have taken the name meanwhile, that one stays. Closing this
            // server would remove it, so it is left as it is.
            struct stat status {};
            if (::lstat(encoded(m_path).constData(), &status) == 0 && status.st_dev == m_device &&
                status.st_ino == m_inode)
                delete m_server;
            m_server = nullptr;
        },
        Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}
