#include "search/SearchAddress.h"
#include "support/TestMain.h"

#include <QTest>

class SearchAddressTest : public QObject {
    Q_OBJECT

private slots:
    void everyCategory_data();
    void everyCategory();
    void searchTextIsPercentEncoded_data();
    void searchTextIsPercentEncoded();
};

void SearchAddressTest::everyCategory_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("url");
    QTest::newRow("Web") << "Web"
                         << "http://search.yahoo.com/search?p=abc"
                            "&fr=FP-tab-web-t400&toggle=1&cop=&ei=UTF-8";
    QTest::newRow("Images") << "Images"
                            << "http://images.search.yahoo.com/search/images?p=abc"
                               "&fr=FP-tab-web-t400&toggle=1&ei=UTF-8&fr2=tab-web";
    QTest::newRow("Video") << "Video"
                           << "http://video.search.yahoo.com/search/video?p=abc"
                              "&fr=FP-tab-web-t400&toggle=1&ei=UTF-8&fr2=tab-img";
    QTest::newRow("Audio") << "Audio"
                           << "http://audio.search.yahoo.com/search/audio?p=abc"
                              "&fr=FP-tab-web-t400&toggle=1&ei=UTF-8&fr2=tab-img";
    QTest::newRow("Directory") << "Directory"
                               << "http://search.yahoo.com/search/dir?p=abc"
                                  "&fr=FP-tab-web-t400&toggle=1&ei=UTF-8&fr2=tab-aud";
    QTest::newRow("Local") << "Local"
                           << "http://local.yahoo.com/results?stx=TEXT&toggle=1&qry=abc"
                              "&fr=FP-tab-web-t400&toggle=1&ei=UTF-8&fr2=tab-dir";
    QTest::newRow("News") << "News"
                          << "http://news.search.yahoo.com/search/news?p=abc"
                             "&fr=FP-tab-web-t400&fr2=tab-lcl";
    QTest::newRow("Shopping") << "Shopping"
                              << "http://shopping.yahoo.com/search?ei=UTF-8&p=abc"
                                 "&fr=FP-tab-web-t400&cop=mss&fr2=tab-news";
}

void SearchAddressTest::everyCategory()
{
    QFETCH(QString, category);
    QFETCH(QString, url);
    QCOMPARE(SearchAddress::forSearch(category, "abc").value_or("(none)"), url);
    // An empty search text still gives an address: the tail follows the query's start directly.
    QString empty = url;
    empty.replace("=abc&", "=&");
    QCOMPARE(SearchAddress::forSearch(category, "").value_or("(none)"), empty);
}

void SearchAddressTest::searchTextIsPercentEncoded_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("query");
    QTest::newRow("unreserved kept") << "AZaz09-._~"
                                     << "AZaz09-._~";
    QTest::newRow("blank, & # + %") << "AT&T C#+100%"
                                    << "AT%26T%20C%23%2B100%25";
    QTest::newRow("an escape typed as text") << "%20"
                                             << "%2520";
    QTest::newRow("other query and path characters")
        << "?=/:;,'!*()@$[]"
        << "%3F%3D%2F%3A%3B%2C%27%21%2A%28%29%40%24%5B%5D";
    QTest::newRow("non-ASCII as UTF-8")
        << u"caf\u00E9 \u20AC \U0001F600"_qs << "caf%C3%A9%20%E2%82%AC%20%F0%9F%98%80";
    QTest::newRow("tab and line break") << "a\tb\nc"
                                        << "a%09b%0Ac";
}

void SearchAddressTest::searchTextIsPercentEncoded()
{
    QFETCH(QString, text);
    QFETCH(QString, query);
    QCOMPARE(SearchAddress::forSearch("News", text).value_or("(none)"),
             "http://news.search.yahoo.com/search/news?p=" + query +
                 "&fr=FP-tab-web-t400&fr2=tab-lcl");
}

ZV_TEST_MAIN(SearchAddressTest)
#include "tst_searchaddress.moc"
