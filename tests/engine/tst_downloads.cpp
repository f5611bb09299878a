#include "support/LoopbackServer.h"
#include "support/ScriptedServer.h"
#include "support/TestMain.h"
#include "support/TestPrompter.h"
#include "webview/DownloadManager.h"
#include "webview/DownloadsWindow.h"
#include "webview/EngineWebView.h"
#include "webview/WebViewSettings.h"

#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>

namespace {

QByteArray everyByte()
{
    QByteArray bytes;
    for (int round = 0; round < 64; ++round)
        for (int value = 0; value < 256; ++value)
            bytes.append(char(value));
    return bytes;
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// A reply that promises a megabyte and sends its first kilobyte.
QByteArray bigFileFirstPart()
{
    return "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n"
           "Content-Disposition: attachment; filename=\"big.bin\"\r\n"
           "Content-Length: 1000000\r\n\r\n" +
           QByteArray(1000, 'a');
}

// The last row of the downloads list: its progress bar and its Cancel button.
QProgressBar *lastProgress()
{
    QTreeWidget *list = DownloadsWindow::shared()->List1;
    return qobject_cast<QProgressBar *>(
        list->itemWidget(list->topLevelItem(list->topLevelItemCount() - 1), 1));
}

QPushButton *lastCancel()
{
    QTreeWidget *list = DownloadsWindow::shared()->List1;
    return qobject_cast<QPushButton *>(
        list->itemWidget(list->topLevelItem(list->topLevelItemCount() - 1), 2));
}

} // namespace

class DownloadsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void unusedPathNeverNamesAnExistingFile_data();
    void unusedPathNeverNamesAnExistingFile();
    void savedToTheFolderByteExactBesideAnExistingFile();
    void askedWhereToSave_data();
    void askedWhereToSave();
    void aFolderThatCannotBeMadeIsAskedAbout();
    void cancelledDownloadLeavesNoFile();
    void droppedDownloadIsReportedAsFailed();

  private:
    // Starts a download in a view and waits for its last status text, which is returned.
    QString download(const QUrl &url, const QString &ending);
    void useSettings(bool ask, const QString &folder);

    LoopbackServer m_server;
    std::unique_ptr<TestPrompter> m_prompter;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<EngineWebView> m_view;
};

void DownloadsTest::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.serve("/report", {"application/octet-stream", everyByte(), 200,
                               "Content-Disposition: attachment; filename=\"report.txt\"\r\n"});
}

void DownloadsTest::init()
{
    m_prompter = std::make_unique<TestPrompter>();
    m_folder = std::make_unique<QTemporaryDir>();
    m_view = std::make_unique<EngineWebView>();
}

void DownloadsTest::cleanup()
{
    m_view.reset();
    m_prompter.reset();
    m_folder.reset();
    QFile::remove(WebViewSettings::filePath());
}

void DownloadsTest::useSettings(bool ask, const QString &folder)
{
    WebViewSettings::Values values;
    values.askWhereToSave = ask;
    values.downloadFolder = folder;
    QVERIFY(WebViewSettings::save(values));
}

QString DownloadsTest::download(const QUrl &url, const QString &ending)
{
    QSignalSpy status(m_view.get(), &WebView::StatusTextChange);
    m_view->Navigate(url.toString());
    const auto ended = [&] {
        return !status.isEmpty() && status.last().at(0).toString().startsWith(ending);
    };
    for (int i = 0; i < 100 && !ended(); ++i)
        status.wait(200);
    return status.isEmpty() ? QString() : status.last().at(0).toString();
}

void DownloadsTest::unusedPathNeverNamesAnExistingFile_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("free") << QStringList{"other.txt"} << "a.txt"
                          << "a.txt";
    QTest::newRow("taken") << QStringList{"a.txt"} << "a.txt"
                           << "a (1).txt";
    QTest::newRow("taken twice") << QStringList{"a.txt", "a (1).txt"} << "a.txt"
                                 << "a (2).txt";
    QTest::newRow("no suffix") << QStringList{"README"} << "README"
                               << "README (1)";
    QTest::newRow("hidden") << QStringList{".profile"} << ".profile"
                            << ".profile (1)";
    QTest::newRow("two dots") << QStringList{"a.tar.gz"} << "a.tar.gz"
                              << "a.tar (1).gz";
    QTest::newRow("a folder") << QStringList{"dir/"} << "dir"
                              << "dir (1)";
}

void DownloadsTest::unusedPathNeverNamesAnExistingFile()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const QDir folder(m_folder->path());
    for (const QString &file : existing) {
        if (file.endsWith('/'))
            QVERIFY(folder.mkdir(file.chopped(1)));
        else
            write(folder.filePath(file), "x");
    }
    QCOMPARE(DownloadManager::unusedPath(folder.path(), name), folder.filePath(expected));
}

void DownloadsTest::savedToTheFolderByteExactBesideAnExistingFile()
{
    useSettings(false, m_folder->path());
    const QString existing = m_folder->filePath("report.txt");
    write(existing, "keep me");

    QVERIFY(download(m_server.url("/report"), "Download complete").startsWith("Download complete"));
    QCOMPARE(read(existing), QByteArray("keep me"));
    QCOMPARE(read(m_folder->filePath("report (1).txt")), everyByte());
    QCOMPARE(lastProgress()->text(), QString("Complete"));
    QVERIFY(!lastCancel()->isEnabled());

    QVERIFY(download(m_server.url("/report"), "Download complete").startsWith("Download complete"));
    QCOMPARE(filesIn(m_folder->path()),
             QStringList({"report (1).txt", "report (2).txt", "report.txt"}));
    QCOMPARE(read(m_folder->filePath("report (2).txt")), everyByte());
    QCOMPARE(m_prompter->asked, QStringList());
}

void DownloadsTest::askedWhereToSave_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<QStringList>("expectedQuestions");
    QTest::addColumn<QString>("savedAs");

    const QString suggested = "saveAs FOLDER/report.txt";
    QTest::newRow("a new file") << QStringList{"FOLDER/new.bin"} << false << QStringList{suggested}
                                << "new.bin";
    QTest::newRow("not over the old file, then elsewhere")
        << QStringList{"FOLDER/old.bin", "FOLDER/new.bin"} << false
        << QStringList{suggested, "overwrite FOLDER/old.bin", "saveAs FOLDER/old.bin"} << "new.bin";
    QTest::newRow("over the old file when allowed")
        << QStringList{"FOLDER/old.bin"} << true
        << QStringList{suggested, "overwrite FOLDER/old.bin"} << "old.bin";
    QTest::newRow("cancelled") << QStringList{} << false << QStringList{suggested} << QString();
    QTest::newRow("cancelled at the old file")
        << QStringList{"FOLDER/old.bin"} << false
        << QStringList{suggested, "overwrite FOLDER/old.bin", "saveAs FOLDER/old.bin"} << QString();
}

void DownloadsTest::askedWhereToSave()
{
    QFETCH(QStringList, answers);
    QFETCH(bool, overwrite);
    QFETCH(QStringList, expectedQuestions);
    QFETCH(QString, savedAs);
    useSettings(true, m_folder->path());
    write(m_folder->filePath("old.bin"), "old");
    m_prompter->saveAsAnswers = answers.replaceInStrings("FOLDER", m_folder->path());
    m_prompter->overwriteAnswer = overwrite;

    QSignalSpy status(m_view.get(), &WebView::StatusTextChange);
    if (savedAs.isEmpty()) {
        m_view->Navigate(m_server.url("/report").toString());
        QTRY_COMPARE(m_prompter->asked.size(), expectedQuestions.size());
        // Nothing started: the page stays, no file appears, no download is reported.
        QVERIFY(!status.wait(1000) || !status.last().at(0).toString().startsWith("Downloading"));
        QCOMPARE(filesIn(m_folder->path()), QStringList{"old.bin"});
        QCOMPARE(read(m_folder->filePath("old.bin")), QByteArray("old"));
    } else {
        QVERIFY(
            download(m_server.url("/report"), "Download complete").startsWith("Download complete"));
        QCOMPARE(read(m_folder->filePath(savedAs)), everyByte());
        if (savedAs != "old.bin")
            QCOMPARE(read(m_folder->filePath("old.bin")), QByteArray("old"));
    }
    QCOMPARE(m_prompter->asked, expectedQuestions.replaceInStrings("FOLDER", m_folder->path()));
}

void DownloadsTest::aFolderThatCannotBeMadeIsAskedAbout()
{
    // A file where a folder should be.
    write(m_folder->filePath("blocker"), "x");
    useSettings(false, m_folder->filePath("blocker/downloads"));
    m_prompter->saveAsAnswers = {m_folder->filePath("here.txt")};
    QVERIFY(download(m_server.url("/report"), "Download complete").startsWith("Download complete"));
    QCOMPARE(m_prompter->asked.size(), 1);
    QCOMPARE(read(m_folder->filePath("here.txt")), everyByte());
}

void DownloadsTest::cancelledDownloadLeavesNoFile()
{
    ScriptedServer server([](const QByteArray &) { return bigFileFirstPart(); },
                          ScriptedServer::Hold);
    QVERIFY(server.listen());
    useSettings(false, m_folder->path());
    QSignalSpy status(m_view.get(), &WebView::StatusTextChange);
    m_view->Navigate(server.url("/big").toString());
    QTRY_VERIFY(lastProgress() && lastProgress()->value() >= 0 && lastCancel()->isEnabled() &&
                status.size() > 0 && status.last().at(0).toString() == "Downloading big.bin...");

    lastCancel()->click();
    QTRY_COMPARE(status.last().at(0).toString(), QString("Download cancelled: big.bin"));
    QCOMPARE(lastProgress()->text(), QString("Cancelled"));
    QVERIFY(!lastCancel()->isEnabled());
    QTRY_COMPARE(filesIn(m_folder->path()), QStringList());
}

void DownloadsTest::droppedDownloadIsReportedAsFailed()
{
    ScriptedServer server([](const QByteArray &) { return bigFileFirstPart(); },
                          ScriptedServer::Close);
    QVERIFY(server.listen());
    useSettings(false, m_folder->path());
    const QString ending = download(server.url("/big"), "Download failed");
    QCOMPARE(ending, QString("Download failed: big.bin (The transfer broke off.)"));
    QVERIFY(lastProgress()->text().startsWith("Failed: "));
    // Whatever arrived is not left looking like the whole file.
    QTRY_COMPARE(filesIn(m_folder->path()), QStringList());
}

ZV_TEST_MAIN(DownloadsTest)
#include "tst_downloads.moc"
