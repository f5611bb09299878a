#include "about/Form2.h"
#include "lists/Form4.h"
#include "lists/ListBox.h"
#include "lists/ListFile.h"
#include "main_window/Form1.h"
#include "main_window/StatusBar.h"
#include "support/LoopbackServer.h"
#include "support/PageScript.h"
#include "support/TestMain.h"
#include "support/TestPrompter.h"
#include "support/WindowFixture.h"
#include "support/Windows.h"
#include "support/WorkingFolder.h"
#include "webview/TypedText.h"
#include "webview/WebViewSettings.h"
#include "webview/engine/EngineWebView.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>
#include <algorithm>
#include <memory>
#include <optional>

namespace {
QList<Form1 *> mainWindows()
{
    return shownWindows<Form1>();
}

// A page that is one big link: a click anywhere in the view follows it.
QByteArray linkPage(const QByteArray &href)
{
    return "<title>Links</title><a href='" + href +
           "' style='position:fixed;inset:0;display:block'>link</a>";
}

// An IDN host, reached through the loopback server as a proxy (see initTestCase).
const QString IdnHost = u"b\u00fccher.test"_qs;
// The page there, as the engine asks its proxy for it.
const QString IdnPage = "http://xn--bcher-kva.test/caf%C3%A9?q=%E2%82%AC";
QWebEngineView *engineOf(Form1 *window)
{
    return static_cast<EngineWebView *>(window->WebBrowser1)->engineView();
}
} // namespace

// Main windows on the real engine, browsing pages served on 127.0.0.1.
class BrowsingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler("mailto"); }
    void init() { m_fixture.start(WindowFixture::Engine); }
    void cleanup() { m_fixture.stop(); }

    void typingAnAddressAndEnterVisitsIt();
    void aClickThatOpensAWindowGetsANewMainWindow();
    void aScriptAloneOpensNoWindow();
    void tabGoesFromTheToolbarThroughThePageToTheAddressBox();
    void aLinkThatShowsNoPageLeavesThePageAsItWas_data();
    void aLinkThatShowsNoPageLeavesThePageAsItWas();
    void aLinkForAnotherProgramGoesThereOnlyWhenClickedAndAllowed();
    void aPageThatStopsItsOwnLoadStillCompletes();
    void anAddressBeyondLatinIsKeptEncodedAndLeadsBack();
    void editingKeysStayInAPageField();
    void sameDocumentChangesMoveTheAddressAndCaptionOnly();
    void typedWordsAreSearchedForOnTheWeb();

public slots:
    // Stands in for the desktop's program for mailto: links.
    void openMail(const QUrl &url) { m_mailOpened.append(url); }

private:
    // A shown main window on the link page at the path, on 127.0.0.1 or on another host.
    Form1 *windowOn(const QString &path, const QString &host = "127.0.0.1");

    LoopbackServer m_server;
    QList<QUrl> m_mailOpened;
    WindowFixture m_fixture;
};

void BrowsingTest::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.serveHtml("/page", "<title>A page</title><p>Hello</p>");
    // One big button: a click anywhere in the view opens a window.
    m_server.serveHtml("/opener",
                       "<title>Opener</title><button id=b style='position:fixed;inset:0' "
                       "onclick=\"window.open('/popup')\">open</button>");
    m_server.serveHtml("/popup", "<title>Popup</title><p>Popup</p>");
    m_server.serveHtml("/to-download", linkPage("/file.zip"));
    m_server.serve("/file.zip", {"application/zip", "PK", 200,
                                 "Content-Disposition: attachment; filename=\"file.zip\"\r\n"});
    m_server.serveHtml("/to-mail", linkPage("mailto:someone@example.invalid"));
    m_server.serveHtml("/to-nothing", linkPage("/nothing"));
    m_server.serve("/nothing", {"text/html", "", 204, {}});
    // At the page's own address: a form that gets a file back, a Refresh answered with no page.
    m_server.serveHtml("/self-post", "<title>Links</title><form method=post><button name=b "
                                     "style='position:fixed;inset:0'>send</button></form>");
    m_server.serve(
        "POST /self-post",
        {"text/csv", "a,b", 200, "Content-Disposition: attachment; filename=\"report.csv\"\r\n"});
    m_server.serveHtml("/to-refresh", linkPage("/nothing"));
    m_server.serveHtml("/mail-by-script",
                       "<title>Script</title><script>location.href = 'mailto:x@example.invalid'"
                       "</script>");
    m_server.serveHtml("/stopper", "<title>Stopper</title><script>window.stop()</script>");
    m_server.serveHtml(IdnPage, "<title>Caf\xC3\xA9</title>");
    // The IDN host reaches the loopback server as its proxy (addresses on 127.0.0.1 go there
    // directly); set before the engine starts, in this test's process only.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            "--proxy-server=" + m_server.url("/").authority().toLatin1());
    QDesktopServices::setUrlHandler("mailto", this, "openMail");
    m_server.serveHtml("/field", "<title>Field</title><input id=f value='hello world'>"
                                 "<p>Some text</p><script>var escapes = 0; addEventListener("
                                 "'keydown', e => { if (e.key == 'Escape') ++escapes; })</script>");
    // The web search's page for typed words, reached through the proxy as the IDN host is.
    m_server.serveHtml(TypedText::searchAddress("c# x"), "<title>Results</title>");
    m_server.serveHtml("/deck", "<title>Deck</title><p>Slides</p>");
    m_server.serveHtml("/flood", "<title>Flood</title><script>for (let i = 0; i < 30; ++i) "
                                 "window.open('/flooded' + i);</script>");
}

void BrowsingTest::typingAnAddressAndEnterVisitsIt()
{
    Form1 *window = m_fixture.showLoaded();
    QVERIFY(window);
    // The home page completes first.
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle().startsWith("Zarvo Velmora 1.0 - "), true,
                              20000);

    const QString address = m_server.url("/page").toString();
    window->Text1->setFocus();
    window->Text1->clearEditText();
    QTest::keyClicks(window->Text1, address);
    QTest::keyClick(window->Text1, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QString("Zarvo Velmora 1.0 - A page"), 20000);
    QCOMPARE(window->Text1->currentText(), address);
    QCOMPARE(ListFile::ReadLines("History.DAT").entries.last(), address);
}

void BrowsingTest::aClickThatOpensAWindowGetsANewMainWindow()
{
    Form1 *opener = m_fixture.showLoaded();
    QVERIFY(opener);
    opener->WebBrowser1->Navigate(m_server.url("/opener").toString());
    QTRY_COMPARE_WITH_TIMEOUT(opener->windowTitle(), QString("Zarvo Velmora 1.0 - Opener"), 20000);

    // One click: each click would open one more window.
    QVERIFY(PageScript::click(engineOf(opener)));
    QTRY_COMPARE_WITH_TIMEOUT(mainWindows().size(), 2, 20000);

    Form1 *popup = mainWindows().first() == opener ? mainWindows().last() : mainWindows().first();
    QTRY_COMPARE_WITH_TIMEOUT(popup->windowTitle(), QString("Zarvo Velmora 1.0 - Popup"), 20000);
    QCOMPARE(opener->windowTitle(), QString("Zarvo Velmora 1.0 - Opener"));

    // The popup's load stamp comes before its page's line.
    const QStringList history = ListFile::ReadLines("History.DAT").entries;
    const qsizetype page = history.lastIndexOf(m_server.url("/popup").toString());
    QVERIFY(page > 0);
    QVERIFY(history.indexOf(m_server.url("/opener").toString()) < page - 1);
    QVERIFY2(!history[page - 1].startsWith("http"), qPrintable(history.join(" | ")));
}

void BrowsingTest::aScriptAloneOpensNoWindow()
{
    Form1 *window = m_fixture.showLoaded();
    QVERIFY(window);
    QSignalSpy requests(window->WebBrowser1, &WebView::NewWindow2);
    window->WebBrowser1->Navigate(m_server.url("/flood").toString());
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QString("Zarvo Velmora 1.0 - Flood"), 20000);
    // A round trip through the page: its window.open calls were handled before the answer.
    QVERIFY(PageScript::evaluate(engineOf(window), "1").isValid());
    QCOMPARE(requests.size(), 0);
    QCOMPARE(mainWindows().size(), 1);
    QVERIFY(!m_server.requests().join(' ').contains("/flooded"));
}

void BrowsingTest::tabGoesFromTheToolbarThroughThePageToTheAddressBox()
{
    Form1 *window = m_fixture.showLoaded();
    QVERIFY(window);
    // A page with nothing to focus in it: one Tab in, the next one out.
    window->WebBrowser1->Navigate(m_server.url("/page").toString());
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QString("Zarvo Velmora 1.0 - A page"), 20000);
    const auto inPage = [window] {
        return window->WebBrowser1->isAncestorOf(QApplication::focusWidget());
    };
    // From the Search button round to the toolbar, not into the page.
    window->Command2->setFocus();
    QTRY_VERIFY(window->Command2->hasFocus());
    QTest::keyClick(window->Command2, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("Back"));
    QWidget *add = window->findChild<QWidget *>("Add");
    add->setFocus();
    QTRY_VERIFY(add->hasFocus());
    QTest::keyClick(add, Qt::Key_Tab);
    QTRY_VERIFY(inPage());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), window->Text1);
    // And back the same way.
    QTest::keyClick(window->Text1, Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_VERIFY(inPage());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_COMPARE(QApplication::focusWidget(), add);
}

// A fragment or the page's own history entry moves the address box and the caption with the
// page, but completes no document: no history line.
void BrowsingTest::sameDocumentChangesMoveTheAddressAndCaptionOnly()
{
    Form1 *window = m_fixture.showLoaded();
    QVERIFY(window);
    window->WebBrowser1->Navigate(m_server.url("/deck").toString());
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QString("Zarvo Velmora 1.0 - Deck"), 20000);
    const QByteArray history = WorkingFolder::read("History.DAT");
    QSignalSpy completed(window->WebBrowser1, &WebView::DocumentComplete);

    QVERIFY(PageScript::evaluate(engineOf(window), "location.hash = '#/2/1'; 1").isValid());
    QTRY_COMPARE_WITH_TIMEOUT(window->Text1->currentText(),
                              m_server.url("/deck").toString() + "#/2/1", 20000);
    QVERIFY(PageScript::evaluate(engineOf(window),
                                 "history.pushState({}, '', '/deck/3'); document.title = 'Slide "
                                 "3'; 1")
                .isValid());
    QTRY_COMPARE_WITH_TIMEOUT(window->Text1->currentText(), m_server.url("/deck/3").toString(),
                              20000);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QString("Zarvo Velmora 1.0 - Slide 3"), 20000);
    QCOMPARE(completed.size(), 0);
    QCOMPARE(WorkingFolder::read("History.DAT"), history);
}

void BrowsingTest::typedWordsAreSearchedForOnTheWeb()
{
    Form1 *window = m_fixture.showLoaded();
    QVERIFY(window);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle().startsWith("Zarvo Velmora 1.0 - "), true,
                              20000);
    QSignalSpy status(window->WebBrowser1, &WebView::StatusTextChange);
    window->Text1->setFocus();
    window->Text1->clearEditText();
    QTest::keyClicks(window->Text1, " c# x");
    QTest::keyClick(window->Text1, Qt::Key_Return);
    const QString searching = "Searching the web for 'c# x'";
    QCOMPARE(window->StatusBar1->panelText(1), searching);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QString("Zarvo Velmora 1.0 - Results"), 20000);
    QCOMPARE(m_server.requests().count(TypedText::searchAddress("c# x")), 1);
    // Said from Enter until the result page completes, and nothing else meanwhile.
    QStringList said;
    for (const QList<QVariant> &text : status)
        said.append(text[0].toString());
    QCOMPARE(said.last(), QString("Done"));
    said.removeLast();
    said.removeDuplicates();
    QCOMPARE(said, QStringList{searching});
}

Form1 *BrowsingTest::windowOn(const QString &path, const QString &host)
{
    Form1 *window = m_fixture.showLoaded();
    if (!window)
        return nullptr;
    QUrl url = m_server.url(path);
    url.setHost(host);
    window->WebBrowser1->Navigate(url.toString());
    const bool shown = QTest::qWaitFor(
        [window] { return window->windowTitle() == "Zarvo Velmora 1.0 - Links"; }, 20000);
    return shown ? window : nullptr;
}

void BrowsingTest::aLinkThatShowsNoPageLeavesThePageAsItWas_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("request");    // what the click asks the server for
    QTest::addColumn<QString>("statusText"); // what the status bar ends with
    QTest::addColumn<bool>("refresh");       // Refresh instead of a click, answered 204
    QTest::newRow("a download") << "/to-download"
                                << "/file.zip"
                                << "Saved file.zip to " << false;
    QTest::newRow("a mailto: link, not allowed")
        << "/to-mail" << QString() << "Not opened: " << false;
    QTest::newRow("204 No Content") << "/to-nothing"
                                    << "/nothing"
                                    << "Nothing to show at " << false;
    QTest::newRow("a form posting to its own address gets a file")
        << "/self-post" << QString() << "Saved report.csv to " << false;
    QTest::newRow("a Refresh answered 204 No Content")
        << "/to-refresh" << QString() << "Nothing to show at " << true;
}

// Nothing is shown in place of the page: no document completes, so no history line, and the
// caption and the address box stay with the page.
void BrowsingTest::aLinkThatShowsNoPageLeavesThePageAsItWas()
{
    QFETCH(QString, page);
    QFETCH(QString, request);
    QFETCH(QString, statusText);
    QFETCH(bool, refresh);
    TestPrompter prompter;
    WebViewSettings::Values settings;
    settings.askWhereToSave = false;
    settings.downloadFolder = QDir::currentPath();
    QVERIFY(WebViewSettings::save(settings));
    Form1 *window = windowOn(page);
    QVERIFY(window);
    const QByteArray history = WorkingFolder::read("History.DAT");
    const QString address = window->Text1->currentText();
    QSignalSpy completed(window->WebBrowser1, &WebView::DocumentComplete);

    if (refresh) {
        m_server.serve(page, {"text/html", "", 204, {}});
        window->WebBrowser1->Refresh();
    } else {
        QVERIFY(PageScript::click(engineOf(window)));
    }
    QTRY_VERIFY_WITH_TIMEOUT(window->StatusBar1->panelText(1).startsWith(statusText), 20000);
    if (!request.isEmpty())
        QCOMPARE(m_server.requests().count(request), 1);
    // The engine's last word on the click has come: a round trip through the page.
    QVERIFY(PageScript::evaluate(engineOf(window), "1").isValid());
    QCOMPARE(completed.size(), 0);
    QCOMPARE(WorkingFolder::read("History.DAT"), history);
    QCOMPARE(window->windowTitle(), QString("Zarvo Velmora 1.0 - Links"));
    QCOMPARE(window->Text1->currentText(), address);
    QVERIFY(m_mailOpened.isEmpty());
    // Only the link for another program was asked about; the download went to its folder.
    QCOMPARE(prompter.asked.size(), page == "/to-mail" ? 1 : 0);
    if (page == "/to-download") {
        // Typed, the download's address leaves the box too: Add would store the page shown.
        window->Text1->setFocus();
        window->Text1->clearEditText();
        QSignalSpy status(window->WebBrowser1, &WebView::StatusTextChange);
        QTest::keyClicks(window->Text1, m_server.url(request).toString());
        QTest::keyClick(window->Text1, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(m_server.requests().count(request), 2, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(window->Text1->currentText(), address, 20000);
        QCOMPARE(completed.size(), 0);
        // The window goes only once the download has come: the engine cannot name the page of
        // a download it asks about after the page has gone.
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(status.cbegin(), status.cend(),
                                             [](const QList<QVariant> &text) {
                                                 return text[0].toString().startsWith("Saved ");
                                             }),
                                 20000);
    }
    QFile::remove(WebViewSettings::filePath());
}

void BrowsingTest::aLinkForAnotherProgramGoesThereOnlyWhenClickedAndAllowed()
{
    TestPrompter prompter;
    prompter.otherProgramAnswer = true;
    // A page that tries on its own gets nothing, and no question.
    Form1 *window = m_fixture.showLoaded();
    QVERIFY(window);
    QSignalSpy status(window->WebBrowser1, &WebView::StatusTextChange);
    window->WebBrowser1->Navigate(m_server.url("/mail-by-script").toString());
    const auto refused = [&status] {
        for (const QList<QVariant> &text : status) {
            if (text[0].toString().startsWith("Not opened: "))
                return true;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(refused(), 20000);
    QCOMPARE(prompter.asked, QStringList());
    QVERIFY(m_mailOpened.isEmpty());

    // A clicked link is asked about once for its scheme and site, then opened each time.
    // Another site than the other tests' own, which were answered No for the run.
    window = windowOn("/to-mail", "localhost");
    QVERIFY(window);
    const QString site = "localhost:" + QString::number(m_server.url("/").port());
    QVERIFY(PageScript::click(engineOf(window)));
    QTRY_COMPARE_WITH_TIMEOUT(m_mailOpened.size(), 1, 20000);
    QCOMPARE(m_mailOpened[0], QUrl("mailto:someone@example.invalid"));
    QCOMPARE(prompter.asked, QStringList{"otherProgram " + site + " mailto"});
    QVERIFY(PageScript::click(engineOf(window)));
    QTRY_COMPARE_WITH_TIMEOUT(m_mailOpened.size(), 2, 20000);
    QCOMPARE(prompter.asked.size(), 1);
    m_mailOpened.clear();
}

// Stopped, but in place: the page shows, so it is recorded and named in the caption.
void BrowsingTest::aPageThatStopsItsOwnLoadStillCompletes()
{
    Form1 *window = m_fixture.showLoaded();
    QVERIFY(window);
    window->WebBrowser1->Navigate(m_server.url("/stopper").toString());
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QString("Zarvo Velmora 1.0 - Stopper"), 20000);
    QCOMPARE(ListFile::ReadLines("History.DAT").entries.last(),
             m_server.url("/stopper").toString());
}

// The list files hold Windows-1252: an address is kept in its encoded, plain ASCII form, which
// leads back to the same page.
void BrowsingTest::anAddressBeyondLatinIsKeptEncodedAndLeadsBack()
{
    Form1 *window = m_fixture.showLoaded();
    QVERIFY(window);
    window->WebBrowser1->Navigate("http://" + IdnHost + u"/caf\u00e9?q=\u20ac"_qs);
    const QString title = u"Zarvo Velmora 1.0 - Caf\u00e9"_qs;
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), title, 20000);
    const QByteArray encoded = IdnPage.toLatin1();
    QVERIFY2(WorkingFolder::read("History.DAT").endsWith("\r\n" + encoded + "\r\n"),
             WorkingFolder::read("History.DAT").constData());
    QCOMPARE(window->Text1->currentText(), QString::fromLatin1(encoded));

    window->WebBrowser1->Navigate(m_server.url("/page").toString());
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QString("Zarvo Velmora 1.0 - A page"), 20000);
    Form4 *history = Form4::showShared(window);
    const int row = history->List1->items().lastIndexOf(QString::fromLatin1(encoded));
    QVERIFY(row >= 0);
    history->List1->selectRow(row);
    history->List1_DblClick();
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), title, 20000);
    QCOMPARE(m_server.requests().count(IdnPage), 2);
}

void BrowsingTest::editingKeysStayInAPageField()
{
    Form1 *window = m_fixture.showLoaded();
    QVERIFY(window);
    window->WebBrowser1->Navigate(m_server.url("/field").toString());
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QString("Zarvo Velmora 1.0 - Field"), 20000);
    window->WebBrowser1->setFocus();
    QTRY_VERIFY(window->WebBrowser1->isAncestorOf(QApplication::focusWidget()));
    // The engine tells the widget that an editable field has the focus a little later.
    const auto inField = [] {
        return QApplication::focusWidget()->inputMethodQuery(Qt::ImEnabled).toBool();
    };
    PageScript::evaluate(engineOf(window), "document.getElementById('f').focus()");
    QTRY_VERIFY(inField());

    QTest::keySequence(QApplication::focusWidget(), QKeySequence("Ctrl+A"));
    QTRY_COMPARE(PageScript::evaluate(engineOf(window), "var f = document.getElementById('f');"
                                                        "f.selectionStart + ',' + f.selectionEnd")
                     .toString(),
                 QString("0,11"));
    QCOMPARE(shownWindows<Form2>().size(), 0);
    QTest::keySequence(QApplication::focusWidget(), QKeySequence("Ctrl+X"));
    QTRY_COMPARE(
        PageScript::evaluate(engineOf(window), "document.getElementById('f').value").toString(),
        QString());
    QCOMPARE(shownWindows<Form2>().size(), 0);
    // Esc stops a load; with none under way, the page has it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_COMPARE(PageScript::evaluate(engineOf(window), "escapes").toInt(), 1);

    // Out of the field, the key is the menu's again.
    PageScript::evaluate(engineOf(window), "document.activeElement.blur()");
    QTRY_VERIFY(!inField());
    QTest::keySequence(QApplication::focusWidget(), QKeySequence("Ctrl+A"));
    QTRY_COMPARE(shownWindows<Form2>().size(), 1);
    shownWindows<Form2>().first()->close();
}

ZV_TEST_MAIN(BrowsingTest)
#include "tst_browsing.moc"
