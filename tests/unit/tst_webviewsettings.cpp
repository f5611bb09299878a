#include "support/TestMain.h"
#include "webview/WebViewSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using Values = WebViewSettings::Values;
Q_DECLARE_METATYPE(Values)

namespace {
void writeFile(const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(WebViewSettings::filePath()).path());
    QFile file(WebViewSettings::filePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}
} // namespace

class WebViewSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QFile::remove(WebViewSettings::filePath()); }
    void eachKeyFallsBackOnItsOwn_data();
    void eachKeyFallsBackOnItsOwn();
    void savingOverADamagedFileRepairsIt();
};

void WebViewSettingsTest::eachKeyFallsBackOnItsOwn_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Values>("expected");
    const Values defaults;
    const auto with = [](const std::function<void(Values &)> &change) {
        Values values;
        change(values);
        return values;
    };
    QTest::newRow("no file") << QByteArray() << defaults;
    QTest::newRow("all set")
        << QByteArray("[General]\nHomePage=http://home.test/\n"
                      "SearchPage=http://find.test/\nJavaScript=false\n"
                      "PopupsWithoutClick=true\nDownloadFolder=/srv/in\n"
                      "AskWhereToSave=0\nSpellCheck=false\n")
        << Values{"http://home.test/", "http://find.test/", false, true, "/srv/in", false, false};
    QTest::newRow("bad address beside a good one")
        << QByteArray("HomePage=::nowhere\nSearchPage=http://find.test/\n")
        << with([](Values &v) { v.searchPage = "http://find.test/"; });
    QTest::newRow("no scheme, empty")
        << QByteArray("HomePage=home.test\nSearchPage=\n") << defaults;
    QTest::newRow("comma in an address")
        << QByteArray("HomePage=http://home.test/?a=1,2\n")
        << with([](Values &v) { v.homePage = "http://home.test/?a=1,2"; });
    QTest::newRow("flags neither yes nor no")
        << QByteArray("JavaScript=maybe\nPopupsWithoutClick=2\nAskWhereToSave=FALSE\n")
        << with([](Values &v) { v.askWhereToSave = false; });
    QTest::newRow("delays, one off")
        << QByteArray("FreezeAfter=5\nDiscardAfter=0\n")
        << with([](Values &v) { v.freezeAfter = 5, v.discardAfter = 0; });
    // Not whole seconds, or less than none: the defaults. More than a day: a day.
    QTest::newRow("delays out of range") << QByteArray("FreezeAfter=-5\nDiscardAfter=99999999\n")
                                         << with([](Values &v) { v.discardAfter = 86400; });
    QTest::newRow("delays not numbers")
        << QByteArray("FreezeAfter=soon\nDiscardAfter=1.5\n") << defaults;
    QTest::newRow("relative folder") << QByteArray("DownloadFolder=Downloads\n") << defaults;
    QTest::newRow("another section") << QByteArray("[Other]\nJavaScript=false\n") << defaults;
    QTest::newRow("binary garbage")
        << QByteArray("\x00\xff\xfe[Gen\x01\nHomePage\x00=\x80\x81\n=\n[[[\n", 27) << defaults;
}

void WebViewSettingsTest::eachKeyFallsBackOnItsOwn()
{
    QFETCH(QByteArray, file);
    QFETCH(Values, expected);
    if (!file.isNull())
        writeFile(file);
    const Values values = WebViewSettings::load();
    QCOMPARE(values.homePage, expected.homePage);
    QCOMPARE(values.searchPage, expected.searchPage);
    QCOMPARE(values.javaScript, expected.javaScript);
    QCOMPARE(values.popupsWithoutClick, expected.popupsWithoutClick);
    QCOMPARE(values.downloadFolder, expected.downloadFolder);
    QCOMPARE(values.askWhereToSave, expected.askWhereToSave);
    QCOMPARE(values.spellCheck, expected.spellCheck);
    QCOMPARE(values.freezeAfter, expected.freezeAfter);
    QCOMPARE(values.discardAfter, expected.discardAfter);
}

void WebViewSettingsTest::savingOverADamagedFileRepairsIt()
{
    writeFile(QByteArray("\x00\xff[General\nHomePage=\"unclosed\nJavaScript=perhaps\n", 45));
    const Values values{"http://home.test/a,b?c=%22d%22",
                        "file:///srv/search%20page.html",
                        false,
                        true,
                        "/srv/down loads",
                        false,
                        0,
                        45};
    QVERIFY(WebViewSettings::save(values));
    QVERIFY(WebViewSettings::load() == values);
}

ZV_TEST_MAIN(WebViewSettingsTest)
#include "tst_webviewsettings.moc"
