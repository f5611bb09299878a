#include "support/LoopbackServer.h"
#include "support/PageScript.h"
#include "support/TestMain.h"
#include "support/TestPrompter.h"
#include "support/WindowFixture.h"
#include "webview/ColorScheme.h"
#include "webview/WebViewSettings.h"
#include "webview/engine/EngineWebView.h"
#include "webview/engine/SpellDictionaries.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace {

// The desktop's notification service as a test stands it up on its own bus: it notes what it is
// asked to show.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Shown {
        uint id;
        QString appName, title, body;
        QStringList actions;
    };
    QList<Shown> shown;
    QList<uint> closed;

public slots:
    uint Notify(const QString &appName, uint replacesId, const QString &icon,
                const QString &summary, const QString &body, const QStringList &actions,
                const QVariantMap &hints, int timeout)
    {
        Q_UNUSED(icon)
        Q_UNUSED(hints)
        Q_UNUSED(timeout)
        const uint id = replacesId ? replacesId : uint(shown.size() + 1);
        shown.append({id, appName, summary, body, actions});
        return id;
    }
    void CloseNotification(uint id) { closed.append(id); }
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }
};

// A session bus of the test's own, so no desktop's service answers; empty where dbus-daemon is
// missing.
QProcess *privateBus = nullptr;
QString privateBusAddress;

void startPrivateBus()
{
    privateBus = new QProcess;
    privateBus->start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
    if (!privateBus->waitForStarted(10000))
        return;
    while (!privateBus->canReadLine() && privateBus->waitForReadyRead(10000)) {
    }
    privateBusAddress = QString::fromUtf8(privateBus->readLine()).trimmed();
}

// A dictionary made for the test, in place of the language's: the engine finds it as en-US.
const QByteArray TestAff = "SET UTF-8\nTRY esianrtolcdugmphbyfvkwzESIANRTOLCDUGMPHBYFVKWZ\n";
const QByteArray TestDic = "3\nhello\nworld\nbrowser\n";
// Added to the personal word list by an earlier run.
const QString EarlierWord = QStringLiteral("zarvoword");

void makeTestDictionary()
{
    QTemporaryDir scratch;
    QFile aff(scratch.filePath("en_US.aff"));
    QFile dic(scratch.filePath("en_US.dic"));
    if (!aff.open(QIODevice::WriteOnly) || !dic.open(QIODevice::WriteOnly))
        return;
    aff.write(TestAff);
    dic.write(TestDic);
    aff.close();
    dic.close();
    QDir().mkpath(SpellDictionaries::folder());
    QProcess::execute(SpellDictionaries::converterPath(),
                      {dic.fileName(), SpellDictionaries::folder() + "/en-US.bdic"});
    SpellDictionaries::addWord(EarlierWord);
    SpellDictionaries::prepare({});
}

// The scheme this run asks for in webview.ini: dark, or what ZV_TEST_COLOR_SCHEME says.
QByteArray requestedScheme()
{
    const QByteArray scheme = qgetenv("ZV_TEST_COLOR_SCHEME");
    return scheme.isEmpty() ? QByteArrayLiteral("dark") : scheme;
}

// Written as a user would, then taken up as the program does, before the engine starts.
void prepareEngine()
{
    QDir().mkpath(QFileInfo(WebViewSettings::filePath()).path());
    QFile ini(WebViewSettings::filePath());
    if (ini.open(QIODevice::WriteOnly))
        ini.write("[General]\nColorScheme=" + requestedScheme() + "\n");
    ini.close();
    startPrivateBus();
    qputenv("DBUS_SESSION_BUS_ADDRESS", privateBusAddress.toUtf8());
    qputenv("LANG", "en_US.UTF-8");
    qunsetenv("LANGUAGE");
    qunsetenv("QTWEBENGINE_DICTIONARIES_PATH");
    makeTestDictionary();
    ColorScheme::beforeEngine();
    SpellDictionaries::beforeEngine();
}

// Where the word lies in the page's editable box, once laid out.
QPoint wordAt(QWebEngineView *view, const QString &word)
{
    const QVariantList point =
        PageScript::evaluate(view, QString("(() => { const box = document.getElementById('box');"
                                           "box.normalize(); const text = box.firstChild;"
                                           "const at = text.data.indexOf('%1');"
                                           "const range = document.createRange();"
                                           "range.setStart(text, at);"
                                           "range.setEnd(text, at + %2);"
                                           "const r = range.getBoundingClientRect();"
                                           "return [Math.round(r.left + r.width / 2),"
                                           "Math.round(r.top + r.height / 2)]; })()")
                                       .arg(word)
                                       .arg(word.size()))
            .toList();
    return point.size() == 2 ? QPoint(point[0].toInt(), point[1].toInt()) : QPoint();
}

QMenu *shownPageMenu()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == "PageContextMenu" && widget->isVisible())
            return qobject_cast<QMenu *>(widget);
    }
    return nullptr;
}

// The page menu for the word, its request as the engine made it.
QMenu *menuOn(QWebEngineView *view, const QString &word)
{
    QWidget *input = view->focusProxy() ? view->focusProxy() : view;
    const QPoint at = wordAt(view, word);
    if (at.isNull())
        return nullptr;
    QTest::mouseClick(input, Qt::RightButton, {}, at);
    if (!QTest::qWaitFor([] { return shownPageMenu() != nullptr; }, 20000))
        return nullptr;
    return shownPageMenu();
}

} // namespace

// What the engine can only be told before it starts, so a process of its own: the dark
// preference (run once dark, once light), and how the program reads the desktop's.
class DesktopPagesTest : public QObject {
    Q_OBJECT

private slots:
    void pagesSeeTheChosenSchemeAndAreNotRecoloured();
    void engineSwitchKeepsTheUsersFlags_data();
    void engineSwitchKeepsTheUsersFlags();
    void gtkSettings_data();
    void gtkSettings();
    void misspeltWordsGetSuggestionsAndTheWordList();
    void localeLanguages_data();
    void localeLanguages();
    void notificationsGoToTheDesktopsService();
    void cleanupTestCase();
};

void DesktopPagesTest::pagesSeeTheChosenSchemeAndAreNotRecoloured()
{
    const bool dark = requestedScheme() == "dark";
    QCOMPARE(ColorScheme::current() == ColorScheme::Scheme::Dark, dark);
    LoopbackServer server;
    QVERIFY(server.listen());
    server.serveHtml("/plain", "<!DOCTYPE html><html><body><p>Plain text</p></body></html>");
    EngineWebView view;
    // Before the page paints, the view follows the preference: no white flash on a dark desktop.
    QCOMPARE(view.engineView()->page()->backgroundColor() != QColor(Qt::white), dark);
    view.resize(400, 300);
    view.show();
    QVERIFY(completes(&view, [&] { view.Navigate(server.url("/plain").toString()); }));
    QCOMPARE(PageScript::evaluate(view.engineView(),
                                  "matchMedia('(prefers-color-scheme: dark)').matches")
                 .toBool(),
             dark);
    QCOMPARE(PageScript::evaluate(view.engineView(),
                                  "matchMedia('(prefers-color-scheme: light)').matches")
                 .toBool(),
             !dark);
    // A page without a dark style keeps the usual black text on no background of its own.
    QCOMPARE(
        PageScript::evaluate(view.engineView(), "getComputedStyle(document.body).color").toString(),
        QString("rgb(0, 0, 0)"));
    QCOMPARE(
        PageScript::evaluate(view.engineView(), "getComputedStyle(document.body).backgroundColor")
            .toString(),
        QString("rgba(0, 0, 0, 0)"));
    QCOMPARE(view.engineView()->page()->backgroundColor(), QColor(Qt::white));
}

void DesktopPagesTest::engineSwitchKeepsTheUsersFlags_data()
{
    QTest::addColumn<QByteArray>("flags");
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QByteArray>("result");
    QTest::newRow("none, dark") << QByteArray() << true
                                << QByteArray("--blink-settings=preferredColorScheme=0");
    QTest::newRow("none, light") << QByteArray() << false
                                 << QByteArray("--blink-settings=preferredColorScheme=1");
    QTest::newRow("the user's kept")
        << QByteArray("--enable-logging --v=1") << true
        << QByteArray("--enable-logging --v=1 --blink-settings=preferredColorScheme=0");
    QTest::newRow("the user's blink settings joined")
        << QByteArray("--blink-settings=imagesEnabled=false") << true
        << QByteArray("--blink-settings=preferredColorScheme=0,imagesEnabled=false");
    QTest::newRow("the user's preference wins")
        << QByteArray("--blink-settings=preferredColorScheme=1") << true
        << QByteArray("--blink-settings=preferredColorScheme=1");
    QTest::newRow("the user's forced dark wins")
        << QByteArray("--force-dark-mode") << false << QByteArray("--force-dark-mode");
}

void DesktopPagesTest::engineSwitchKeepsTheUsersFlags()
{
    QFETCH(QByteArray, flags);
    QFETCH(bool, dark);
    QFETCH(QByteArray, result);
    QCOMPARE(ColorScheme::withEngineSwitch(flags, dark ? ColorScheme::Scheme::Dark
                                                       : ColorScheme::Scheme::Light),
             result);
}

void DesktopPagesTest::gtkSettings_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("scheme"); // -1: says nothing
    const int dark = int(ColorScheme::Scheme::Dark);
    const int light = int(ColorScheme::Scheme::Light);
    QTest::newRow("prefers dark") << QByteArray("[Settings]\ngtk-application-prefer-dark-theme=1\n")
                                  << dark;
    QTest::newRow("prefers dark, true")
        << QByteArray("[Settings]\r\ngtk-application-prefer-dark-theme = true\r\n") << dark;
    QTest::newRow("dark theme") << QByteArray("[Settings]\ngtk-theme-name=Adwaita-dark\n") << dark;
    QTest::newRow("light theme") << QByteArray("[Settings]\ngtk-theme-name=Adwaita\n") << -1;
    QTest::newRow("prefers light")
        << QByteArray("[Settings]\ngtk-application-prefer-dark-theme=0\n") << light;
    QTest::newRow("other group") << QByteArray("[Other]\ngtk-theme-name=Adwaita-dark\n") << -1;
    QTest::newRow("empty") << QByteArray() << -1;
}

void DesktopPagesTest::gtkSettings()
{
    QFETCH(QByteArray, ini);
    QFETCH(int, scheme);
    const auto read = ColorScheme::fromGtkSettings(ini);
    QCOMPARE(read ? int(*read) : -1, scheme);
}

void DesktopPagesTest::misspeltWordsGetSuggestionsAndTheWordList()
{
    QVERIFY2(QFileInfo(SpellDictionaries::converterPath()).isExecutable(),
             "qwebengine_convert_dict (qt6-webengine-dev-tools) is needed");
    QCOMPARE(SpellDictionaries::languages(),
             QStringList({"en-US", SpellDictionaries::PersonalName}));
    LoopbackServer server;
    QVERIFY(server.listen());
    server.serveHtml("/edit", "<!DOCTYPE html><html><body style='margin: 0'>"
                              "<div id='box' contenteditable='true' spellcheck='true' "
                              "style='font: 24px monospace; min-height: 60px; width: 380px'>"
                              "</div></body></html>");
    EngineWebView view;
    view.resize(400, 300);
    view.show();
    QVERIFY(completes(&view, [&] { view.Navigate(server.url("/edit").toString()); }));
    QWebEngineView *engine = view.engineView();
    QVERIFY(engine->page()->profile()->isSpellCheckEnabled());
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    QWidget *input = engine->focusProxy() ? engine->focusProxy() : engine;
    input->setFocus();
    const auto typed = [engine] {
        return PageScript::evaluate(engine, "document.getElementById('box').textContent.trim()")
            .toString();
    };
    // Keys that come before the page has taken the focus are lost; typed again while none came.
    for (int attempt = 0; attempt < 5 && typed().isEmpty(); ++attempt) {
        QTRY_COMPARE(PageScript::evaluate(engine, "document.getElementById('box').focus();"
                                                  "document.activeElement.id")
                         .toString(),
                     QString("box"));
        QTest::keyClicks(input, EarlierWord + " helo ");
        if (QTest::qWaitFor([&] { return !typed().isEmpty(); }, 5000))
            break;
    }
    QTRY_COMPARE_WITH_TIMEOUT(typed(), EarlierWord + " helo", 20000);

    // Checked a moment after the typing: asked again until the engine has marked the word.
    QMenu *menu = nullptr;
    for (int attempt = 0; attempt < 20; ++attempt) {
        menu = menuOn(engine, "helo");
        QVERIFY(menu);
        if (!engine->lastContextMenuRequest()->misspelledWord().isEmpty())
            break;
        menu->close();
        QTRY_VERIFY(!shownPageMenu());
        menu = nullptr;
    }
    QVERIFY2(menu, "the misspelt word was never marked");
    const QWebEngineContextMenuRequest *request = engine->lastContextMenuRequest();
    QCOMPARE(request->misspelledWord(), QString("helo"));
    QVERIFY2(request->spellCheckerSuggestions().contains("hello"),
             qPrintable(request->spellCheckerSuggestions().join('|')));
    // The menu starts with the suggestions, then the personal word list's entry.
    const QList<QAction *> actions = menu->actions();
    const qsizetype suggested = request->spellCheckerSuggestions().size();
    QVERIFY(suggested >= 1 && suggested <= 5);
    QCOMPARE(actions.value(0)->text(), request->spellCheckerSuggestions().first());
    QCOMPARE(actions.value(suggested)->text(), QString("Add to Dictionary"));
    actions.value(suggested)->trigger();
    menu->close();
    QFile words(SpellDictionaries::wordListPath());
    QVERIFY(words.open(QIODevice::ReadOnly));
    QCOMPARE(words.readAll(), (EarlierWord + "\nhelo\n").toUtf8());
    // The user's own words, for the user's eyes only.
    QCOMPARE(words.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());

    // A word an earlier run added is no misspelling, from the dictionary made at the start.
    QTRY_VERIFY(!shownPageMenu());
    QVERIFY(menuOn(engine, EarlierWord));
    QCOMPARE(engine->lastContextMenuRequest()->misspelledWord(), QString());
    shownPageMenu()->close();
    QTRY_VERIFY(!shownPageMenu());

    // A suggestion replaces the word.
    menu = menuOn(engine, "helo");
    QVERIFY(menu);
    QCOMPARE(engine->lastContextMenuRequest()->misspelledWord(), QString("helo"));
    menu->actions().value(0)->trigger();
    menu->close();
    QTRY_COMPARE_WITH_TIMEOUT(typed(), EarlierWord + " hello", 20000);
}

void DesktopPagesTest::localeLanguages_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("LANG") << QString() << "de_DE.UTF-8" << QStringList{"de-DE"};
    QTest::newRow("LANGUAGE first, no repeats")
        << "fr_FR:en_US"
        << "en_US.UTF-8@euro" << QStringList{"fr-FR", "en-US"};
    QTest::newRow("C names none") << QString() << "C.UTF-8" << QStringList{};
    QTest::newRow("POSIX, empty entries") << "::"
                                          << "POSIX" << QStringList{};
}

void DesktopPagesTest::localeLanguages()
{
    QFETCH(QString, language);
    QFETCH(QString, lang);
    QFETCH(QStringList, names);
    QCOMPARE(SpellDictionaries::localeLanguages(language, lang), names);
}

void DesktopPagesTest::notificationsGoToTheDesktopsService()
{
    if (privateBusAddress.isEmpty())
        QSKIP("dbus-daemon is not installed: no session bus to stand a service up on");
    QDBusConnection bus = QDBusConnection::connectToBus(privateBusAddress, "fake-service");
    QVERIFY(bus.isConnected());
    FakeNotifications service;
    QVERIFY(bus.registerObject("/org/freedesktop/Notifications", &service,
                               QDBusConnection::ExportAllSlots));
    QVERIFY(bus.registerService("org.freedesktop.Notifications"));

    LoopbackServer server;
    QVERIFY(server.listen());
    server.serveHtml("/notify",
                     "<!DOCTYPE html><html><head><title>Waiting</title></head><body><script>"
                     "Notification.requestPermission().then(answer => {"
                     "  const note = new Notification('Meeting', {body: 'In five minutes'});"
                     "  note.onshow = () => document.title = 'shown';"
                     "  note.onclick = () => document.title = 'clicked';"
                     "  note.onclose = () => document.title += ' closed';"
                     "});</script></body></html>");
    TestPrompter prompter;
    prompter.allowAnswer = true;
    QWidget window;
    auto *view = new EngineWebView(&window);
    view->resize(400, 300);
    window.show();
    QVERIFY(completes(view, [&] { view->Navigate(server.url("/notify").toString()); }));
    QTRY_COMPARE_WITH_TIMEOUT(service.shown.size(), 1, 20000);
    const FakeNotifications::Shown shown = service.shown.first();
    QCOMPARE(shown.title, QString("Meeting"));
    QCOMPARE(shown.body, QString("In five minutes"));
    QVERIFY2(shown.appName.endsWith(server.url("/").authority()), qPrintable(shown.appName));
    QVERIFY(shown.actions.contains("default"));
    QTRY_COMPARE_WITH_TIMEOUT(view->LocationName(), QString("shown"), 20000);

    QDBusMessage click = QDBusMessage::createSignal(
        "/org/freedesktop/Notifications", "org.freedesktop.Notifications", "ActionInvoked");
    click << shown.id << QString("default");
    QVERIFY(bus.send(click));
    QTRY_COMPARE_WITH_TIMEOUT(view->LocationName(), QString("clicked"), 20000);

    QDBusMessage closed = QDBusMessage::createSignal(
        "/org/freedesktop/Notifications", "org.freedesktop.Notifications", "NotificationClosed");
    closed << shown.id << 2u;
    QVERIFY(bus.send(closed));
    QTRY_COMPARE_WITH_TIMEOUT(view->LocationName(), QString("clicked closed"), 20000);
    bus.unregisterService("org.freedesktop.Notifications");
    bus.unregisterObject("/org/freedesktop/Notifications");
    QDBusConnection::disconnectFromBus("fake-service");
}

void DesktopPagesTest::cleanupTestCase()
{
    if (privateBus) {
        privateBus->kill();
        privateBus->waitForFinished();
        delete privateBus;
        privateBus = nullptr;
    }
}

ZV_TEST_MAIN_PREPARED(
    DesktopPagesTest, [] {}, prepareEngine)
#include "tst_desktoppages.moc"
