#include "lists/ListFile.h"
#include "lists/ListFileLock.h"
#include "lists/Windows1252.h"
#include "support/TestMain.h"
#include "support/WorkingFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t Nobody = 65534;

// Where the lists' locks were kept in the shared temporary folder, and where Qt puts a runtime
// folder there, as another local user plants them before us: a folder or a link of theirs, and
// the session's runtime folder missing or theirs. Undone when it goes.
class PlantedFolders {
public:
    // "folder", "link", "runtime folder", or "cache folder" (our private cache folder itself
    // taken, so that no lock can be had at all).
    explicit PlantedFolders(const QString &what)
        : m_runtime(qgetenv("XDG_RUNTIME_DIR")), m_temp(qgetenv("TMPDIR"))
    {
        const QDir temp(m_folder.path());
        const QString lockName = QStringLiteral("zarvo-velmora-locks-%1").arg(::getuid());
        const QString theirs = temp.filePath(QStringLiteral("theirs"));
        m_ok = temp.mkdir(QStringLiteral("theirs")) && QFile::setPermissions(theirs, AllAccess) &&
               ::chown(QFile::encodeName(theirs).constData(), Nobody, Nobody) == 0;
        if (what == QLatin1String("link")) {
            m_ok = m_ok && QFile::link(theirs, temp.filePath(lockName)) &&
                   ::lchown(QFile::encodeName(temp.filePath(lockName)).constData(), Nobody,
                            Nobody) == 0;
        } else {
            m_ok = m_ok && plantFolder(temp.filePath(lockName));
        }
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
        if (what == QLatin1String("runtime folder")) {
            const QString runtime = temp.filePath(QStringLiteral("run"));
            m_ok = m_ok && plantFolder(runtime);
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        } else {
            qunsetenv("XDG_RUNTIME_DIR");
        }
        if (what == QLatin1String("cache folder")) {
            const QString cache =
                QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
            m_cache = QDir(cache).filePath(QStringLiteral("zarvo-velmora"));
            // Made by earlier cases; planted before this user's first start here.
            QDir(*m_cache).removeRecursively();
            m_ok = m_ok && QDir().mkpath(cache) && plantFolder(*m_cache);
        }
    }
    ~PlantedFolders()
    {
        if (m_cache)
            QDir(*m_cache).removeRecursively();
        restore("XDG_RUNTIME_DIR", m_runtime);
        restore("TMPDIR", m_temp);
    }
    PlantedFolders(const PlantedFolders &) = delete;
    PlantedFolders &operator=(const PlantedFolders &) = delete;

    // False where this user cannot plant another user's folder (only root can).
    bool isPlanted() const { return m_ok; }
    QString temporaryFolder() const { return m_folder.path(); }

private:
    static constexpr QFile::Permissions AllAccess =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
        QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
        QFile::ExeOther;

    static bool plantFolder(const QString &path)
    {
        return QDir().mkdir(path) && QFile::setPermissions(path, AllAccess) &&
               ::chown(QFile::encodeName(path).constData(), Nobody, Nobody) == 0;
    }
    static void restore(const char *name, const QByteArray &value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }

    QTemporaryDir m_folder;
    QByteArray m_runtime;
    QByteArray m_temp;
    std::optional<QString> m_cache;
    bool m_ok = false;
};

} // namespace

class ListFileTest : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void formatEndsEveryEntryWithCrLf();
    void windows1252RoundTripsEveryByte();
    void windows1252WritesQuestionMarkForWhatItCannotHold();

    void readingAMissingFileFailsAndCreatesNothing();
    void readLinesDecodesWindows1252();
    void appendLineCreatesTheFileAndAppendsAfterTheLastByte();
    void appendLineNeverMergesIntoAnUnterminatedLastEntry_data();
    void appendLineNeverMergesIntoAnUnterminatedLastEntry();
    void writeLinesAndEmptyFileReplaceTheContent();
    void writesToADirectoryFailAndLeaveItAlone();
    void writesToAFullDeviceFailWithoutReplacingIt();
    void aWriteTheDiskCannotHoldWholeLeavesTheFileAsItWas_data();
    void aWriteTheDiskCannotHoldWholeLeavesTheFileAsItWas();
    void writeLinesKeepsASymlinkAndWritesItsTarget();
    void aWriterThatCannotHaveTheLockWithinTwoSecondsChangesNothing();
    void aLockFolderAnotherUserPlantedNeverMeansNoLock_data();
    void aLockFolderAnotherUserPlantedNeverMeansNoLock();
    void twoProcessesAppendingAndClearingLoseNoEntry_data();
    void twoProcessesAppendingAndClearingLoseNoEntry();
};

void ListFileTest::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("only CR LF: one empty entry") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("CR LF ends") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("last line without terminator") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("CR-only ends") << QByteArray("a\rb\r") << QStringList{"a", "b"};
    QTest::newRow("LF-only ends stay inside one entry")
        << QByteArray("a\nb\nc\n") << QStringList{"a\nb\nc\n"};
    QTest::newRow("empty middle entry")
        << QByteArray("a\r\n\r\nc\r\n") << QStringList{"a", "", "c"};
    QTest::newRow("CR then CR LF") << QByteArray("a\r\r\n") << QStringList{"a", ""};
    QTest::newRow("blanks kept") << QByteArray("  a \r\n") << QStringList{"  a "};
}

void ListFileTest::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    QCOMPARE(ListFile::parse(bytes), entries);
}

void ListFileTest::formatEndsEveryEntryWithCrLf()
{
    QCOMPARE(ListFile::format({"a", "", "b c"}), QByteArray("a\r\n\r\nb c\r\n"));
    QCOMPARE(ListFile::format({}), QByteArray());
}

void ListFileTest::windows1252RoundTripsEveryByte()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = Windows1252::decode(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(text[0x80], QChar(0x20AC)); // euro sign
    QCOMPARE(text[0xE9], QChar(0xE9));   // e acute
    QCOMPARE(Windows1252::encode(text), all);
}

void ListFileTest::windows1252WritesQuestionMarkForWhatItCannotHold()
{
    QCOMPARE(Windows1252::encode(u"a\u0416b"), QByteArray("a?b"));     // Cyrillic
    QCOMPARE(Windows1252::encode(u"x\U0001F600y"), QByteArray("x?y")); // one '?' per character
    QCOMPARE(Windows1252::encode(u"\u20AC\u00E9"), QByteArray("\x80\xE9"));
}

void ListFileTest::readingAMissingFileFailsAndCreatesNothing()
{
    WorkingFolder folder;
    const ListFile::Lines lines = ListFile::ReadLines("Favorites.DAT");
    QVERIFY(!lines.ok);
    QVERIFY(lines.entries.isEmpty());
    QVERIFY(!WorkingFolder::exists("Favorites.DAT"));
}

void ListFileTest::readLinesDecodesWindows1252()
{
    WorkingFolder folder;
    WorkingFolder::write("Favorites.DAT", "caf\xE9\r\n\x80\r\n");
    const ListFile::Lines lines = ListFile::ReadLines("Favorites.DAT");
    QVERIFY(lines.ok);
    QCOMPARE(lines.entries, QStringList({u"caf\u00E9"_qs, u"\u20AC"_qs}));
}

void ListFileTest::appendLineCreatesTheFileAndAppendsAfterTheLastByte()
{
    WorkingFolder folder;
    QVERIFY(ListFile::AppendLine("History.DAT", "http://a/"));
    QVERIFY(ListFile::AppendLine("History.DAT", ""));
    QVERIFY(ListFile::AppendLine("History.DAT", u"\u00E9\u0416"_qs));
    QCOMPARE(WorkingFolder::read("History.DAT"), QByteArray("http://a/\r\n\r\n\xE9?\r\n"));
}

void ListFileTest::appendLineNeverMergesIntoAnUnterminatedLastEntry_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("empty file") << QByteArray("") << QByteArray("new\r\n");
    QTest::newRow("ends with CR LF") << QByteArray("a\r\n") << QByteArray("a\r\nnew\r\n");
    QTest::newRow("ends with CR") << QByteArray("a\r") << QByteArray("a\rnew\r\n");
    QTest::newRow("no terminator") << QByteArray("a") << QByteArray("a\r\nnew\r\n");
    QTest::newRow("lone LF") << QByteArray("a\n") << QByteArray("a\n\r\nnew\r\n");
}

void ListFileTest::appendLineNeverMergesIntoAnUnterminatedLastEntry()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    WorkingFolder folder;
    WorkingFolder::write("Favorites.DAT", before);
    QVERIFY(ListFile::AppendLine("Favorites.DAT", "new"));
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), after);
    QCOMPARE(ListFile::ReadLines("Favorites.DAT").entries.last(), QString("new"));
}

void ListFileTest::writeLinesAndEmptyFileReplaceTheContent()
{
    WorkingFolder folder;
    WorkingFolder::write("Favorites.DAT", "old one\r\nold two\r\n");
    QFile::setPermissions("Favorites.DAT", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(ListFile::WriteLines("Favorites.DAT", {"x", ""}));
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), QByteArray("x\r\n\r\n"));
    QCOMPARE(QFile::permissions("Favorites.DAT"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ReadUser |
                                                      QFileDevice::WriteUser);
    QVERIFY(ListFile::EmptyFile("Favorites.DAT"));
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), QByteArray(""));
    QVERIFY(ListFile::EmptyFile("New.DAT"));
    QCOMPARE(QFileInfo("New.DAT").size(), 0);
    // Nothing is left behind beside the file.
    QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void ListFileTest::writesToADirectoryFailAndLeaveItAlone()
{
    WorkingFolder folder;
    QVERIFY(QDir().mkdir("History.DAT"));
    WorkingFolder::write("History.DAT/inside", "kept");
    QVERIFY(!ListFile::AppendLine("History.DAT", "x"));
    QVERIFY(!ListFile::WriteLines("History.DAT", {""}));
    QVERIFY(!ListFile::EmptyFile("History.DAT"));
    QVERIFY(!ListFile::ReadLines("History.DAT").ok);
    QVERIFY(QFileInfo("History.DAT").isDir());
    QCOMPARE(WorkingFolder::read("History.DAT/inside"), QByteArray("kept"));
}

void ListFileTest::writesToAFullDeviceFailWithoutReplacingIt()
{
    if (!QFileInfo::exists("/dev/full"))
        QSKIP("this system has no /dev/full");
    WorkingFolder folder;
    QVERIFY(QFile::link("/dev/full", "History.DAT"));
    QVERIFY(!ListFile::AppendLine("History.DAT", "x"));
    QVERIFY(!ListFile::ReadLines("History.DAT").ok); // endless zeros are no list
    QVERIFY(!ListFile::WriteLines("History.DAT", {"x"}));
    QVERIFY(!ListFile::EmptyFile("History.DAT"));
    QVERIFY(QFileInfo("History.DAT").isSymLink());
    struct stat status {};
    QCOMPARE(::stat("/dev/full", &status), 0);
    QVERIFY(S_ISCHR(status.st_mode));
}

void ListFileTest::aWriteTheDiskCannotHoldWholeLeavesTheFileAsItWas_data()
{
    using Write = std::function<ListFile::Written()>;
    QTest::addColumn<Write>("write");
    QTest::addColumn<qint64>("limit");
    // A disk with a few bytes left: each write gets part of its bytes onto it, then no more.
    QTest::newRow("append a line")
        << Write([] { return ListFile::AppendLine("F.DAT", "http://127.0.0.1/"); }) << qint64(4210);
    QTest::newRow("rewrite") << Write([] {
        return ListFile::WriteLines("F.DAT", QStringList(100, "http://127.0.0.1/"));
    }) << qint64(1000);
    QTest::newRow("clear selected")
        << Write([] { return ListFile::RemoveEntry("F.DAT", 0, "http://e/100"); }) << qint64(1000);
}

void ListFileTest::aWriteTheDiskCannotHoldWholeLeavesTheFileAsItWas()
{
    using Write = std::function<ListFile::Written()>;
    QFETCH(Write, write);
    QFETCH(qint64, limit);
    WorkingFolder folder;
    QByteArray before;
    for (int i = 100; i < 400; ++i)
        before += "http://e/" + QByteArray::number(i) + "\r\n";
    QCOMPARE(before.size(), 4200);
    WorkingFolder::write("F.DAT", before);

    // The limit on the size of the files this process writes stands in for the full disk: past
    // it, a write is cut short and the next one fails.
    rlimit old{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = rlim_t(limit);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const ListFile::Written written = write();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, handler);

    QVERIFY(!written);
    QVERIFY(!written.reason.isEmpty());
    QCOMPARE(WorkingFolder::read("F.DAT"), before);
    QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"F.DAT"});
    // The next write that fits goes on after the last whole line.
    QVERIFY(ListFile::AppendLine("F.DAT", "next"));
    QCOMPARE(WorkingFolder::read("F.DAT"), before + "next\r\n");
}

void ListFileTest::writeLinesKeepsASymlinkAndWritesItsTarget()
{
    WorkingFolder folder;
    WorkingFolder::write("real.DAT", "old\r\n");
    QVERIFY(QFile::link("real.DAT", "Favorites.DAT"));
    QVERIFY(ListFile::WriteLines("Favorites.DAT", {"new"}));
    QVERIFY(QFileInfo("Favorites.DAT").isSymLink());
    QCOMPARE(WorkingFolder::read("real.DAT"), QByteArray("new\r\n"));
}

void ListFileTest::aWriterThatCannotHaveTheLockWithinTwoSecondsChangesNothing()
{
    WorkingFolder folder;
    WorkingFolder::write("Favorites.DAT", "a\r\nb\r\n");
    // Held under another name for the same file, as another process would hold it.
    ListFileLock other(folder.file("Favorites.DAT"));
    QVERIFY(other.isLocked());
    QElapsedTimer waited;
    waited.start();
    QVERIFY(!ListFile::AppendLine("Favorites.DAT", "c"));
    QVERIFY(waited.elapsed() >= 1900);
    QVERIFY(!ListFile::WriteLines("Favorites.DAT", {"x"}));
    QVERIFY(!ListFile::RemoveEntry("Favorites.DAT", 0, "a"));
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), QByteArray("a\r\nb\r\n"));
    other.release();
    QVERIFY(ListFile::RemoveEntry("Favorites.DAT", 0, "a"));
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), QByteArray("b\r\n"));
    // The lock is kept outside the user's folder.
    QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"Favorites.DAT"});
    QVERIFY(!ListFileLock::lockPath("Favorites.DAT").startsWith(folder.path()));
}

void ListFileTest::aLockFolderAnotherUserPlantedNeverMeansNoLock_data()
{
    QTest::addColumn<QString>("planted");
    QTest::newRow("a folder at the lock folder's name, no runtime folder") << "folder";
    QTest::newRow("a link at the lock folder's name, no runtime folder") << "link";
    QTest::newRow("the runtime folder, and a folder at the lock folder's name") << "runtime folder";
    QTest::newRow("our private cache folder too") << "cache folder";
}

void ListFileTest::aLockFolderAnotherUserPlantedNeverMeansNoLock()
{
    QFETCH(QString, planted);
    WorkingFolder folder;
    const PlantedFolders folders(planted);
    if (!folders.isPlanted())
        QSKIP("only root can leave a folder of another user here");
    WorkingFolder::write("Favorites.DAT", "a\r\n");
    const QString lock = ListFileLock::lockPath("Favorites.DAT");
    QVERIFY2(!lock.startsWith(folders.temporaryFolder()), qPrintable(lock));

    if (planted == QLatin1String("cache folder")) {
        // Nowhere to lock: nothing is written rather than written unlocked.
        QVERIFY(lock.isEmpty());
        QVERIFY(!ListFileLock(folder.file("Favorites.DAT")).isLocked());
        QVERIFY(!ListFile::AppendLine("Favorites.DAT", "b"));
        QVERIFY(!ListFile::WriteLines("Favorites.DAT", {"x"}));
        QCOMPARE(WorkingFolder::read("Favorites.DAT"), QByteArray("a\r\n"));
        return;
    }
    // Held as another process would hold it: the writer waits, and then changes nothing.
    ListFileLock other(folder.file("Favorites.DAT"));
    QVERIFY(other.isLocked());
    QVERIFY(!ListFile::AppendLine("Favorites.DAT", "b"));
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), QByteArray("a\r\n"));
    other.release();
    QVERIFY(ListFile::AppendLine("Favorites.DAT", "b"));
    // In the user's own cache, in a folder only the user can enter.
    const QString locks = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                          QStringLiteral("/zarvo-velmora/locks");
    QCOMPARE(QFileInfo(lock).absolutePath(), locks);
    struct stat status {};
    QCOMPARE(::lstat(QFile::encodeName(locks).constData(), &status), 0);
    QCOMPARE(status.st_uid, ::geteuid());
    QCOMPARE(status.st_mode & 07777, mode_t(0700));
    // What was planted is left as it was, empty.
    QVERIFY(QDir(folders.temporaryFolder() + QStringLiteral("/theirs")).isEmpty());
}

void ListFileTest::twoProcessesAppendingAndClearingLoseNoEntry_data()
{
    QTest::addColumn<QString>("planted");
    QTest::newRow("the session's folders") << QString();
    QTest::newRow("another user's folder at the lock folder's name, no runtime folder") << "folder";
}

void ListFileTest::twoProcessesAppendingAndClearingLoseNoEntry()
{
    constexpr int Appends = 500;
    // The appending process: this test program again, run with the file to append to, and
    // with this process's cache folder, where the locks may live.
    if (const QString file = qEnvironmentVariable("ZV_APPEND_TO"); !file.isEmpty()) {
        qputenv("XDG_CACHE_HOME", qgetenv("ZV_CACHE_HOME"));
        for (int i = 0; i < Appends; ++i) {
            QVERIFY(ListFile::AppendLine(file, QStringLiteral("appended %1").arg(i)));
            std::fputs("appended\n", stdout);
            std::fflush(stdout);
        }
        return;
    }
    if (qEnvironmentVariableIsSet("ZV_APPEND_TO"))
        return;

    QFETCH(QString, planted);
    WorkingFolder folder;
    std::optional<PlantedFolders> folders;
    if (!planted.isEmpty()) {
        folders.emplace(planted);
        if (!folders->isPlanted())
            QSKIP("only root can leave a folder of another user here");
    }
    // Long enough that each rewrite takes a while: appends land while it runs.
    constexpr int Entries = 20'000;
    QStringList entries;
    for (int i = 0; i < Entries; ++i)
        entries.append(QStringLiteral("http://www.example.com/%1.html").arg(i));
    QVERIFY(ListFile::WriteLines("Favorites.DAT", entries));

    QProcess appender;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ZV_APPEND_TO", folder.file("Favorites.DAT"));
    environment.insert("ZV_CACHE_HOME", qEnvironmentVariable("XDG_CACHE_HOME"));
    appender.setProcessEnvironment(environment);
    appender.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    appender.start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("twoProcessesAppendingAndClearingLoseNoEntry:") +
                    QString::fromLatin1(QTest::currentDataTag())});
    // Clear Selected again and again while the other process appends; after each, it waits for
    // one more append, so neither keeps the lock to itself.
    int removed = 0;
    while (appender.waitForReadyRead(30000)) {
        if (!appender.canReadLine())
            continue;
        while (appender.canReadLine())
            appender.readLine();
        QVERIFY(ListFile::RemoveEntry("Favorites.DAT", 0, entries[removed]));
        ++removed;
    }
    QTRY_COMPARE(appender.state(), QProcess::NotRunning);
    QVERIFY(removed > 0);
    QCOMPARE(appender.exitStatus(), QProcess::NormalExit);
    QCOMPARE(appender.exitCode(), 0);

    const QStringList left = ListFile::ReadLines("Favorites.DAT").entries;
    QCOMPARE(left.size(), Entries - removed + Appends);
    QCOMPARE(left.first(), entries[removed]);
    for (int i = 0; i < Appends; ++i)
        QCOMPARE(left[Entries - removed + i], QStringLiteral("appended %1").arg(i));
}

ZV_TEST_MAIN(ListFileTest)
#include "tst_listfile.moc"
