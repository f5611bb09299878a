#include "support/LoopbackServer.h"
#include "support/TestMain.h"
#include "support/WindowFixture.h"
#include "webview/WebViewSettings.h"
#include "webview/engine/BrowserProfile.h"
#include "webview/engine/EngineWebView.h"
#include "webview/ui/FullScreenWindow.h"

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

private:
    LoopbackServer m_server;
};

void EngineWebViewTest::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.serveHtml("/page", "<html><head><title>Loopback page</title></head>"
                                "<body><a id=l href='/other'>other</a><p>Hello</p></body></html>");
    m_server.serveHtml("/other", "<title>Other</title><p>Other</p>");
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

#include "tst_enginewebview.moc"
