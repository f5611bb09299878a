#include "support/LoopbackServer.h"
#include "support/ModalDialogs.h"
#include "support/TestMain.h"
#include "support/WindowFixture.h"
#include "support/WorkingFolder.h"
#include "webview/engine/EngineWebView.h"
#include "webview/engine/PagePrinter.h"

#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

// Printing and print preview of a page on the real engine.
class PrintingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void withNoPageNothingIsShown();
    void printWritesThePageToTheChosenPrinter();
    void previewShowsThePagesPainted();
    void pagesOwnPrintOpensOneDialogAtATime();

private:
    bool load(EngineWebView &view);

    LoopbackServer m_server;
};

void PrintingTest::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.serveHtml("/page", "<title>Print me</title><h1>Printed</h1><p>Some text.</p>");
}

bool PrintingTest::load(EngineWebView &view)
{
    return completes(&view, [&] { view.Navigate(m_server.url("/page").toString()); });
}

void PrintingTest::withNoPageNothingIsShown()
{
    EngineWebView view;
    bool shown = false;
    const QPointer<QTimer> watcher = answerNextModalDialog([&](QWidget *dialog) {
        shown = true;
        dialog->close();
    });
    view.ExecWB(WebView::OLECMDID_PRINT, WebView::OLECMDEXECOPT_DODEFAULT);
    view.ExecWB(WebView::OLECMDID_PRINTPREVIEW, WebView::OLECMDEXECOPT_DODEFAULT);
    QCoreApplication::processEvents();
    delete watcher;
    QVERIFY(!shown);
    QVERIFY(!view.printer()->isPrinting());
}

void PrintingTest::printWritesThePageToTheChosenPrinter()
{
    WorkingFolder folder;
    EngineWebView view;
    QVERIFY(load(view));
    const QString pdf = folder.file("page.pdf");
    view.printer()->printer()->setOutputFormat(QPrinter::PdfFormat);
    view.printer()->printer()->setOutputFileName(pdf);
    QSignalSpy finished(view.printer(), &PagePrinter::finished);
    answerNextModalDialog([](QWidget *dialog) {
        QVERIFY(qobject_cast<QPrintDialog *>(dialog));
        qobject_cast<QDialog *>(dialog)->accept();
    });
    view.ExecWB(WebView::OLECMDID_PRINT, WebView::OLECMDEXECOPT_DODEFAULT);
    // A second request while the first prints is refused, not queued.
    view.ExecWB(WebView::OLECMDID_PRINT, WebView::OLECMDEXECOPT_DODEFAULT);
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toBool(), true);
    QVERIFY(QFileInfo(pdf).size() > 1000);
}

void PrintingTest::previewShowsThePagesPainted()
{
    EngineWebView view;
    QVERIFY(load(view));
    int pages = -1;
    answerNextModalDialog([&](QWidget *dialog) {
        QVERIFY(qobject_cast<QPrintPreviewDialog *>(dialog));
        auto *preview = dialog->findChild<QPrintPreviewWidget *>();
        QTRY_VERIFY_WITH_TIMEOUT(preview->pageCount() > 0, 30000);
        pages = preview->pageCount();
        qobject_cast<QDialog *>(dialog)->reject();
    });
    view.ExecWB(WebView::OLECMDID_PRINTPREVIEW, WebView::OLECMDEXECOPT_DODEFAULT);
    QCOMPARE(pages, 1);
    QVERIFY(!view.printer()->isPrinting());
}

void PrintingTest::pagesOwnPrintOpensOneDialogAtATime()
{
    EngineWebView view;
    QVERIFY(load(view));
    int dialogs = 0;
    QPointer<QWidget> first;
    // Any dialog beyond the first is counted and closed, so a fault cannot hang the test.
    QTimer more;
    connect(&more, &QTimer::timeout, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (dialog && dialog != first) {
            ++dialogs;
            dialog->close();
        }
    });
    answerNextModalDialog([&](QWidget *dialog) {
        ++dialogs;
        first = dialog;
        QVERIFY(qobject_cast<QPrintDialog *>(dialog));
        more.start(10);
        // The page asks again, twice, while its print dialog is up.
        view.engineView()->page()->runJavaScript(
            "print(); print(); document.title = 'asked again'");
        QTRY_COMPARE(view.LocationName(), QString("asked again"));
        qobject_cast<QDialog *>(dialog)->reject();
    });
    view.engineView()->page()->runJavaScript("print()");
    QTRY_COMPARE(dialogs, 1);
    QTRY_VERIFY(!view.printer()->isPrinting());
    QCOMPARE(dialogs, 1);
}

ZV_TEST_MAIN(PrintingTest)
#include "tst_printing.moc"
