#include "lists/ListFile.h"
#include "lists/ListFileLock.h"
#include "lists/Windows1252.h"
#include "support/TestMain.h"
#include "support/WorkingFolder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

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

void ListFileTest::twoProcessesAppendingAndClearingLoseNoEntry()
{
    constexpr int Appends = 500;
    // The appending process: this test program again, run with the file to append to.
    if (const QString file = qEnvironmentVariable("ZV_APPEND_TO"); !file.isEmpty()) {
        for (int i = 0; i < Appends; ++i) {
            QVERIFY(ListFile::AppendLine(file, QStringLiteral("appended %1").arg(i)));
            std::fputs("appended\n", stdout);
            std::fflush(stdout);
        }
        return;
    }
    if (qEnvironmentVariableIsSet("ZV_APPEND_TO"))
        return;

    WorkingFolder folder;
    // Long enough that each rewrite takes a while: appends land while it runs.
    constexpr int Entries = 20'000;
    QStringList entries;
    for (int i = 0; i < Entries; ++i)
        entries.append(QStringLiteral("http://www.example.com/%1.html").arg(i));
    QVERIFY(ListFile::WriteLines("Favorites.DAT", entries));

    QProcess appender;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ZV_APPEND_TO", folder.file("Favorites.DAT"));
    appender.setProcessEnvironment(environment);
    appender.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    appender.start(QCoreApplication::applicationFilePath(),
                   {"twoProcessesAppendingAndClearingLoseNoEntry"});
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
