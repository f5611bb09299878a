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
    const bool refused = drawn == "webgl none; 2d 0,255,0,255";
    QVERIFY2(refused || drawn == "webgl 0,0,255,255; 2d 0,255,0,255", qPrintable(drawn));
    // Either outcome passes; the log says which one this machine gave.
    qInfo("WebGL on this machine: %s",
          refused ? "refused (OpenGL is a software rasterizer here)" : "drew its canvas right");

    // What the user sees: the page's own colour, drawn into the window.
    QTRY_COMPARE_WITH_TIMEOUT(window.grab().toImage().pixelColor(320, 240), QColor(Qt::red), 20000);

    QVariant scrolled;
    view->engineView()->page()->runJavaScript(
        "window.scrollTo(0, 1000); window.scrollY",
        [&scrolled](const QVariant &value) { scrolled = value; });
    QTRY_VERIFY_WITH_TIMEOUT(scrolled.isValid(), 20000);
    QCOMPARE(scrolled.toInt(), 1000);
}

ZV_TEST_MAIN_PREPARED(RenderingTest, chooseSoftware, RenderingChoice::apply)
#include "tst_rendering.moc"
