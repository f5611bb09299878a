#include "support/LoopbackServer.h"
#include "support/TestMain.h"
#include "support/WindowFixture.h"
#include "webview/RenderingChoice.h"
#include "webview/WebViewSettings.h"
#include "webview/engine/EngineWebView.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

// WebGL and a 2D canvas each draw one pixel and read it back; the page is red and tall. The
// title tells what was drawn once the script has run to its end.
const QByteArray DrawingPage = R"(<!DOCTYPE html>
<html><head><style>html, body { margin: 0; background: #ff0000; }</style></head>
<body><div style="height: 5000px"></div>
<script>
const results = [];
const gl = document.createElement('canvas').getContext('webgl');
if (gl) {
    gl.clearColor(0, 0, 1, 1);
    gl.clear(gl.COLOR_BUFFER_BIT);
    const pixel = new Uint8Array(4);
    gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, pixel);
    results.push('webgl ' + pixel.join(','));
} else {
    results.push('webgl none');
}
const context = document.createElement('canvas').getContext('2d');
context.fillStyle = '#00ff00';
context.fillRect(0, 0, 1, 1);
results.push('2d ' + Array.from(context.getImageData(0, 0, 1, 1).data).join(','));
document.title = results.join('; ');
</script></body></html>)";

// Set in webview.ini, as a user would, and taken up as the program does at its start.
void chooseSoftware()
{
    QDir().mkpath(QFileInfo(WebViewSettings::filePath()).path());
    QFile ini(WebViewSettings::filePath());
    if (ini.open(QIODevice::WriteOnly))
        ini.write("[General]\nRendering=software\n");
    ini.close();
    RenderingChoice::beforeApplication();
}

} // namespace

// The web view's layer drawn by Qt Quick's software scene graph (this whole process runs so),
// and how the program decides for it.
class RenderingTest : public QObject {
    Q_OBJECT

private slots:
    void theSettingChoosesSoftwareBeforeTheApplication();
    void pagesDrawWebGLCanvasAndScrollInSoftware();
    void settingValues_data();
    void settingValues();
    void softwareRenderers_data();
    void softwareRenderers();
    void theCachedAnswerHoldsOnlyForItsEnvironment();
    void withoutAGraphicsDeviceNothingIsAsked();
};

void RenderingTest::theSettingChoosesSoftwareBeforeTheApplication()
{
    QCOMPARE(QQuickWindow::sceneGraphBackend(), QString("software"));
    QVERIFY(RenderingChoice::software());
    // Set by hand, the renderer is never asked for, nor the answer cached.
    QVERIFY(!QFileInfo::exists(RenderingChoice::cachePath()));
    // OpenGL is kept out of the program only: what it starts gets the environment it was given.
    QVERIFY(!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"));
}

void RenderingTest::pagesDrawWebGLCanvasAndScrollInSoftware()
{
    LoopbackServer server;
    QVERIFY(server.listen());
    server.serveHtml("/drawing", DrawingPage);
    QWidget window;
    auto *view = new EngineWebView(&window);
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    window.resize(640, 480);
    window.show();
    QVERIFY(completes(view, [&] { view->Navigate(server.url("/drawing").toString()); }));
    // The engine gives WebGL no software rasterizer, whichever way the view is drawn: where
    // OpenGL is one, WebGL is refused in both. Where it answers, it draws right.
    const QString drawn = view->LocationName();
    QVERIFY2(drawn == "webgl none; 2d 0,255,0,255" || drawn == "webgl 0,0,255,255; 2d 0,255,0,255",
             qPrintable(drawn));

    // What the user sees: the page's own colour, drawn into the window.
    QTRY_COMPARE_WITH_TIMEOUT(window.grab().toImage().pixelColor(320, 240), QColor(Qt::red), 20000);

    QVariant scrolled;
    view->engineView()->page()->runJavaScript(
        "window.scrollTo(0, 1000); window.scrollY",
        [&scrolled](const QVariant &value) { scrolled = value; });
    QTRY_VERIFY_WITH_TIMEOUT(scrolled.isValid(), 20000);
    QCOMPARE(scrolled.toInt(), 1000);
}

void RenderingTest::settingValues_data()
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

void RenderingTest::settingValues()
{
    QFETCH(QString, value);
    QFETCH(int, mode);
    QCOMPARE(int(RenderingChoice::mode(value)), mode);
}

void RenderingTest::softwareRenderers_data()
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

void RenderingTest::softwareRenderers()
{
    QFETCH(QByteArray, renderer);
    QFETCH(bool, software);
    QCOMPARE(RenderingChoice::isSoftwareRenderer(renderer), software);
}

// Decided without a GL context: on a machine with no graphics device, OpenGL is a rasterizer.
void RenderingTest::withoutAGraphicsDeviceNothingIsAsked()
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

void RenderingTest::theCachedAnswerHoldsOnlyForItsEnvironment()
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

ZV_TEST_MAIN_PREPARED(RenderingTest, chooseSoftware, RenderingChoice::apply)
#include "tst_rendering.moc"
