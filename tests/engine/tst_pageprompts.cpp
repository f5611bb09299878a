#include "support/LoopbackServer.h"
#include "support/ScriptedServer.h"
#include "support/TestMain.h"
#include "support/TestPrompter.h"
#include "support/TlsServer.h"
#include "support/WindowFixture.h"
#include "webview/WebViewSettings.h"
#include "webview/engine/BrowserProfile.h"
#include "webview/engine/EngineWebView.h"
#include "webview/engine/ProfileSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <csignal>

using Login = Prompter::Login;
Q_DECLARE_METATYPE(QList<Login>)

namespace {

// A page behind Basic authentication: "user" / "secret" get in; anyone else gets the site's own
// refusal page.
QByteArray guardedPage(const QByteArray &head)
{
    const QByteArray expected = "Authorization: Basic " + QByteArray("user:secret").toBase64();
    const bool in = head.contains(expected + "\r\n");
    const QByteArray body = in ? "<title>Inside</title>" : "<title>Refused by the site</title>";
    return QByteArray(
               in ? "HTTP/1.0 200 OK\r\n"
                  : "HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"Zone\"\r\n") +
           "Content-Type: text/html\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\n\r\n" + body;
}

} // namespace

class PagePromptsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void basicAuthentication_data();
    void basicAuthentication();
    void permissionIsDeniedUnlessAllowedAndTheAnswerHolds();
    void badCertificateRefusedUnlessTheUserContinues();
    void killedRendererShowsAnErrorPageAndRefreshRecovers();
    void scriptWindowsOnlyWhenAllowed_data();
    void scriptWindowsOnlyWhenAllowed();
    void pdfShowsInThePage();
    void pageDialogsCanBeStoppedUntilThePageNavigates();
    void alertLoopStoppedWithTheBoxThenTheWindowCloses();

private:
    LoopbackServer m_server;
    std::unique_ptr<TestPrompter> m_prompter;
    std::unique_ptr<EngineWebView> m_view;
};

void PagePromptsTest::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.serveHtml("/page", "<title>Loopback page</title><p>Hello</p>");
    m_server.serveHtml("/other", "<title>Other</title>");
    m_server.serveHtml("/notify", "<title>asking</title><script>Notification.requestPermission()"
                                  ".then(answer => document.title = answer)</script>");
    m_server.serveHtml("/popup", "<title>Opener</title><script>window.open('/other')</script>");
    // A page that would hold its window with dialogs, then says how its questions were answered.
    m_server.serveHtml("/dialogs", "<title>start</title><script>"
                                   "let i = 0; for (; i < 1000; ++i) alert('Message ' + i);"
                                   "const sure = confirm('Sure?'), name = prompt('Name?', 'x');"
                                   "document.title = ['after', i, sure, String(name)].join(' ');"
                                   "</script>");
    m_server.serve("/doc.pdf", {"application/pdf",
                                "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
                                "2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
                                "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 200 200]>>endobj\n"
                                "trailer<</Root 1 0 R>>\n%%EOF\n",
                                200,
                                {}});
}

void PagePromptsTest::init()
{
    m_prompter = std::make_unique<TestPrompter>();
    m_view = std::make_unique<EngineWebView>();
    m_view->resize(400, 300);
}

void PagePromptsTest::cleanup()
{
    m_view.reset();
    m_prompter.reset();
    QFile::remove(WebViewSettings::filePath());
    ProfileSettings::apply(BrowserProfile::shared());
}

void PagePromptsTest::basicAuthentication_data()
{
    QTest::addColumn<QList<Login>>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<QString>("title");
    QTest::newRow("right") << QList<Login>{{"user", "secret"}} << 1 << "Inside";
    QTest::newRow("cancelled") << QList<Login>{} << 1 << "Refused by the site";
    QTest::newRow("wrong, then cancelled")
        << QList<Login>{{"user", "guess"}} << 2 << "Refused by the site";
}

void PagePromptsTest::basicAuthentication()
{
    QFETCH(QList<Login>, answers);
    QFETCH(int, questions);
    QFETCH(QString, title);
    // A server of its own each time: the engine remembers logins by host and port.
    ScriptedServer server(guardedPage);
    QVERIFY(server.listen());
    m_prompter->loginAnswers = answers;
    const QString address = server.url("/secret").toString();
    QVERIFY(completes(m_view.get(), [&] { m_view->Navigate(address); }));
    QTRY_COMPARE(m_view->LocationName(), title);
    QCOMPARE(m_view->LocationURL(), address);
    const QString question = QString("login 127.0.0.1:%1 Zone").arg(server.url("/").port());
    QCOMPARE(m_prompter->asked, QStringList(questions, question));
}

void PagePromptsTest::permissionIsDeniedUnlessAllowedAndTheAnswerHolds()
{
    const QString question =
        QString("allow 127.0.0.1:%1 show notifications").arg(m_server.url("/").port());
    QVERIFY(completes(m_view.get(), [&] { m_view->Navigate(m_server.url("/notify").toString()); }));
    QTRY_COMPARE(m_view->LocationName(), QString("denied"));
    QCOMPARE(m_prompter->asked, QStringList{question});

    // Asked once per run: saying yes now changes nothing for this site.
    m_prompter->allowAnswer = true;
    QVERIFY(completes(m_view.get(), [&] { m_view->Refresh(); }));
    QTRY_COMPARE(m_view->LocationName(), QString("denied"));
    QCOMPARE(m_prompter->asked, QStringList{question});
}

void PagePromptsTest::badCertificateRefusedUnlessTheUserContinues()
{
    TlsServer server("<title>Secure page</title>");
    QVERIFY(server.start());
    const QString address = server.url("/").toString();
    const QString question =
        QString("certificate 127.0.0.1:%1 overridable").arg(server.serverPort());

    QVERIFY(completes(m_view.get(), [&] { m_view->Navigate(address); }));
    QTRY_COMPARE(m_prompter->asked, QStringList{question});
    QTRY_VERIFY(m_view->LocationName() != "Secure page");
    QCOMPARE(server.requestCount(), 0);

    m_prompter->certificateAnswer = true;
    QVERIFY(completes(m_view.get(), [&] { m_view->Navigate(address); }));
    QTRY_COMPARE(m_view->LocationName(), QString("Secure page"));
    QCOMPARE(m_prompter->asked, QStringList(2, question));
    QCOMPARE(server.requestCount(), 1);

    // Continued once, the host stays open for the rest of the run without another question.
    m_prompter->certificateAnswer = false;
    QVERIFY(completes(m_view.get(), [&] { m_view->Navigate(server.url("/again").toString()); }));
    QCOMPARE(m_view->LocationName(), QString("Secure page"));
    QCOMPARE(m_prompter->asked.size(), 2);
}

void PagePromptsTest::killedRendererShowsAnErrorPageAndRefreshRecovers()
{
    const QString address = m_server.url("/page").toString();
    QVERIFY(completes(m_view.get(), [&] { m_view->Navigate(address); }));
    const qint64 pid = m_view->engineView()->page()->renderProcessPid();
    QVERIFY(pid > 0);

    QVERIFY(completes(m_view.get(), [&] { QCOMPARE(::kill(pid_t(pid), SIGKILL), 0); }));
    QCOMPARE(m_view->LocationName(), QString("This page stopped working"));
    QCOMPARE(m_view->LocationURL(), address);

    QVERIFY(completes(m_view.get(), [&] { m_view->Refresh(); }));
    QCOMPARE(m_view->LocationName(), QString("Loopback page"));
    QVERIFY(m_view->engineView()->page()->renderProcessPid() != pid);
    // And it goes on working as before.
    QVERIFY(completes(m_view.get(), [&] { m_view->Navigate(m_server.url("/other").toString()); }));
    QCOMPARE(m_view->LocationName(), QString("Other"));
    QVERIFY(completes(m_view.get(), [&] { m_view->Refresh(); }));
    QCOMPARE(m_view->LocationName(), QString("Other"));
}

void PagePromptsTest::scriptWindowsOnlyWhenAllowed_data()
{
    QTest::addColumn<bool>("allowed");
    QTest::newRow("by default") << false;
    QTest::newRow("allowed") << true;
}

void PagePromptsTest::scriptWindowsOnlyWhenAllowed()
{
    QFETCH(bool, allowed);
    WebViewSettings::Values values;
    values.popupsWithoutClick = allowed;
    QVERIFY(WebViewSettings::save(values));
    QSignalSpy newWindow(m_view.get(), &WebView::NewWindow2);
    QVERIFY(completes(m_view.get(), [&] { m_view->Navigate(m_server.url("/popup").toString()); }));
    // A round trip through the page: its window.open call has been handled by the answer.
    bool answered = false;
    m_view->engineView()->page()->runJavaScript("1", [&](const QVariant &) { answered = true; });
    QTRY_VERIFY_WITH_TIMEOUT(answered, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(newWindow.size(), int(allowed), 20000);
}

void PagePromptsTest::pdfShowsInThePage()
{
    QSignalSpy status(m_view.get(), &WebView::StatusTextChange);
    const QString address = m_server.url("/doc.pdf").toString();
    QVERIFY(completes(m_view.get(), [&] { m_view->Navigate(address); }));
    QCOMPARE(m_view->LocationURL(), address);
    // Not taken for a download (that would ask where to save it).
    QCOMPARE(m_prompter->asked, QStringList());
    for (const QList<QVariant> &text : status)
        QVERIFY(!text.at(0).toString().startsWith("Downloading"));
}

void PagePromptsTest::pageDialogsCanBeStoppedUntilThePageNavigates()
{
    m_prompter->stopDialogsWhenOffered = 1;
    const QString site = "127.0.0.1:" + QString::number(m_server.url("/").port());
    const QStringList firstTwo{"alert " + site + " Message 0",
                               "alert " + site + " Message 1 (may stop)"};
    QVERIFY(
        completes(m_view.get(), [&] { m_view->Navigate(m_server.url("/dialogs").toString()); }));
    // Stopped: every later alert, confirm and prompt is answered at once, as if cancelled.
    QTRY_COMPARE(m_view->LocationName(), QString("after 1000 false null"));
    QCOMPARE(m_prompter->asked, firstTwo);

    // A new document may ask again.
    QVERIFY(completes(m_view.get(), [&] { m_view->Refresh(); }));
    QTRY_COMPARE(m_view->LocationName(), QString("after 1000 false null"));
    QCOMPARE(m_prompter->asked, firstTwo + firstTwo);
}

void PagePromptsTest::alertLoopStoppedWithTheBoxThenTheWindowCloses()
{
    m_prompter.reset(); // the program's own dialogs, as a person meets them
    const QPointer<EngineWebView> window = m_view.release();
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    const auto shownDialog = []() -> QDialog * {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<QDialog *>(widget);
            if (dialog && dialog->isVisible() && dialog->findChild<QLabel *>("message"))
                return dialog;
        }
        return nullptr;
    };
    // Each dialog runs its own event loop, so the person's answers come from a timer.
    QStringList seen;
    bool closeWhileUp = false;
    bool blocked = false;
    QTimer person;
    connect(&person, &QTimer::timeout, [&] {
        QDialog *dialog = shownDialog();
        if (!dialog || !window)
            return;
        // Not modal: a window blocked by a modal dialog ignores its close box.
        blocked = blocked || QApplication::activeModalWidget();
        auto *stop = dialog->findChild<QCheckBox *>("stopDialogs");
        seen.append(dialog->findChild<QLabel *>("message")->text() + (stop ? " +box" : ""));
        if (closeWhileUp) {
            window->close();
            return;
        }
        if (stop)
            stop->setChecked(true);
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    person.start(10);

    window->Navigate(m_server.url("/dialogs").toString());
    QTRY_COMPARE_WITH_TIMEOUT(window->LocationName(), QString("after 1000 false null"), 20000);
    QCOMPARE(seen, QStringList({"Message 0", "Message 1 +box"}));

    // Loaded again, the page starts over; the window closes with its dialog up, and both go.
    seen.clear();
    closeWhileUp = true;
    window->Refresh();
    QTRY_VERIFY_WITH_TIMEOUT(!window, 20000);
    QCOMPARE(seen, QStringList{"Message 0"});
    QTRY_VERIFY(!shownDialog());
    QVERIFY(!blocked);
}

ZV_TEST_MAIN(PagePromptsTest)
#include "tst_pageprompts.moc"
