#include "main_window/Form1.h"
#include "support/LoopbackServer.h"
#include "support/PageScript.h"
#include "support/ScriptedServer.h"
#include "support/TestMain.h"
#include "support/TestPrompter.h"
#include "support/WindowFixture.h"
#include "webview/WebViewSettings.h"
#include "webview/engine/DownloadHolding.h"
#include "webview/engine/DownloadManager.h"
#include "webview/engine/EngineWebView.h"
#include "webview/engine/UserGestures.h"
#include "webview/ui/DownloadsWindow.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
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

// Permissions as chmod writes them: "600".
QString octal(QFileDevice::Permissions permissions)
{
    const int bits = int(permissions);
    return QString::number((bits >> 12) & 7) + QString::number((bits >> 4) & 7) +
           QString::number(bits & 7);
}

// The files held for an answer, each with its permissions and those of the folders above it
// up to the holding folder ("report.txt 600 700 700 700"); the runs' locks are no download.
QStringList heldFiles()
{
    QStringList files;
    const QString base = DownloadHolding::base();
    QDirIterator found(base, QDir::Files | QDir::Hidden | QDir::System,
                       QDirIterator::Subdirectories);
    while (found.hasNext()) {
        const QFileInfo file(found.next());
        if (file.suffix() == "lock")
            continue;
        QString entry = file.fileName();
        for (QFileInfo step = file; step.filePath().size() >= base.size();
             step = QFileInfo(step.path()))
            entry += " " + octal(step.permissions());
        files.append(entry);
    }
    return files;
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
    void aDownloadArrivingAfterItsPageHasGoneIsAskedAbout();
    void theQuestionStandsBeforeItsWindowWhichStaysUsable();

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
    // Where the download folder lies: beside the held files, or on another file system.
    QTest::addColumn<QString>("within");
    // The first comes from the address the user opened; the other two the page starts alone.
    QTest::newRow("allowed: each under a name of its own, no Save dialog")
        << false << true << QStringList{"report (1).txt", "report (2).txt", "report.txt"}
        << QStringList{"downloads SITE"} << QString();
    QTest::newRow("allowed, copied to another file system")
        << false << true << QStringList{"report (1).txt", "report (2).txt", "report.txt"}
        << QStringList{"downloads SITE"} << "/dev/shm";
    QTest::newRow("refused: only the first, saved where the user said")
        << true << false << QStringList{"report.txt"}
        << QStringList{"saveAs F/report.txt", "downloads SITE"} << QString();
}

void DownloadsTest::threeStartedTogetherWithoutAClick()
{
    QFETCH(bool, ask);
    QFETCH(bool, allowed);
    QFETCH(QStringList, files);
    QFETCH(QStringList, questions);
    QFETCH(QString, within);
    if (!within.isEmpty()) {
        const QString cache = QFileInfo(DownloadHolding::base()).path();
        QVERIFY(QDir().mkpath(cache));
        if (QStorageInfo(within).device() == QStorageInfo(cache).device())
            QSKIP("no second file system to copy to");
        m_folder = std::make_unique<QTemporaryDir>(within + "/downloads-XXXXXX");
        QVERIFY(m_folder->isValid());
    }
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

    // While the question is up, the two the page started alone have come, whole or paused.
    QList<QPointer<QWebEngineDownloadRequest>> downloads;
    const QMetaObject::Connection watching = connect(
        m_view->engineView()->page()->profile(), &QWebEngineProfile::downloadRequested, this,
        [&downloads](QWebEngineDownloadRequest *download) { downloads.append(download); });
    const auto stopWatching = qScopeGuard([&watching] { disconnect(watching); });
    const auto settled = [&downloads] {
        return downloads.size() == 3 &&
               std::all_of(downloads.cbegin(), downloads.cend(), [](const auto &download) {
                   return download && (download->isFinished() || download->isPaused());
               });
    };
    QStringList beforeTheAnswer;
    QStringList heldBeforeTheAnswer;
    m_prompter->duringDownloadsQuestion = [&] {
        static_cast<void>(QTest::qWaitFor(settled, 30000));
        beforeTheAnswer = QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden);
        // The engine makes its files as it likes; they are made private as they come.
        static_cast<void>(QTest::qWaitFor(
            [] { return heldFiles().filter(" 600 700 700 700").size() == heldFiles().size(); },
            5000));
        heldBeforeTheAnswer = heldFiles();
    };

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
    // Nothing of the held ones where the user could see it before the answer; afterwards
    // nothing held at all.
    QCOMPARE(beforeTheAnswer, QStringList{"report.txt"});
    // Each whole, or paused under the engine's name for a part.
    const QRegularExpression privately("^report\\.txt(\\.download)? 600 700 700 700$");
    for (const QString &held : heldBeforeTheAnswer)
        QVERIFY2(privately.match(held).hasMatch(), qPrintable(held));
    QTRY_COMPARE(heldFiles(), QStringList());
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

void DownloadsTest::aDownloadArrivingAfterItsPageHasGoneIsAskedAbout()
{
    // A page that starts a download and closes its window before the reply comes.
    ScriptedServer server([this](const QByteArray &head) -> QByteArray {
        if (head.startsWith("GET /page "))
            return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n"
                   "<a href='/late' download>Late</a>";
        m_view.reset();
        return "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n"
               "Content-Disposition: attachment; filename=\"late.txt\"\r\n"
               "Content-Length: 4\r\n\r\nlate";
    });
    QVERIFY(server.listen());
    QVERIFY(useSettings(false));
    QSignalSpy done(m_view.get(), &WebView::DocumentComplete);
    m_view->Navigate(server.url("/page").toString());
    QVERIFY(done.wait(20000));
    QSignalSpy requested(m_view->engineView()->page()->profile(),
                         &QWebEngineProfile::downloadRequested);
    m_view->engineView()->page()->runJavaScript("document.querySelector('a').click()");
    // The engine may as well drop a download whose page went before its reply came: then there
    // is nothing to ask about, nor to crash on.
    if (requested.isEmpty() && !requested.wait(10000))
        QSKIP("The engine dropped the download with its page this time");
    // Without a page there is no click of the person's: it waits for a yes, here a no.
    QTRY_COMPARE_WITH_TIMEOUT(
        m_prompter->asked,
        QStringList("downloads 127.0.0.1:" + QString::number(server.url("/").port())), 20000);
    QVERIFY(!m_view);
    QTRY_COMPARE(heldFiles(), QStringList());
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList());
}

void DownloadsTest::theQuestionStandsBeforeItsWindowWhichStaysUsable()
{
    m_prompter.reset(); // the program's own question, as a person meets it
    m_view.reset();     // the windows below go with the fixture
    LoopbackServer server;
    QVERIFY(server.listen());
    server.serve("/report", {"application/octet-stream", everyByte(), 200,
                             "Content-Disposition: attachment; filename=\"report.txt\"\r\n"});
    // Titled unlike the built-in start page, so the wait below is for this page alone.
    server.serveHtml("/start", "<title>Reports</title>");
    server.serveHtml("/page", "<title>A page</title>");
    QVERIFY(useSettings(false));
    WindowFixture fixture;
    fixture.start(WindowFixture::Engine);
    const auto stop = qScopeGuard([&fixture] { fixture.stop(); });
    DownloadsWindow::shared()->hide();
    const QPointer<Form1> window = fixture.showLoaded();
    QVERIFY(window);
    auto *view = qobject_cast<EngineWebView *>(window->WebBrowser1);
    QVERIFY(view);
    QTRY_VERIFY_WITH_TIMEOUT(window->windowTitle().startsWith("Zarvo Velmora 1.0 - "), 20000);
    view->Navigate(server.url("/start").toString());
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QString("Zarvo Velmora 1.0 - Reports"), 20000);
    // The visit's own action is spent: every download below is the page's alone.
    UserGestures::take(view->engineView()->page());

    const auto shownQuestion = []() -> QMessageBox * {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (box && box->isVisible() && box->windowTitle() == "Downloads")
                return box;
        }
        return nullptr;
    };
    // The question waits in an event loop of its own, so the person acts from a timer, a step
    // at each tick, as the engine goes on between them.
    enum { Waiting, Typed, Done } step = Waiting;
    QSignalSpy requested(view->engineView()->page()->profile(),
                         &QWebEngineProfile::downloadRequested);
    bool owned = false, active = false, modal = true, downloadsShown = true;
    bool typedAddressTaken = false, goneWithTheWindow = false;
    QElapsedTimer clock;
    QTimer person;
    connect(&person, &QTimer::timeout, [&] {
        QMessageBox *question = shownQuestion();
        if (!question || !window || step == Done)
            return;
        if (step == Waiting) {
            if (!clock.isValid())
                clock.start();
            active = QApplication::activeWindow() == question;
            // All three have come (a navigation is not taken for one of them, and none arrives
            // once the page has gone with its window: the engine cannot name a page gone).
            if (requested.size() < 3 || (!active && clock.elapsed() < 10000))
                return;
            owned = question->parentWidget() == window;
            modal = QApplication::activeModalWidget() != nullptr;
            downloadsShown = DownloadsWindow::shared()->isVisible();
            // The person goes back to the window, clicks into the address box and types, as
            // the desktop delivers it: a window blocked by a modal question gets none of it.
            QApplication::setActiveWindow(window);
            QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                              window->Text1->mapTo(window, window->Text1->rect().center()));
            // Typed into the box itself: on a slow machine the desktop may hand the focus back
            // to the question meanwhile; that the question blocks nothing is checked above.
            window->Text1->lineEdit()->selectAll();
            QTest::keyClicks(window->Text1->lineEdit(), server.url("/page").toString());
            typedAddressTaken = window->Text1->currentText() == server.url("/page").toString();
            step = Typed;
            return;
        }
        step = Done;
        // Closing the window closes its question, which is No.
        window->close();
        goneWithTheWindow = !question->isVisible();
        if (!goneWithTheWindow)
            question->button(QMessageBox::No)->click();
    });
    person.start(10);

    view->engineView()->page()->runJavaScript("for (let i = 0; i < 3; ++i) {"
                                              "  const link = document.createElement('a');"
                                              "  link.href = '/report'; link.download = '';"
                                              "  document.body.appendChild(link); link.click();"
                                              "}");
    QTRY_VERIFY_WITH_TIMEOUT(step == Done, 60000);
    QTRY_VERIFY_WITH_TIMEOUT(!shownQuestion(), 30000);
    QVERIFY(owned);
    QVERIFY(active);
    QVERIFY2(!modal, "the question blocks its window");
    QVERIFY2(!downloadsShown, "the downloads window stands over the question");
    QVERIFY(typedAddressTaken);
    QVERIFY(goneWithTheWindow);
    // Refused: whatever had come is deleted, whatever was coming is cancelled.
    QTRY_VERIFY(!window);
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    QTRY_COMPARE(heldFiles(), QStringList());
}

ZV_TEST_MAIN(DownloadsTest)
#include "tst_downloads.moc"
