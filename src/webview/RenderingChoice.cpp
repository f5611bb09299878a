#include "webview/RenderingChoice.h"

#include "webview/WebViewSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <sys/stat.h>

namespace {

enum class State { Undecided, Software, OpenGL };
State state = State::Undecided;
// What beforeApplication found, and the environment it found it for.
std::optional<bool> decided;
QByteArray environment;
constexpr const char *GlIntegration = "QT_XCB_GL_INTEGRATION";
bool glIntegrationSet = false;
bool probePending = false;

void choose(bool software)
{
    state = software ? State::Software : State::OpenGL;
    QQuickWindow::setGraphicsApi(software ? QSGRendererInterface::Software
                                          : QSGRendererInterface::OpenGL);
}

// Identity of a file or socket: a display server listening anew, or a driver installed anew,
// gives a new one.
QByteArray identity(const QString &path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return QByteArrayLiteral("-");
    return QByteArray::number(qulonglong(status.st_ino)) + ' ' +
           QByteArray::number(qlonglong(status.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qlonglong(status.st_mtim.tv_nsec));
}

// The local X server's socket for DISPLAY (":0", "unix:1.0"); empty for a remote one.
QString xSocket(const QByteArray &display)
{
    const qsizetype colon = display.lastIndexOf(':');
    if (colon < 0)
        return {};
    const QByteArray host = display.left(colon);
    if (!host.isEmpty() && host != "unix")
        return {};
    QByteArray number = display.mid(colon + 1);
    number = number.left(number.indexOf('.') < 0 ? number.size() : number.indexOf('.'));
    return QStringLiteral("/tmp/.X11-unix/X") + QString::fromLatin1(number);
}

QString waylandSocket(const QByteArray &display)
{
    if (display.isEmpty())
        return {};
    if (display.startsWith('/'))
        return QFile::decodeName(display);
    return QFile::decodeName(qgetenv("XDG_RUNTIME_DIR")) + QLatin1Char('/') +
           QFile::decodeName(display);
}

// The GL renderer, or nothing where OpenGL cannot be used.
QByteArray renderer()
{
    QOpenGLContext context;
    if (!context.create())
        return {};
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return {};
    const auto *name =
        reinterpret_cast<const char *>(context.functions()->glGetString(GL_RENDERER));
    QByteArray result(name ? name : "");
    context.doneCurrent();
    return result;
}

} // namespace

namespace RenderingChoice {

Mode mode(const QString &setting)
{
    const QString value = setting.trimmed().toLower();
    if (value == u"software")
        return Mode::Software;
    if (value == u"opengl")
        return Mode::OpenGL;
    return Mode::Auto;
}

bool isSoftwareRenderer(const QByteArray &renderer)
{
    const QByteArray name = renderer.toLower();
    return name.trimmed().isEmpty() || name.contains("llvmpipe") || name.contains("softpipe") ||
           name.contains("swiftshader") || name.contains("software rasterizer") ||
           name.contains("swrast");
}

QByteArray environmentKey()
{
    QByteArray key = QByteArrayLiteral("Qt ") + qVersion() + '\n';
    // What chooses the platform, the GL driver and Qt Quick's backend.
    for (const char *name :
         {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "QT_XCB_GL_INTEGRATION", "QT_OPENGL",
          "QT_QUICK_BACKEND", "QSG_RHI_BACKEND", "LIBGL_ALWAYS_SOFTWARE", "LIBGL_DRIVERS_PATH",
          "GALLIUM_DRIVER", "MESA_LOADER_DRIVER_OVERRIDE", "__GLX_VENDOR_LIBRARY_NAME",
          "__EGL_VENDOR_LIBRARY_FILENAMES"})
        key += QByteArray(name) + '=' + qgetenv(name) + '\n';
    // The display server running now: a new server (another session, another machine's screen)
    // may render differently.
    const QString x = xSocket(qgetenv("DISPLAY"));
    if (!x.isEmpty())
        key += "X " + identity(x) + '\n';
    const QString wayland = waylandSocket(qgetenv("WAYLAND_DISPLAY"));
    if (!wayland.isEmpty())
        key += "Wayland " + identity(wayland) + '\n';
    // The graphics devices and the drivers installed.
    key += "dri " +
           QDir(QStringLiteral("/dev/dri"))
               .entryList(QDir::System | QDir::NoDotAndDotDot)
               .join(u' ')
               .toLatin1() +
           '\n';
    for (const QString &folder :
         {QStringLiteral("/usr/lib/x86_64-linux-gnu/dri"),
          QStringLiteral("/usr/lib/aarch64-linux-gnu/dri"), QStringLiteral("/usr/lib64/dri"),
          QStringLiteral("/usr/lib/dri"), QStringLiteral("/usr/share/glvnd/egl_vendor.d"),
          QStringLiteral("/dev/nvidia0")}) {
        if (QFileInfo::exists(folder))
            key += QFile::encodeName(folder) + ' ' + identity(folder) + '\n';
    }
    return key;
}

bool mayHaveGpu(const QStringList &driDevices, bool nvidia, const QByteArray &display,
                const QByteArray &waylandDisplay)
{
    // An X server elsewhere may draw on a graphics card of its own.
    if (waylandDisplay.isEmpty() && !display.isEmpty() && xSocket(display).isEmpty())
        return true;
    return nvidia || std::any_of(driDevices.cbegin(), driDevices.cend(), [](const QString &name) {
               return name.startsWith(u"card") || name.startsWith(u"renderD");
           });
}

QString cachePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/zarvo-velmora/rendering");
}

std::optional<bool> cachedSoftware(const QString &path, const QByteArray &key)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The answer's line, then the key it was found for.
    const QByteArray bytes = file.read(64 * 1024);
    const qsizetype end = bytes.indexOf('\n');
    if (end < 0 || bytes.mid(end + 1) != key)
        return std::nullopt;
    const QByteArray answer = bytes.left(end);
    if (answer == "software")
        return true;
    if (answer == "opengl")
        return false;
    return std::nullopt;
}

bool cache(const QString &path, const QByteArray &key, bool software)
{
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = QByteArray(software ? "software" : "opengl") + '\n' + key;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void beforeApplication()
{
    environment = environmentKey();
    switch (mode(WebViewSettings::rendering())) {
    case Mode::Software:
        decided = true;
        break;
    case Mode::OpenGL:
        decided = false;
        break;
    case Mode::Auto:
        decided = cachedSoftware(cachePath(), environment);
        // No graphics device on this machine: its OpenGL can only be a software rasterizer, known
        // without asking it, also on the very first start.
        if (!decided &&
            !mayHaveGpu(
                QDir(QStringLiteral("/dev/dri")).entryList(QDir::System | QDir::NoDotAndDotDot),
                QFileInfo::exists(QStringLiteral("/dev/nvidia0")), qgetenv("DISPLAY"),
                qgetenv("WAYLAND_DISPLAY")))
            decided = true;
        break;
    }
    if (decided == true && !qEnvironmentVariableIsSet(GlIntegration)) {
        // Read by Qt's X11 platform when the application object is made; taken back after it,
        // so that programs started from the browser do not inherit it.
        qputenv(GlIntegration, "none");
        glIntegrationSet = true;
    } else {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    }
}

void apply()
{
    if (glIntegrationSet) {
        qunsetenv(GlIntegration);
        glIntegrationSet = false;
    }
    if (decided)
        choose(*decided);
    else
        probePending = true;
}

void beforeFirstView()
{
    if (!probePending)
        return;
    probePending = false;
    const bool soft = isSoftwareRenderer(renderer());
    choose(soft);
    // A cache that cannot be written is no fault: the next start asks again.
    cache(cachePath(), environment.isEmpty() ? environmentKey() : environment, soft);
}

bool software()
{
    // Qt Quick's software scene graph is a backend of its own beside the graphics APIs.
    if (state == State::Undecided)
        return QQuickWindow::sceneGraphBackend() == u"software";
    return state == State::Software;
}

} // namespace RenderingChoice
