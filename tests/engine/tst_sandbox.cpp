#include "support/Processes.h"
#include "support/TestMain.h"

#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t NormalUser = 65534;

// As root, the command runs as a normal user: the engine's sandbox is for normal users only.
QStringList asNormalUser(const QStringList &command)
{
    if (geteuid() != 0)
        return command;
    return QStringList{"setpriv", QStringLiteral("--reuid=%1").arg(NormalUser),
                       QStringLiteral("--regid=%1").arg(NormalUser), "--clear-groups"} +
           command;
}

QString nameSpace(qint64 pid, const QString &kind)
{
    return QFile::symLinkTarget(QStringLiteral("/proc/%1/ns/%2").arg(pid).arg(kind));
}

// Lines ended in the file so far.
qsizetype lines(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll().count("\r\n") : 0;
}

} // namespace

// The built program, started as a normal user with nothing switching the sandbox off, runs its
// pages sandboxed.
class SandboxTest : public QObject {
    Q_OBJECT

private slots:
    void pagesRunSandboxed();
};

void SandboxTest::pagesRunSandboxed()
{
    // What the sandbox needs of the machine: user namespaces for a normal user, and seccomp.
    QProcess probe;
    const QStringList unshare = asNormalUser({"unshare", "--user", "true"});
    probe.start(unshare.first(), unshare.mid(1));
    if (!probe.waitForFinished(10000) || probe.exitStatus() != QProcess::NormalExit ||
        probe.exitCode() != 0)
        QSKIP("this machine gives a normal user no user namespaces: the sandbox cannot start");
    if (Processes::status(getpid(), "Seccomp").isEmpty())
        QSKIP("this kernel has no seccomp: the sandbox cannot start");

    QVERIFY(prctl(PR_SET_CHILD_SUBREAPER, 1) == 0);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    if (geteuid() == 0)
        QCOMPARE(chown(QFile::encodeName(home.path()).constData(), NormalUser, NormalUser), 0);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The test suite's own switch, and anything else that could turn the sandbox off, stay out.
    for (const char *name :
         {"QTWEBENGINE_DISABLE_SANDBOX", "QTWEBENGINE_CHROMIUM_FLAGS", "XDG_CONFIG_HOME",
          "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
        environment.remove(name);
    environment.insert("HOME", home.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");

    QProcess program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(home.path());
    program.setProcessChannelMode(QProcess::MergedChannels);
    const QStringList command = asNormalUser({ZV_PROGRAM});
    program.start(command.first(), command.mid(1));
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
    const auto stop = qScopeGuard([&program] {
        program.terminate();
        if (!program.waitForFinished(10000))
            program.kill();
        program.waitForFinished();
        // The engine's helpers end a moment after the program and come here to be reaped.
        const bool allEnded = QTest::qWaitFor(
            [] {
                pid_t reaped = 0;
                while ((reaped = waitpid(-1, nullptr, WNOHANG)) > 0) {
                }
                return reaped < 0 && errno == ECHILD;
            },
            10000);
        if (!allEnded)
            qWarning("the engine's helpers outlived the program");
    });

    // The home page has come through once its address follows the load stamp in the history.
    const QString history = home.filePath("History.DAT");
    QTRY_VERIFY2_WITH_TIMEOUT(lines(history) >= 2,
                              qPrintable(QString::fromLocal8Bit(program.readAll())), 60000);

    // The page's process is the one the engine filtered with seccomp; it lives in namespaces of
    // its own, and can never gain privileges.
    const qint64 pid = program.processId();
    QStringList seen;
    qint64 renderer = 0;
    for (qint64 child : Processes::descendants(pid)) {
        QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(child));
        const QByteArray arguments = commandLine.open(QIODevice::ReadOnly)
                                         ? commandLine.readAll().replace('\0', ' ')
                                         : QByteArray();
        QVERIFY2(!arguments.contains("--no-sandbox"), arguments.constData());
        seen.append(
            QStringLiteral("%1 Seccomp %2").arg(child).arg(Processes::status(child, "Seccomp")));
        if (Processes::status(child, "Seccomp") == "2")
            renderer = child;
    }
    QVERIFY2(renderer, qPrintable("no process runs sandboxed: " + seen.join(", ")));
    QCOMPARE(Processes::status(renderer, "NoNewPrivs"), QByteArray("1"));
    QVERIFY(!nameSpace(renderer, "user").isEmpty());
    QVERIFY(nameSpace(renderer, "user") != nameSpace(pid, "user"));
    QVERIFY(nameSpace(renderer, "pid") != nameSpace(pid, "pid"));
}

ZV_TEST_MAIN(SandboxTest)
#include "tst_sandbox.moc"
