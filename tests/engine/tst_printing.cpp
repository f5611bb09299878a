#include "support/LoopbackServer.h"
#include "support/ModalDialogs.h"
#include "support/TestMain.h"
#include "support/WindowFixture.h"
#include "support/WorkingFolder.h"
#include "webview/engine/EngineWebView.h"
#include "webview/engine/PagePrinter.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

// The print dialog on screen, modal (the menu's) or not (the page's).
QPrintDialog *shownPrintDialog()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *dialog = qobject_cast<QPrintDialog *>(widget);
        if (dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

// Answers the next print dialog from inside its own event loop, as answerNextModalDialog does.
QPointer<QTimer> answerNextPrintDialog(std::function<void(QPrintDialog *dialog)> answer)
{
    auto *timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        if (QPrintDialog *dialog = shownPrintDialog()) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        }
    });
    timer->start();
    return timer;
}

} // namespace

// Printing and print preview of a page on the real engine.
class PrintingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void withNoPageNothingIsShown();
    void printWritesThePageToTheChosenPrinter();
    void previewShowsThePagesPainted();
    void pagesOwnPrintOpensOneDialogAtATime();
    void printLoopStoppedWithTheBoxThenTheWindowCloses();

private:
    bool load(EngineWebView &view);

    LoopbackServer m_server;
};

void PrintingTest::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.serveHtml("/page", "<title>Print me</title><h1>Printed</h1><p>Some text.</p>");
    // Asks to print every 50 ms; the title counts the requests.
    m_server.serveHtml("/loop",
                       "<title>asked 0</title><p>Print me, print me.</p><script>"
                       "let asked = 0;"
                       "setInterval(() => { document.title = 'asked ' + ++asked; print(); },"
                       "            50);</script>");
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
        QWidget *dialog = shownPrintDialog();
        if (dialog && dialog != first) {
            ++dialogs;
            dialog->close();
        }
    });
    answerNextPrintDialog([&](QPrintDialog *dialog) {
        ++dialogs;
        first = dialog;
        more.start(10);
        // The page asks again, twice, while its print dialog is up.
        view.engineView()->page()->runJavaScript(
            "print(); print(); document.title = 'asked again'");
        QTRY_COMPARE(view.LocationName(), QString("asked again"));
        dialog->reject();
    });
    view.engineView()->page()->runJavaScript("print()");
    QTRY_COMPARE(dialogs, 1);
    QTRY_VERIFY(!view.printer()->isPrinting());
    QCOMPARE(dialogs, 1);
}

void PrintingTest::printLoopStoppedWithTheBoxThenTheWindowCloses()
{
    const QPointer<EngineWebView> window = new EngineWebView;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    const auto asked = [&] { return window->LocationName().mid(6).toInt(); };
    // Each dialog runs its own event loop, so the person's answers come from a timer.
    QStringList seen;
    bool closeWhileUp = false;
    bool blocked = false;
    QPointer<QPrintDialog> last;
    QTimer person;
    connect(&person, &QTimer::timeout, [&] {
        QPrintDialog *dialog = shownPrintDialog();
        if (!dialog || dialog == last || !window)
            return;
        last = dialog;
        // Not modal: a window blocked by a modal dialog ignores its close box.
        blocked = blocked || QApplication::activeModalWidget();
        auto *stop = dialog->findChild<QCheckBox *>("stopPrinting");
        seen.append(QStringLiteral("dialog") + (stop ? " +box" : ""));
        if (closeWhileUp) {
            window->close();
            return;
        }
        if (stop)
            stop->setChecked(true);
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
    });
    person.start(10);

    QVERIFY(completes(window, [&] { window->Navigate(m_server.url("/loop").toString()); }));
    // Cancelled at once, the page asks again: from the second dialog on, it can be stopped.
    QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 2, 20000);
    QCOMPARE(seen, QStringList({"dialog", "dialog +box"}));
    QVERIFY(!blocked);
    // Stopped: a second of the page's requests shows nothing more.
    const int stoppedAt = asked();
    QTRY_VERIFY_WITH_TIMEOUT(asked() > stoppedAt + 20, 20000);
    QCOMPARE(seen.size(), 2);

    // The menu's Print is the user's own: it still asks, with no box.
    window->ExecWB(WebView::OLECMDID_PRINT, WebView::OLECMDEXECOPT_DODEFAULT);
    QTRY_COMPARE(seen.size(), 3);
    QCOMPARE(seen.last(), QString("dialog"));

    // Loaded again, the page asks again; the window closes with its dialog up, and both go.
    seen.clear();
    closeWhileUp = true;
    blocked = false;
    window->Refresh();
    QTRY_VERIFY_WITH_TIMEOUT(!window, 20000);
    QCOMPARE(seen, QStringList{"dialog"});
    QTRY_VERIFY(!shownPrintDialog());
    QVERIFY(!blocked);
}

ZV_TEST_MAIN(PrintingTest)
#include "tst_printing.moc"
