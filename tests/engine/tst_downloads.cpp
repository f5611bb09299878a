#include "support/LoopbackServer.h"
#include "support/PageScript.h"
#include "support/ScriptedServer.h"
#include "support/TestMain.h"
#include "support/TestPrompter.h"
#include "webview/WebViewSettings.h"
#include "webview/engine/DownloadManager.h"
#include "webview/engine/EngineWebView.h"
#include "webview/ui/DownloadsWindow.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>

namespace {

QByteArray everyByte()
{
    QByteArray bytes;
    for (int value = 0; value < 256 * 64; ++value)
        bytes.append(char(value % 256));
    return bytes;
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A reply that promises a megabyte and sends its first kilobyte.
QByteArray bigFileFirstPart(const QByteArray &)
{
    return "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n"
           "Content-Disposition: attachment; filename=\"big.bin\"\r\n"
           "Content-Length: 1000000\r\n\r\n" +
           QByteArray(1000, 'a');
}

// A widget of the downloads list's last row, by name: "Progress", "Cancel", "Open",
// "ShowInFolder".
template <typename Widget> Widget *lastRow(const char *name)
{
    QTreeWidget *list = DownloadsWindow::shared()->List1;
    QTreeWidgetItem *row = list->topLevelItem(list->topLevelItemCount() - 1);
    for (int column = 0; row && column < list->columnCount(); ++column) {
        QWidget *cell = list->itemWidget(row, column);
        if (cell && cell->objectName() == QLatin1String(name))
            return qobject_cast<Widget *>(cell);
        if (auto *widget = cell ? cell->findChild<Widget *>(name) : nullptr)
            return widget;
    }
    return nullptr;
}

} // namespace

// Stands in for the desktop's opener of files: notes each address it is handed.
class RecordingOpener : public QObject {
    Q_OBJECT

public:
    RecordingOpener() { QDesktopServices::setUrlHandler("file", this, "open"); }
    ~RecordingOpener() override { QDesktopServices::unsetUrlHandler("file"); }
    Q_INVOKABLE void open(const QUrl &url) { opened.append(url.toLocalFile()); }

    QStringList opened;
};

class DownloadsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void savedToTheFolderByteExactBesideAnExistingFile();
    void askedWhereToSave_data();
    void askedWhereToSave();
    void cancelledDownloadLeavesNoFile();
    void brokenDownloadIsReportedAsFailed();
    void theWindowOpensOverItsMainWindowAndOpensTheFile();
    void threeStartedTogetherWithoutAClick_data();
    void threeStartedTogetherWithoutAClick();
    void eachClickDownloadsWithoutAQuestion();
    void suggestedNamesAreMadeSafe_data();
    void suggestedNamesAreMadeSafe();

private:
    // Starts a download and returns the status text it ends with.
    QString download(const QUrl &url, const QString &ending);
    bool useSettings(bool ask);

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

bool DownloadsTest::useSettings(bool ask)
{
    WebViewSettings::Values values;
    values.askWhereToSave = ask;
    values.downloadFolder = m_folder->path();
    return WebViewSettings::save(values);
}

QString DownloadsTest::download(const QUrl &url, const QString &ending)
{
    QSignalSpy status(m_view.get(), &WebView::StatusTextChange);
    m_view->Navigate(url.toString());
    const auto last = [&status] {
        return status.isEmpty() ? QString() : status.last().at(0).toString();
    };
    // The caller compares the text it ended with, so a wait that gives up shows there.
    static_cast<void>(QTest::qWaitFor([&] { return last().startsWith(ending); }, 20000));
    return last();
}

void DownloadsTest::savedToTheFolderByteExactBesideAnExistingFile()
{
    QVERIFY(useSettings(false));
    QVERIFY(write(m_folder->filePath("report.txt"), "keep me"));
    for (const QString name : {"report (1).txt", "report (2).txt"}) {
        QCOMPARE(download(m_server.url("/report"), "Saved"),
                 "Saved " + QString(name) + " to " + m_folder->path());
        QCOMPARE(read(m_folder->filePath(name)), everyByte());
        QCOMPARE(lastRow<QProgressBar>("Progress")->text(), QString("Complete"));
        QVERIFY(!lastRow<QPushButton>("Cancel")->isEnabled());
    }
    QCOMPARE(read(m_folder->filePath("report.txt")), QByteArray("keep me"));
    QCOMPARE(m_prompter->asked, QStringList());
}

void DownloadsTest::askedWhereToSave_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QString>("savedAs");
    const QString suggested = "saveAs F/report.txt";
    QTest::newRow("not over the old file, then elsewhere")
        << QStringList{"F/old.bin", "F/new.bin"} << false
        << QStringList{suggested, "overwrite F/old.bin", "saveAs F/old.bin"} << "new.bin";
    QTest::newRow("over the old file when allowed")
        << QStringList{"F/old.bin"} << true << QStringList{suggested, "overwrite F/old.bin"}
        << "old.bin";
    QTest::newRow("cancelled") << QStringList{} << false << QStringList{suggested} << QString();
}

void DownloadsTest::askedWhereToSave()
{
    QFETCH(QStringList, answers);
    QFETCH(bool, overwrite);
    QFETCH(QStringList, questions);
    QFETCH(QString, savedAs);
    QVERIFY(useSettings(true));
    QVERIFY(write(m_folder->filePath("old.bin"), "old"));
    m_prompter->saveAsAnswers = answers.replaceInStrings("F/", m_folder->path() + "/");
    m_prompter->overwriteAnswer = overwrite;

    if (savedAs.isEmpty()) {
        m_view->Navigate(m_server.url("/report").toString());
        QTRY_COMPARE(m_prompter->asked.size(), questions.size());
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList{"old.bin"});
    } else {
        QVERIFY(download(m_server.url("/report"), "Saved").startsWith("Saved"));
        QCOMPARE(read(m_folder->filePath(savedAs)), everyByte());
    }
    if (savedAs != "old.bin")
        QCOMPARE(read(m_folder->filePath("old.bin")), QByteArray("old"));
    QCOMPARE(m_prompter->asked, questions.replaceInStrings("F/", m_folder->path() + "/"));
}

void DownloadsTest::cancelledDownloadLeavesNoFile()
{
    ScriptedServer server(bigFileFirstPart, ScriptedServer::Hold);
    QVERIFY(server.listen());
    QVERIFY(useSettings(false));
    QCOMPARE(download(server.url("/big"), "Downloading"), QString("Downloading big.bin\u2026"));
    QTRY_VERIFY(lastRow<QPushButton>("Cancel")->isEnabled());

    QSignalSpy status(m_view.get(), &WebView::StatusTextChange);
    lastRow<QPushButton>("Cancel")->click();
    QTRY_COMPARE(status.size(), 1);
    QCOMPARE(status.last().at(0).toString(), QString("Download cancelled: big.bin"));
    QCOMPARE(lastRow<QProgressBar>("Progress")->text(), QString("Cancelled"));
    QVERIFY(!lastRow<QPushButton>("Open")->isVisibleTo(DownloadsWindow::shared()));
    QTRY_COMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList());
}

void DownloadsTest::brokenDownloadIsReportedAsFailed()
{
    // The engine retries a broken download on its own before it gives up.
    ScriptedServer server(bigFileFirstPart, ScriptedServer::Close);
    QVERIFY(server.listen());
    QVERIFY(useSettings(true));
    m_prompter->saveAsAnswers = {m_folder->filePath("big.bin")};
    const int rows = DownloadsWindow::shared()->List1->topLevelItemCount();
    QCOMPARE(download(server.url("/big"), "Download of"),
             QString("Download of big.bin failed: The transfer broke off."));
    QCOMPARE(lastRow<QProgressBar>("Progress")->text(), QString("Failed: The transfer broke off."));
    QVERIFY(!lastRow<QPushButton>("Cancel")->isEnabled());
    QCOMPARE(DownloadsWindow::shared()->List1->topLevelItemCount(), rows + 1);
    QCOMPARE(m_prompter->asked.size(), 1);
    QTRY_COMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList());
}

void DownloadsTest::theWindowOpensOverItsMainWindowAndOpensTheFile()
{
    QVERIFY(useSettings(false));
    RecordingOpener opener;
    DownloadsWindow *window = DownloadsWindow::shared();
    window->hide();
    m_view->setGeometry(40, 60, 600, 400);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));

    // A download opens the window, centred on the window of the page that started it.
    QVERIFY(download(m_server.url("/report"), "Saved").startsWith("Saved"));
    QVERIFY(window->isVisible());
    // Within the frame's size, which is unknown before the window first shows.
    const QPoint off = window->frameGeometry().center() - m_view->frameGeometry().center();
    QVERIFY2(off.manhattanLength() <= 8, qPrintable(QString("%1,%2").arg(off.x()).arg(off.y())));
    QVERIFY(!window->windowIcon().isNull());
    QTreeWidget *list = window->List1;
    QTreeWidgetItem *row = list->topLevelItem(list->topLevelItemCount() - 1);
    QCOMPARE(row->text(0), QString("report.txt"));
    QCOMPARE(row->text(1), QLocale().formattedDataSize(everyByte().size()));

    // Open and a double-click hand the file to the desktop, Show in folder its folder.
    const QString file = m_folder->filePath("report.txt");
    QVERIFY(lastRow<QPushButton>("Open")->isVisible());
    // The buttons that came as it ended are whole: the column grew no narrower than they are.
    for (const char *name : {"Open", "ShowInFolder"}) {
        const QPushButton *button = lastRow<QPushButton>(name);
        QVERIFY2(button->width() >= button->sizeHint().width(), name);
        QVERIFY2(list->viewport()->rect().contains(
                     QRect(button->mapTo(list->viewport(), QPoint()), button->size())),
                 name);
    }
    lastRow<QPushButton>("Open")->click();
    lastRow<QPushButton>("ShowInFolder")->click();
    const QPoint onName = list->visualItemRect(row).topLeft() + QPoint(60, 5);
    QCOMPARE(list->itemAt(onName), row);
    // Through the window, as the desktop delivers it: a tree view takes a double-click only so.
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {},
                       list->viewport()->mapTo(window, onName));
    QCOMPARE(opener.opened, QStringList({file, m_folder->path(), file}));

    // A page saved with Save As is listed, but opens no window.
    window->hide();
    const int rows = list->topLevelItemCount();
    m_view->engineView()->setHtml("<title>P</title><p>page</p>", QUrl("http://127.0.0.1/"));
    QTRY_COMPARE(m_view->engineView()->title(), QString("P"));
    m_view->engineView()->page()->save(m_folder->filePath("page.mht"),
                                       QWebEngineDownloadRequest::MimeHtmlSaveFormat);
    QTRY_COMPARE(list->topLevelItemCount(), rows + 1);
    QTRY_COMPARE(lastRow<QProgressBar>("Progress")->text(), QString("Complete"));
    QVERIFY(!window->isVisible());

    // Clear finished empties the list of what has ended.
    window->Command1->click();
    QCOMPARE(list->topLevelItemCount(), 0);
}

void DownloadsTest::threeStartedTogetherWithoutAClick_data()
{
    QTest::addColumn<bool>("ask");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("questions");
    // The first comes from the address the user opened; the other two the page starts alone.
    QTest::newRow("allowed: each under a name of its own, no Save dialog")
        << false << true << QStringList{"report (1).txt", "report (2).txt", "report.txt"}
        << QStringList{"downloads SITE"};
    QTest::newRow("refused: only the first, saved where the user said")
        << true << false << QStringList{"report.txt"}
        << QStringList{"saveAs F/report.txt", "downloads SITE"};
}

void DownloadsTest::threeStartedTogetherWithoutAClick()
{
    QFETCH(bool, ask);
    QFETCH(bool, allowed);
    QFETCH(QStringList, files);
    QFETCH(QStringList, questions);
    // A server of its own: the answer holds for the site for the rest of the run.
    LoopbackServer server;
    QVERIFY(server.listen());
    server.serve("/report", {"application/octet-stream", everyByte(), 200,
                             "Content-Disposition: attachment; filename=\"report.txt\"\r\n"});
    server.serveHtml("/three", "<title>Three</title><body><script>"
                               "for (let i = 0; i < 3; ++i) {"
                               "  const link = document.createElement('a');"
                               "  link.href = '/report'; link.download = '';"
                               "  document.body.appendChild(link); link.click();"
                               "}</script>");
    QVERIFY(useSettings(ask));
    m_prompter->saveAsAnswers = {m_folder->filePath("report.txt")};
    m_prompter->downloadsAnswer = allowed;

    QSignalSpy status(m_view.get(), &WebView::StatusTextChange);
    const auto completed = [&status] {
        int count = 0;
        for (const QList<QVariant> &text : status)
            count += text.at(0).toString().startsWith("Saved ");
        return count;
    };
    m_view->Navigate(server.url("/three").toString());
    QTRY_COMPARE_WITH_TIMEOUT(server.requests().count("/report"), 3, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(completed(), files.size(), 30000);
    QTRY_COMPARE(QDir(m_folder->path()).entryList(QDir::Files), files);
    for (const QString &file : files)
        QCOMPARE(read(m_folder->filePath(file)), everyByte());
    const QString site = "127.0.0.1:" + QString::number(server.url("/").port());
    QCOMPARE(
        m_prompter->asked,
        questions.replaceInStrings("F/", m_folder->path() + "/").replaceInStrings("SITE", site));
}

void DownloadsTest::eachClickDownloadsWithoutAQuestion()
{
    m_server.serveHtml("/link", "<title>Link</title><style>a { position: fixed; inset: 0 }</style>"
                                "<a href='/report' download>Report</a>");
    QVERIFY(useSettings(false));
    m_view->resize(400, 300);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    QSignalSpy done(m_view.get(), &WebView::DocumentComplete);
    m_view->Navigate(m_server.url("/link").toString());
    QVERIFY(done.wait(20000));
    QSignalSpy status(m_view.get(), &WebView::StatusTextChange);
    for (const QString name : {"report.txt", "report (1).txt"}) {
        QVERIFY(PageScript::click(m_view->engineView()));
        const QString complete = "Saved " + name + " to " + m_folder->path();
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(status.cbegin(), status.cend(),
                                             [&](const QList<QVariant> &text) {
                                                 return text.at(0).toString() == complete;
                                             }),
                                 20000);
    }
    QCOMPARE(m_prompter->asked, QStringList());
}

void DownloadsTest::suggestedNamesAreMadeSafe_data()
{
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<QString>("saved");
    QTest::newRow("plain") << "report.txt"
                           << "report.txt";
    QTest::newRow("separators") << "../../etc/passwd"
                                << "....etcpasswd";
    QTest::newRow("backslashes") << "..\\up\\file.txt"
                                 << "..upfile.txt";
    QTest::newRow("C0, DEL and C1") << QString("a\x01"
                                               "b\tc\x7F"
                                               "d\u0085e\u009F.txt")
                                    << "abcde.txt";
    QTest::newRow("only dots") << ".."
                               << "download";
    QTest::newRow("nothing left") << QString("/\x1B\u0090") << "download";
    QTest::newRow("letters beyond ASCII kept")
        << QString("caf\u00E9 \u20AC.txt") << QString("caf\u00E9 \u20AC.txt");
}

void DownloadsTest::suggestedNamesAreMadeSafe()
{
    QFETCH(QString, suggested);
    QFETCH(QString, saved);
    QCOMPARE(DownloadManager::safeFileName(suggested), saved);
}

ZV_TEST_MAIN(DownloadsTest)
#include "tst_downloads.moc"
