#include "support/TestMain.h"
#include "webview/RenderingChoice.h"
#include "webview/WebViewSettings.h"
#include "webview/engine/DownloadManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

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
    // The web view's drawing: the setting, the renderers counted as software, the cached answer.
    void settingValues_data();
    void settingValues();
    void softwareRenderers_data();
    void softwareRenderers();
    void theCachedAnswerHoldsOnlyForItsEnvironment();
    void withoutAGraphicsDeviceNothingIsAsked();
    // A download's suggested name as saved, and beside a file of that name.
    void suggestedNamesAreMadeSafe_data();
    void suggestedNamesAreMadeSafe();
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

void WebViewSettingsTest::settingValues_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("mode");
    QTest::newRow("missing") << QString() << int(RenderingChoice::Mode::Auto);
    QTest::newRow("auto") << "auto" << int(RenderingChoice::Mode::Auto);
    QTest::newRow("software") << "software" << int(RenderingChoice::Mode::Software);
    QTest::newRow("any case, blanks") << " Software " << int(RenderingChoice::Mode::Software);
    QTest::newRow("opengl") << "OpenGL" << int(RenderingChoice::Mode::OpenGL);
    QTest::newRow("unknown") << "vulkan" << int(RenderingChoice::Mode::Auto);
}

void WebViewSettingsTest::settingValues()
{
    QFETCH(QString, value);
    QFETCH(int, mode);
    QCOMPARE(int(RenderingChoice::mode(value)), mode);
}

void WebViewSettingsTest::softwareRenderers_data()
{
    QTest::addColumn<QByteArray>("renderer");
    QTest::addColumn<bool>("software");
    QTest::newRow("no OpenGL") << QByteArray() << true;
    QTest::newRow("llvmpipe") << QByteArray("llvmpipe (LLVM 15.0.6, 256 bits)") << true;
    QTest::newRow("softpipe") << QByteArray("softpipe") << true;
    QTest::newRow("SwiftShader")
        << QByteArray("ANGLE (Google, Vulkan 1.3.0 (SwiftShader Device (Subzero)))") << true;
    QTest::newRow("old Mesa") << QByteArray("Mesa DRI Intel(R) ... Software Rasterizer") << true;
    QTest::newRow("Intel") << QByteArray("Mesa Intel(R) UHD Graphics 620 (KBL GT2)") << false;
    QTest::newRow("AMD") << QByteArray("AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)")
                         << false;
    QTest::newRow("NVIDIA") << QByteArray("NVIDIA GeForce GTX 1060/PCIe/SSE2") << false;
    QTest::newRow("virtual GPU") << QByteArray("virgl (Mesa)") << false;
}

void WebViewSettingsTest::softwareRenderers()
{
    QFETCH(QByteArray, renderer);
    QFETCH(bool, software);
    QCOMPARE(RenderingChoice::isSoftwareRenderer(renderer), software);
}

// Decided without a GL context: on a machine with no graphics device, OpenGL is a rasterizer.
void WebViewSettingsTest::withoutAGraphicsDeviceNothingIsAsked()
{
    using RenderingChoice::mayHaveGpu;
    QVERIFY(!mayHaveGpu({}, false, ":99", {}));
    QVERIFY(!mayHaveGpu({"by-path"}, false, "unix:0.0", {}));
    QVERIFY(mayHaveGpu({"by-path", "card0", "renderD128"}, false, ":0", {}));
    QVERIFY(mayHaveGpu({"renderD128"}, false, {}, "wayland-0"));
    QVERIFY(mayHaveGpu({}, true, ":0", {}));
    // An X server on another machine may draw on a card of its own.
    QVERIFY(mayHaveGpu({}, false, "otherhost:10.0", {}));
}

void WebViewSettingsTest::theCachedAnswerHoldsOnlyForItsEnvironment()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("cache/rendering");
    const QByteArray key = RenderingChoice::environmentKey();
    QVERIFY(!RenderingChoice::cachedSoftware(path, key));
    QVERIFY(RenderingChoice::cache(path, key, false));
    QCOMPARE(RenderingChoice::cachedSoftware(path, key), std::optional<bool>(false));
    QVERIFY(RenderingChoice::cache(path, key, true));
    QCOMPARE(RenderingChoice::cachedSoftware(path, key), std::optional<bool>(true));

    // Another display, or the same display's server started anew, asks again.
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("DISPLAY", display + ".5");
    const QByteArray otherKey = RenderingChoice::environmentKey();
    qputenv("DISPLAY", display);
    if (display.isEmpty())
        qunsetenv("DISPLAY");
    QVERIFY(otherKey != key);
    QVERIFY(!RenderingChoice::cachedSoftware(path, otherKey));

    // A damaged file is no answer.
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("maybe\n" + key);
    file.close();
    QVERIFY(!RenderingChoice::cachedSoftware(path, key));
    // A folder in its place neither.
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkpath(path));
    QVERIFY(!RenderingChoice::cachedSoftware(path, key));
    QVERIFY(!RenderingChoice::cache(path, key, true));
}

void WebViewSettingsTest::suggestedNamesAreMadeSafe_data()
{
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<QString>("saved");
    // The name it gets beside a file of the saved name.
    QTest::addColumn<QString>("beside");
    QTest::newRow("plain") << "report.txt"
                           << "report.txt"
                           << "report (1).txt";
    QTest::newRow("separators") << "../../etc/passwd"
                                << "....etcpasswd"
                                << "... (1).etcpasswd";
    QTest::newRow("backslashes") << "..\\up\\file.txt"
                                 << "..upfile.txt"
                                 << "..upfile (1).txt";
    QTest::newRow("C0, DEL and C1") << QString("a\x01"
                                               "b\tc\x7F"
                                               "d\u0085e\u009F.txt")
                                    << "abcde.txt"
                                    << "abcde (1).txt";
    QTest::newRow("only dots") << ".."
                               << "download"
                               << "download (1)";
    QTest::newRow("nothing left") << QString("/\x1B\u0090") << "download"
                                  << "download (1)";
    QTest::newRow("letters beyond ASCII kept")
        << QString("caf\u00E9 \u20AC.txt") << QString("caf\u00E9 \u20AC.txt")
        << QString("caf\u00E9 \u20AC (1).txt");
    // Shown as it reads: the right-to-left override would show "invoiceexe.txt".
    QTest::newRow("bidirectional controls") << QString("invoice\u202Etxt.exe") << "invoicetxt.exe"
                                            << "invoicetxt (1).exe";
    QTest::newRow("every bidirectional control")
        << QString("a\u202A\u202B\u202C\u202Db\u2066\u2067\u2068\u2069c\u200E\u200F\u061C.txt")
        << "abc.txt"
        << "abc (1).txt";
    // A file system takes at most 255 bytes in a name.
    QTest::newRow("too long, its extension kept")
        << QString(300, 'a') + ".pdf" << QString(251, 'a') + ".pdf"
        << QString(247, 'a') + " (1).pdf";
    QTest::newRow("too long, no extension")
        << QString(300, 'b') << QString(255, 'b') << QString(251, 'b') + " (1)";
    QTest::newRow("too long, cut between letters")
        << QString(200, u'\u00E9') + ".txt" << QString(125, u'\u00E9') + ".txt"
        << QString(123, u'\u00E9') + " (1).txt";
}

void WebViewSettingsTest::suggestedNamesAreMadeSafe()
{
    QFETCH(QString, suggested);
    QFETCH(QString, saved);
    QFETCH(QString, beside);
    QCOMPARE(DownloadManager::safeFileName(suggested), saved);
    QTemporaryDir folder;
    QFile taken(folder.filePath(saved));
    QVERIFY(taken.open(QIODevice::WriteOnly));
    taken.close();
    QCOMPARE(QFileInfo(DownloadManager::unusedPath(folder.path(), saved)).fileName(), beside);
}

ZV_TEST_MAIN(WebViewSettingsTest)
#include "tst_webviewsettings.moc"
