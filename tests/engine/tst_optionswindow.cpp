#include "support/LoopbackServer.h"
#include "support/TestMain.h"
#include "support/WindowFixture.h"
#include "webview/WebViewSettings.h"
#include "webview/engine/BrowserProfile.h"
#include "webview/engine/EngineWebView.h"
#include "webview/engine/ProfileSettings.h"
#include "webview/ui/OptionsWindow.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>

namespace {

QPushButton *button(OptionsWindow *window, QDialogButtonBox::StandardButton which)
{
    return window->findChild<QDialogButtonBox *>()->button(which);
}

QString stored(const QString &key)
{
    return QSettings(WebViewSettings::filePath(), QSettings::IniFormat).value(key).toString();
}

} // namespace

class OptionsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void okWritesTheFileAndTheNextGoHomeReadsIt();
    void whatIsTypedIsSavedAsAnAddressOrRefused_data();
    void whatIsTypedIsSavedAsAnAddressOrRefused();
    void aFileThatCannotBeWrittenKeepsTheWindowOpen();
    void applyReachesPagesAlreadyOpen();

private:
    LoopbackServer m_server;
};

void OptionsWindowTest::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.serveHtml("/home", "<title>New home</title>");
    m_server.serveHtml("/script", "<title>Plain</title><script>document.title = 'Scripted'"
                                  "</script>");
}

void OptionsWindowTest::cleanup()
{
    Shutdown::deleteWindows();
    const QString folder = QFileInfo(WebViewSettings::filePath()).path();
    QFile::remove(folder);
    QDir(folder).removeRecursively();
    ProfileSettings::apply(BrowserProfile::shared());
}

void OptionsWindowTest::okWritesTheFileAndTheNextGoHomeReadsIt()
{
    const QString current = m_server.url("/home").toString();
    // A delay set by hand in seconds.
    QDir().mkpath(QFileInfo(WebViewSettings::filePath()).path());
    QSettings(WebViewSettings::filePath(), QSettings::IniFormat).setValue("DiscardAfter", 45);
    QPointer<OptionsWindow> window = OptionsWindow::showShared(current);
    QVERIFY(window->isVisible());
    QCOMPARE(OptionsWindow::showShared(current), window.data()); // one shared window
    // A label with an accelerator names its field; without one it shows the '&' as typed.
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (label->text().contains('&'))
            QVERIFY2(label->buddy(), qPrintable(label->text()));
    }
    QCOMPARE(window->homePage->text(), WebViewSettings::DefaultHomePage);
    QVERIFY(window->javaScript->isChecked());
    QVERIFY(!window->popupsWithoutClick->isChecked());
    QVERIFY(window->askWhereToSave->isChecked());
    QVERIFY(window->spellCheck->isChecked());
    // In minutes: the default five, and the hand-set delay as the nearest whole minute.
    QCOMPARE(window->freezeAfter->value(), 5);
    QCOMPARE(window->discardAfter->value(), 1);

    window->useCurrent->click();
    window->freezeAfter->setValue(0);
    QCOMPARE(window->freezeAfter->text(), QString("Never"));
    QCOMPARE(window->homePage->text(), current);
    window->searchPage->setText("http://find.test/?q=");
    window->popupsWithoutClick->setChecked(true);
    window->askWhereToSave->setChecked(false);
    window->spellCheck->setChecked(false);
    window->downloadFolder->setText("/srv/downloads/");
    button(window, QDialogButtonBox::Ok)->click();
    QTRY_VERIFY(!window); // closed and gone

    QCOMPARE(stored("HomePage"), current);
    QCOMPARE(stored("SearchPage"), QString("http://find.test/?q="));
    QCOMPARE(stored("PopupsWithoutClick"), QString("true"));
    QCOMPARE(stored("AskWhereToSave"), QString("false"));
    QCOMPARE(stored("SpellCheck"), QString("false"));
    QCOMPARE(stored("DownloadFolder"), QString("/srv/downloads"));
    QCOMPARE(stored("JavaScript"), QString("true"));
    QCOMPARE(stored("FreezeAfter"), QString("0"));
    QCOMPARE(stored("DiscardAfter"), QString("45")); // its minutes untouched: kept as it was

    EngineWebView view;
    QVERIFY(completes(&view, [&] { view.GoHome(); }));
    QCOMPARE(view.LocationURL(), current);

    // Loaded afresh on its next showing; the start page comes back with one click.
    window = OptionsWindow::showShared();
    QCOMPARE(window->homePage->text(), current);
    QVERIFY(!window->useCurrent->isEnabled());
    window->useStartPage->click();
    button(window, QDialogButtonBox::Ok)->click();
    QCOMPARE(stored("HomePage"), WebViewSettings::DefaultHomePage);
    QVERIFY(completes(&view, [&] { view.GoHome(); }));
    QCOMPARE(view.LocationURL(), WebViewSettings::DefaultHomePage);

    // Asked for before the closed one is gone: a fresh window, which stays on screen.
    const QPointer<OptionsWindow> closed = window;
    window = OptionsWindow::showShared();
    QVERIFY(window != closed);
    QTRY_VERIFY(!closed);
    QVERIFY(window && window->isVisible());
    window->reject();
}

void OptionsWindowTest::whatIsTypedIsSavedAsAnAddressOrRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("saved"); // empty: refused
    QTest::newRow("bare host") << "home.test"
                               << ""
                               << "http://home.test";
    QTest::newRow("spaces around, inside") << "  http://home.test/my page "
                                           << "/srv"
                                           << "http://home.test/my%20page";
    QTest::newRow("empty is the start page") << ""
                                             << "" << WebViewSettings::DefaultHomePage;
    QTest::newRow("not an address") << "http://[::1"
                                    << ""
                                    << "";
    QTest::newRow("space in the host") << "http://home test/"
                                       << ""
                                       << "";
    QTest::newRow("relative folder") << "http://home.test/"
                                     << "downloads"
                                     << "";
}

void OptionsWindowTest::whatIsTypedIsSavedAsAnAddressOrRefused()
{
    QFETCH(QString, typed);
    QFETCH(QString, folder);
    QFETCH(QString, saved);
    QPointer<OptionsWindow> window = OptionsWindow::showShared();
    window->homePage->setText(typed);
    window->downloadFolder->setText(folder);
    button(window, QDialogButtonBox::Ok)->click();
    if (saved.isEmpty()) {
        // Said why, nothing written, nothing typed lost.
        QVERIFY(window && window->isVisible());
        QVERIFY(!window->message->text().isEmpty());
        QVERIFY(!QFile::exists(WebViewSettings::filePath()));
        QCOMPARE(window->homePage->text(), typed);
    } else {
        QTRY_VERIFY(!window);
        QCOMPARE(stored("HomePage"), saved);
        QCOMPARE(WebViewSettings::homePage(), saved);
    }
}

void OptionsWindowTest::aFileThatCannotBeWrittenKeepsTheWindowOpen()
{
    const QString folder = QFileInfo(WebViewSettings::filePath()).path();
    QDir().mkpath(QFileInfo(folder).path());
    QFile blocker(folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    QPointer<OptionsWindow> window = OptionsWindow::showShared();
    window->homePage->setText("http://home.test/");
    button(window, QDialogButtonBox::Ok)->click();
    QVERIFY(window && window->isVisible());
    QVERIFY(window->message->text().contains(WebViewSettings::filePath()));
    QCOMPARE(window->homePage->text(), QString("http://home.test/"));
}

void OptionsWindowTest::applyReachesPagesAlreadyOpen()
{
    EngineWebView view;
    QVERIFY(completes(&view, [&] { view.Navigate(m_server.url("/script").toString()); }));
    QTRY_COMPARE(view.LocationName(), QString("Scripted"));

    OptionsWindow *window = OptionsWindow::showShared();
    window->javaScript->setChecked(false);
    button(window, QDialogButtonBox::Apply)->click();
    QVERIFY(window->isVisible());
    QCOMPARE(stored("JavaScript"), QString("false"));
    QVERIFY(completes(&view, [&] { view.Refresh(); }));
    QCOMPARE(view.LocationName(), QString("Plain"));
}

ZV_TEST_MAIN(OptionsWindowTest)
#include "tst_optionswindow.moc"
