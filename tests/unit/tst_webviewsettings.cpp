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

Values with(const std::function<void(Values &)> &change)
{
    Values values;
    change(values);
    return values;
}
} // namespace

class WebViewSettingsTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup();

    void eachKeyFallsBackOnItsOwn_data();
    void eachKeyFallsBackOnItsOwn();
    void savedValuesReadBack();
    void savingOverADamagedFileRepairsIt();
    void aFileThatCannotBeWrittenIsReported();
};

void WebViewSettingsTest::cleanup()
{
    const QString folder = QFileInfo(WebViewSettings::filePath()).path();
    QFile::remove(folder); // when a test put a file in its place
    QDir(folder).removeRecursively();
}

void WebViewSettingsTest::eachKeyFallsBackOnItsOwn_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Values>("expected");

    QTest::newRow("no file") << QByteArray() << Values();
    QTest::newRow("all set")
        << QByteArray("[General]\nHomePage=http://home.test/\n"
                      "SearchPage=http://find.test/\nJavaScript=false\n"
                      "PopupsWithoutClick=true\nDownloadFolder=/srv/in\n"
                      "AskWhereToSave=false\n")
        << Values{"http://home.test/", "http://find.test/", false, true, "/srv/in", false};
    QTest::newRow("one bad address") << QByteArray("[General]\nHomePage=::nowhere\n"
                                                   "SearchPage=http://find.test/\n")
                                     << with([](Values &v) { v.searchPage = "http://find.test/"; });
    QTest::newRow("no scheme") << QByteArray("HomePage=home.test\n") << Values();
    QTest::newRow("empty") << QByteArray("[General]\nHomePage=\nJavaScript=\n") << Values();
    QTest::newRow("comma in an address")
        << QByteArray("[General]\nHomePage=http://home.test/?a=1,2\n")
        << with([](Values &v) { v.homePage = "http://home.test/?a=1,2"; });
    QTest::newRow("flags not yes or no")
        << QByteArray("[General]\nJavaScript=maybe\nPopupsWithoutClick=2\nAskWhereToSave=0\n")
        << with([](Values &v) { v.askWhereToSave = false; });
    QTest::newRow("flags as numbers and in capitals")
        << QByteArray("[General]\nJavaScript=0\nPopupsWithoutClick=TRUE\n") << with([](Values &v) {
               v.javaScript = false;
               v.popupsWithoutClick = true;
           });
    QTest::newRow("relative folder")
        << QByteArray("[General]\nDownloadFolder=Downloads\n") << Values();
    QTest::newRow("folder tidied") << QByteArray("[General]\nDownloadFolder=/srv//in/./\n")
                                   << with([](Values &v) { v.downloadFolder = "/srv/in"; });
    QTest::newRow("another section")
        << QByteArray("[Other]\nHomePage=http://home.test/\nJavaScript=false\n") << Values();
    QTest::newRow("binary garbage")
        << QByteArray("\x00\xff\xfe[Gen\x01\nHomePage\x00=\x80\x81\n=\n[[[\n", 27) << Values();
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
    QCOMPARE(WebViewSettings::homePage(), expected.homePage);
    QCOMPARE(WebViewSettings::searchPage(), expected.searchPage);
}

void WebViewSettingsTest::savedValuesReadBack()
{
    const Values values{"http://home.test/a,b?c=%22d%22",
                        "file:///srv/search%20page.html",
                        false,
                        true,
                        "/srv/down loads",
                        false};
    QVERIFY(WebViewSettings::save(values));
    QVERIFY(WebViewSettings::load() == values);
}

void WebViewSettingsTest::savingOverADamagedFileRepairsIt()
{
    writeFile(QByteArray("\x00\xff[General\nHomePage=\"unclosed\nJavaScript=perhaps\n", 45));
    const Values values = with([](Values &v) { v.homePage = "http://home.test/"; });
    QVERIFY(WebViewSettings::save(values));
    QVERIFY(WebViewSettings::load() == values);
}

void WebViewSettingsTest::aFileThatCannotBeWrittenIsReported()
{
    // A file where the settings folder should be.
    const QString folder = QFileInfo(WebViewSettings::filePath()).path();
    QDir().mkpath(QFileInfo(folder).path());
    QFile blocker(folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(!WebViewSettings::save(Values()));
    QCOMPARE(WebViewSettings::load().homePage, WebViewSettings::DefaultHomePage);
}

ZV_TEST_MAIN(WebViewSettingsTest)
#include "tst_webviewsettings.moc"
