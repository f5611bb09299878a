#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// How the web view's layer is drawn. Qt Quick's OpenGL scene graph pays off on a real GPU; where
// OpenGL is only a software rasterizer (or not usable at all) every frame of the window goes
// through that rasterizer on the thread that also runs the engine, and Qt Quick's software scene
// graph draws the same for a fraction of the time. Qt Quick fixes its graphics API when its first
// window is made, so the choice is made before the first web view exists; and after the
// application object, whose making sets the engine's default (OpenGL) again.
//
// The renderer is asked once per display server and driver installation; the answer is kept in
// the cache folder beside what it depends on. [General] Rendering in webview.ini (auto, software
// or opengl) overrides it.
namespace RenderingChoice {
enum class Mode { Auto, Software, OpenGL };

// Before the application object: reads the setting, or the answer cached for this display. Where
// that is software, the program keeps OpenGL out of its own process altogether (loading Mesa and
// LLVM only to set up a context nobody draws with costs tens of milliseconds at every start);
// otherwise the engine and the widgets share their GL contexts, as the engine needs.
void beforeApplication();
// After it: applies the choice; where nothing was decided yet, leaves asking OpenGL to the first
// web view, so that the first window is shown first.
void apply();
// Before a web view's engine starts: asks OpenGL for its renderer where apply() left that to it,
// applies the answer and caches it.
void beforeFirstView();
// Whether the web view's layer is drawn in software.
bool software();

// The pieces, on their own.
Mode mode(const QString &setting);
// Whether an OpenGL renderer string names a software rasterizer; no renderer (no usable OpenGL)
// counts as one.
bool isSoftwareRenderer(const QByteArray &renderer);
// What the answer depends on: the running display server, the GL drivers installed, the
// environment that steers Qt and the drivers.
QByteArray environmentKey();
// Whether a graphics card may draw: a device node of one (/dev/dri's card or render nodes, an
// NVIDIA device), or an X server on another machine. Without, OpenGL is a software rasterizer.
bool mayHaveGpu(const QStringList &driDevices, bool nvidia, const QByteArray &display,
                const QByteArray &waylandDisplay);
QString cachePath();
std::optional<bool> cachedSoftware(const QString &path, const QByteArray &key);
bool cache(const QString &path, const QByteArray &key, bool software);
} // namespace RenderingChoice
