#include "support/TestMain.h"
#include "support/WorkingFolder.h"
#include "webview/TypedText.h"
#include "webview/UserAddress.h"

#include <QDir>
#include <QTest>

class UserAddressTest : public QObject {
    Q_OBJECT

private slots:
    void toUrl_data();
    void toUrl();
    void anExistingLocalPathBecomesAFileAddress();
    void addressOrWords_data();
    void addressOrWords();
};

void UserAddressTest::toUrl_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("url");
    QTest::newRow("empty: nothing to visit") << ""
                                             << "";
    QTest::newRow("blanks: nothing to visit") << "   "
                                              << "";
    QTest::newRow("bare host") << "example.com"
                               << "http://example.com";
    QTest::newRow("full address kept") << "https://example.com/a?b=c&d#e"
                                       << "https://example.com/a?b=c&d#e";
    QTest::newRow("loopback with port") << "127.0.0.1:8080/x"
                                        << "http://127.0.0.1:8080/x";
    QTest::newRow("backslash before the page") << "www.example.com\\zvup.htm"
                                               << "http://www.example.com/zvup.htm";
    QTest::newRow("about page") << "about:blank"
                                << "about:blank";
}

void UserAddressTest::toUrl()
{
    QFETCH(QString, text);
    QFETCH(QString, url);
    QCOMPARE(UserAddress::toUrl(text, QDir::currentPath()).toString(), url);
}

void UserAddressTest::anExistingLocalPathBecomesAFileAddress()
{
    WorkingFolder folder;
    WorkingFolder::write("page.html", "<p>x</p>");
    const QString full = folder.file("page.html");
    QCOMPARE(UserAddress::toUrl(full, folder.path()), QUrl::fromLocalFile(full));
    QCOMPARE(UserAddress::toUrl("page.html", folder.path()), QUrl::fromLocalFile(full));
    QCOMPARE(UserAddress::toUrl(" ~/page.html", folder.path()),
             QUrl::fromLocalFile(QDir::homePath() + "/page.html"));
}

void UserAddressTest::addressOrWords_data()
{
    QTest::addColumn<QString>("text");
    // The search's query for words; empty when the text goes on as typed.
    QTest::addColumn<QString>("query");
    QTest::newRow("empty goes on as typed") << ""
                                            << "";
    QTest::newRow("blanks go on as typed") << "   "
                                           << "";
    QTest::newRow("scheme") << "https://example.com/a b"
                            << "";
    QTest::newRow("scheme only") << "about:blank"
                                 << "";
    QTest::newRow("bare host") << " example.com "
                               << "";
    QTest::newRow("host and page, backslash") << "www.example.com\\zvup.htm"
                                              << "";
    QTest::newRow("address and port") << "127.0.0.1:8080/x"
                                      << "";
    QTest::newRow("localhost") << "localhost"
                               << "";
    QTest::newRow("localhost, port") << "localhost:8080"
                                     << "";
    QTest::newRow("absolute path") << "/tmp/a b.html"
                                   << "";
    QTest::newRow("home path") << "~/page.html"
                               << "";
    QTest::newRow("relative path") << "./page.html"
                                   << "";
    QTest::newRow("one word") << "zarvo"
                              << "zarvo";
    QTest::newRow("words around a host") << "what is example.com"
                                         << "what%20is%20example.com";
    QTest::newRow("number sign") << " c# x "
                                 << "c%23%20x";
    QTest::newRow("ampersand") << "AT&T"
                               << "AT%26T";
    QTest::newRow("beyond ASCII") << u"caf\u00e9 \u20ac"_qs << "caf%C3%A9%20%E2%82%AC";
    QTest::newRow("a colon in words") << "ratio 16:9"
                                      << "ratio%2016%3A9";
}

void UserAddressTest::addressOrWords()
{
    QFETCH(QString, text);
    QFETCH(QString, query);
    const std::optional<QString> words = TypedText::words(text);
    QCOMPARE(words.has_value(), !query.isEmpty());
    if (!words)
        return;
    QCOMPARE(TypedText::searchAddress(*words), "http://search.yahoo.com/search?p=" + query +
                                                   "&fr=FP-tab-web-t400&toggle=1&cop=&ei=UTF-8");
}

ZV_TEST_MAIN(UserAddressTest)
#include "tst_useraddress.moc"
