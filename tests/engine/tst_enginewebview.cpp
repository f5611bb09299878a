#include "support/LoopbackServer.h"
#include "support/PageScript.h"
#include "support/TestMain.h"
#include "support/WindowFixture.h"
#include "webview/WebViewSettings.h"
#include "webview/engine/BrowserProfile.h"
#include "webview/engine/EngineWebView.h"
#include "webview/engine/MemoryPressure.h"
#include "webview/engine/PageLifecycle.h"
#include "webview/ui/FullScreenWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <memory>

class EngineWebViewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void navigateLoadsAPageAndRaisesItsEvents();
    void aBareHostIsVisitedOverHttp();
    void aFailedNavigationStillCompletesAtTheRequestedAddress();
    void emptyTextVisitsNothing();
    void homeIsTheBuiltInStartPageUnlessSetOtherwise();
    void documentGivesTheRootElementsMarkup();
    void hoveringShowsLinksAndClearsOnlyAShownOne_data();
    void hoveringShowsLinksAndClearsOnlyAShownOne();
    void callsBeforeTheEngineStartsAreKeptInOrder();
    void aShownViewStartsItsEngineAfterItsFirstPaint();
    void fullScreenSaysOnceHowToLeaveIt();
    void aMinimisedWindowsPagePausesUntilShown();
    void aLongMinimisedWindowsPageIsFreedAndComesBackAsItWas();
    void aPageTypedIntoIsPausedButNeverFreed();
    void memoryIsShortBelowATenthAvailable_data();
    void memoryIsShortBelowATenthAvailable();

private:
    // A main window stand-in: a shown window around a view on the page.
    struct PageWindow {
        QWidget window;
        EngineWebView *view = new EngineWebView(&window);
        PageWindow()
        {
            (new QVBoxLayout(&window))->addWidget(view);
            window.resize(400, 300);
            window.show();
        }
        QWebEnginePage *page() { return view->engineView()->page(); }
    };
    static void setDelays(int freezeAfter, int discardAfter);

    LoopbackServer m_server;
};

void EngineWebViewTest::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.serveHtml("/page", "<html><head><title>Loopback page</title></head>"
                                "<body><a id=l href='/other'>other</a><p>Hello</p></body></html>");
    m_server.serveHtml("/other", "<title>Other</title><p>Other</p>");
    // Its title counts its timer's ticks.
    m_server.serveHtml("/ticking", "<title>0</title><input id=t>"
                                   "<script>let n = 0;"
                                   "setInterval(() => { document.title = String(++n); }, 100);"
                                   "</script>");
}

void EngineWebViewTest::setDelays(int freezeAfter, int discardAfter)
{
    QSettings settings(WebViewSettings::filePath(), QSettings::IniFormat);
    settings.setValue("FreezeAfter", freezeAfter);
    settings.setValue("DiscardAfter", discardAfter);
}

void EngineWebViewTest::cleanup()
{
    QFile::remove(WebViewSettings::filePath());
}

void EngineWebViewTest::navigateLoadsAPageAndRaisesItsEvents()
{
    EngineWebView view;
    QSignalSpy status(&view, &WebView::StatusTextChange);
    QSignalSpy progress(&view, &WebView::ProgressChange);
    const QString address = m_server.url("/page").toString();
    QVERIFY(completes(&view, [&] { view.Navigate2(address); }));
    QCOMPARE(view.LocationURL(), address);
    QCOMPARE(view.LocationName(), QString("Loopback page"));
    QVERIFY(!status.isEmpty());
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().at(0).toInt(), 100);
    QCOMPARE(progress.last().at(1).toInt(), 100);

    QVERIFY(completes(&view, [&] { view.Navigate(m_server.url("/other").toString()); }));
    QCOMPARE(view.LocationName(), QString("Other"));
    QVERIFY(completes(&view, [&] { view.GoBack(); }));
    QCOMPARE(view.LocationURL(), address);
    QVERIFY(completes(&view, [&] { view.GoForward(); }));
    QCOMPARE(view.LocationURL(), m_server.url("/other").toString());
    QVERIFY(completes(&view, [&] { view.Refresh(); }));
    QCOMPARE(view.LocationURL(), m_server.url("/other").toString());
}

void EngineWebViewTest::aBareHostIsVisitedOverHttp()
{
    EngineWebView view;
    const QString typed = QStringLiteral("127.0.0.1:%1/page").arg(m_server.url("/").port());
    QVERIFY(completes(&view, [&] { view.Navigate2(typed); }));
    QCOMPARE(view.LocationURL(), m_server.url("/page").toString());
}

void EngineWebViewTest::aFailedNavigationStillCompletesAtTheRequestedAddress()
{
    // A port nobody listens on: connection refused.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const QString address = QStringLiteral("http://127.0.0.1:%1/gone").arg(probe.serverPort());
    probe.close();
    EngineWebView view;
    QVERIFY(completes(&view, [&] { view.Navigate(address); }));
    QCOMPARE(view.LocationURL(), address);
}

void EngineWebViewTest::emptyTextVisitsNothing()
{
    EngineWebView view;
    const QString page = m_server.url("/page").toString();
    QVERIFY(completes(&view, [&] { view.Navigate(page); }));
    QSignalSpy done(&view, &WebView::DocumentComplete);
    view.Navigate2(QString());
    view.Navigate(QStringLiteral("   "));
    // A round trip through the page: a visit asked for before has begun by the answer.
    bool answered = false;
    view.engineView()->page()->runJavaScript("1", [&](const QVariant &) { answered = true; });
    QTRY_VERIFY_WITH_TIMEOUT(answered, 20000);
    QCOMPARE(done.size(), 0);
    QCOMPARE(view.LocationURL(), page);
}

void EngineWebViewTest::homeIsTheBuiltInStartPageUnlessSetOtherwise()
{
    EngineWebView view;
    QVERIFY(completes(&view, [&] { view.GoHome(); }));
    QCOMPARE(view.LocationURL(), WebViewSettings::DefaultHomePage);
    QVERIFY(!view.LocationName().isEmpty());

    {
        QSettings settings(WebViewSettings::filePath(), QSettings::IniFormat);
        settings.setValue("HomePage", m_server.url("/page").toString());
        settings.setValue("SearchPage", m_server.url("/other").toString());
    }
    QVERIFY(completes(&view, [&] { view.GoHome(); }));
    QCOMPARE(view.LocationURL(), m_server.url("/page").toString());
    QVERIFY(completes(&view, [&] { view.GoSearch(); }));
    QCOMPARE(view.LocationURL(), m_server.url("/other").toString());

    // A damaged value falls back to the default.
    {
        QSettings settings(WebViewSettings::filePath(), QSettings::IniFormat);
        settings.setValue("HomePage", "::not an address");
    }
    QVERIFY(completes(&view, [&] { view.GoHome(); }));
    QCOMPARE(view.LocationURL(), WebViewSettings::DefaultHomePage);
}

void EngineWebViewTest::documentGivesTheRootElementsMarkup()
{
    EngineWebView view;
    bool answered = false;
    std::optional<QString> markup;
    view.Document([&](std::optional<QString> m) {
        answered = true;
        markup = m;
    });
    QVERIFY(answered);
    QVERIFY(!markup); // nothing loaded yet

    QVERIFY(completes(&view, [&] { view.Navigate(m_server.url("/page").toString()); }));
    answered = false;
    view.Document([&](std::optional<QString> m) {
        answered = true;
        markup = m;
    });
    QTRY_VERIFY(answered);
    QVERIFY(markup);
    QVERIFY(markup->startsWith("<head><title>Loopback page</title></head><body>"));
    QVERIFY(!markup->contains("<html"));
}

// Full screen says how to leave it, at its top, for three seconds, and then no more.
void EngineWebViewTest::fullScreenSaysOnceHowToLeaveIt()
{
    EngineWebView view;
    QElapsedTimer shown;
    shown.start();
    auto window = std::make_unique<FullScreenWindow>(view.engineView());
    const QLabel *notice = window->findChild<QLabel *>("FullScreenNotice");
    QVERIFY(notice);
    QCOMPARE(notice->text(), QString("Press Esc to leave full screen"));
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(notice->isVisible());
    QVERIFY(notice->geometry().bottom() < window->height() / 4);
    QVERIFY(qAbs(notice->geometry().center().x() - window->width() / 2) <= 1);
    QTRY_VERIFY_WITH_TIMEOUT(!window->findChild<QLabel *>("FullScreenNotice"), 10000);
    QVERIFY(shown.elapsed() >= 2900);
}

ZV_TEST_MAIN(EngineWebViewTest)
void EngineWebViewTest::hoveringShowsLinksAndClearsOnlyAShownOne_data()
{
    // "load" stands for a page starting to load.
    QTest::addColumn<QStringList>("hovered");
    QTest::addColumn<QStringList>("statusTexts");
    const QString a = "http://a.example/";
    const QString b = "http://b.example/";
    QTest::newRow("no link, nothing shown") << QStringList{""} << QStringList{};
    QTest::newRow("a link") << QStringList{a} << QStringList{a};
    QTest::newRow("a link, then none") << QStringList{a, ""} << QStringList{a, ""};
    QTest::newRow("cleared once") << QStringList{a, "", ""} << QStringList{a, ""};
    QTest::newRow("link to link, then none") << QStringList{"", a, b, ""} << QStringList{a, b, ""};
    // A load's own text stays until the load's next one.
    QTest::newRow("a link, a load, then none")
        << QStringList{a, "load", ""} << QStringList{a, "Opening page ..."};
}

void EngineWebViewTest::hoveringShowsLinksAndClearsOnlyAShownOne()
{
    QFETCH(QStringList, hovered);
    QFETCH(QStringList, statusTexts);
    EngineWebView view;
    QSignalSpy status(&view, &WebView::StatusTextChange);
    QWebEnginePage *page = view.engineView()->page();
    for (const QString &url : hovered) {
        if (url == "load")
            emit page->loadStarted();
        else
            emit page->linkHovered(url);
    }
    QStringList seen;
    for (const QList<QVariant> &arguments : status)
        seen.append(arguments.at(0).toString());
    QCOMPARE(seen, statusTexts);
}

void EngineWebViewTest::callsBeforeTheEngineStartsAreKeptInOrder()
{
    // A view that is not on screen starts its engine once the caller is done; nothing asked for
    // before is lost, and the last navigation wins as it would on a started engine.
    EngineWebView view;
    QSignalSpy done(&view, &WebView::DocumentComplete);
    view.Navigate(m_server.url("/other").toString());
    view.ExecWB(WebView::OLECMDID_ZOOM, WebView::OLECMDEXECOPT_DONTPROMPTUSER, 4);
    view.Navigate2(m_server.url("/page").toString());
    QVERIFY(!view.isStarted());
    QCOMPARE(view.LocationURL(), QString());
    QTRY_VERIFY_WITH_TIMEOUT(!done.isEmpty() && view.LocationName() == "Loopback page", 20000);
    QCOMPARE(view.LocationURL(), m_server.url("/page").toString());
    QCOMPARE(view.engineView()->page()->profile(), BrowserProfile::shared());
}

void EngineWebViewTest::aShownViewStartsItsEngineAfterItsFirstPaint()
{
    // As a main window starts: home page asked for, then shown. The window is drawn before the
    // engine starts, and the engine's view shows the shared profile's page, no other.
    QWidget window;
    auto *view = new EngineWebView(&window);
    (new QVBoxLayout(&window))->addWidget(view);
    window.resize(640, 480);
    bool startedBeforePaint = false;
    int paints = 0;
    class PaintWatch : public QObject {
    public:
        std::function<void()> painted;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                painted();
            return false;
        }
    } watch;
    watch.painted = [&] {
        if (paints++ == 0)
            startedBeforePaint = view->isStarted();
    };
    view->installEventFilter(&watch);
    QSignalSpy done(view, &WebView::DocumentComplete);
    view->Navigate(m_server.url("/page").toString());
    window.show();
    QVERIFY(!view->isStarted());
    QTRY_VERIFY_WITH_TIMEOUT(!done.isEmpty(), 20000);
    QVERIFY(paints > 0);
    QVERIFY(!startedBeforePaint);
    QCOMPARE(view->LocationName(), QString("Loopback page"));
    QVERIFY(view->engineView()->isVisible());
    QCOMPARE(view->engineView()->page()->profile(), BrowserProfile::shared());
    QCOMPARE(view->findChildren<QWebEnginePage *>().size(), 1);
}

void EngineWebViewTest::aMinimisedWindowsPagePausesUntilShown()
{
    // Offscreen too, minimising reaches the window as a state change: the view stays visible as
    // a widget, but its page is hidden from the engine at once, and paused after the delay.
    setDelays(1, 0);
    PageWindow clock, sleeper;
    QVERIFY(
        completes(clock.view, [&] { clock.view->Navigate(m_server.url("/ticking").toString()); }));
    QVERIFY(completes(sleeper.view,
                      [&] { sleeper.view->Navigate(m_server.url("/ticking").toString()); }));
    QSignalSpy ticks(sleeper.page(), &QWebEnginePage::titleChanged);
    QTRY_VERIFY_WITH_TIMEOUT(ticks.size() >= 2, 10000);

    sleeper.window.showMinimized();
    QCOMPARE(sleeper.page()->lifecycleState(), QWebEnginePage::LifecycleState::Active);
    QTRY_COMPARE_WITH_TIMEOUT(sleeper.page()->lifecycleState(),
                              QWebEnginePage::LifecycleState::Frozen, 10000);
    QVERIFY(!sleeper.page()->isVisible());
    QCOMPARE(sleeper.view->lifecycle()->stateName(), QString("paused"));
    ticks.clear();
    // While the shown window's timer ticks fifteen times, the paused one's stands still.
    QSignalSpy clockTicks(clock.page(), &QWebEnginePage::titleChanged);
    QTRY_VERIFY_WITH_TIMEOUT(clockTicks.size() >= 15, 20000);
    QVERIFY2(ticks.size() <= 1, qPrintable(QString::number(ticks.size())));

    // Active again before the window paints, and counting.
    sleeper.window.showNormal();
    QCOMPARE(sleeper.page()->lifecycleState(), QWebEnginePage::LifecycleState::Active);
    QVERIFY(sleeper.page()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(ticks.size() >= 5, 10000);
}

void EngineWebViewTest::aLongMinimisedWindowsPageIsFreedAndComesBackAsItWas()
{
    setDelays(1, 2);
    PageWindow freed;
    const QString first = m_server.url("/page").toString();
    const QString second = m_server.url("/other").toString();
    QVERIFY(completes(freed.view, [&] { freed.view->Navigate(first); }));
    QVERIFY(completes(freed.view, [&] { freed.view->Navigate(second); }));
    QVERIFY(freed.page()->renderProcessPid() > 0);
    QSignalSpy done(freed.view, &WebView::DocumentComplete);

    freed.window.showMinimized();
    QTRY_COMPARE_WITH_TIMEOUT(freed.page()->lifecycleState(),
                              QWebEnginePage::LifecycleState::Discarded, 15000);
    QCOMPARE(freed.page()->renderProcessPid(), 0);
    QCOMPARE(freed.view->lifecycle()->stateName(), QString("freed"));
    QCOMPARE(freed.view->LocationURL(), second);

    // Shown: reloaded at its address, and that reload is the document already shown.
    QSignalSpy loaded(freed.page(), &QWebEnginePage::loadFinished);
    freed.window.showNormal();
    QCOMPARE(freed.page()->lifecycleState(), QWebEnginePage::LifecycleState::Active);
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 20000);
    QVERIFY(loaded.first().at(0).toBool());
    QVERIFY(freed.page()->renderProcessPid() > 0);
    QCOMPARE(freed.view->LocationURL(), second);
    QCOMPARE(freed.view->LocationName(), QString("Other"));
    QCOMPARE(done.size(), 0);
    // Its history stayed, and the next load is a document again.
    QVERIFY(completes(freed.view, [&] { freed.view->GoBack(); }));
    QCOMPARE(freed.view->LocationURL(), first);
}

void EngineWebViewTest::aPageTypedIntoIsPausedButNeverFreed()
{
    setDelays(1, 2);
    PageWindow typed, plain;
    QVERIFY(
        completes(typed.view, [&] { typed.view->Navigate(m_server.url("/ticking").toString()); }));
    QVERIFY(
        completes(plain.view, [&] { plain.view->Navigate(m_server.url("/ticking").toString()); }));
    // Keys reach the page of the active window only.
    typed.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&typed.window));
    QWidget *input = typed.view->engineView()->focusProxy();
    QVERIFY(input);
    input->setFocus();
    QTRY_VERIFY(input->hasFocus());
    QVERIFY(PageScript::evaluate(typed.view->engineView(), "t.focus(); 1").isValid());
    // Keys reach the view; the text itself is pasted, as the engine takes no keys offscreen.
    QTest::keyClick(input, Qt::Key_End);
    QApplication::clipboard()->setText("draft");
    typed.view->engineView()->triggerPageAction(QWebEnginePage::Paste);
    QTRY_COMPARE(PageScript::evaluate(typed.view->engineView(), "t.value").toString(),
                 QString("draft"));

    // The typed page minimised a second before the other: its time to be freed comes first.
    typed.window.showMinimized();
    QTRY_COMPARE_WITH_TIMEOUT(typed.page()->lifecycleState(),
                              QWebEnginePage::LifecycleState::Frozen, 10000);
    plain.window.showMinimized();
    QTRY_COMPARE_WITH_TIMEOUT(plain.page()->lifecycleState(),
                              QWebEnginePage::LifecycleState::Discarded, 15000);
    QCOMPARE(typed.page()->lifecycleState(), QWebEnginePage::LifecycleState::Frozen);
    QVERIFY(typed.page()->renderProcessPid() > 0);

    typed.window.showNormal();
    QCOMPARE(PageScript::evaluate(typed.view->engineView(), "t.value").toString(),
             QString("draft"));
}

void EngineWebViewTest::memoryIsShortBelowATenthAvailable_data()
{
    QTest::addColumn<QByteArray>("meminfo");
    QTest::addColumn<bool>("low");
    QTest::newRow("plenty") << QByteArray("MemTotal:  8000000 kB\nMemFree: 100 kB\n"
                                          "MemAvailable:  4000000 kB\n")
                            << false;
    QTest::newRow("a tenth") << QByteArray("MemTotal: 8000000 kB\nMemAvailable: 800000 kB\n")
                             << false;
    QTest::newRow("under a tenth")
        << QByteArray("MemTotal: 8000000 kB\nMemAvailable: 799999 kB\n") << true;
    // Figures missing or unreadable free nothing on a guess.
    QTest::newRow("no MemAvailable")
        << QByteArray("MemTotal: 8000000 kB\nMemFree: 1 kB\n") << false;
    QTest::newRow("garbage") << QByteArray("MemTotal: lots\nMemAvailable: 1 kB\n") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void EngineWebViewTest::memoryIsShortBelowATenthAvailable()
{
    QFETCH(QByteArray, meminfo);
    QFETCH(bool, low);
    QCOMPARE(MemoryPressure::isLow(meminfo), low);
}

#include "tst_enginewebview.moc"
