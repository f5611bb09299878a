#include "support/LoopbackServer.h"
#include "support/TestMain.h"
#include "support/WorkingFolder.h"
#include "webview/BrowserProfile.h"
#include "webview/EngineWebView.h"
#include "webview/PagePropertiesDialog.h"
#include "webview/PageSetup.h"

#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrinter>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <functional>
#include <memory>
#include <optional>

namespace {

// Runs the action on the next modal dialog as soon as it is up. The action must close it.
QPointer<QTimer> onNextModal(const std::function<void(QWidget *)> &action)
{
    auto *poll = new QTimer(qApp);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            poll->deleteLater();
            poll->stop();
            action(dialog);
        }
    });
    poll->start();
    return poll;
}

// The value of a script in the view's page, once the engine answers. The answer may come after
// a timeout, so it lands in storage that outlives this call.
QVariant evaluate(QWebEngineView *view, const QString &script)
{
    const auto answer = std::make_shared<std::optional<QVariant>>();
    view->page()->runJavaScript(script, [answer](const QVariant &value) { *answer = value; });
    if (!QTest::qWaitFor([&] { return answer->has_value(); }, 10000))
        return {};
    return **answer;
}

QString plainText(QWebEngineView *view)
{
    const auto answer = std::make_shared<std::optional<QString>>();
    view->page()->toPlainText([answer](const QString &text) { *answer = text; });
    if (!QTest::qWaitFor([&] { return answer->has_value(); }, 10000))
        return {};
    return **answer;
}

} // namespace

// The page commands of ExecWB on the real engine.
class PageCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void textSizeZoomsThePage();
    void textSizeIgnoresLevelsOutsideTheFive_data();
    void textSizeIgnoresLevelsOutsideTheFive();
    void saveAsWritesAPageThatReloads_data();
    void saveAsWritesAPageThatReloads();
    void saveAsCancelledWritesNothing();
    void withoutAPageNothingIsShown();
    void copyPutsTheSelectionOnTheClipboard();
    void propertiesShowTitleAddressProtocolAndType();
    void pageSetupChangesThePrinterOnlyWhenAccepted();

  private:
    bool load(const QString &address);
    bool loadPage() { return load(m_server.url("/page").toString()); }

    LoopbackServer m_server;
    std::unique_ptr<WorkingFolder> m_folder;
    std::unique_ptr<QWidget> m_window;
    EngineWebView *m_view = nullptr;
};

void PageCommandsTest::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.serveHtml("/page", "<html><head><title>Saved page</title>"
                                "<link rel=stylesheet href=/style.css></head>"
                                "<body><p id=p>Hello clipboard</p></body></html>");
    m_server.serve("/style.css", {"text/css", "p { color: green }", 200, {}});
}

void PageCommandsTest::init()
{
    m_folder = std::make_unique<WorkingFolder>();
    m_window = std::make_unique<QWidget>();
    m_view = new EngineWebView(m_window.get());
    m_window->resize(800, 600);
    m_view->resize(800, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void PageCommandsTest::cleanup()
{
    m_window.reset();
    m_folder.reset();
}

bool PageCommandsTest::load(const QString &address)
{
    QSignalSpy done(m_view, &WebView::DocumentComplete);
    m_view->Navigate(address);
    return done.wait(20000);
}

void PageCommandsTest::textSizeZoomsThePage()
{
    QVERIFY(loadPage());
    QWebEngineView *engine = m_view->engineView();
    const auto textSize = [&](int level) {
        m_view->ExecWB(WebView::OLECMDID_ZOOM, WebView::OLECMDEXECOPT_DONTPROMPTUSER, level);
    };
    // The page's own idea of its width shrinks as its text grows.
    const auto cssWidth = [&] { return evaluate(engine, "window.innerWidth").toInt(); };
    textSize(2);
    QCOMPARE(engine->zoomFactor(), 1.0);
    const int medium = cssWidth();
    QVERIFY(medium > 0);

    textSize(4);
    const qreal largest = engine->zoomFactor();
    QTRY_VERIFY(cssWidth() < medium);
    textSize(3);
    const qreal large = engine->zoomFactor();
    textSize(1);
    const qreal small = engine->zoomFactor();
    textSize(0);
    const qreal smallest = engine->zoomFactor();
    QTRY_VERIFY(cssWidth() > medium);
    QVERIFY(largest > large && large > 1.0 && 1.0 > small && small > smallest);

    // Each level is set directly, wherever the last one was.
    textSize(4);
    QCOMPARE(engine->zoomFactor(), largest);
}

void PageCommandsTest::textSizeIgnoresLevelsOutsideTheFive_data()
{
    QTest::addColumn<QVariant>("level");
    QTest::newRow("5") << QVariant(5);
    QTest::newRow("-1") << QVariant(-1);
    QTest::newRow("not a number") << QVariant("large");
    QTest::newRow("none") << QVariant();
}

void PageCommandsTest::textSizeIgnoresLevelsOutsideTheFive()
{
    QFETCH(QVariant, level);
    QVERIFY(loadPage());
    m_view->ExecWB(WebView::OLECMDID_ZOOM, WebView::OLECMDEXECOPT_DONTPROMPTUSER, 0);
    const qreal before = m_view->engineView()->zoomFactor();
    m_view->ExecWB(WebView::OLECMDID_ZOOM, WebView::OLECMDEXECOPT_DONTPROMPTUSER, level);
    QCOMPARE(m_view->engineView()->zoomFactor(), before);
}

void PageCommandsTest::saveAsWritesAPageThatReloads_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("withFiles");
    QTest::addColumn<QByteArray>("mark");
    QTest::newRow("complete") << "Web page, complete (*.htm *.html)"
                              << "saved.htm" << true << QByteArray("saved_files/style.css");
    QTest::newRow("HTML only") << "Web page, HTML only (*.htm *.html)"
                               << "saved.html" << false << QByteArray("href=/style.css");
    QTest::newRow("single archive file") << "Web archive, single file (*.mht *.mhtml)"
                                         << "saved.mht" << false << QByteArray("MIME-Version: 1.0");
}

void PageCommandsTest::saveAsWritesAPageThatReloads()
{
    QFETCH(QString, filter);
    QFETCH(QString, name);
    QFETCH(bool, withFiles);
    QFETCH(QByteArray, mark);
    QVERIFY(loadPage());
    QPointer<QWebEngineDownloadRequest> save;
    QMetaObject::Connection watch =
        connect(BrowserProfile::shared(), &QWebEngineProfile::downloadRequested, this,
                [&save](QWebEngineDownloadRequest *request) { save = request; });

    const QString path = m_folder->file(name);
    onNextModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (!dialog || dialog->acceptMode() != QFileDialog::AcceptSave) {
            modal->close();
            return;
        }
        dialog->selectNameFilter(filter);
        // The dialog leaves a file name box that has the focus as it is.
        if (QWidget *focused = dialog->focusWidget())
            focused->clearFocus();
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    m_view->ExecWB(WebView::OLECMDID_SAVEAS, WebView::OLECMDEXECOPT_DODEFAULT);
    QTRY_VERIFY_WITH_TIMEOUT(save && save->isFinished(), 20000);
    disconnect(watch);
    QVERIFY(save->isSavePageDownload());
    QCOMPARE(save->state(), QWebEngineDownloadRequest::DownloadCompleted);

    const QByteArray saved = WorkingFolder::read(path);
    // Each form as asked: links into the files folder, the page as served, one archive.
    QVERIFY2(saved.contains(mark), saved.left(200).constData());
    QCOMPARE(QFileInfo::exists(m_folder->file(QFileInfo(name).completeBaseName() + "_files")),
             withFiles);
    QVERIFY(load(path));
    QCOMPARE(m_view->LocationName(), QString("Saved page"));
    // Archives run no script: read the text the way the engine shows it.
    QCOMPARE(plainText(m_view->engineView()).trimmed(), QString("Hello clipboard"));
}

void PageCommandsTest::saveAsCancelledWritesNothing()
{
    QVERIFY(loadPage());
    QSignalSpy downloads(BrowserProfile::shared(), &QWebEngineProfile::downloadRequested);
    onNextModal([](QWidget *dialog) { static_cast<QDialog *>(dialog)->reject(); });
    m_view->ExecWB(WebView::OLECMDID_SAVEAS, WebView::OLECMDEXECOPT_DODEFAULT);
    QVERIFY(!QApplication::activeModalWidget());
    // A round trip through the engine: a save it had been asked for would have started.
    QVERIFY(evaluate(m_view->engineView(), "1").isValid());
    QCOMPARE(downloads.size(), 0);
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList());
}

void PageCommandsTest::withoutAPageNothingIsShown()
{
    // A dialog would block here; one that appears anyway is counted and closed.
    int dialogs = 0;
    QPointer<QTimer> watch = onNextModal([&dialogs](QWidget *dialog) {
        ++dialogs;
        dialog->close();
    });
    for (const int command :
         {WebView::OLECMDID_SAVEAS, WebView::OLECMDID_PROPERTIES, WebView::OLECMDID_PAGESETUP})
        m_view->ExecWB(command, WebView::OLECMDEXECOPT_DODEFAULT);
    m_view->ExecWB(WebView::OLECMDID_ZOOM, WebView::OLECMDEXECOPT_DONTPROMPTUSER, 4);
    QCOMPARE(m_view->engineView()->zoomFactor(), 1.0);
    QCOMPARE(dialogs, 0);
    delete watch;

    // Once a page is there, a dialog opens: the commands above would have shown theirs too.
    QVERIFY(loadPage());
    m_view->ExecWB(WebView::OLECMDID_PROPERTIES, WebView::OLECMDEXECOPT_DODEFAULT);
    QTRY_VERIFY(m_window->findChild<PagePropertiesDialog *>());
    QCOMPARE(m_window->findChildren<PagePropertiesDialog *>().size(), 1);
}

void PageCommandsTest::copyPutsTheSelectionOnTheClipboard()
{
    QVERIFY(loadPage());
    QApplication::clipboard()->setText("before");
    m_view->ExecWB(WebView::OLECMDID_SELECTALL, WebView::OLECMDEXECOPT_DODEFAULT);
    QTRY_COMPARE(
        evaluate(m_view->engineView(), "window.getSelection().toString()").toString().trimmed(),
        QString("Hello clipboard"));
    m_view->ExecWB(WebView::OLECMDID_COPY, WebView::OLECMDEXECOPT_DODEFAULT);
    QTRY_COMPARE(QApplication::clipboard()->text().trimmed(), QString("Hello clipboard"));
}

void PageCommandsTest::propertiesShowTitleAddressProtocolAndType()
{
    QVERIFY(loadPage());
    m_view->ExecWB(WebView::OLECMDID_PROPERTIES, WebView::OLECMDEXECOPT_DODEFAULT);
    PagePropertiesDialog *dialog = nullptr;
    QTRY_VERIFY((dialog = m_window->findChild<PagePropertiesDialog *>()));
    QTRY_VERIFY(dialog->isVisible());
    const auto field = [dialog](const char *name) {
        const auto *label = dialog->findChild<QLabel *>(name);
        return label ? label->text() : QString("(missing)");
    };
    QCOMPARE(field("title"), QString("Saved page"));
    QCOMPARE(field("address"), m_server.url("/page").toString());
    QCOMPARE(field("protocol"), QString("HyperText Transfer Protocol"));
    QVERIFY2(field("type").contains("text/html"), qPrintable(field("type")));
    dialog->accept();
    QTRY_VERIFY(!m_window->findChild<PagePropertiesDialog *>());
}

void PageCommandsTest::pageSetupChangesThePrinterOnlyWhenAccepted()
{
    QPrinter printer;
    printer.setPageOrientation(QPageLayout::Portrait);

    onNextModal([](QWidget *dialog) {
        if (auto *landscape = dialog->findChild<QRadioButton *>("landscape"))
            landscape->click();
        static_cast<QDialog *>(dialog)->reject();
    });
    QVERIFY(!PageSetup::exec(&printer, m_window.get()));
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);

    onNextModal([](QWidget *dialog) {
        if (auto *landscape = dialog->findChild<QRadioButton *>("landscape"))
            landscape->click();
        static_cast<QDialog *>(dialog)->accept();
    });
    QVERIFY(PageSetup::exec(&printer, m_window.get()));
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
}

ZV_TEST_MAIN(PageCommandsTest)
#include "tst_pagecommands.moc"
