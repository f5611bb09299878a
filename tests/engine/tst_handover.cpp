#include "app/HandOver.h"
#include "app/SessionJournal.h"
#include "common/MainWindows.h"
#include "main_window/Form1.h"
#include "main_window/RestoreBar.h"
#include "support/LoopbackServer.h"
#include "support/PageScript.h"
#include "support/ScriptedServer.h"
#include "support/TestMain.h"
#include "support/WindowFixture.h"
#include "support/WorkingFolder.h"
#include "webview/engine/BrowserProfile.h"
#include "webview/engine/EngineWebView.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <memory>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int LoadMs = 60000;
// How long a start waits for a browser that holds the profile but does not answer.
constexpr int PatienceMs = 5000;

// A page stores a value; another reports what it finds, by the address it asks for next.
const QByteArray StoringPage =
    "<!DOCTYPE html><title>Storing</title><script>localStorage.setItem('kept', 'first');"
    "</script>";
const QByteArray ReadingPage = "<!DOCTYPE html><title>Reading</title><script>"
                               "fetch('/seen/' + localStorage.getItem('kept'));</script>";
// The same, reporting under the name of its own page ("/seen-second/..." from /second.html).
const QByteArray NamedReadingPage =
    "<!DOCTYPE html><title>Reading</title><script>fetch('/seen-' + "
    "location.pathname.slice(1, -5) + '/' + localStorage.getItem('kept'));</script>";
// Stores a value a moment before the browser is ended, and says so; the second one then asks for
// a login, which the browser asks in a modal dialog.
const QByteArray StoringLatePage = "<!DOCTYPE html><title>Storing</title><script>"
                                   "localStorage.setItem('kept', 'late'); fetch('/stored');"
                                   "</script>";
const QByteArray StoringThenLoginPage = "<!DOCTYPE html><title>Storing</title><script>"
                                        "localStorage.setItem('kept', 'late');"
                                        "location.href = '/login';</script>";
const QByteArray OverwritingPage = "<!DOCTYPE html><title>Overwriting</title><script>"
                                   "fetch('/seen-elsewhere/' + localStorage.getItem('kept'));"
                                   "localStorage.setItem('kept', 'elsewhere');</script>";

QByteArray history(const QString &folder)
{
    QFile file(QDir(folder).filePath(QStringLiteral("History.DAT")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The windows the profile's journal holds; none when there is no journal.
QList<SessionJournal::Window> journaled()
{
    QFile file(SessionJournal::fileIn(BrowserProfile::dataFolder()));
    QList<SessionJournal::Window> windows;
    qint64 restoredAt = 0;
    if (!file.open(QIODevice::ReadOnly) ||
        !SessionJournal::decode(file.readAll(), &windows, &restoredAt))
        return {};
    return windows;
}

bool journaledAt(const QString &address, QString SessionJournal::Window::*field)
{
    const QList<SessionJournal::Window> windows = journaled();
    return std::any_of(windows.begin(), windows.end(), [&](const SessionJournal::Window &window) {
        return window.*field == address;
    });
}

// The open main window showing an address that starts so.
Form1 *windowAt(const QString &start)
{
    for (QWidget *widget : MainWindows::openWindows()) {
        auto *window = static_cast<Form1 *>(widget);
        if (window->WebBrowser1->LocationURL().startsWith(start))
            return window;
    }
    return nullptr;
}

// A running start of the built program; ended when the test leaves it.
class Start {
public:
    Start(const QProcessEnvironment &environment, const QString &folder,
          const QStringList &arguments)
    {
        m_process.setProcessEnvironment(environment);
        m_process.setWorkingDirectory(folder);
        m_process.start(QStringLiteral(ZV_PROGRAM), arguments);
    }
    ~Start()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished();
    }
    Start(const Start &) = delete;
    Start &operator=(const Start &) = delete;

    QProcess &process() { return m_process; }
    // Ended by itself, with status 0.
    bool endedWell(int timeoutMs = 30000)
    {
        return (m_process.state() == QProcess::NotRunning ||
                m_process.waitForFinished(timeoutMs)) &&
               m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    QString output() { return QString::fromLocal8Bit(m_process.readAllStandardError()); }

private:
    QProcess m_process;
};

// A socket file at the browser's name that no browser listens on.
int boundSocket(const QString &path, bool listening)
{
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    qstrncpy(address.sun_path, name.constData(), sizeof address.sun_path);
    if (descriptor < 0 ||
        ::bind(descriptor, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        (listening && ::listen(descriptor, 4) != 0))
        return -1;
    return descriptor;
}

} // namespace

// Starts of the built program on one web profile: a later start hands over to the running
// browser, which opens the window; its site storage stays one.
class HandOverTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void wrongArgumentsOpenNoWindow_data();
    void wrongArgumentsOpenNoWindow();
    void aSecondStartHandsOverAndSharesSiteStorage();
    void twoStartsAtOnceMakeOneBrowser();
    void aSocketNoBrowserAnswersOnIsReplaced_data();
    void aSocketNoBrowserAnswersOnIsReplaced();
    void runtimeFoldersAnotherUserPlantedStillHandOver_data();
    void runtimeFoldersAnotherUserPlantedStillHandOver();
    void aStoppedBrowserGetsNoTwinAndRepeatsNothing();
    void anEndSignalClosesTheBrowserAndKeepsSiteData_data();
    void anEndSignalClosesTheBrowserAndKeepsSiteData();
    void aKilledBrowserComesBackWithItsHistory();
    void privateWindowsKeepNothing();

private:
    QString folder(const QString &name);
    QString plantedFolder(const QString &path);
    QString socketPath() const;

    LoopbackServer m_server;
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_runtime;
    QProcessEnvironment m_environment;
};

void HandOverTest::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.serveHtml(QStringLiteral("/home.html"), "<!DOCTYPE html><title>Home</title>");
    m_server.serveHtml(QStringLiteral("/store.html"), StoringPage);
    m_server.serveHtml(QStringLiteral("/read.html"), ReadingPage);
    m_server.serveHtml(QStringLiteral("/overwrite.html"), OverwritingPage);
    m_server.serveHtml(QStringLiteral("/second.html"), NamedReadingPage);
    m_server.serveHtml(QStringLiteral("/third.html"), NamedReadingPage);
    m_server.serveHtml(QStringLiteral("/store-late.html"), StoringLatePage);
    m_server.serveHtml(QStringLiteral("/store-then-login.html"), StoringThenLoginPage);
    // Three pages in one window's history, one after another by themselves.
    m_server.serveHtml(QStringLiteral("/h1.html"),
                       "<!DOCTYPE html><title>One</title><script>onload = () => setTimeout(() => "
                       "location.href = '/h2.html', 100);</script>");
    m_server.serveHtml(QStringLiteral("/h2.html"),
                       "<!DOCTYPE html><title>Two</title><script>onload = () => setTimeout(() => "
                       "location.href = '/h3.html', 100);</script>");
    m_server.serveHtml(QStringLiteral("/h3.html"), "<!DOCTYPE html><title>Three</title>");
    m_server.serveHtml(QStringLiteral("/other.html"), "<!DOCTYPE html><title>Other</title>");
    // A cookie set, and what a page finds of it.
    m_server.serve(QStringLiteral("/set-cookie.html"),
                   {"text/html",
                    "<title>Set</title><script>fetch('/cookie-set/' + "
                    "document.cookie);</script>",
                    200, "Set-Cookie: kept=private\r\n"});
    m_server.serveHtml(QStringLiteral("/cookie.html"),
                       "<title>Cookie</title><script>fetch('/cookie-seen/' + "
                       "(document.cookie || 'none'));</script>");
    m_server.serve(QStringLiteral("/login"), {"text/html", "<title>Not yet</title>", 401,
                                              "WWW-Authenticate: Basic realm=\"Members\"\r\n"});
}

// Each case on a fresh profile, home page on the server, a private runtime folder.
void HandOverTest::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    const QDir home(m_home->path());
    QVERIFY(home.mkpath(QStringLiteral("config/zarvo-velmora")));
    QFile ini(home.filePath(QStringLiteral("config/zarvo-velmora/webview.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[General]\nHomePage=" + m_server.url(QStringLiteral("/home.html")).toEncoded() +
              "\n");
    ini.close();
    m_runtime = home.filePath(QStringLiteral("runtime"));
    QVERIFY(home.mkpath(m_runtime));
    QVERIFY(
        QFile::setPermissions(m_runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    // This test's own data folder is the programs' too: it names their socket.
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                         home.filePath(QStringLiteral("config")));
    m_environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
    m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
}

QString HandOverTest::folder(const QString &name)
{
    const QString path = QDir(m_home->path()).filePath(name);
    return QDir().mkpath(path) ? path : QString();
}

// A folder another local user made, open to everyone.
QString HandOverTest::plantedFolder(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    return QDir().mkpath(path) && ::chmod(name.constData(), 0777) == 0 &&
                   ::chown(name.constData(), 65534, 65534) == 0
               ? path
               : QString();
}

QString HandOverTest::socketPath() const
{
    return HandOver::socketPath(m_runtime, BrowserProfile::dataFolder());
}

void HandOverTest::wrongArgumentsOpenNoWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("two addresses") << QStringList{"example.com", "example.org"};
    QTest::newRow("two after the end of options") << QStringList{"--", "-a", "-b"};
    QTest::newRow("short option") << QStringList{"-x"};
    QTest::newRow("long option") << QStringList{"--new-window"};
    QTest::newRow("a toolkit option") << QStringList{"-platform", "offscreen"};
    QTest::newRow("an engine switch") << QStringList{"--no-sandbox"};
    QTest::newRow("option with a line break") << QStringList{"-a\nb"};
}

void HandOverTest::wrongArgumentsOpenNoWindow()
{
    QFETCH(QStringList, arguments);
    const QString here = folder(QStringLiteral("here"));
    Start start(m_environment, here, arguments);
    QVERIFY(start.process().waitForFinished(30000));
    QCOMPARE(start.process().exitCode(), 2);
    const QString message = start.output();
    QCOMPARE(message.count(u'\n'), 1);
    QVERIFY2(message.endsWith(QLatin1String("Usage: zarvo-velmora [--private] [ADDRESS]\n")),
             qPrintable(message));
    // No window was loaded: no load stamp.
    QVERIFY(!QFile::exists(QDir(here).filePath(QStringLiteral("History.DAT"))));
}

void HandOverTest::aSecondStartHandsOverAndSharesSiteStorage()
{
    const QString here = folder(QStringLiteral("here"));
    const QString elsewhere = folder(QStringLiteral("elsewhere"));
    const QString store = m_server.url(QStringLiteral("/store.html")).toString();
    Start first(m_environment, here, {store});
    QTRY_VERIFY_WITH_TIMEOUT(history(here).contains(store.toUtf8() + "\r\n"), LoadMs);
    QVERIFY(!history(here).contains("/home.html"));

    // Without a scheme, as the address box takes it.
    const QString read = m_server.url(QStringLiteral("/read.html")).toString().mid(7);
    Start second(m_environment, here, {read});
    QVERIFY2(second.endedWell(), qPrintable(second.output()));
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requests().contains(QStringLiteral("/seen/first")), LoadMs);
    QCOMPARE(first.process().state(), QProcess::Running);
    // The running browser loaded the window: its own load stamp, then the page.
    QTRY_VERIFY_WITH_TIMEOUT(history(here).endsWith("/read.html\r\n"), LoadMs);
    QCOMPARE(history(here).count("\r\n"), 4);

    // A start in another folder has its own lists and stores nothing where the first browser
    // keeps its site data.
    Start other(m_environment, elsewhere,
                {m_server.url(QStringLiteral("/overwrite.html")).toString()});
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requests().contains(QStringLiteral("/seen-elsewhere/null")),
                             LoadMs);
    QTRY_VERIFY_WITH_TIMEOUT(history(elsewhere).endsWith("/overwrite.html\r\n"), LoadMs);
    QCOMPARE(other.process().state(), QProcess::Running);
    QCOMPARE(history(here).count("\r\n"), 4);

    // Started with no address, a handed-over window opens the home page.
    Start third(m_environment, here, {});
    QVERIFY2(third.endedWell(), qPrintable(third.output()));
    QTRY_VERIFY_WITH_TIMEOUT(history(here).endsWith("/home.html\r\n"), LoadMs);
    Start fourth(m_environment, here, {read});
    QVERIFY2(fourth.endedWell(), qPrintable(fourth.output()));
    QTRY_COMPARE_WITH_TIMEOUT(m_server.requests().count(QStringLiteral("/seen/first")), 2, LoadMs);
    QVERIFY(!m_server.requests().contains(QStringLiteral("/seen/elsewhere")));
}

// Started together, one becomes the browser and the other hands over to it.
void HandOverTest::twoStartsAtOnceMakeOneBrowser()
{
    const QString here = folder(QStringLiteral("here"));
    Start one(m_environment, here, {});
    Start two(m_environment, here, {});
    QTRY_COMPARE_WITH_TIMEOUT(history(here).count("/home.html\r\n"), 2, LoadMs);
    QCOMPARE(int(one.process().state() == QProcess::Running) +
                 int(two.process().state() == QProcess::Running),
             1);
    Start &ended = one.process().state() == QProcess::Running ? two : one;
    QVERIFY2(ended.endedWell(), qPrintable(ended.output()));
}

void HandOverTest::aSocketNoBrowserAnswersOnIsReplaced_data()
{
    QTest::addColumn<QString>("left");
    QTest::newRow("left by a browser that crashed") << "dead";
    QTest::newRow("taken but never answered") << "silent";
    QTest::newRow("another user's") << "other user";
}

void HandOverTest::aSocketNoBrowserAnswersOnIsReplaced()
{
    QFETCH(QString, left);
    const QString path = socketPath();
    int descriptor = -1;
    QLocalServer impostor;
    if (left == QLatin1String("other user")) {
        if (::geteuid() != 0)
            QSKIP("only root can leave a socket of another user here");
        // It would take any start: a browser that used it would end at once.
        connect(&impostor, &QLocalServer::newConnection, &impostor, [&impostor] {
            while (QLocalSocket *socket = impostor.nextPendingConnection()) {
                connect(socket, &QLocalSocket::readyRead, socket, [socket] {
                    socket->readAll();
                    socket->putChar('O');
                });
            }
        });
        QVERIFY(impostor.listen(path));
        QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
    } else {
        descriptor = boundSocket(path, left == QLatin1String("silent"));
        QVERIFY(descriptor >= 0);
        if (left == QLatin1String("dead"))
            ::close(descriptor);
    }
    const auto closeLeft = qScopeGuard([descriptor, left] {
        if (left == QLatin1String("silent"))
            ::close(descriptor);
    });

    const QString here = folder(QStringLiteral("here"));
    Start first(m_environment, here, {});
    QTRY_VERIFY_WITH_TIMEOUT(history(here).contains("/home.html\r\n"), LoadMs);
    QCOMPARE(first.process().state(), QProcess::Running);
    // The socket is the browser's now: the next start hands over.
    Start second(m_environment, here, {});
    QVERIFY2(second.endedWell(), qPrintable(second.output()));
    QTRY_COMPARE_WITH_TIMEOUT(history(here).count("/home.html\r\n"), 2, LoadMs);
}

void HandOverTest::runtimeFoldersAnotherUserPlantedStillHandOver_data()
{
    QTest::addColumn<bool>("runtimeSet");
    QTest::newRow("no runtime folder") << false;
    QTest::newRow("another user's runtime folder") << true;
}

// Where the session gives no runtime folder of ours, and the one Qt would fall back to in the
// shared temporary folder is another user's, the hand-over lives in the user's own cache.
void HandOverTest::runtimeFoldersAnotherUserPlantedStillHandOver()
{
    QFETCH(bool, runtimeSet);
    if (::geteuid() != 0)
        QSKIP("only root can leave a folder of another user here");
    const QString temp = folder(QStringLiteral("tmp"));
    const passwd *user = ::getpwuid(::geteuid());
    QVERIFY(user);
    for (const QString &name : {QStringLiteral("runtime-") + QString::fromLocal8Bit(user->pw_name),
                                QStringLiteral("zarvo-velmora-locks-%1").arg(::geteuid())})
        QVERIFY(!plantedFolder(QDir(temp).filePath(name)).isEmpty());
    m_environment.insert(QStringLiteral("TMPDIR"), temp);
    if (runtimeSet) {
        const QString theirs = plantedFolder(folder(QStringLiteral("theirs")));
        QVERIFY(!theirs.isEmpty());
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), theirs);
    } else {
        m_environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    }

    const QString here = folder(QStringLiteral("here"));
    Start first(m_environment, here, {});
    QTRY_VERIFY_WITH_TIMEOUT(history(here).contains("/home.html\r\n"), LoadMs);
    Start second(m_environment, here, {});
    QVERIFY2(second.endedWell(), qPrintable(second.output()));
    QTRY_COMPARE_WITH_TIMEOUT(history(here).count("/home.html\r\n"), 2, LoadMs);
    QCOMPARE(first.process().state(), QProcess::Running);

    const QString cache = QDir(m_home->path()).filePath(QStringLiteral("cache/zarvo-velmora"));
    QVERIFY(QFileInfo::exists(HandOver::socketPath(cache, BrowserProfile::dataFolder())));
    struct stat status {};
    QCOMPARE(::lstat(QFile::encodeName(cache).constData(), &status), 0);
    QCOMPARE(status.st_mode & 07777, mode_t(0700));
    QCOMPARE(status.st_uid, ::geteuid());
}

// A browser that is stopped (or hangs) still holds its profile: a start meanwhile waits for it,
// then runs keeping nothing on disk, never a second browser on the profile; and the stopped one,
// once it goes on, does not carry out the request of the start that gave up on it.
void HandOverTest::aStoppedBrowserGetsNoTwinAndRepeatsNothing()
{
    const QString here = folder(QStringLiteral("here"));
    const QString store = m_server.url(QStringLiteral("/store.html")).toString();
    Start first(m_environment, here, {store});
    QTRY_VERIFY_WITH_TIMEOUT(history(here).contains(store.toUtf8() + "\r\n"), LoadMs);
    const auto pid = pid_t(first.process().processId());
    QCOMPARE(::kill(pid, SIGSTOP), 0);
    const auto resumed = qScopeGuard([pid] { ::kill(pid, SIGCONT); });

    QElapsedTimer waited;
    waited.start();
    Start second(m_environment, here, {m_server.url(QStringLiteral("/second.html")).toString()});
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requests().contains(QStringLiteral("/seen-second/null")),
                             LoadMs);
    QVERIFY(waited.elapsed() >= PatienceMs);
    QCOMPARE(second.process().state(), QProcess::Running);

    // The first goes on, still the browser of the profile: the next start hands over to it.
    QCOMPARE(::kill(pid, SIGCONT), 0);
    Start third(m_environment, here, {m_server.url(QStringLiteral("/third.html")).toString()});
    QVERIFY2(third.endedWell(), qPrintable(third.output()));
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requests().contains(QStringLiteral("/seen-third/first")),
                             LoadMs);
    QTRY_VERIFY_WITH_TIMEOUT(history(here).endsWith("/third.html\r\n"), LoadMs);
    QCOMPARE(m_server.requests().filter(QStringLiteral("/seen-second/")).size(), 1);
    QCOMPARE(history(here).count("/second.html\r\n"), 1);
}

void HandOverTest::anEndSignalClosesTheBrowserAndKeepsSiteData_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("shown"); // what the browser has asked for when the signal comes
    QTest::newRow("SIGTERM") << int(SIGTERM) << "/store-late.html"
                             << "/stored";
    QTest::newRow("SIGHUP") << int(SIGHUP) << "/store-late.html"
                            << "/stored";
    // The dialog comes as the login's answer does.
    QTest::newRow("SIGTERM over a modal dialog") << int(SIGTERM) << "/store-then-login.html"
                                                 << "/login";
}

// A logout or kill ends the browser as its close boxes would: what a page stored a moment
// before is there at the next start.
void HandOverTest::anEndSignalClosesTheBrowserAndKeepsSiteData()
{
    QFETCH(int, signal);
    QFETCH(QString, page);
    QFETCH(QString, shown);
    const QString here = folder(QStringLiteral("here"));
    const int shownBefore = m_server.requests().count(shown);
    const int seenBefore = m_server.requests().count(QStringLiteral("/seen/late"));
    Start first(m_environment, here, {m_server.url(page).toString()});
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requests().count(shown) > shownBefore, LoadMs);
    QCOMPARE(::kill(pid_t(first.process().processId()), signal), 0);
    QVERIFY2(first.endedWell(5000), qPrintable(first.output()));
    // Not the user's end: the window is kept to come back.
    QCOMPARE(journaled().size(), 1);

    Start second(m_environment, here, {m_server.url(QStringLiteral("/read.html")).toString()});
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requests().count(QStringLiteral("/seen/late")) > seenBefore,
                             LoadMs);
}

// Killed, the browser leaves its windows in the journal: a page loading then is not asked for
// again until clicked, the next start keeps them while it offers them (a hand-over joins them),
// and the restored window goes Back through its history.
void HandOverTest::aKilledBrowserComesBackWithItsHistory()
{
    const QString here = folder(QStringLiteral("here"));
    int asked = 0;
    ScriptedServer hanging(
        [&asked](const QByteArray &) {
            ++asked;
            return QByteArray();
        },
        ScriptedServer::Hold);
    QVERIFY(hanging.listen());
    const QString slow = hanging.url(QStringLiteral("/slow")).toString();
    const QString other = m_server.url(QStringLiteral("/other.html")).toString();
    // Three pages, then one that never comes.
    m_server.serveHtml(QStringLiteral("/h3.html"),
                       "<!DOCTYPE html><title>Three</title><script>onload = () => setTimeout(() "
                       "=> location.href = '" +
                           slow.toUtf8() + "', 100);</script>");
    {
        Start first(m_environment, here, {m_server.url(QStringLiteral("/h1.html")).toString()});
        QTRY_VERIFY_WITH_TIMEOUT(journaledAt(slow, &SessionJournal::Window::loading), LoadMs);
        Start second(m_environment, here, {other});
        QVERIFY2(second.endedWell(), qPrintable(second.output()));
        QTRY_VERIFY_WITH_TIMEOUT(journaledAt(other, &SessionJournal::Window::address), LoadMs);
        QCOMPARE(::kill(pid_t(first.process().processId()), SIGKILL), 0);
        QVERIFY(first.process().waitForFinished(10000));
    }
    QCOMPARE(journaled().size(), 2);
    {
        Start offering(m_environment, here, {other});
        QTRY_COMPARE_WITH_TIMEOUT(journaled().size(), 3, LoadMs);
        Start handedOver(m_environment, here, {other});
        QVERIFY2(handedOver.endedWell(), qPrintable(handedOver.output()));
        QTRY_COMPARE_WITH_TIMEOUT(journaled().size(), 4, LoadMs);
        QCOMPARE(::kill(pid_t(offering.process().processId()), SIGTERM), 0);
        QVERIFY2(offering.endedWell(5000), qPrintable(offering.output()));
    }
    QCOMPARE(journaled().size(), 4);
    QCOMPARE(asked, 1);

    // Restored here, on pages that no longer move on by themselves.
    m_server.serveHtml(QStringLiteral("/h1.html"), "<!DOCTYPE html><title>One</title>");
    m_server.serveHtml(QStringLiteral("/h2.html"), "<!DOCTYPE html><title>Two</title>");
    m_server.serveHtml(QStringLiteral("/h3.html"), "<!DOCTYPE html><title>Three</title>");
    WorkingFolder working;
    const auto windowsGone = qScopeGuard([] { Shutdown::deleteWindows(); });
    SessionJournal journal(SessionJournal::fileIn(BrowserProfile::dataFolder()));
    Form1 *startUp = Form1::newLoaded(m_server.url(QStringLiteral("/home.html")).toString());
    startUp->showMaximized();
    journal.start();
    journal.offer(startUp);
    auto *bar = startUp->WebBrowser1->findChild<RestoreBar *>();
    QVERIFY(bar);
    QCOMPARE(bar->restoreButton()->text(), QString("Restore 4 windows"));
    bar->restoreButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(windowAt(QStringLiteral("qrc:/stopped.html")), LoadMs);
    auto *stopped =
        static_cast<EngineWebView *>(windowAt(QStringLiteral("qrc:/stopped.html"))->WebBrowser1);
    // The history before the lost page stays behind the built-in page, once that has come.
    QTRY_VERIFY_WITH_TIMEOUT(!stopped->Busy(), LoadMs);
    for (const char *page : {"/h3.html", "/h2.html", "/h1.html"}) {
        QVERIFY(completes(
            stopped, [stopped] { stopped->GoBack(); }, LoadMs));
        QCOMPARE(stopped->LocationURL(), m_server.url(QLatin1String(page)).toString());
    }
    for (int i = 0; i < 3; ++i)
        QVERIFY(completes(
            stopped, [stopped] { stopped->GoForward(); }, LoadMs));
    QVERIFY(stopped->LocationURL().startsWith(QLatin1String("qrc:/stopped.html")));
    QCOMPARE(asked, 1);
    QCOMPARE(PageScript::evaluate(stopped->engineView(),
                                  QStringLiteral("document.body.innerText.includes('This page was "
                                                 "loading when Zarvo Velmora stopped.') && "
                                                 "document.getElementById('again').href"))
                 .toString(),
             slow);
    PageScript::evaluate(stopped->engineView(),
                         QStringLiteral("document.getElementById('again').click()"));
    QTRY_COMPARE_WITH_TIMEOUT(asked, 2, LoadMs);
}

// A private window's pages share an off-the-record profile with the run's other private windows
// only; the window writes no list line and no journal entry, and its cookies are gone with the
// last private window.
void HandOverTest::privateWindowsKeepNothing()
{
    const QString here = folder(QStringLiteral("here"));
    const QString cookie = m_server.url(QStringLiteral("/cookie.html")).toString();
    {
        Start first(m_environment, here,
                    {"--private", m_server.url(QStringLiteral("/set-cookie.html")).toString()});
        QTRY_VERIFY_WITH_TIMEOUT(
            m_server.requests().contains(QStringLiteral("/cookie-set/kept=private")), LoadMs);
        Start normal(m_environment, here, {cookie});
        QVERIFY2(normal.endedWell(), qPrintable(normal.output()));
        QTRY_VERIFY_WITH_TIMEOUT(m_server.requests().contains(QStringLiteral("/cookie-seen/none")),
                                 LoadMs);
        Start secondPrivate(m_environment, here, {"--private", cookie});
        QVERIFY2(secondPrivate.endedWell(), qPrintable(secondPrivate.output()));
        QTRY_VERIFY_WITH_TIMEOUT(
            m_server.requests().contains(QStringLiteral("/cookie-seen/kept=private")), LoadMs);
        QTRY_VERIFY_WITH_TIMEOUT(journaledAt(cookie, &SessionJournal::Window::address), LoadMs);
        QCOMPARE(journaled().size(), 1);
        // The normal window's load stamp and page only.
        QCOMPARE(history(here).count("\r\n"), 2);
        QVERIFY(history(here).endsWith(cookie.toUtf8() + "\r\n"));
    }
    QCOMPARE(m_server.requests().count(QStringLiteral("/cookie-seen/none")), 1);

    WorkingFolder working;
    const auto windowsGone = qScopeGuard([] { Shutdown::deleteWindows(); });
    QPointer<Form1> setting =
        Form1::newPrivate(m_server.url(QStringLiteral("/set-cookie.html")).toString());
    setting->showMaximized();
    QVERIFY(setting->windowTitle().endsWith(QLatin1String(" (Private)")));
    QTRY_COMPARE_WITH_TIMEOUT(m_server.requests().count(QStringLiteral("/cookie-set/kept=private")),
                              2, LoadMs);
    setting->close();
    QTRY_VERIFY(!setting);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Form1::newPrivate(cookie)->showMaximized();
    QTRY_COMPARE_WITH_TIMEOUT(m_server.requests().count(QStringLiteral("/cookie-seen/none")), 2,
                              LoadMs);
    QVERIFY(!QFile::exists(working.file(QStringLiteral("History.DAT"))));
}

ZV_TEST_MAIN(HandOverTest)
#include "tst_handover.moc"
