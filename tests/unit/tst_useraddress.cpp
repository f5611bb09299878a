#include "support/TestMain.h"
#include "support/WorkingFolder.h"
#include "webview/UserAddress.h"

#include <QDir>
#include <QTest>

class UserAddressTest : public QObject {
    Q_OBJECT

private slots:
    void toUrl_data();
    void toUrl();
    void anExistingLocalPathBecomesAFileAddress();
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
}

ZV_TEST_MAIN(UserAddressTest)
#include "tst_useraddress.moc"
