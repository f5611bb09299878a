#include "about/Form2.h"
#include "app/Shutdown.h"
#include "lists/ListFile.h"
#include "main_window/Form1.h"
#include "support/LoopbackServer.h"
#include "support/TestMain.h"
#include "support/Windows.h"
#include "support/WorkingFolder.h"
#include "webview/EngineWebView.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>
#include <memory>
#include <optional>

namespace {
QList<Form1 *> mainWindows()
{
    return shownWindows<Form1>();
}

// Runs the script in the page and waits for its answer.
QVariant evaluate(Form1 *window, const QString &script)
{
    auto *engine = static_cast<EngineWebView *>(window->WebBrowser1)->engineView();
    const auto value = std::make_shared<std::optional<QVariant>>();
    engine->page()->runJavaScript(script, [value](const QVariant &v) { *value = v; });
    if (!QTest::qWaitFor([&] { return value->has_value(); }, 10000))
        return {};
    return value->value_or(QVariant());
}
} // namespace

// Main windows on the real engine, browsing pages served on 127.0.0.1.
class BrowsingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void typingAnAddressAndEnterVisitsIt();
    void aClickThatOpensAWindowGetsANewMainWindow();
    void aScriptAloneOpensNoWindow();
    void tabGoesFromTheToolbarThroughThePageToTheAddressBox();
    void editingKeysStayInAPageField();

private:
    LoopbackServer m_server;
    std::unique_ptr<WorkingFolder> m_folder;
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
    m_server.serveHtml("/field", "<title>Field</title><input id=f value='hello world'>"
                                 "<p>Some text</p><script>var escapes = 0; addEventListener("
                                 "'keydown', e => { if (e.key == 'Escape') ++escapes; })</script>");
    m_server.serveHtml("/flood", "<title>Flood</title><script>for (let i = 0; i < 30; ++i) "
                                 "window.open('/flooded' + i);</script>");
}

void BrowsingTest::init()
{
    m_folder = std::make_unique<WorkingFolder>();
}

void BrowsingTest::cleanup()
{
    Shutdown::deleteWindows();
    m_folder.reset();
}

void BrowsingTest::typingAnAddressAndEnterVisitsIt()
{
    Form1 *window = Form1::newLoaded();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
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
    Form1 *opener = Form1::newLoaded();
    opener->show();
    QVERIFY(QTest::qWaitForWindowExposed(opener));
    opener->WebBrowser1->Navigate(m_server.url("/opener").toString());
    QTRY_COMPARE_WITH_TIMEOUT(opener->windowTitle(), QString("Zarvo Velmora 1.0 - Opener"), 20000);

    auto *engine = static_cast<EngineWebView *>(opener->WebBrowser1)->engineView();
    QWidget *input = engine->focusProxy() ? engine->focusProxy() : engine;
    // One click: each click would open one more window.
    QTest::mouseClick(input, Qt::LeftButton, {}, input->rect().center());
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
    Form1 *window = Form1::newLoaded();
    window->show();
    QSignalSpy requests(window->WebBrowser1, &WebView::NewWindow2);
    window->WebBrowser1->Navigate(m_server.url("/flood").toString());
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QString("Zarvo Velmora 1.0 - Flood"), 20000);
    // A round trip through the page: its window.open calls were handled before the answer.
    auto *engine = static_cast<EngineWebView *>(window->WebBrowser1)->engineView();
    bool answered = false;
    engine->page()->runJavaScript("1", [&](const QVariant &) { answered = true; });
    QTRY_VERIFY(answered);
    QCOMPARE(requests.size(), 0);
    QCOMPARE(mainWindows().size(), 1);
    QVERIFY(!m_server.requests().join(' ').contains("/flooded"));
}

void BrowsingTest::tabGoesFromTheToolbarThroughThePageToTheAddressBox()
{
    Form1 *window = Form1::newLoaded();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QApplication::setActiveWindow(window);
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

void BrowsingTest::editingKeysStayInAPageField()
{
    Form1 *window = Form1::newLoaded();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QApplication::setActiveWindow(window);
    window->WebBrowser1->Navigate(m_server.url("/field").toString());
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QString("Zarvo Velmora 1.0 - Field"), 20000);
    window->WebBrowser1->setFocus();
    QTRY_VERIFY(window->WebBrowser1->isAncestorOf(QApplication::focusWidget()));
    // The engine tells the widget that an editable field has the focus a little later.
    const auto inField = [] {
        return QApplication::focusWidget()->inputMethodQuery(Qt::ImEnabled).toBool();
    };
    evaluate(window, "document.getElementById('f').focus()");
    QTRY_VERIFY(inField());

    QTest::keySequence(QApplication::focusWidget(), QKeySequence("Ctrl+A"));
    QTRY_COMPARE(evaluate(window, "var f = document.getElementById('f');"
                                  "f.selectionStart + ',' + f.selectionEnd")
                     .toString(),
                 QString("0,11"));
    QCOMPARE(shownWindows<Form2>().size(), 0);
    QTest::keySequence(QApplication::focusWidget(), QKeySequence("Ctrl+X"));
    QTRY_COMPARE(evaluate(window, "document.getElementById('f').value").toString(), QString());
    QCOMPARE(shownWindows<Form2>().size(), 0);
    // Esc stops a load; with none under way, the page has it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_COMPARE(evaluate(window, "escapes").toInt(), 1);

    // Out of the field, the key is the menu's again.
    evaluate(window, "document.activeElement.blur()");
    QTRY_VERIFY(!inField());
    QTest::keySequence(QApplication::focusWidget(), QKeySequence("Ctrl+A"));
    QTRY_COMPARE(shownWindows<Form2>().size(), 1);
    shownWindows<Form2>().first()->close();
}

ZV_TEST_MAIN(BrowsingTest)
#include "tst_browsing.moc"
